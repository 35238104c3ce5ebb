#include "CMainFrame.h"

#include "EmfLimitEditor.h"
#include "FactorEditor.h"
#include "FormEditors.h"
#include "LimitEditor.h"
#include "MarkerDescriptionDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include "AboutDialog.h"
#include "AdditionalInfoDialog.h"
#include "ConnectionSettings.h"
#include "GpsFormatDialog.h"
#include "Icons.h"
#include "LevelDialog.h"
#include "LockKeys.h"
#include "PageCanvas.h"
#include "PanelText.h"
#include "WelcomeDialog.h"

namespace fl {

namespace {
constexpr const char* kTitle = "Quarn Fieldlink Software";
constexpr const char* kDemoPane =
    "Demo: a simulated Quarn2 on this computer, no real instrument. Sample files: ";
}  // namespace

CMainFrame::CMainFrame() {
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

    m_instrument = std::make_unique<Instrument>(this, *this);
    m_documents = std::make_unique<DocumentCommands>(*this, m_instrument->Prompts());
    m_survey = std::make_unique<SurveyCommands>(*this, *m_documents, m_instrument->Prompts());
    m_instrumentUi = std::make_unique<InstrumentCommands>(*m_instrument, *this, *m_documents);
    m_live = std::make_unique<LiveSession>(*m_instrument, *this);
    m_instrument->Prompts().statusSink = [this](int pane, const QString& text) {
        if (pane >= 0 && pane < 5) m_pane[pane]->setText(text);
    };
    connect(m_instrument.get(), &Instrument::stateChanged, this, &CMainFrame::RefreshState);
    connect(m_live.get(), &LiveSession::runningChanged, this, &CMainFrame::RefreshState);
    CopyPreferencesFromProfile();

    m_commands = new CommandTable(this, MainCommands(*this));
    BuildMenus();
    BuildToolbars();
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &CMainFrame::RefreshState);

    // Restored size: 20/21 of the screen width and 10/11 of its height, centred.
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect g = s->availableGeometry();
        resize(g.width() * 20 / 21, g.height() * 10 / 11);
        move(g.center() - rect().center());
    }
    RefreshState();
}

CMainFrame::~CMainFrame() {
    // The GPS window reads the receiver, which goes with the instrument.
    m_instrumentUi->CloseGpsWindow();
    if (s_docEnv.gps == &m_instrument->Gps()) s_docEnv.gps = nullptr;
    // The trace windows go with the workspace; nothing of this window may react to that any more.
    m_bClosing = true;
    m_mdi->disconnect(this);
    for (CChildFrame* f : m_mdi->findChildren<CChildFrame*>()) {  // closed ones waiting for deletion too
        f->disconnect(this);
        f->View()->disconnect(this);
        f->confirmClose = {};
    }
    m_live->disconnect(this);
    m_instrument->disconnect(this);
    m_instrument->StopLiveWorker();
}

void CMainFrame::CopyPreferencesFromProfile() {
    ViewDefaultsFromProfile(s_settings, s_docEnv);
    s_docEnv.modifiedTraceFolder = s_settings.folderTraces;
    // Traces taken over while the receiver runs carry its position.
    s_docEnv.gps = &m_instrument->Gps();
    s_docEnv.useGps = true;
}

void CMainFrame::SyncPreferencesToProfile() {
    ViewDefaultsToProfile(s_docEnv, s_settings);
}

void CMainFrame::UpdateLockPanes() {
    const LockKey keys[3] = {LockKey::Caps, LockKey::Num, LockKey::Scroll};
    for (int i = 0; i < 3; ++i) {
        const bool on = ReadLockKey(keys[i], m_ledsDir).value_or(false);
        const QString text = FromUtf8(LockPaneText(keys[i], on));
        if (m_pane[i + 2]->text() != text) m_pane[i + 2]->setText(text);
    }
}

void CMainFrame::BuildMenus() {
    for (const MenuLayout& m : MainMenuLayout()) {
        QMenu* menu = menuBar()->addMenu(m.title);
        m_menus.push_back(menu);
        const auto lists = m_commands->Fill(menu, m.entries);
        // Every menu shows the state of the moment it opens.
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::RefreshState);
        if (auto it = lists.find("@recent"); it != lists.end()) m_documents->SetRecentMenu(it->second);
        if (lists.count("@windows")) {
            m_windowMenu = menu;
            connect(menu, &QMenu::aboutToShow, this, &CMainFrame::FillWindowList);
        }
    }
}

void CMainFrame::BuildToolbars() {
    m_mainBar = addToolBar("Main");
    m_mainBar->setObjectName("main");
    m_mainBar->setIconSize(QSize(20, 20));
    m_commands->Fill(m_mainBar, MainToolbarLayout());
    m_smallBar = addToolBar("Instrument");
    m_smallBar->setObjectName("small");
    m_smallBar->setIconSize(QSize(16, 16));
    m_commands->Fill(m_smallBar, SmallToolbarLayout());
}

QMenu* CMainFrame::Menu(const QString& title) const {
    for (QMenu* m : m_menus)
        if (QString(m->title()).remove('&') == QString(title).remove('&')) return m;
    return nullptr;
}

void CMainFrame::FillWindowList() {
    for (QAction* a : m_windowList) {
        m_windowMenu->removeAction(a);
        delete a;
    }
    m_windowList.clear();
    const QList<CChildFrame*> frames = Frames();
    if (frames.isEmpty()) return;
    m_windowList << m_windowMenu->addSeparator();
    CChildFrame* active = ActiveFrame();
    int n = 1;
    for (CChildFrame* f : frames) {
        QAction* a = m_windowMenu->addAction(QString("&%1 %2").arg(n++).arg(f->windowTitle()));
        a->setCheckable(true);
        a->setChecked(f == active);
        connect(a, &QAction::triggered, this, [this, f] { Activate(f); });
        m_windowList << a;
    }
}

CommandState CMainFrame::State() const {
    CommandState s;
    s.connected = m_instrument->IsConnected();
    s.screenDump = m_instrument->MenuState().screenDump;
    s.live = m_live->Running();
    s.busy = m_instrument->Session().Busy();
    CChildFrame* f = ActiveFrame();
    s.document = f ? &f->Document() : nullptr;
    return s;
}

void CMainFrame::RefreshState() {
    if (m_bClosing) return;
    QString pane = m_instrument->PaneText();
    if (m_instrument->IsDemo() && m_instrument->IsConnected()) pane += "  (simulated)";
    m_pane[1]->setText(pane);
    const CommandState s = State();
    m_commands->Refresh(s);
    // While Live Trace runs every menu but View, Instrument (its Live Trace stops it) and Help is greyed.
    for (QMenu* m : m_menus) {
        const QString t = QString(m->title()).remove('&');
        m->menuAction()->setEnabled(!s.live || t == "View" || t == "Instrument" || t == "Help");
    }
    // The menu without documents has no View menu.
    if (QMenu* view = Menu("View")) view->menuAction()->setVisible(s.document != nullptr);
}

QString CMainFrame::StatusText(int pane) const {
    return m_pane[pane]->text();
}

CChildFrame* CMainFrame::ActiveFrame() const {
    // The current window stays current while another application has the focus.
    auto* w = m_mdi->currentSubWindow();
    if (!w && !m_mdi->subWindowList().isEmpty()) w = m_mdi->subWindowList().last();
    return qobject_cast<CChildFrame*>(w);
}

QList<CChildFrame*> CMainFrame::Frames() const {
    QList<CChildFrame*> frames;
    for (auto* w : m_mdi->subWindowList())
        if (auto* f = qobject_cast<CChildFrame*>(w)) frames << f;
    return frames;
}

void CMainFrame::Activate(CChildFrame* frame) {
    m_mdi->setActiveSubWindow(frame);
    RefreshState();
}

void CMainFrame::PlaceInside(CChildFrame* frame) {
    const QSize area = m_mdi->viewport()->size().isEmpty() ? m_mdi->size() : m_mdi->viewport()->size();
    if (area.isEmpty()) return;
    frame->resize(frame->size().boundedTo(area));
    const QRect visible(QPoint(0, 0), area);
    if (visible.contains(frame->geometry())) return;
    // Cascade from the top-left corner, starting again once the next step would leave the area.
    const int step = 24;
    const int n = static_cast<int>(Frames().size()) - 1;
    const int room = std::max(
        1, std::min((area.width() - frame->width()) / step, (area.height() - frame->height()) / step) + 1);
    const int k = n % room;
    frame->move(k * step, k * step);
}

QSize CMainFrame::ViewModeSize(CChildFrame* frame) const {
    const QSize c = m_mdi->size();
    return frame->Document().m_nOrientation ? QSize(c.width() * 87 / 100, c.width() * 57 / 100)
                                            : QSize(c.height() * 8 / 10, c.height() * 9 / 10);
}

void CMainFrame::CascadeWindows() {
    // Qt's own cascade shrinks every window to a sliver; each keeps its view mode's size here, as large
    // as the stack leaves room for, one title bar further down and right than the one before.
    const QSize area = m_mdi->viewport()->size().isEmpty() ? m_mdi->size() : m_mdi->viewport()->size();
    const int step = 28;
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : m_mdi->subWindowList(QMdiArea::CreationOrder))
        if (w->isVisible() && !w->isMinimized()) windows << w;
    const int n = static_cast<int>(windows.size());
    const QSize room(std::max(200, area.width() - step * (n - 1)),
                     std::max(150, area.height() - step * (n - 1)));
    for (int k = 0; k < n; ++k) {
        QMdiSubWindow* w = windows[k];
        if (w->isMaximized()) w->showNormal();
        auto* frame = qobject_cast<CChildFrame*>(w);
        const QSize wanted = frame ? ViewModeSize(frame) : w->size();
        w->setGeometry(QRect(QPoint(k * step, k * step), wanted.boundedTo(room)));
        w->raise();
    }
    if (!windows.isEmpty()) m_mdi->setActiveSubWindow(windows.last());
}

CChildFrame* CMainFrame::AddFrame(std::shared_ptr<CMyQuarnDoc> doc) {
    auto* frame = new CChildFrame(std::move(doc), s_docEnv.prefs);
    frame->confirmClose = [this](CChildFrame* f) { return ConfirmClose(f); };
    m_mdi->addSubWindow(frame);
    CMyQuarnView* view = frame->View();
    connect(view, &CMyQuarnView::orientationChanged, this, [this, frame] {
        if (frame->isMaximized()) return;
        frame->resize(ViewModeSize(frame));
        PlaceInside(frame);
    });
    connect(view, &CMyQuarnView::documentChanged, this,
            [this, frame] { RepaintDocument(frame->Document()); });
    connect(view, &CMyQuarnView::contextMenuRequested, this, [this, frame](const QPoint& pos) {
        if (auto menu = ContextMenu(frame)) menu->exec(pos);
    });
    connect(view, &CMyQuarnView::selectMarkersRequested, this, [this, frame] {
        Activate(frame);
        SelectMarkers();
    });
    connect(view, &CMyQuarnView::markerDescriptionRequested, this, [this, view] {
        DescribeMarkers(view, view->Markers().active, view->Document().m_nFrontTrace == 1 ? 'B' : 'A');
    });
    connect(view, &CMyQuarnView::pointerReadout, this, [this](const QString& text) {
        if (text.isEmpty())
            statusBar()->clearMessage();
        else
            statusBar()->showMessage(text);
    });
    connect(frame, &QObject::destroyed, this, [this] { RefreshState(); });
    // A new window takes the view mode's proportions, inside the visible part of the workspace.
    const QSize c = m_mdi->size().isEmpty() ? QSize(1200, 800) : m_mdi->size();
    const QSize size = frame->Document().m_nOrientation ? QSize(c.width() * 87 / 100, c.width() * 57 / 100)
                                                        : QSize(c.height() * 8 / 10, c.height() * 9 / 10);
    frame->resize(size.boundedTo(c));
    frame->show();
    PlaceInside(frame);
    Activate(frame);
    return frame;
}

std::unique_ptr<QMenu> CMainFrame::ContextMenu(CChildFrame* frame) {
    Activate(frame);
    auto menu = std::make_unique<QMenu>(frame->View());
    m_commands->Fill(menu.get(), ContextMenuLayout());
    return menu;
}

void CMainFrame::RepaintDocument(const CMyQuarnDoc& doc) {
    for (CChildFrame* f : Frames())
        if (&f->Document() == &doc) {
            f->UpdateTitle();
            f->View()->update();
        }
    RefreshState();
}

bool CMainFrame::ConfirmClose(CChildFrame* f) {
    // The live document's window: polling never goes on without it.
    if (f == m_live->Frame() && m_live->Running()) m_live->Stop();
    return m_documents->ConfirmClose(f);
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
    RepaintDocument(f->Document());
}

void CMainFrame::CloseActive() {
    if (CChildFrame* f = ActiveFrame()) f->close();
}

void CMainFrame::RunViewCommand(ViewCommand c) {
    if (CChildFrame* f = ActiveFrame()) f->View()->RunViewCommand(c);
}

void CMainFrame::EditLevel() {
    CChildFrame* f = ActiveFrame();
    if (!f) return;
    CMyQuarnView* v = f->View();
    LevelDialog dlg(
        f->Document(), ModeDisplayName(f->Document().m_strMode), [v] { v->update(); }, this);
    if (m_instrument->Prompts().Exec(dlg) == QDialog::Accepted) RepaintDocument(f->Document());
}

void CMainFrame::SelectMarkers() {
    CChildFrame* f = ActiveFrame();
    if (!f) return;
    CMyQuarnView* view = f->View();
    if (m_markerDialog && m_markerDialog->View() == view) {
        m_markerDialog->ShowTrace(f->Document().m_nFrontTrace == 1 ? 'B' : 'A');
        m_markerDialog->Refresh();
        m_markerDialog->raise();
        m_markerDialog->activateWindow();
        return;
    }
    if (m_markerDialog) m_markerDialog->accept();  // the other window's edits stay
    m_markerDialog = new SelectMarkersDialog(view, this);
    connect(m_markerDialog, &SelectMarkersDialog::descriptionRequested, this,
            [this, view](char trace, int n) { DescribeMarkers(view, n, trace); });
    m_markerDialog->show();
}

EditorServices CMainFrame::EditorServicesFor(std::string* folder) {
    EditorServices s;
    s.openFile = [this](const QString& title, const QString& dir, const QString& filter) {
        return m_documents->Files().OpenFile(this, title, dir, filter);
    };
    s.saveFile = [this](const QString& title, const QString& proposal, const QString& filter) {
        return m_documents->Files().SaveFileReplacing(this, title, proposal, filter);
    };
    s.message = [this](const QString& text, bool error) {
        m_instrument->Prompts().Message(ToCp1252(text), error ? PromptIcon::Error : PromptIcon::Information);
    };
    s.question = [this](const QString& text) { return m_instrument->Prompts().YesNo(ToCp1252(text)); };
    s.exec = [this](QDialog& d) { return m_instrument->Prompts().Exec(d); };
    s.dataTransfer = [this](int tab, const QString& question) {
        // The editors hand their file over only to a connected instrument.
        if (!m_instrument->IsConnected()) {
            if (!m_instrument->Prompts().YesNo(ToCp1252(question))) return;
            m_instrument->RunConnectDialog();
            if (!m_instrument->IsConnected()) return;
        }
        m_instrumentUi->DataTransfer(tab);
    };
    s.openExternally = [this](const QString& path) {
        if (openExternally)
            openExternally(path);
        else
            QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    s.folderChanged = [this, folder](const QString& f) {
        *folder = ToUtf8(f);
        m_instrument->WriteDefaultProfile();  // the editor folders are lines of the profile
    };
    return s;
}

void CMainFrame::OpenLimitEditor(const QString& file, bool transferAllowed) {
    QString folder = FromUtf8(s_settings.folderLimits);
    LimitEditor editor(EditorServicesFor(&s_settings.folderLimits), file, transferAllowed, &folder, this);
    m_instrument->Prompts().Exec(editor);
}

void CMainFrame::OpenEmfLimitEditor(const QString& file, bool transferAllowed) {
    QString folder = FromUtf8(s_settings.folderLimits);
    EmfLimitEditor editor(EditorServicesFor(&s_settings.folderLimits), file, transferAllowed, &folder, this);
    m_instrument->Prompts().Exec(editor);
}

void CMainFrame::OpenChannelSystemEditor(const QString& file, bool transferAllowed) {
    QString folder = FromUtf8(s_settings.folderSystems);
    ChannelSystemEditor editor(EditorServicesFor(&s_settings.folderSystems), file, transferAllowed, &folder,
                               this);
    m_instrument->Prompts().Exec(editor);
}

void CMainFrame::OpenCableTypeEditor(const QString& file, bool transferAllowed) {
    QString folder = FromUtf8(s_settings.folderCableTypes);
    CableTypeEditor editor(EditorServicesFor(&s_settings.folderCableTypes), file, transferAllowed, &folder,
                           this);
    m_instrument->Prompts().Exec(editor);
}

void CMainFrame::OpenFactorEditor(FactorMode mode, const QString& file, bool transferAllowed) {
    std::string& folderSetting = mode == FactorMode::Antenna ? s_settings.folderAntennaFactors
                                 : mode == FactorMode::Cable ? s_settings.folderCableFactors
                                                             : s_settings.folderExtDev;
    QString folder = FromUtf8(folderSetting);
    FactorEditor editor(mode, EditorServicesFor(&folderSetting), file, transferAllowed, &folder, this);
    m_instrument->Prompts().Exec(editor);
}

void CMainFrame::OpenSettingsChooser() {
    QString folder = FromUtf8(s_settings.folderSettings);
    SettingsChooser chooser(EditorServicesFor(&s_settings.folderSettings), &folder, this);
    m_instrument->Prompts().Exec(chooser);
}

bool CMainFrame::OpenEditorFile(const QString& path) {
    const QString ext = QFileInfo(path).suffix().toUpper();
    if (ext == "QLM") {
        OpenLimitEditor(path, true);
        return true;
    }
    if (ext == "QEL") {
        OpenEmfLimitEditor(path, true);
        return true;
    }
    if (ext == "QSY") {
        OpenChannelSystemEditor(path, true);
        return true;
    }
    if (ext == "QCT") {
        OpenCableTypeEditor(path, true);
        return true;
    }
    for (auto [e, mode] : {std::pair{"QAF", FactorMode::Antenna}, std::pair{"QCF", FactorMode::Cable},
                           std::pair{"QED", FactorMode::ExternalDevice}})
        if (ext == e) {
            OpenFactorEditor(mode, path, true);
            return true;
        }
    return false;
}

void CMainFrame::CloseMarkerWindow() {
    if (m_markerDialog) m_markerDialog->close();
}

void CMainFrame::DescribeMarkers(CMyQuarnView* view, int focus, char trace) {
    if (!view) return;
    CMyQuarnDoc& d = view->Document();
    const bool b = trace == 'B';
    MarkerDescriptionDialog dlg(b ? d.m_arrMarkerTextB : d.m_arrMarkerTextA,
                                b ? d.m_arrMarkerFlagB : d.m_arrMarkerFlagA,
                                RecentDescriptions(s_settings.markerDescriptions), focus, this);
    if (m_instrument->Prompts().Exec(dlg) != QDialog::Accepted) return;
    (b ? d.m_arrMarkerTextB : d.m_arrMarkerTextA) = dlg.Texts();
    (b ? d.m_arrMarkerFlagB : d.m_arrMarkerFlagA) = dlg.Flags();
    s_settings.markerDescriptions = RecentDescriptionsText(dlg.Recent());
    m_instrument->WriteDefaultProfile();  // the recent descriptions are the profile's line 31
    view->MarkersChanged();
    if (m_markerDialog) m_markerDialog->Refresh();
}

void CMainFrame::EditComment() {
    CChildFrame* f = ActiveFrame();
    if (!f) return;
    CMyQuarnDoc& d = f->Document();
    QInputDialog dlg(this);
    dlg.setWindowTitle("Comment");
    dlg.setLabelText("Comment:");
    dlg.setTextValue(FromCp1252(d.m_strComment));
    if (m_instrument->Prompts().Exec(dlg) != QDialog::Accepted) return;
    const std::string value = ToCp1252(dlg.textValue());  // "€" is 0x80, not "?"
    if (value == d.m_strComment) return;                  // unchanged text leaves the document unmodified
    d.m_strComment = value;
    d.SetModifiedFlag();
    RepaintDocument(d);
}

void CMainFrame::GpsFormat() {
    CChildFrame* frame = ActiveFrame();
    if (!frame) return;
    CMyQuarnDoc& d = frame->Document();
    GpsFormatDialog dlg(std::max(0, d.m_nGpsSel1), std::max(0, d.m_nGpsSel2), std::max(0, d.m_nGpsSel3),
                        this);
    if (m_instrument->Prompts().Exec(dlg) != QDialog::Accepted) return;
    d.m_nGpsSel1 = dlg.Position();
    d.m_nGpsSel2 = dlg.Altitude();
    d.m_nGpsSel3 = dlg.Speed();
    s_settings.gpsPositionFormat = s_docEnv.gpsPositionFormat = d.m_nGpsSel1;
    s_settings.gpsAltitudeUnit = s_docEnv.gpsAltitudeUnit = d.m_nGpsSel2;
    s_settings.gpsSpeedUnit = s_docEnv.gpsSpeedUnit = d.m_nGpsSel3;
    d.SetModifiedFlag();
    RepaintDocument(d);
}

void CMainFrame::AdditionalInformation() {
    AdditionalInfoDialog dlg(this);
    if (m_instrument->Prompts().Exec(dlg) == QDialog::Accepted)
        if (auto* f = ActiveFrame()) f->View()->update();
}

void CMainFrame::About() {
    AboutDialog dlg(this);
    m_instrument->Prompts().Exec(dlg);
}

void CMainFrame::NewWindow() {
    if (CChildFrame* f = ActiveFrame()) AddFrame(f->View()->SharedDocument());
}

void CMainFrame::ArrangeIcons() {
    // Minimised windows line up along the bottom of the workspace, left to right.
    const QSize area = m_mdi->viewport()->size();
    int x = 0, y = area.height();
    for (CChildFrame* f : Frames()) {
        if (!f->isMinimized()) continue;
        if (x + f->width() > area.width() && x > 0) {
            x = 0;
            y -= f->height();
        }
        f->move(x, y - f->height());
        x += f->width();
    }
}

void CMainFrame::ToggleToolbar() {
    const bool show = !m_mainBar->isVisible();
    m_mainBar->setVisible(show);
    m_smallBar->setVisible(show);
    Action("toolbar")->setChecked(show);
}

void CMainFrame::ToggleStatusBar() {
    const bool show = !statusBar()->isVisible();
    statusBar()->setVisible(show);
    Action("statusbar")->setChecked(show);
}

void CMainFrame::OpenMenuBar() {
    for (QAction* m : menuBar()->actions())
        if (m->isVisible() && m->isEnabled()) {
            menuBar()->setActiveAction(m);
            return;
        }
}

void CMainFrame::WelcomeCommand() {
    WelcomeDialog dlg(s_settings.comPort, FromUtf8(s_settings.ipAddress), s_settings.linkKind, this);
    bool tried = false;
    dlg.tryConnect = [this, &tried](WelcomeDialog::Choice c) {
        tried = true;
        m_instrument->ConnectBy(c == WelcomeDialog::Lan ? 1 : 0);
    };
    if (m_instrument->Prompts().Exec(dlg) != QDialog::Accepted) return;
    if (dlg.SelectedChoice() == WelcomeDialog::OpenTrace) {
        m_documents->Open();
        return;
    }
    if (!tried) m_instrument->ConnectBy(dlg.SelectedChoice() == WelcomeDialog::Lan ? 1 : 0);
    // Not connected: the Connect dialog; connecting there makes its values the default profile.
    if (!m_instrument->IsConnected()) m_instrument->RunConnectDialog();
    RefreshState();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* e) {
    for (const QUrl& url : e->mimeData()->urls())
        if (url.isLocalFile()) StartUp(url.toLocalFile(), false, false);
    e->acceptProposedAction();
}

QString CMainFrame::SamplesFolder() {
    // The installed share folder beside the program's bin folder, the system's, then the source tree's.
    const QString bin = QCoreApplication::applicationDirPath();
    for (const QString& dir : {bin + "/../share/fieldlink/samples", QString("/usr/share/fieldlink/samples"),
                               QString(FIELDLINK_SOURCE_SAMPLES)})
        if (QFileInfo(dir + "/SPECTRUM.qtr").exists()) return QDir::cleanPath(dir);
    return {};
}

void CMainFrame::OpenSample() {
    const QString folder = SamplesFolder();
    if (folder.isEmpty()) {
        m_instrument->Prompts().Message(
            "No sample files were found (they come with the package, in "
            "/usr/share/fieldlink/samples).",
            PromptIcon::Information);
        return;
    }
    const QString file =
        m_documents->Files().OpenFile(this, "Open Sample", folder,
                                      "Quarn files (*.qtr *.qtm *.qlm *.qel *.qsy *.qct *.qaf *.qcf *.qed "
                                      "*.QTR *.QTM *.QLM *.QEL *.QSY *.QCT "
                                      "*.QAF *.QCF *.QED)");
    if (!file.isEmpty()) OpenFromCommandLine({file});
}

void CMainFrame::OpenFromCommandLine(const QStringList& files) {
    // Every file named, in order: traces as windows, editor files in their editors.
    for (const QString& f : files)
        StartUp(f, false, false);
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}

void CMainFrame::StartUp(const QString& file, bool demo, bool welcome) {
    if (!file.isEmpty()) {
        const QString ext = QFileInfo(file).suffix().toUpper();
        if (ext == "QLM")
            OpenLimitEditor(file, false);
        else if (ext == "QEL")  // no start-up kind of its own; its editor is what a user expects
            OpenEmfLimitEditor(file, false);
        else if (ext == "QSY")
            OpenChannelSystemEditor(file, false);
        else if (ext == "QCT")
            OpenCableTypeEditor(file, false);
        else if (ext == "QAF")
            OpenFactorEditor(FactorMode::Antenna, file, false);
        else if (ext == "QCF")
            OpenFactorEditor(FactorMode::Cable, file, false);
        else if (ext == "QED")
            OpenFactorEditor(FactorMode::ExternalDevice, file, false);
        else
            m_documents->OpenFile(file);
    } else if (demo) {
        // A newcomer sees real traces at once: two fetched from the simulated instrument.
        if (m_instrument->StartDemo()) {
            m_instrument->Retrieval().flags.displayMode = false;
            m_instrument->UploadTraces({"CPOWER", "SPECTRUM"});
            const QString samples = SamplesFolder();
            m_pane[0]->setText(kDemoPane + (samples.isEmpty() ? QString() : samples + " ") +
                               "(File > Open Sample...)");
        }
    } else if (welcome) {
        WelcomeCommand();
    }
    RefreshState();
}

void CMainFrame::closeEvent(QCloseEvent* e) {
    // A running instrument job ends first (within a fraction of a second); the close goes on after it.
    if (m_instrument->Session().Busy()) {
        m_instrument->Session().Cancel();
        if (!m_bCloseAfterJob) {
            m_bCloseAfterJob = true;
            connect(
                &m_instrument->Session(), &InstrumentSession::busyChanged, this,
                [this] {
                    if (m_bCloseAfterJob && !m_instrument->Session().Busy())
                        QTimer::singleShot(0, this, &QWidget::close);
                },
                Qt::QueuedConnection);
        }
        e->ignore();
        return;
    }
    m_bCloseAfterJob = false;
    // A running live trace stops before anything else, so its window can be asked about like any other.
    if (m_live->Running()) m_live->Stop();
    if (!m_documents->ConfirmCloseAll(Frames())) {
        e->ignore();
        return;
    }
    for (CChildFrame* f : Frames())
        f->confirmClose = {};
    m_bClosing = true;
    m_instrumentUi->CloseGpsWindow();
    SyncPreferencesToProfile();
    m_instrument->Shutdown();
    e->accept();
}

}  // namespace fl
