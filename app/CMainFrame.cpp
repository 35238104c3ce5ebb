#include "CMainFrame.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <fstream>
#include <thread>

#include "AsciiExport.h"
#include "ConnectDialog.h"
#include "DataTransferDialog.h"
#include "GetTraceDialog.h"
#include "GpsWindows.h"
#include "Icons.h"
#include "ImageCodec.h"
#include "InfoDialogs.h"
#include "LiveTraceDialog.h"
#include "LockKeys.h"
#include "PageCanvas.h"
#include "PageImage.h"
#include "ProgramFolder.h"
#include "ScreenDumpWindow.h"
#include "SimServer.h"
#include "WelcomeDialog.h"

namespace fl {

namespace {
constexpr const char* kTitle = "Quarn Fieldlink Software";
constexpr const char* kTraceFilter = "Quarn Trace Files ( *.qtm ; *.qtr ) (*.qtm *.qtr *.QTM *.QTR)";
}  // namespace

QStringList FileDialogs::OpenFiles(QWidget* parent, const QString& folder) {
    return QFileDialog::getOpenFileNames(parent, "Open", folder, kTraceFilter);
}

QString FileDialogs::SaveFile(QWidget* parent, const QString& title, const QString& proposal,
                              const QString& filter) {
    return QFileDialog::getSaveFileName(parent, title, proposal, filter);
}

CMainFrame::CMainFrame()
    : m_prompts(this),
      m_channel(m_port, s_settings, m_state, m_prompts),
      m_retrieval(m_channel, *this),
      m_files(std::make_unique<FileDialogs>()) {
    setWindowTitle(kTitle);
    setWindowIcon(MakeIcon("app"));
    m_mdi = new QMdiArea;
    m_mdi->setViewMode(QMdiArea::SubWindowView);
    setCentralWidget(m_mdi);
    setAcceptDrops(true);

    const char* initial[5] = {"Ready", "NOT CONNECTED    ", "CAP", "NUM", "SCRL"};
    for (int i = 0; i < 5; ++i) {
        m_pane[i] = new QLabel(initial[i]);
        if (i == 0)
            statusBar()->addWidget(m_pane[i], 1);
        else
            statusBar()->addPermanentWidget(m_pane[i]);
    }
    // The lock panes keep the width of their indicator and show it while the lock is on.
    for (int i = 2; i < 5; ++i)
        m_pane[i]->setMinimumWidth(m_pane[i]->sizeHint().width());
    auto* lockTimer = new QTimer(this);
    connect(lockTimer, &QTimer::timeout, this, [this] { UpdateLockPanes(); });
    lockTimer->start(300);
    UpdateLockPanes();
    m_prompts.statusSink = [this](int pane, const QString& text) {
        if (pane >= 0 && pane < 5) m_pane[pane]->setText(text);
    };

    BuildMenus();
    BuildToolbars();
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this] { UpdateMenuState(); });

    // Restored size: 20/21 of the screen width and 10/11 of its height, centred.
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect g = s->availableGeometry();
        resize(g.width() * 20 / 21, g.height() * 10 / 11);
        move(g.center() - rect().center());
    }

    // The connection defaults, then the default profile.
    s_settings.linkKind = 0;
    s_settings.comPort = 1;
    s_settings.baudRate = "57600";
    s_settings.ipAddress = "0.0.0.0";
    s_settings.tcpPort = 49200;
    ReadProfile("default", s_settings);
    s_settings.profileName = "default";
    DisplayPreferences& p = s_docEnv.prefs;
    p.showMarkersA = s_settings.showMarkersA;
    p.showMarkersB = s_settings.showMarkersB;
    p.showLevelPanel = s_settings.showLevel;
    p.showStatusPanel = s_settings.showStatus;
    p.showTracePanel = s_settings.showTrace;
    p.showInstrumentPanel = s_settings.showInstrument;
    p.orientation = s_settings.viewMode;
    p.showGrid = s_settings.showGrid;
    p.showEdevPanel = s_settings.showExtDev;
    p.showGpsPanel = s_settings.showGps;
    s_docEnv.gpsPositionFormat = s_settings.gpsPositionFormat;
    s_docEnv.gpsAltitudeUnit = s_settings.gpsAltitudeUnit;
    s_docEnv.gpsSpeedUnit = s_settings.gpsSpeedUnit;
    s_docEnv.modifiedTraceFolder = s_settings.folderTraces;
    m_live.path = s_settings.folderExport;
    // Traces taken over while the receiver runs carry its position.
    s_docEnv.gps = &m_gps;
    s_docEnv.useGps = true;
    m_gps.positionFormat = s_settings.gpsPositionFormat;
    m_gps.altitudeUnit = s_settings.gpsAltitudeUnit;
    m_gps.speedUnit = s_settings.gpsSpeedUnit;
    RefreshConnectionState();
}

void CMainFrame::UpdateLockPanes() {
    const LockKey keys[3] = {LockKey::Caps, LockKey::Num, LockKey::Scroll};
    for (int i = 0; i < 3; ++i) {
        const bool on = ReadLockKey(keys[i], m_ledsDir).value_or(false);
        const QString text = QString::fromStdString(LockPaneText(keys[i], on));
        if (m_pane[i + 2]->text() != text) m_pane[i + 2]->setText(text);
    }
}

CMainFrame::~CMainFrame() {
    // The GPS window works on m_gps, which is gone before QObject deletes the children.
    delete m_gpsWindow;
    m_gps.Stop();
    if (s_docEnv.gps == &m_gps) s_docEnv.gps = nullptr;
    // The trace windows go with the workspace; nothing of this window may react to that any more.
    m_mdi->disconnect(this);
    for (CChildFrame* f : Frames()) {
        f->disconnect(this);
        f->confirmClose = {};
    }
    if (m_liveWorker) m_liveWorker->Stop();
    if (m_demo) m_demo->Stop();
}

QAction* CMainFrame::AddCommand(QMenu* menu, const QString& name, const QString& text,
                                const QKeySequence& key, std::function<void()> f, const QString& icon) {
    QAction* a = menu->addAction(text);
    if (!key.isEmpty()) a->setShortcut(key);
    if (!icon.isEmpty()) a->setIcon(MakeIcon(icon));
    connect(a, &QAction::triggered, this, [f] { f(); });
    m_actions[name] = a;
    return a;
}

QAction* CMainFrame::Action(const QString& name) const {
    auto it = m_actions.find(name);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::NotYet(const QString& what) {
    m_prompts.Message((what + " is not part of this version of Fieldlink yet.").toStdString(),
                      PromptIcon::Information);
}

void CMainFrame::BuildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    AddCommand(
        file, "open", "&Open...", QKeySequence("Ctrl+O"), [this] { OpenCommand(); }, "open");
    AddCommand(file, "close", "&Close", {}, [this] {
        if (auto* f = ActiveFrame()) f->close();
    });
    AddCommand(file, "closeall", "Close A&ll", {}, [this] { CloseAllCommand(); });
    AddCommand(
        file, "save", "&Save", QKeySequence("Ctrl+S"), [this] { SaveCommand(false); }, "save");
    AddCommand(file, "saveas", "Save &As...", {}, [this] { SaveCommand(true); });
    QMenu* exp = file->addMenu("&Export");
    AddCommand(exp, "exportimage", "&Image...", {}, [this] { ExportImageCommand(); });
    AddCommand(exp, "exportascii", "&ASCII File...", {}, [this] { ExportAsciiCommand(); });
    file->addSeparator();
    AddCommand(
        file, "print", "&Print...", QKeySequence("Ctrl+P"), [this] { NotYet("Printing"); }, "print");
    AddCommand(file, "printall", "Print Open &Documents...", {}, [this] { NotYet("Printing"); });
    AddCommand(file, "preview", "Print Pre&view", {}, [this] { NotYet("Print preview"); });
    AddCommand(file, "printsetup", "P&rint Setup...", {}, [this] { NotYet("Print setup"); });
    file->addSeparator();
    m_recentMenu = file->addMenu("Recent &Files");
    FillRecentFiles();
    file->addSeparator();
    AddCommand(file, "exit", "E&xit", {}, [this] { close(); });

    QMenu* edit = menuBar()->addMenu("&Edit");
    AddCommand(edit, "copygraph", "Copy &Graph", {}, [this] { CopyGraphCommand(); });
    AddCommand(edit, "copydata", "Copy &Data", {}, [this] { CopyDataCommand(); });
    AddCommand(edit, "addinfo", "Additional Information...", {}, [this] {
        AdditionalInfoDialog dlg(this);
        if (dlg.exec() == QDialog::Accepted)
            if (auto* f = ActiveFrame()) f->View()->update();
    });

    QMenu* inst = menuBar()->addMenu("&Instrument");
    AddCommand(
        inst, "connect", "&Connect", QKeySequence("Ctrl+C"), [this] { ConnectCommand(); }, "connect");
    AddCommand(
        inst, "gettrace", "&Get Trace...", QKeySequence("Ctrl+G"), [this] { GetTraceCommand(); }, "gettrace");
    AddCommand(
        inst, "displaytrace", "Display &Trace", QKeySequence("Ctrl+T"), [this] { DisplayTraceCommand(); },
        "displaytrace");
    AddCommand(
        inst, "livetrace", "&Live Trace", QKeySequence("Ctrl+L"), [this] { LiveTraceCommand(); },
        "livetrace");
    AddCommand(
        inst, "transfer", "&Data Transfer...", QKeySequence("Ctrl+D"),
        [this] {
            if (!m_channel.IsConnected() && m_prompts.YesNo("Not connected.\nConnect now?"))
                ConnectionSettingsCommand();
            NotYet("Data Transfer");
        },
        "transfer");
    AddCommand(
        inst, "screendump", "Screen D&ump...", QKeySequence("Ctrl+N"), [this] { NotYet("Screen Dump"); },
        "screendump");
    connect(inst, &QMenu::aboutToShow, this, [this] { UpdateMenuState(); });

    QMenu* tools = menuBar()->addMenu("&Tools");
    const std::tuple<const char*, const char*, const char*, const char*> editors[] = {
        {"settingeditor", "&Setting Editor...", "Alt+S", "The setting editor"},
        {"limiteditor", "&Limit Editor...", "Alt+L", "The limit line editor"},
        {"extdeveditor", "&External Device Editor...", "Alt+E", "The external device editor"},
        {"channeleditor", "&Channel System Editor...", "Alt+C", "The channel system editor"},
        {"cableeditor", "DTF Cable &Type Editor...", "Alt+T", "The DTF cable type editor"},
        {"antennaeditor", "EMF &Antenna Factor Editor...", "Alt+A", "The antenna factor editor"},
        {"cablefactoreditor", "EMF Cable &Factor Editor...", "Alt+F", "The cable factor editor"},
        {"emflimiteditor", "EMF L&imit Editor...", "Alt+I", "The EMF limit line editor"},
    };
    for (auto [name, text, key, what] : editors) {
        const QString w = what;
        AddCommand(
            tools, name, text, QKeySequence(key), [this, w] { NotYet(w); }, name);
    }

    m_viewMenu = menuBar()->addMenu("&View");
    connect(m_viewMenu, &QMenu::aboutToShow, this, [this] {
        m_viewMenu->clear();
        if (auto* f = ActiveFrame()) {
            AddCommand(m_viewMenu, "markers", "&Select Trace Markers...", {},
                       [this] { NotYet("The marker dialog"); });
            f->View()->FillViewMenu(m_viewMenu);
            m_viewMenu->addSeparator();
            AddCommand(m_viewMenu, "level", "Level...", {}, [this] {
                if (auto* frame = ActiveFrame()) frame->View()->EditLevel();
            });
            AddCommand(m_viewMenu, "gpsformat", "GPS...", {}, [this] { GpsFormatCommand(); });
        }
    });

    QMenu* conn = menuBar()->addMenu("Co&nnection Settings");
    AddCommand(
        conn, "settings", "Serial / LAN for Quarn...", {}, [this] { ConnectionSettingsCommand(); },
        "settings");
    AddCommand(
        conn, "gps", "Serial for GPS Device...", {}, [this] { GpsCommand(); }, "gps");

    QMenu* window = menuBar()->addMenu("&Window");
    AddCommand(window, "cascade", "&Cascade", {}, [this] { m_mdi->cascadeSubWindows(); });
    AddCommand(window, "tile", "&Tile", {}, [this] { m_mdi->tileSubWindows(); });
    QAction* tb = AddCommand(window, "toolbar", "&Toolbar", {},
                             [this] { m_mainBar->setVisible(!m_mainBar->isVisible()); });
    tb->setCheckable(true);
    tb->setChecked(true);
    QAction* sb = AddCommand(window, "statusbar", "&Status Bar", {},
                             [this] { statusBar()->setVisible(!statusBar()->isVisible()); });
    sb->setCheckable(true);
    sb->setChecked(true);

    QMenu* help = menuBar()->addMenu("&Help");
    AddCommand(
        help, "about", "&About...", QKeySequence(Qt::Key_F1), [this] { AboutDialog(this).exec(); }, "about");
}

void CMainFrame::BuildToolbars() {
    m_mainBar = addToolBar("Main");
    m_mainBar->setObjectName("main");
    m_mainBar->setIconSize(QSize(20, 20));
    const char* layout[] = {"connect",
                            "settings",
                            "|",
                            "open",
                            "save",
                            "print",
                            "|",
                            "gettrace",
                            "displaytrace",
                            "livetrace",
                            "transfer",
                            "|",
                            "settingeditor",
                            "limiteditor",
                            "extdeveditor",
                            "channeleditor",
                            "cableeditor",
                            "antennaeditor",
                            "cablefactoreditor",
                            "emflimiteditor",
                            "|",
                            "screendump",
                            "gps",
                            "|",
                            "about"};
    for (const char* n : layout) {
        if (std::string(n) == "|")
            m_mainBar->addSeparator();
        else if (QAction* a = Action(n))
            m_mainBar->addAction(a);
    }
    m_smallBar = addToolBar("Instrument");
    m_smallBar->setObjectName("small");
    m_smallBar->setIconSize(QSize(16, 16));
    for (const char* n :
         {"connect", "print", "gettrace", "displaytrace", "livetrace", "transfer", "screendump"})
        if (QAction* a = Action(n)) m_smallBar->addAction(a);
}

bool CMainFrame::InstrumentCommandEnabled(const QString& name) const {
    const QAction* a = Action(name);
    return a && a->isEnabled();
}

void CMainFrame::UpdateMenuState() {
    const InstrumentMenuState m = m_channel.MenuState();
    const bool live = LiveRunning();
    auto set = [&](const char* name, bool on) {
        if (QAction* a = Action(name)) a->setEnabled(on);
    };
    if (m_bLocked) {
        for (auto& [name, action] : m_actions)
            action->setEnabled(name == "livetrace" || name == "about");
        return;
    }
    for (auto& [name, action] : m_actions)
        action->setEnabled(true);
    set("gettrace", m.getTrace && !live);
    set("displaytrace", m.displayTrace && !live);
    set("livetrace", m.liveTrace || live);
    set("transfer", m.dataTransfer || !m_channel.IsConnected());
    set("screendump", m.screenDump);
    // Without documents the document commands go.
    const bool doc = ActiveFrame() != nullptr;
    for (const char* n : {"close", "closeall", "save", "saveas", "exportimage", "exportascii", "print",
                          "printall", "preview", "copygraph", "copydata"})
        set(n, doc);
    m_viewMenu->menuAction()->setVisible(doc);
    if (QAction* c = Action("connect")) {
        const bool connected = m_channel.IsConnected();
        c->setText(connected ? "Dis&connect" : "&Connect");
        c->setIcon(MakeIcon(connected ? "disconnect" : "connect"));
    }
}

void CMainFrame::RefreshConnectionState() {
    m_pane[1]->setText(m_channel.IsConnected() ? QString::fromStdString(m_channel.PaneText())
                                               : "NOT CONNECTED    ");
    UpdateMenuState();
}

QString CMainFrame::StatusText(int pane) const {
    return m_pane[pane]->text();
}

CChildFrame* CMainFrame::ActiveFrame() const {
    auto* w = m_mdi->activeSubWindow();
    if (!w && !m_mdi->subWindowList().isEmpty()) w = m_mdi->subWindowList().last();
    return qobject_cast<CChildFrame*>(w);
}

QList<CChildFrame*> CMainFrame::Frames() const {
    QList<CChildFrame*> frames;
    for (auto* w : m_mdi->subWindowList())
        if (auto* f = qobject_cast<CChildFrame*>(w)) frames << f;
    return frames;
}

CChildFrame* CMainFrame::AddFrame(std::shared_ptr<CMyQuarnDoc> doc) {
    auto* frame = new CChildFrame(std::move(doc), s_docEnv.prefs);
    frame->confirmClose = [this](CChildFrame* f) { return ConfirmClose(f); };
    m_mdi->addSubWindow(frame);
    connect(frame->View(), &CMyQuarnView::orientationChanged, this, [this, frame] {
        if (frame->isMaximized()) return;
        const QSize c = m_mdi->size();
        if (frame->Document().m_nOrientation)
            frame->resize(c.width() * 87 / 100, c.width() * 57 / 100);
        else
            frame->resize(c.height() * 8 / 10, c.height() * 9 / 10);
    });
    connect(frame, &QObject::destroyed, this, [this] { UpdateMenuState(); });
    // A new window takes the view mode's proportions, kept inside the workspace.
    const QSize c = m_mdi->size().isEmpty() ? QSize(1200, 800) : m_mdi->size();
    QSize size = frame->Document().m_nOrientation ? QSize(c.width() * 87 / 100, c.width() * 57 / 100)
                                                  : QSize(c.height() * 8 / 10, c.height() * 9 / 10);
    frame->resize(size.boundedTo(c));
    frame->show();
    m_mdi->setActiveSubWindow(frame);
    UpdateMenuState();
    return frame;
}

bool CMainFrame::ConfirmClose(CChildFrame* f) {
    if (!f->Document().IsModified()) return true;
    const QString title = FromCp1252(f->Document().GetTitle());
    if (m_prompts.scripted) {
        // Tests answer Yes (save) or No (discard).
        return m_prompts.scripted("Save changes to " + title + "?") ? SaveCommand(false) : true;
    }
    const auto answer = QMessageBox::question(this, kTitle, "Save changes to " + title + "?",
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel) return false;
    if (answer == QMessageBox::Yes) {
        m_mdi->setActiveSubWindow(f);
        return SaveCommand(false);
    }
    return true;
}

bool CMainFrame::OpenFile(const QString& path) {
    auto doc = std::make_shared<CMyQuarnDoc>();
    const LoadResult r = doc->Load(path.toStdString());
    if (r.status == LoadStatus::UnsupportedFormat) {
        m_prompts.Message(r.message, PromptIcon::None);
        AddFrame(doc);  // the document still opens, with its constructed values
        return false;
    }
    if (!r.ok()) {
        m_prompts.Message(r.message, PromptIcon::Error);
        return false;
    }
    AddFrame(doc);
    AddRecentFile(path);
    return true;
}

void CMainFrame::OpenCommand() {
    const QStringList files = m_files->OpenFiles(this, QString::fromStdString(s_settings.folderTraces));
    for (const QString& f : files)
        OpenFile(f);
    if (!files.isEmpty()) s_settings.folderTraces = QFileInfo(files.first()).absolutePath().toStdString();
    if (auto* f = ActiveFrame()) f->View()->update();
}

bool CMainFrame::SaveCommand(bool saveAs) {
    CChildFrame* frame = ActiveFrame();
    if (!frame) return false;
    CMyQuarnDoc& doc = frame->Document();
    if (saveAs) doc.SaveAsCommand();
    const SavePlan plan = doc.PlanSave(doc.m_strPathName, s_docEnv);
    std::string error;
    bool ok;
    if (plan.askName) {
        const QString proposal =
            QString::fromStdString(plan.startFolder) + "/" + FromCp1252(plan.proposedFileName);
        QString chosen = m_files->SaveFile(this, "Save As", proposal, "Quarn Trace Files ( *.qtm ) (*.qtm)");
        if (chosen.isEmpty()) return false;
        if (!chosen.endsWith(".qtm", Qt::CaseInsensitive)) chosen += ".qtm";
        ok = doc.SaveAsChosen(chosen.toStdString(), s_docEnv, &error);
        if (ok) AddRecentFile(chosen);
    } else {
        ok = doc.WriteTo(doc.m_strPathName, &error);
    }
    if (!ok) m_prompts.Message(error, PromptIcon::Error);
    frame->UpdateTitle();
    return ok;
}

void CMainFrame::CloseAllCommand() {
    if (!m_prompts.YesNo("Are you sure you want to close all open documents?")) return;
    for (CChildFrame* f : Frames())
        if (!f->close()) break;
}

void CMainFrame::ExportAsciiCommand() {
    CChildFrame* frame = ActiveFrame();
    if (!frame) return;
    const CMyQuarnDoc& doc = frame->Document();
    const QString proposal = QString::fromStdString(s_settings.folderExport) + "/" +
                             FromCp1252(ProposeAsciiFileName(doc.m_strTraceName));
    const QString path = m_files->SaveFile(this, kAsciiSaveTitle, proposal, "Text (*.TXT *.txt)");
    if (path.isEmpty()) return;
    std::string error;
    if (!WriteAsciiReport(doc, path.toStdString(), true, &error)) m_prompts.Message(error, PromptIcon::Error);
}

void CMainFrame::ExportImageCommand() {
    CChildFrame* frame = ActiveFrame();
    if (!frame) return;
    CMyQuarnDoc& doc = frame->Document();
    // The proposal: the path without its trace extension, "active" for the active trace.
    std::string name = doc.m_strPathName.empty() ? doc.m_strTraceName : doc.m_strPathName;
    for (const char* ext : {".qtr", ".qtm", ".QTR", ".QTM"})
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ext) == 0) name.resize(name.size() - 4);
    if (name.find("active ") != std::string::npos) name = "active";
    if (doc.m_strPathName.empty() && name.find('/') != std::string::npos) name.clear();
    QString filter;
    for (const auto& row : ImageFormatTable()) {
        QString patterns = QString::fromUtf8(row.pattern).replace(';', ' ');
        filter += QString("%1 (%2);;").arg(row.description, patterns);
    }
    filter.chop(2);
    QString path = m_files->SaveFile(this, "Save image file", FromCp1252(name) + ".bmp", filter);
    if (path.isEmpty()) return;
    if (QFileInfo::exists(path) && !m_prompts.YesNo((path + " already exists\nOverwrite?").toStdString()))
        return;
    if (ImageFormatFromName(path.toStdString()) == IMG_NONE) return;  // an unknown extension writes nothing
    std::string error;
    const QSize size = frame->View()->size();
    if (!SaveImage(ToBitmap24(RenderPageImage(doc, std::max(200, size.width()), std::max(150, size.height()),
                                              CMyQuarnView::CurrentRenderOptions())),
                   path.toStdString(), &error))
        m_prompts.Message(error, PromptIcon::Error);
}

void CMainFrame::DataTransferCommand(int tab) {
    if (!m_channel.IsConnected() && m_prompts.YesNo("Not connected.\nConnect now?"))
        ConnectionSettingsCommand();
    DataTransferDialog dlg(m_channel, tab, this);
    dlg.openTrace = [this](const QString& path) { OpenFile(path); };
    dlg.exec();
    RefreshConnectionState();
}

void CMainFrame::ScreenDumpCommand() {
    if (!m_channel.MenuState().screenDump) return;
    ScreenDumpWindow window(m_channel, this);
    window.exec();
    RefreshConnectionState();
}

void CMainFrame::GpsCommand() {
    if (!m_gpsWindow) m_gpsWindow = new GpsWindow(m_gps, this);  // places itself beside this window
    m_gpsWindow->show();
    m_gpsWindow->raise();
}

void CMainFrame::GpsFormatCommand() {
    CChildFrame* frame = ActiveFrame();
    if (!frame) return;
    CMyQuarnDoc& d = frame->Document();
    GpsFormatDialog dlg(std::max(0, d.m_nGpsSel1), std::max(0, d.m_nGpsSel2), std::max(0, d.m_nGpsSel3),
                        this);
    if (dlg.exec() != QDialog::Accepted) return;
    d.m_nGpsSel1 = dlg.Position();
    d.m_nGpsSel2 = dlg.Altitude();
    d.m_nGpsSel3 = dlg.Speed();
    s_settings.gpsPositionFormat = s_docEnv.gpsPositionFormat = d.m_nGpsSel1;
    s_settings.gpsAltitudeUnit = s_docEnv.gpsAltitudeUnit = d.m_nGpsSel2;
    s_settings.gpsSpeedUnit = s_docEnv.gpsSpeedUnit = d.m_nGpsSel3;
    d.SetModifiedFlag();
    frame->UpdateTitle();
    frame->View()->update();
}

QPrinter& CMainFrame::Printer() {
    if (!m_printer) m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

bool CMainFrame::PrintDocument(QPrinter& printer, CChildFrame* frame, QPainter* painter) {
    CMyQuarnDoc& doc = frame->Document();
    printer.setPageOrientation(doc.m_nOrientation ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPainter own;
    QPainter* p = painter;
    if (!p) {
        if (!own.begin(&printer)) return false;
        p = &own;
    }
    RenderPrintPage(*p,
                    printer.pageRect(QPrinter::DevicePixel)
                        .translated(-printer.pageRect(QPrinter::DevicePixel).topLeft()),
                    doc, CMyQuarnView::CurrentRenderOptions());
    return true;
}

void CMainFrame::PrintCommand(bool allDocuments) {
    CChildFrame* active = ActiveFrame();
    if (!active) return;
    QPrinter& printer = Printer();
    printer.setFromTo(1, 1);
    QPrintDialog dlg(&printer, this);
    if (dlg.exec() != QDialog::Accepted) return;
    if (!allDocuments) {
        if (!PrintDocument(printer, active)) m_prompts.Message("Printing failed.", PromptIcon::Error);
        return;
    }
    // One dialog for every open trace window, the active one first, one page each.
    QList<CChildFrame*> frames = Frames();
    frames.removeAll(active);
    frames.prepend(active);
    QPainter painter;
    if (!painter.begin(&printer)) {
        m_prompts.Message("Printing failed.", PromptIcon::Error);
        return;
    }
    for (int i = 0; i < frames.size(); ++i) {
        if (i > 0) printer.newPage();
        PrintDocument(printer, frames[i], &painter);
    }
}

void CMainFrame::PrintPreviewCommand() {
    CChildFrame* frame = ActiveFrame();
    if (!frame) return;
    QPrintPreviewDialog preview(&Printer(), this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this, frame](QPrinter* printer) { PrintDocument(*printer, frame); });
    preview.exec();
}

void CMainFrame::CopyGraphCommand() {
    if (CChildFrame* f = ActiveFrame()) QApplication::clipboard()->setImage(f->View()->grab().toImage());
}

void CMainFrame::CopyDataCommand() {
    CChildFrame* frame = ActiveFrame();
    if (!frame) return;
    // The report with tabs goes through "~C2CBData.tmp"; its lines are joined with line feeds.
    const std::string tmp = ProgramFile(kClipboardDataFile);
    std::string error;
    if (!WriteAsciiReport(frame->Document(), tmp, false, &error)) {
        QApplication::clipboard()->clear();
        return;
    }
    std::string text;
    std::ifstream in(tmp, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        text += line + "\n";
    }
    in.close();
    std::remove(tmp.c_str());
    QApplication::clipboard()->setText(FromCp1252(text));
}

void CMainFrame::ConnectCommand() {
    m_channel.ConnectCommand();
    RefreshConnectionState();
}

void CMainFrame::ConnectionSettingsCommand() {
    ConnectDialog dlg(m_channel, ProbeComPorts(), this);
    dlg.exec();
    dlg.Logic().AfterClose();
    RefreshConnectionState();
}

void CMainFrame::NewDocument(const ParseRecord& parsed) {
    auto doc = std::make_shared<CMyQuarnDoc>();
    doc->OnNewDocument(parsed, s_docEnv);
    AddFrame(doc);
}

void CMainFrame::ReloadActive(const ParseRecord& parsed) {
    CChildFrame* f = ActiveFrame();
    if (!f) return NewDocument(parsed);
    f->Document().TakeOver(parsed, s_docEnv);
    f->Document().SetModifiedFlag();
    f->UpdateTitle();
    f->View()->update();
}

void CMainFrame::GetTraceCommand() {
    if (!m_channel.IsConnected()) {
        if (m_prompts.YesNo("Not connected.\nConnect now?")) ConnectionSettingsCommand();
        return;
    }
    m_retrieval.flags.displayMode = false;
    std::vector<std::string> names;
    if (ListSavedTraces(m_channel, names) != ListStatus::Ok) return;
    GetTraceDialog dlg(m_retrieval, names, this);
    dlg.exec();
    if (auto* f = ActiveFrame()) f->View()->update();
}

void CMainFrame::DisplayTraceCommand() {
    if (!m_channel.IsConnected()) return;
    m_retrieval.flags.displayMode = true;
    m_retrieval.DisplayActiveTrace();
    if (auto* f = ActiveFrame()) f->View()->update();
}

void CMainFrame::SetInterfaceLocked(bool locked) {
    m_bLocked = locked;
    for (QAction* a : menuBar()->actions())
        if (a->menu() != m_viewMenu)
            a->setEnabled(!locked || a->text() == "&Instrument" || a->text() == "&Help");
    UpdateMenuState();
}

void CMainFrame::SaveLiveUpdate(int number) {
    if (!m_live.save || !m_liveFrame) return;
    const std::string path = LiveSavePath(m_live.path, m_live.fileName, m_live.fileType, number);
    std::string error;
    CMyQuarnDoc& doc = m_liveFrame->Document();
    bool ok = true;
    if (m_live.fileType == 0)
        ok = doc.WriteTo(path, &error);
    else if (m_live.fileType == 1)
        ok = WriteAsciiReport(doc, path, true, &error);
    else  // the page as the view shows it, in the chosen image format
        ok = SaveImage(ToBitmap24(RenderPageImage(doc, std::max(200, m_liveFrame->View()->width()),
                                                  std::max(150, m_liveFrame->View()->height()),
                                                  CMyQuarnView::CurrentRenderOptions())),
                       path, &error);
    if (!ok) m_pane[0]->setText(QString::fromStdString(error));
}

void CMainFrame::ApplyLiveUpdate(const LiveUpdate& u) {
    if (!m_liveFrame) return;
    CMyQuarnDoc& d = m_liveFrame->Document();
    d.m_arrTraceA = u.traceA;
    if (!u.traceB.empty()) d.m_arrTraceB = u.traceB;
    switch (u.result) {
        case LiveUpdate::Result::Counter:
            d.m_dCounterFreq = u.counterFreq;
            break;
        case LiveUpdate::Result::Measure:
            if (u.obwValid) d.m_dResultObw = u.obw;
            if (u.acprValid) {
                d.m_dResultAcprLower = u.acprLower;
                d.m_dResultAcprMain = u.acprMain;
                d.m_dResultAcprUpper = u.acprUpper;
            }
            if (u.cpowerValid) d.m_dResultCpower = u.cpower;
            break;
        case LiveUpdate::Result::CableLoss:
            d.m_dResultCableLoss = u.cableLoss;
            break;
        case LiveUpdate::Result::LimitResult:
            d.m_strTraceDataLimit = u.limitResult;
            break;
        case LiveUpdate::Result::Emf:
            d.m_dResultEmf = u.emf;
            break;
        case LiveUpdate::Result::None:
            break;
    }
    {
        std::lock_guard lock(m_liveMutex);
        m_liveView = {d.m_arrTraceA, d.m_arrTraceB, d.m_bShowTraceB != 0, d.m_nTraceModeB};
    }
    m_liveFrame->View()->update();  // repaints coalesce to the display rate
    SaveLiveUpdate(u.number);
}

void CMainFrame::LiveTraceCommand() {
    if (m_retrieval.flags.liveRunning || LiveRunning()) {
        StopLiveTrace();
        return;
    }
    if (!m_channel.IsConnected()) return;
    LiveTraceDialog dlg(m_live, this);
    if (dlg.exec() != QDialog::Accepted) {
        m_retrieval.flags.liveRunning = false;
        return;
    }
    StartLiveTrace(dlg.Settings());
}

bool CMainFrame::StartLiveTrace(const LiveSettings& settings) {
    m_live = settings;
    if (m_live.save) s_settings.folderExport = m_live.path;
    m_retrieval.flags.liveRunning = true;
    m_retrieval.flags.displayMode = true;
    m_retrieval.flags.newWindow = m_live.newWindow || ActiveFrame() == nullptr;
    const bool ok = m_retrieval.DisplayActiveTrace();
    m_retrieval.flags.newWindow = true;
    if (!ok || !ActiveFrame()) {
        StopLiveTrace();
        return false;
    }
    m_liveFrame = ActiveFrame();
    SaveLiveUpdate(1);
    if (m_live.counted && m_live.count <= 1) return true;
    SetInterfaceLocked(true);
    {
        CMyQuarnDoc& d = m_liveFrame->Document();
        std::lock_guard lock(m_liveMutex);
        m_liveView = {d.m_arrTraceA, d.m_arrTraceB, d.m_bShowTraceB != 0, d.m_nTraceModeB};
    }
    m_liveWorker = std::make_unique<LiveTraceWorker>(m_channel, m_retrieval.flags.measurement);
    m_liveWorker->Start(
        m_live,
        [this] {
            std::lock_guard lock(m_liveMutex);
            return m_liveView;
        },
        [this](const LiveUpdate& u) {
            QMetaObject::invokeMethod(
                this, [this, u] { ApplyLiveUpdate(u); }, Qt::QueuedConnection);
        },
        [this] {
            QMetaObject::invokeMethod(
                this, [this] { SetInterfaceLocked(false); }, Qt::QueuedConnection);
        });
    return true;
}

void CMainFrame::StopLiveTrace() {
    if (m_liveWorker) m_liveWorker->Stop();
    m_liveWorker.reset();
    m_retrieval.flags.liveRunning = false;
    SetInterfaceLocked(false);
}

bool CMainFrame::StartDemo() {
    try {
        m_demo = std::make_unique<sim::SimServer>(sim::SimOptions{});
        const int port = m_demo->ListenTcp("127.0.0.1", 0);
        m_demo->Start();
        s_settings.linkKind = 1;
        s_settings.ipAddress = "127.0.0.1";
        s_settings.tcpPort = port;
    } catch (const std::exception& e) {
        m_prompts.Message(std::string("The demo instrument could not start: ") + e.what(), PromptIcon::Error);
        return false;
    }
    const bool ok = m_channel.ConnectInstrument(1);
    RefreshConnectionState();
    if (ok) m_pane[0]->setText("Demo: connected to a simulated Quarn2 on this computer");
    return ok;
}

void CMainFrame::WelcomeCommand() {
    WelcomeDialog dlg(s_settings.comPort, QString::fromStdString(s_settings.ipAddress), s_settings.linkKind,
                      this);
    if (dlg.exec() != QDialog::Accepted) return;
    if (dlg.SelectedChoice() != WelcomeDialog::OpenTrace) dlg.ShowTrying(dlg.SelectedChoice());
    WelcomeChoice(dlg.SelectedChoice());
}

void CMainFrame::WelcomeChoice(int choice) {
    if (choice == WelcomeDialog::OpenTrace) {
        OpenCommand();
        return;
    }
    const bool ok = m_channel.ConnectInstrument(choice == WelcomeDialog::Lan ? 1 : 0);
    if (ok) {
        s_settings.profileName = "default";
        WriteProfile(s_settings);
    } else if (!m_prompts.scripted) {
        ConnectionSettingsCommand();
    }
    RefreshConnectionState();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* e) {
    for (const QUrl& url : e->mimeData()->urls())
        if (url.isLocalFile()) StartUp(url.toLocalFile(), false, false);
    e->acceptProposedAction();
}

void CMainFrame::StartUp(const QString& file, bool demo, bool welcome) {
    if (!file.isEmpty()) {
        const QString ext = QFileInfo(file).suffix().toUpper();
        static const QStringList editorExts = {"QLM", "QSY", "QED", "QCT", "QAF", "QCF"};
        if (editorExts.contains(ext))
            NotYet("The editor for ." + ext.toLower() + " files");
        else
            OpenFile(file);
    } else if (demo) {
        StartDemo();
    } else if (welcome) {
        WelcomeCommand();
    }
    RefreshConnectionState();
}

void CMainFrame::AddRecentFile(const QString& path) {
    QSettings s("Zarnell", "Fieldlink");
    QStringList files = s.value("Recent File List").toStringList();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > 4)
        files.removeLast();
    s.setValue("Recent File List", files);
    FillRecentFiles();
}

void CMainFrame::FillRecentFiles() {
    m_recentMenu->clear();
    QSettings s("Zarnell", "Fieldlink");
    int n = 1;
    for (const QString& f : s.value("Recent File List").toStringList()) {
        QAction* a = m_recentMenu->addAction(QString("&%1 %2").arg(n++).arg(f));
        connect(a, &QAction::triggered, this, [this, f] { OpenFile(f); });
    }
    m_recentMenu->setEnabled(!m_recentMenu->isEmpty());
}

void CMainFrame::SyncPreferencesToProfile() {
    const DisplayPreferences& p = s_docEnv.prefs;
    s_settings.showMarkersA = p.showMarkersA;
    s_settings.showMarkersB = p.showMarkersB;
    s_settings.showLevel = p.showLevelPanel;
    s_settings.showStatus = p.showStatusPanel;
    s_settings.showTrace = p.showTracePanel;
    s_settings.showInstrument = p.showInstrumentPanel;
    s_settings.viewMode = p.orientation;
    s_settings.showGrid = p.showGrid;
    s_settings.showExtDev = p.showEdevPanel;
    s_settings.showGps = p.showGpsPanel;
}

void CMainFrame::closeEvent(QCloseEvent* e) {
    for (CChildFrame* f : Frames())
        if (!ConfirmClose(f)) {
            e->ignore();
            return;
        }
    for (CChildFrame* f : Frames())
        f->confirmClose = {};
    // The orderly end: local mode and the port, the default profile, then the workers.
    if (m_channel.IsConnected()) {
        m_channel.SendOnly("SYST:COMM:LOC");
        m_channel.ClosePort();
    }
    SyncPreferencesToProfile();
    s_settings.profileName = "default";
    WriteProfile(s_settings);
    if (m_liveWorker) m_liveWorker->Stop();
    m_liveWorker.reset();
    m_gps.Stop();
    if (m_demo) m_demo->Stop();
    e->accept();
}

}  // namespace fl
