// The main window: the workspace of trace windows, the menus, the toolbars and the status bar, and every
// command the shell routes.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QPointer>
#include <QToolBar>

class QPrinter;
#include <map>
#include <memory>
#include <mutex>

#include "CChildFrame.h"
#include "CommandChannel.h"
#include "GpsReceiver.h"
#include "LiveTrace.h"
#include "QtPrompts.h"
#include "TraceRetrieval.h"

namespace fl {

namespace sim {
class SimServer;
}

// File choices, replaceable by tests.
class FileDialogs {
  public:
    virtual ~FileDialogs() = default;
    virtual QStringList OpenFiles(QWidget* parent, const QString& folder);
    virtual QString SaveFile(QWidget* parent, const QString& title, const QString& proposal,
                             const QString& filter);
};

class CMainFrame : public QMainWindow, public ITraceSink {
    Q_OBJECT
  public:
    CMainFrame();
    ~CMainFrame() override;

    // Start-up after construction: a file from the command line, the demo, or the welcome dialog.
    void StartUp(const QString& file, bool demo, bool welcome = true);

    // Reads the keyboard lock LEDs under `ledsDir` into the three lock panes (a timer polls it).
    void UpdateLockPanes();
    void SetLedsFolder(const std::string& ledsDir) { m_ledsDir = ledsDir; }

    // Commands (public for the tests).
    bool OpenFile(const QString& path);
    void OpenCommand();
    bool SaveCommand(bool saveAs);
    void CloseAllCommand();
    void ExportAsciiCommand();
    void ExportImageCommand();
    void ConnectCommand();
    void ConnectionSettingsCommand();
    void GetTraceCommand();
    void DisplayTraceCommand();
    void LiveTraceCommand();
    bool StartLiveTrace(const LiveSettings& settings);  // what Start in the Live Trace dialog runs
    void StopLiveTrace();
    bool StartDemo();
    void WelcomeCommand();
    void DataTransferCommand(int tab);
    void ScreenDumpCommand();
    void GpsCommand();
    void GpsFormatCommand();
    void PrintCommand(bool allDocuments);
    void PrintPreviewCommand();
    void CopyGraphCommand();
    void CopyDataCommand();
    // Prints one trace page on `printer` (with its own painter unless one is given).
    bool PrintDocument(QPrinter& printer, CChildFrame* frame, QPainter* painter = nullptr);
    QPrinter& Printer();
    GpsReceiver& Gps() { return m_gps; }
    // What OK in the welcome dialog does with a choice (0 serial, 1 LAN, 2 open a trace).
    void WelcomeChoice(int choice);

    CChildFrame* ActiveFrame() const;
    QList<CChildFrame*> Frames() const;
    QMdiArea* Workspace() { return m_mdi; }
    CommandChannel& Channel() { return m_channel; }
    QtPrompts& Prompts() { return m_prompts; }
    TraceRetrieval& Retrieval() { return m_retrieval; }
    LiveSettings& LiveOptions() { return m_live; }
    bool LiveRunning() const { return m_liveWorker && m_liveWorker->Running(); }
    QString StatusText(int pane) const;
    void RefreshConnectionState();
    void SetFileDialogs(std::unique_ptr<FileDialogs> d) { m_files = std::move(d); }
    // The instrument commands as the menu and the toolbar show them.
    bool InstrumentCommandEnabled(const QString& name) const;
    QAction* Action(const QString& name) const;

    // ITraceSink: traces fetched from the instrument.
    void NewDocument(const ParseRecord& parsed) override;
    void ReloadActive(const ParseRecord& parsed) override;

  protected:
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

  private:
    void BuildMenus();
    void BuildToolbars();
    void UpdateMenuState();
    void SetInterfaceLocked(bool locked);
    CChildFrame* AddFrame(std::shared_ptr<CMyQuarnDoc> doc);
    bool ConfirmClose(CChildFrame* frame);
    void AddRecentFile(const QString& path);
    void FillRecentFiles();
    void NotYet(const QString& what);
    void ApplyLiveUpdate(const LiveUpdate& u);
    void SaveLiveUpdate(int number);
    void SyncPreferencesToProfile();
    QAction* AddCommand(QMenu* menu, const QString& name, const QString& text, const QKeySequence& key,
                        std::function<void()> f, const QString& icon = {});

    QMdiArea* m_mdi;
    QLabel* m_pane[5];
    std::string m_ledsDir = "/sys/class/leds";
    CPort m_port;
    ConnectionState m_state;
    QtPrompts m_prompts;
    CommandChannel m_channel;
    TraceRetrieval m_retrieval;
    LiveSettings m_live;
    std::unique_ptr<LiveTraceWorker> m_liveWorker;
    QPointer<CChildFrame> m_liveFrame;
    std::mutex m_liveMutex;
    LiveViewState m_liveView;
    std::unique_ptr<sim::SimServer> m_demo;
    GpsReceiver m_gps;
    std::unique_ptr<QPrinter> m_printer;
    QPointer<QDialog> m_gpsWindow;
    std::unique_ptr<FileDialogs> m_files;
    std::map<QString, QAction*> m_actions;
    QMenu* m_viewMenu = nullptr;
    QMenu* m_recentMenu = nullptr;
    QToolBar* m_mainBar = nullptr;
    QToolBar* m_smallBar = nullptr;
    bool m_bLocked = false;
};

}  // namespace fl
