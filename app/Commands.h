// The one table of the shell's commands: every menu entry, toolbar button, key and context menu entry of
// the main window comes from it, with the rule that enables it and the handler that runs it.
#pragma once

#include <QKeySequence>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "ViewFlags.h"

class QAction;
class QMenu;
class QToolBar;
class QWidget;

namespace fl {

class CMyQuarnDoc;

// When a command may run. While Live Trace runs only the View entries, Live Trace itself and About do.
enum class Rule {
    Anytime,       // even while Live Trace runs
    Idle,          // whenever Live Trace does not run
    Document,      // a trace window is open, Live Trace does not run
    ViewDocument,  // a trace window is open (the View menu stays usable during Live Trace)
    Connected,     // an instrument is connected, Live Trace does not run
    Link,          // neither Live Trace nor an instrument job runs (connecting, the editors' transfers)
    ScreenDump,    // connected to a model that can send its screen, Live Trace does not run
    LiveTrace,     // connected, or Live Trace runs (the command then stops it)
};

struct CommandState {
    bool connected = false;
    bool screenDump = false;
    bool live = false;
    bool busy = false;                      // an instrument job runs
    const CMyQuarnDoc* document = nullptr;  // the active trace window's document
};

bool RuleAllows(Rule rule, const CommandState& state);

struct Command {
    Command() = default;
    Command(QString i, QString c, QKeySequence k, QString ic, Rule r, std::function<void()> f)
        : id(std::move(i)),
          caption(std::move(c)),
          key(std::move(k)),
          icon(std::move(ic)),
          rule(r),
          run(std::move(f)) {}

    QString id;
    QString caption;  // with its mnemonic
    QKeySequence key;
    QString icon;  // empty: none
    Rule rule = Rule::Idle;
    std::function<void()> run;
    std::optional<ViewCommand> view;  // View entries: checked and greyed by the active document
    QString altCaption, altIcon;      // shown while `alternate` holds (Connect / Disconnect)
    std::function<bool()> alternate;
};

class CMainFrame;

// The table's contents, bound to the main window's handlers.
std::vector<Command> MainCommands(CMainFrame& frame);

// Menus and toolbars as lists of command ids; "|" is a separator, ">Title" opens a submenu that the next
// "<" closes, "@recent" and "@windows" are the lists the shell fills itself.
struct MenuLayout {
    QString title;
    std::vector<QString> entries;
};
const std::vector<MenuLayout>& MainMenuLayout();
const std::vector<QString>& MainToolbarLayout();
const std::vector<QString>& SmallToolbarLayout();
const std::vector<QString>& ContextMenuLayout();

class CommandTable : public QObject {
    Q_OBJECT
  public:
    CommandTable(QWidget* owner, std::vector<Command> commands);

    QAction* Action(const QString& id) const;
    const Command* Find(const QString& id) const;
    const std::vector<Command>& All() const { return m_commands; }
    // Enables, checks and captions every action for `state`.
    void Refresh(const CommandState& state);
    // Adds the entries of a layout; returns the submenus for "@" entries by name.
    std::map<QString, QMenu*> Fill(QMenu* menu, const std::vector<QString>& entries);
    void Fill(QToolBar* bar, const std::vector<QString>& entries);

  private:
    std::vector<Command> m_commands;
    std::map<QString, QAction*> m_actions;
};

}  // namespace fl
