#include "Commands.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>

#include "CChildFrame.h"
#include "CMainFrame.h"
#include "Icons.h"

namespace fl {

bool RuleAllows(Rule rule, const CommandState& s) {
    switch (rule) {
        case Rule::Anytime:
            return true;
        case Rule::Idle:
            return !s.live;
        case Rule::Document:
            return !s.live && s.document;
        case Rule::ViewDocument:
            return s.document != nullptr;
        case Rule::Connected:
            return !s.live && !s.busy && s.connected;
        case Rule::Link:
            return !s.live && !s.busy;
        case Rule::ScreenDump:
            return !s.live && !s.busy && s.connected && s.screenDump;
        case Rule::LiveTrace:
            return !s.busy && (s.live || s.connected);
    }
    return false;
}

std::vector<Command> MainCommands(CMainFrame& w) {
    DocumentCommands& doc = w.Documents();
    InstrumentCommands& inst = w.InstrumentUi();
    std::vector<Command> t = {
        // File
        {"open", "&Open...", QKeySequence("Ctrl+O"), "open", Rule::Idle, [&doc] { doc.Open(); }},
        {"opensample", "Open Sa&mple...", {}, {}, Rule::Idle, [&w] { w.OpenSample(); }},
        {"close", "&Close", {}, {}, Rule::Document, [&w] { w.CloseActive(); }},
        {"closeall", "Close A&ll", {}, {}, Rule::Document, [&doc] { doc.CloseAll(); }},
        {"save", "&Save", QKeySequence("Ctrl+S"), "save", Rule::Document, [&doc] { doc.Save(false); }},
        {"saveas", "Save &As...", {}, {}, Rule::Document, [&doc] { doc.Save(true); }},
        {"exportimage", "&Image...", {}, {}, Rule::Document, [&doc] { doc.ExportImage(); }},
        {"exportascii", "&ASCII File...", {}, {}, Rule::Document, [&doc] { doc.ExportAscii(); }},
        {"exportcsv", "&CSV...", {}, {}, Rule::Document, [&w] { w.Survey().ExportCsv(); }},
        {"exportreport", "PDF &Report...", {}, {}, Rule::Idle, [&w] { w.Survey().ExportReport(); }},
        {"exportmap", "&Map...", {}, {}, Rule::Idle, [&w] { w.Survey().ExportMap(); }},
        {"print", "&Print...", QKeySequence("Ctrl+P"), "print", Rule::Document, [&doc] { doc.Print(); }},
        {"printall",
         "Print Open &Documents...",
         {},
         {},
         Rule::Document,
         [&doc] { doc.PrintOpenDocuments(); }},
        {"preview", "Print Pre&view", {}, {}, Rule::Document, [&doc] { doc.PrintPreview(); }},
        {"printsetup", "P&rint Setup...", {}, {}, Rule::Idle, [&doc] { doc.PrintSetup(); }},
        {"exit", "E&xit", {}, {}, Rule::Idle, [&w] { w.close(); }},
        // Edit
        {"copygraph", "Copy &Graph", {}, {}, Rule::Document, [&doc] { doc.CopyGraph(); }},
        {"copydata", "Copy &Data", {}, {}, Rule::Document, [&doc] { doc.CopyData(); }},
        {"addinfo", "Additional Information...", {}, {}, Rule::Idle, [&w] { w.AdditionalInformation(); }},
        // Instrument
        {"connect", "&Connect", QKeySequence("Ctrl+C"), "connect", Rule::Link,
         [&w] { w.Inst().ToggleConnection(); }},
        {"gettrace", "&Get Trace...", QKeySequence("Ctrl+G"), "gettrace", Rule::Connected,
         [&inst] { inst.GetTrace(); }},
        {"displaytrace", "Display &Trace", QKeySequence("Ctrl+T"), "displaytrace", Rule::Connected,
         [&inst] { inst.DisplayTrace(); }},
        {"livetrace", "&Live Trace", QKeySequence("Ctrl+L"), "livetrace", Rule::LiveTrace,
         [&w] { w.Live().Command(); }},
        {"transfer", "&Data Transfer...", QKeySequence("Ctrl+D"), "transfer", Rule::Connected,
         [&inst] { inst.DataTransfer(0); }},
        {"screendump", "Screen D&ump...", QKeySequence("Ctrl+N"), "screendump", Rule::ScreenDump,
         [&inst] { inst.ScreenDump(); }},
        // Tools: the editors
        {"settingeditor", "&Setting Editor...", QKeySequence("Alt+S"), "settingeditor", Rule::Link,
         [&w] { w.OpenSettingsChooser(); }},
        {"limiteditor", "&Limit Editor...", QKeySequence("Alt+L"), "limiteditor", Rule::Link,
         [&w] { w.OpenLimitEditor(); }},
        {"extdeveditor", "&External Device Editor...", QKeySequence("Alt+E"), "extdeveditor", Rule::Link,
         [&w] { w.OpenFactorEditor(FactorMode::ExternalDevice); }},
        {"channeleditor", "&Channel System Editor...", QKeySequence("Alt+C"), "channeleditor", Rule::Link,
         [&w] { w.OpenChannelSystemEditor(); }},
        {"cableeditor", "DTF Cable &Type Editor...", QKeySequence("Alt+T"), "cableeditor", Rule::Link,
         [&w] { w.OpenCableTypeEditor(); }},
        {"antennaeditor", "EMF &Antenna Factor Editor...", QKeySequence("Alt+A"), "antennaeditor", Rule::Link,
         [&w] { w.OpenFactorEditor(FactorMode::Antenna); }},
        {"cablefactoreditor", "EMF Cable &Factor Editor...", QKeySequence("Alt+F"), "cablefactoreditor",
         Rule::Link, [&w] { w.OpenFactorEditor(FactorMode::Cable); }},
        {"emflimiteditor", "EMF L&imit Editor...", QKeySequence("Alt+I"), "emflimiteditor", Rule::Link,
         [&w] { w.OpenEmfLimitEditor(); }},
        // View (also the trace window's context menu)
        {"markers", "&Select Trace Markers...", {}, {}, Rule::ViewDocument, [&w] { w.SelectMarkers(); }},
        {"levelsettings", "Level...", {}, {}, Rule::ViewDocument, [&w] { w.EditLevel(); }},
        {"gpsformat", "GPS...", {}, {}, Rule::ViewDocument, [&w] { w.GpsFormat(); }},
        {"comment", "&Comment", {}, {}, Rule::ViewDocument, [&w] { w.EditComment(); }},
        {"zoomfit",
         "&Zoom to Fit",
         QKeySequence(Qt::Key_Escape),
         {},
         Rule::ViewDocument,
         [&w] {
             if (CChildFrame* f = w.ActiveFrame()) f->View()->ZoomToFit();
         }},
        // Connection Settings
        {"settings",
         "Serial / LAN for Quarn...",
         {},
         "settings",
         Rule::Link,
         [&w] { w.Inst().RunConnectDialog(); }},
        {"gps", "Serial for GPS Device...", {}, "gps", Rule::Idle, [&inst] { inst.GpsWindow(); }},
        // Window
        {"newwindow", "&New Window", {}, {}, Rule::Document, [&w] { w.NewWindow(); }},
        {"compare", "Co&mpare Traces...", {}, {}, Rule::Document, [&w] { w.Survey().CompareTraces(); }},
        {"cascade", "&Cascade", {}, {}, Rule::Idle, [&w] { w.CascadeWindows(); }},
        {"tile", "&Tile", {}, {}, Rule::Idle, [&w] { w.Workspace()->tileSubWindows(); }},
        {"arrange", "&Arrange Icons", {}, {}, Rule::Idle, [&w] { w.ArrangeIcons(); }},
        {"toolbar", "&Toolbar", {}, {}, Rule::Idle, [&w] { w.ToggleToolbar(); }},
        {"statusbar", "&Status Bar", {}, {}, Rule::Idle, [&w] { w.ToggleStatusBar(); }},
        // The menu bar by key, as on the instrument's home platform.
        {"menubar", "Menu Bar", QKeySequence(Qt::Key_F10), {}, Rule::Anytime, [&w] { w.OpenMenuBar(); }},
        // Help
        {"about", "&About...", QKeySequence(Qt::Key_F1), "about", Rule::Anytime, [&w] { w.About(); }},
    };
    for (Command& c : t)
        if (c.id == "connect") {  // toggles: Disconnect while connected
            c.altCaption = "Dis&connect";
            c.altIcon = "disconnect";
            c.alternate = [&w] { return w.Inst().IsConnected(); };
        }
    // The document's display switches, checked and greyed by the active document.
    const std::pair<const char*, ViewCommand> view[] = {
        {"Markers Trace A ", ViewCommand::MarkersA},
        {"Markers Trace B", ViewCommand::MarkersB},
        {"Trace A", ViewCommand::TraceA},
        {"Trace B", ViewCommand::TraceB},
        {"Show All Parameters", ViewCommand::ShowAll},
        {"Hide All Parameters", ViewCommand::HideAll},
        {"Level", ViewCommand::Level},
        {"Status", ViewCommand::Status},
        {"Trace/Detector", ViewCommand::TraceDetector},
        {"External Device", ViewCommand::ExternalDevice},
        {"Instrument", ViewCommand::Instrument},
        {"GPS", ViewCommand::Gps},
        {"&Grid", ViewCommand::Grid},
        {"Landscape", ViewCommand::Landscape},
        {"Portrait", ViewCommand::Portrait},
    };
    for (const auto& [caption, c] : view) {
        Command cmd;
        cmd.id =
            "view." + QString(caption).remove('&').trimmed().toLower().replace(' ', '-').replace('/', '-');
        cmd.caption = caption;
        cmd.rule = Rule::ViewDocument;
        const ViewCommand vc = c;
        cmd.run = [&w, vc] { w.RunViewCommand(vc); };
        cmd.view = c;
        t.push_back(cmd);
    }
    return t;
}

namespace {

// The View menu, also the start of the trace window's context menu.
std::vector<QString> ViewEntries() {
    return {"markers",
            "view.markers-trace-a",
            "view.markers-trace-b",
            "|",
            "view.trace-a",
            "view.trace-b",
            "|",
            "zoomfit",
            "|",
            "view.show-all-parameters",
            "view.hide-all-parameters",
            "|",
            "view.level",
            "view.status",
            "view.trace-detector",
            "view.external-device",
            "view.instrument",
            "view.gps",
            "comment",
            "|",
            "view.grid",
            "|",
            "view.landscape",
            "view.portrait",
            "|",
            "levelsettings",
            "gpsformat"};
}

}  // namespace

const std::vector<MenuLayout>& MainMenuLayout() {
    // "File", "Edit", "Instrument" and "Tools" carry no mnemonic: Alt+F, Alt+E, Alt+I and Alt+T open
    // editors, and a key must never mean two things (F10 still reaches the menu bar).
    static const std::vector<MenuLayout> layout = {
        {"File", {"open",     "opensample",  "close",       "closeall",  "save",         "saveas",
                  ">&Export", "exportimage", "exportascii", "exportcsv", "exportreport", "exportmap",
                  "<",        "|",           "print",       "printall",  "preview",      "printsetup",
                  "|",        "@recent",     "|",           "exit"}},
        {"Edit", {"copygraph", "copydata", "|", "addinfo"}},
        {"Instrument",
         {"connect", "|", "gettrace", "displaytrace", "livetrace", "|", "transfer", "screendump"}},
        {"Tools",
         {"settingeditor", "limiteditor", "extdeveditor", "channeleditor", "cableeditor", "antennaeditor",
          "cablefactoreditor", "emflimiteditor"}},
        {"&View", ViewEntries()},
        {"Co&nnection Settings", {"settings", "gps"}},
        {"&Window",
         {"newwindow", "compare", "cascade", "tile", "arrange", "|", "toolbar", "statusbar", "@windows"}},
        {"&Help", {"about"}},
    };
    return layout;
}

const std::vector<QString>& MainToolbarLayout() {
    static const std::vector<QString> layout = {"connect",
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
    return layout;
}

const std::vector<QString>& SmallToolbarLayout() {
    static const std::vector<QString> layout = {"connect",   "print",    "gettrace",  "displaytrace",
                                                "livetrace", "transfer", "screendump"};
    return layout;
}

const std::vector<QString>& ContextMenuLayout() {
    // The View menu, then what a trace window can be exported, copied and printed with.
    static const std::vector<QString> layout = [] {
        std::vector<QString> l = ViewEntries();
        for (const char* id : {"|", "exportascii", "exportimage", "copygraph", "copydata", "|", "print",
                               "preview", "printall"})
            l.push_back(id);
        return l;
    }();
    return layout;
}

CommandTable::CommandTable(QWidget* owner, std::vector<Command> commands)
    : QObject(owner), m_commands(std::move(commands)) {
    for (const Command& c : m_commands) {
        auto* a = new QAction(c.caption, owner);
        a->setObjectName(c.id);
        if (!c.key.isEmpty()) {
            a->setShortcut(c.key);
            a->setShortcutContext(Qt::WindowShortcut);
        }
        if (!c.icon.isEmpty()) a->setIcon(MakeIcon(c.icon));
        a->setCheckable(c.view.has_value() && c.view != ViewCommand::ShowAll &&
                        c.view != ViewCommand::HideAll);
        if (c.id == "toolbar" || c.id == "statusbar") {
            a->setCheckable(true);
            a->setChecked(true);
        }
        auto run = c.run;
        connect(a, &QAction::triggered, this, [run] { run(); });
        owner->addAction(a);  // the keys work wherever the focus is in the window
        m_actions[c.id] = a;
    }
}

QAction* CommandTable::Action(const QString& id) const {
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

const Command* CommandTable::Find(const QString& id) const {
    for (const Command& c : m_commands)
        if (c.id == id) return &c;
    return nullptr;
}

void CommandTable::Refresh(const CommandState& state) {
    for (const Command& c : m_commands) {
        QAction* a = m_actions[c.id];
        bool on = RuleAllows(c.rule, state);
        if (c.view && state.document) {
            const MenuEntryState st = ViewMenuState(*state.document, *c.view);
            on = on && st.enabled;
            a->setChecked(st.checked);
        }
        a->setEnabled(on);
        if (c.alternate) {
            const bool alt = c.alternate();
            a->setText(alt ? c.altCaption : c.caption);
            a->setIcon(MakeIcon(alt ? c.altIcon : c.icon));
        }
    }
}

std::map<QString, QMenu*> CommandTable::Fill(QMenu* menu, const std::vector<QString>& entries) {
    std::map<QString, QMenu*> lists;
    std::vector<QMenu*> stack{menu};
    for (const QString& e : entries) {
        if (e == "|")
            stack.back()->addSeparator();
        else if (e.startsWith('>'))
            stack.push_back(stack.back()->addMenu(e.mid(1)));
        else if (e == "<")
            stack.pop_back();
        else if (e.startsWith('@')) {
            if (e == "@recent")
                lists[e] = stack.back()->addMenu("Recent &Files");
            else
                lists[e] = stack.back();  // filled in place at the end of the menu
        } else if (QAction* a = Action(e))
            stack.back()->addAction(a);
    }
    return lists;
}

void CommandTable::Fill(QToolBar* bar, const std::vector<QString>& entries) {
    for (const QString& e : entries) {
        if (e == "|")
            bar->addSeparator();
        else if (QAction* a = Action(e))
            bar->addAction(a);
    }
}

}  // namespace fl
