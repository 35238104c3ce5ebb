// What an editor window needs from the program: file dialogs, messages and questions, modal dialogs,
// the data transfer dialog and the profile. The main window fills it; tests script it.
#pragma once

#include <QDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QString>
#include <functional>
#include <string>

#include "QtText.h"

namespace fl {

struct EditorServices {
    // Open and save dialogs: title, starting folder or proposed path, filter; "" when cancelled.
    std::function<QString(const QString& title, const QString& folder, const QString& filter)> openFile;
    std::function<QString(const QString& title, const QString& proposal, const QString& filter)> saveFile;
    std::function<void(const QString& text, bool error)> message;
    std::function<bool(const QString& text)> question;  // Yes/No
    std::function<int(QDialog& dialog)> exec;           // a modal dialog
    // Data Transfer on the editor's tab (connecting first after `connectQuestion`, when not connected).
    std::function<void(int tab, const QString& connectQuestion)> dataTransfer;
    // The system's "open" action for a file (settings files are edited by another program).
    std::function<void(const QString& path)> openExternally;
    // The editor folder changed: the profile is written again.
    std::function<void(const QString& folder)> folderChanged;
};

// An editor's button, found by its object name in tests; Return belongs to the default button alone.
inline QPushButton* EditorButton(const QString& text, const char* name) {
    auto* b = new QPushButton(text);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

// The editor folder follows each file opened or saved; the profile is written when it changes.
inline void FollowFolder(const EditorServices& services, QString* folder, const QString& path) {
    const QString dir = QFileInfo(path).absolutePath();
    if (dir == *folder) return;
    *folder = dir;
    if (services.folderChanged) services.folderChanged(dir);
}

// The save dialog asked about the name as typed; the file written may have another name (an extension
// added, the name upper-cased). A file there under that name is replaced only when the user says so.
inline bool MayReplace(const EditorServices& services, const QString& typed, const std::string& target) {
    const QString written = FromUtf8(target);  // a path
    if (written == typed || !QFileInfo::exists(written)) return true;
    return services.question &&
           services.question(QFileInfo(written).fileName() + " already exists.\nDo you want to replace it?");
}

}  // namespace fl
