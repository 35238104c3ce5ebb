// What the application's QtTests share: a main window whose file dialogs, messages and modal dialogs are
// scripted, and the data folder every test suite runs in.
#pragma once

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QStandardPaths>
#include <QtTest>
#include <memory>

#include "CMainFrame.h"
#include "TestUtil.h"

namespace fl::test {

class ScriptedFiles : public FileDialogs {
  public:
    QStringList OpenFiles(QWidget*, const QString& folder) override {
        lastFolder = folder;
        return open;
    }
    QString SaveFile(QWidget*, const QString&, const QString& proposal, const QString&,
                     QString* selectedFilter) override {
        lastProposal = proposal;
        if (selectedFilter) {
            lastFilter = *selectedFilter;
            if (!filter.isEmpty()) *selectedFilter = filter;
        }
        return save;
    }
    QString OpenFile(QWidget*, const QString& title, const QString& folder, const QString&) override {
        lastTitle = title;
        lastFolder = folder;
        return open.value(0);
    }
    QString SaveFileReplacing(QWidget*, const QString& title, const QString& proposal,
                              const QString&) override {
        lastTitle = title;
        lastProposal = proposal;
        return save;
    }
    QStringList open;
    QString save;
    QString filter;  // the filter "chosen" in the save dialog; empty keeps the preselected one
    QString lastFolder, lastProposal, lastFilter, lastTitle;
};

// A main window for one test. Every message and question lands in `messages` (questions answered by
// `answer`), every modal dialog in `dialogs` by class name, answered by `onDialog` (reject by default).
struct Shell {
    std::unique_ptr<CMainFrame> frame;
    ScriptedFiles* files = nullptr;
    QStringList messages;
    QStringList dialogs;
    std::function<bool(const QString&)> answer = [](const QString&) { return false; };
    std::function<int(QDialog&)> onDialog = [](QDialog&) { return int(QDialog::Rejected); };

    Shell() {
        frame = std::make_unique<CMainFrame>();
        frame->Inst().Prompts().scripted = [this](const QString& text) {
            messages.append(text);
            return answer(text);
        };
        frame->Inst().Prompts().scriptedDialog = [this](QDialog& d) {
            dialogs.append(d.metaObject()->className());
            return onDialog(d);
        };
        auto scripted = std::make_unique<ScriptedFiles>();
        files = scripted.get();
        frame->Documents().SetFileDialogs(std::move(scripted));
    }
    CMainFrame* operator->() { return frame.get(); }
    // Runs a command as the user does: its action, as the menu, toolbar button and key trigger it.
    void Trigger(const QString& id) {
        QAction* a = frame->Action(id);
        QVERIFY2(a, qPrintable("no action " + id));
        frame->RefreshState();  // what opening the menu does
        QVERIFY2(a->isEnabled(), qPrintable(id + " is greyed"));
        a->trigger();
    }
    bool Enabled(const QString& id) {
        frame->RefreshState();
        QAction* a = frame->Action(id);
        return a && a->isEnabled();
    }
};

// Every suite works in its own data folder and settings.
inline void UseTestHome(const TempDir& home) {
    QStandardPaths::setTestModeEnabled(true);
    qputenv("FIELDLINK_HOME", QByteArray::fromStdString(home.path()));
    // Default folders made "under the user's documents" stay in the test's own folder.
    qputenv("XDG_DOCUMENTS_DIR", QByteArray::fromStdString(home / "Documents"));
}

}  // namespace fl::test
