// The document commands of the shell: open, save, close all, export, print, preview, print setup and the
// clipboard, on the main window's trace windows.
#pragma once

#include <QObject>
#include <QPageLayout>
#include <QStringList>
#include <memory>
#include <optional>

#include "DocumentHost.h"

class QMenu;
class QPainter;
class QPrinter;

namespace fl {

class CChildFrame;
class QtPrompts;

// File choices, replaceable by tests.
class FileDialogs {
  public:
    virtual ~FileDialogs() = default;
    virtual QStringList OpenFiles(QWidget* parent, const QString& folder);
    // `selectedFilter` (when given) preselects a filter and returns the one chosen.
    virtual QString SaveFile(QWidget* parent, const QString& title, const QString& proposal,
                             const QString& filter, QString* selectedFilter = nullptr);
    // One file to open, and a file to save to after the dialog's own question before replacing one.
    virtual QString OpenFile(QWidget* parent, const QString& title, const QString& folder,
                             const QString& filter);
    virtual QString SaveFileReplacing(QWidget* parent, const QString& title, const QString& proposal,
                                      const QString& filter);
};

class DocumentCommands : public QObject {
    Q_OBJECT
  public:
    DocumentCommands(DocumentHost& host, QtPrompts& prompts);
    ~DocumentCommands() override;

    bool OpenFile(const QString& path);
    void Open();
    bool Save(bool saveAs);
    void CloseAll();
    void ExportAscii();
    void ExportImage();
    // The image sizes Export Image offers: the window's width and standard widths, each at the page's
    // aspect.
    static QList<QSize> ImageSizes(const QSize& window, const QSize& page);
    void Print();
    void PrintOpenDocuments();
    void PrintPreview();
    void PrintSetup();
    void CopyGraph();
    void CopyData();
    // Asked before a trace window closes: true when it may (saved, discarded, unmodified, or the
    // document still has another window).
    bool ConfirmClose(CChildFrame* frame);
    // Asked when the program closes: each modified document once (whatever its windows); with more than
    // one the question also offers Yes to All and No to All. False when the user cancelled or a save failed.
    bool ConfirmCloseAll(const QList<CChildFrame*>& frames);

    // The program's one printer: Print Setup changes it, every later print uses it.
    QPrinter& Printer();
    // One trace page on `printer`, with its own painter unless one is given.
    bool PrintDocument(QPrinter& printer, CChildFrame* frame, QPainter* painter = nullptr);

    void SetFileDialogs(std::unique_ptr<FileDialogs> d) { m_files = std::move(d); }
    FileDialogs& Files() { return *m_files; }
    void SetRecentMenu(QMenu* menu);
    void AddRecentFile(const QString& path);

  private:
    void FillRecentFiles();
    // The print dialog on the program's printer, set up for `first`'s page; true for Print.
    bool AskPrinter(CChildFrame* first);
    bool Confirmed(CChildFrame* frame);
    // The page orientation for a print of `frame`: Page Setup's once the user chose one there, else the
    // document's own.
    QPageLayout::Orientation OrientationFor(CChildFrame* frame) const;

    DocumentHost& m_host;
    QtPrompts& m_prompts;
    std::unique_ptr<FileDialogs> m_files;
    std::unique_ptr<QPrinter> m_printer;
    std::optional<QPageLayout::Orientation> m_setupOrientation;
    QMenu* m_recentMenu = nullptr;
};

}  // namespace fl
