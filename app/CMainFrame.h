// The main window: the workspace of trace windows, the menus, toolbars and status bar built from the
// command table, and the start-up and shutdown of the shell. The instrument side lives in Instrument, the
// document commands in DocumentCommands; this window only wires them to the user.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QPointer>
#include <QToolBar>
#include <memory>

#include "CChildFrame.h"
#include "Commands.h"
#include "DocumentCommands.h"
#include "DocumentHost.h"
#include "EditorServices.h"
#include "FactorTable.h"
#include "Instrument.h"
#include "InstrumentCommands.h"
#include "LiveSession.h"
#include "SelectMarkersDialog.h"
#include "SurveyCommands.h"

namespace fl {

class CMainFrame : public QMainWindow, public DocumentHost, public ITraceSink {
    Q_OBJECT
  public:
    CMainFrame();
    ~CMainFrame() override;

    // Start-up after construction: a file from the command line, the demo, or the welcome dialog.
    // File > Open Sample...: the bundled samples' folder in the open dialog; traces open as windows,
    // editor files in their editors.
    void OpenSample();
    static QString SamplesFolder();
    // Files named on a command line (this start's or a later one's), each opened as StartUp opens one.
    void OpenFromCommandLine(const QStringList& files);
    void StartUp(const QString& file, bool demo, bool welcome = true);

    Instrument& Inst() { return *m_instrument; }
    DocumentCommands& Documents() { return *m_documents; }
    InstrumentCommands& InstrumentUi() { return *m_instrumentUi; }
    SurveyCommands& Survey() { return *m_survey; }
    LiveSession& Live() { return *m_live; }
    CommandTable& Commands() { return *m_commands; }
    QAction* Action(const QString& id) const { return m_commands->Action(id); }
    QMdiArea* Workspace() { return m_mdi; }
    // Window > Cascade: each window at its view mode's size, stacked a title bar apart.
    void CascadeWindows();
    QToolBar* MainToolbar() { return m_mainBar; }
    QToolBar* SmallToolbar() { return m_smallBar; }
    QMenu* Menu(const QString& title) const;
    // The context menu of a trace window, built from the table for the window's current state.
    std::unique_ptr<QMenu> ContextMenu(CChildFrame* frame);

    QString StatusText(int pane) const;
    // Menus, toolbars and the connection pane for the current state.
    void RefreshState();
    CommandState State() const;

    // Reads the keyboard lock LEDs under `ledsDir` into the three lock panes (a timer polls it).
    void UpdateLockPanes();
    void SetLedsFolder(const std::string& ledsDir) { m_ledsDir = ledsDir; }

    // DocumentHost
    CChildFrame* ActiveFrame() const override;
    QList<CChildFrame*> Frames() const override;
    CChildFrame* AddFrame(std::shared_ptr<CMyQuarnDoc> doc) override;
    void Activate(CChildFrame* frame) override;
    QWidget* Window() override { return this; }

    // ITraceSink: traces fetched from the instrument.
    void NewDocument(const ParseRecord& parsed) override;
    void ReloadActive(const ParseRecord& parsed) override;

    // Handlers of the command table that belong to the window itself.
    void CloseActive();
    void WelcomeCommand();
    void AdditionalInformation();
    void About();
    void RunViewCommand(ViewCommand c);
    void EditLevel();
    // The Select Trace Markers window on the active trace window (one at a time).
    void SelectMarkers();
    // The Marker Description dialog on a view's front trace; `focus` is the marker whose field starts.
    void DescribeMarkers(CMyQuarnView* view, int focus, char trace);
    SelectMarkersDialog* MarkerWindow() const { return m_markerDialog; }
    void CloseMarkerWindow() override;
    // The editors: from the Tools menu (no file), the command line (a file, no Data Transfer) and the Data
    // Transfer dialog (a file; Data Transfer then closes the editor).
    void OpenLimitEditor(const QString& file = {}, bool transferAllowed = true);
    void OpenEmfLimitEditor(const QString& file = {}, bool transferAllowed = true);
    void OpenChannelSystemEditor(const QString& file = {}, bool transferAllowed = true);
    void OpenCableTypeEditor(const QString& file = {}, bool transferAllowed = true);
    void OpenSettingsChooser();
    void OpenFactorEditor(FactorMode mode, const QString& file = {}, bool transferAllowed = true);
    bool OpenEditorFile(const QString& path) override;
    EditorServices EditorServicesFor(std::string* folder);
    // The system's "open" action for files another program edits (tests replace it).
    std::function<void(const QString&)> openExternally;
    void EditComment();
    void GpsFormat();
    void NewWindow();
    void ArrangeIcons();
    void ToggleToolbar();
    void ToggleStatusBar();
    void OpenMenuBar();

  protected:
    void closeEvent(QCloseEvent* e) override;
    bool m_bCloseAfterJob = false;  // the program closes once the running instrument job has ended
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

  private:
    void BuildMenus();
    void BuildToolbars();
    void FillWindowList();
    void CopyPreferencesFromProfile();
    void SyncPreferencesToProfile();
    void RepaintDocument(const CMyQuarnDoc& doc);
    bool ConfirmClose(CChildFrame* frame);
    void PlaceInside(CChildFrame* frame);
    QSize ViewModeSize(CChildFrame* frame) const;

    QMdiArea* m_mdi;
    QLabel* m_pane[5];
    std::string m_ledsDir = "/sys/class/leds";
    std::unique_ptr<Instrument> m_instrument;
    std::unique_ptr<DocumentCommands> m_documents;
    std::unique_ptr<SurveyCommands> m_survey;
    std::unique_ptr<InstrumentCommands> m_instrumentUi;
    std::unique_ptr<LiveSession> m_live;
    CommandTable* m_commands = nullptr;
    std::vector<QMenu*> m_menus;
    QMenu* m_windowMenu = nullptr;
    QList<QAction*> m_windowList;
    QToolBar* m_mainBar = nullptr;
    QToolBar* m_smallBar = nullptr;
    bool m_bClosing = false;
    QPointer<SelectMarkersDialog> m_markerDialog;
};

}  // namespace fl
