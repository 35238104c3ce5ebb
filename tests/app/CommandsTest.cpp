// Every command of the main window as the user reaches it: each action in every state (no document, a
// document, connected, Live Trace running) is greyed or enabled as its rule says and, when enabled, runs
// real code, never a placeholder; no key means two things; the toolbars and the context menu offer what
// the program's menus promise.
#include <QMenuBar>
#include <QRadioButton>
#include <QToolBar>
#include <QtTest>
#include <set>

#include "AppTestUtil.h"
#include "LiveTraceDialog.h"

using namespace fl;
using fl::test::Shell;

namespace {

// No command may end in a placeholder: every editor and dialog is built.
const std::set<QString> kPlaceholders = {};
// Commands that end the window or change the state under the walk; each has a test of its own.
const std::set<QString> kNotWalked = {"exit", "connect", "close", "closeall", "livetrace", "menubar"};
// Commands that need a trace window.
const std::set<QString> kDocument = {"close",       "closeall",  "save",          "saveas",    "exportimage",
                                     "exportascii", "print",     "printall",      "preview",   "copygraph",
                                     "copydata",    "newwindow", "levelsettings", "gpsformat", "comment",
                                     "markers",     "exportcsv", "compare",       "zoomfit"};
const std::set<QString> kInstrument = {"gettrace", "displaytrace", "livetrace", "transfer", "screendump"};
// What stays usable while Live Trace runs: the View menu, Live Trace (to stop it) and About.
const std::set<QString> kDuringLive = {"livetrace", "about",   "markers", "levelsettings",
                                       "gpsformat", "comment", "menubar", "zoomfit"};

bool IsView(const QString& id) {
    return id.startsWith("view.");
}

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT

    // Checks every action against the state's expectations and runs the enabled ones.
    void Walk(Shell& f, const char* state, bool document, bool connected, bool live) {
        f->RefreshState();
        for (const Command& c : f->Commands().All()) {
            QAction* a = f->Action(c.id);
            const QString where = QString("%1 / %2").arg(state, c.id);
            bool expected = true;
            if (live)
                expected = kDuringLive.count(c.id) || IsView(c.id);
            else if (kInstrument.count(c.id))
                expected = connected;
            if ((kDocument.count(c.id) || IsView(c.id)) && !document) expected = false;
            if (IsView(c.id) && expected) continue;  // also greyed by the document's own state
            QVERIFY2(a->isEnabled() == expected,
                     qPrintable(where + (expected ? " is greyed" : " is enabled")));
        }
        for (const Command& c : f->Commands().All()) {
            if (kNotWalked.count(c.id)) continue;
            f->RefreshState();
            QAction* a = f->Action(c.id);
            if (!a->isEnabled()) continue;
            const qsizetype before = f.messages.size();
            a->trigger();
            if (IsView(c.id) || c.id == "toolbar" || c.id == "statusbar") a->trigger();  // and back
            for (qsizetype i = before; i < f.messages.size(); ++i) {
                const bool placeholder = f.messages[i].contains("not part of this version");
                QVERIFY2(!placeholder || kPlaceholders.count(c.id),
                         qPrintable(QString("%1 / %2 ends in: %3").arg(state, c.id, f.messages[i])));
                QVERIFY2(!f.messages[i].contains("ERROR"), qPrintable(c.id + ": " + f.messages[i]));
            }
        }
    }

  private slots:
    void initTestCase() { test::UseTestHome(m_home); }

    void everyCommandInEveryState() {
        Shell f;
        Walk(f, "no document", false, false, false);
        QVERIFY(f->Documents().OpenFile(QString::fromStdString(test::SamplePath("SPECTRUM.qtr"))));
        Walk(f, "document", true, false, false);
        QVERIFY(f->Inst().StartDemo());
        Walk(f, "connected", true, true, false);
        // Live Trace through its command and its dialog: continuous, until stopped.
        f.onDialog = [](QDialog& d) {
            auto* live = qobject_cast<LiveTraceDialog*>(&d);
            if (!live) return int(QDialog::Rejected);
            live->ContinuousButton()->setChecked(true);
            return int(QDialog::Accepted);
        };
        f.Trigger("livetrace");
        QVERIFY(f->Live().Running());
        f.onDialog = [](QDialog&) { return int(QDialog::Rejected); };
        Walk(f, "live", true, true, true);
        f.Trigger("livetrace");  // stops
        QVERIFY(!f->Live().Running());
        QVERIFY(f.Enabled("gettrace"));
        // Every dialog the walk met was a real one.
        for (const QString& d : f.dialogs)
            QVERIFY2(d.startsWith("fl::") || d.startsWith("Q"), qPrintable(d));
        for (const char* d :
             {"fl::GetTraceDialog", "fl::DataTransferDialog", "fl::ScreenDumpWindow", "fl::ConnectDialog",
              "fl::LevelDialog", "fl::GpsFormatDialog", "QPrintDialog", "QPrintPreviewDialog",
              "QPageSetupDialog", "fl::AboutDialog", "fl::AdditionalInfoDialog", "QInputDialog"})
            QVERIFY2(f.dialogs.contains(d), d);
    }

    void noKeyMeansTwoThings() {
        Shell f;
        std::map<QString, QString> seen;
        auto claim = [&](const QKeySequence& k, const QString& who) {
            if (k.isEmpty()) return;
            const QString key = k.toString();
            QVERIFY2(!seen.count(key), qPrintable(key + ": " + seen[key] + " and " + who));
            seen[key] = who;
        };
        for (QAction* a : f->findChildren<QAction*>())
            for (const QKeySequence& k : a->shortcuts())
                claim(k, a->objectName());
        // A menu title's mnemonic is Alt and its letter.
        for (QAction* m : f->menuBar()->actions()) {
            const QString t = m->text();
            const qsizetype amp = t.indexOf('&');
            if (amp >= 0 && amp + 1 < t.size()) claim(QKeySequence("Alt+" + t.mid(amp + 1, 1).toUpper()), t);
        }
        for (const char* key : {"Alt+E", "Alt+F", "Alt+I", "Alt+T", "Alt+S", "Alt+L", "Alt+C", "Alt+A"})
            QVERIFY2(seen.count(QKeySequence(key).toString()), key);  // the editors keep their keys
    }

    void keysReachTheirCommands() {
        Shell f;
        f->show();
        f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.frame.get()));
        QVERIFY(f->Inst().StartDemo());
        f.answer = [](const QString&) { return false; };
        const std::pair<Qt::Key, const char*> keys[] = {{Qt::Key_D, "fl::DataTransferDialog"},
                                                        {Qt::Key_N, "fl::ScreenDumpWindow"},
                                                        {Qt::Key_G, "fl::GetTraceDialog"},
                                                        {Qt::Key_L, "fl::LiveTraceDialog"}};
        for (auto [key, dialog] : keys) {
            QTest::keyClick(f.frame.get(), key, Qt::ControlModifier);
            QVERIFY2(!f.dialogs.isEmpty() && f.dialogs.last() == dialog, dialog);
        }
        QVERIFY(f->Documents().OpenFile(QString::fromStdString(test::SamplePath("SPECTRUM.qtr"))));
        QTest::keyClick(f.frame.get(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(f.dialogs.last(), QString("QPrintDialog"));
        QTest::keyClick(f.frame.get(), Qt::Key_L, Qt::AltModifier);
        QCOMPARE(f.dialogs.last(), QString("fl::LimitEditor"));
        QTest::keyClick(f.frame.get(), Qt::Key_F1);
        QCOMPARE(f.dialogs.last(), QString("fl::AboutDialog"));
        // F10 opens the first menu, since File has no Alt letter.
        QTest::keyClick(f.frame.get(), Qt::Key_F10);
        QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
        QCOMPARE(QApplication::activePopupWidget(), f->Menu("File"));
        f->Menu("File")->close();
    }

    void toolbarsAreTheTablesActions() {
        Shell f;
        QStringList main, small;
        for (QAction* a : f->MainToolbar()->actions())
            main << (a->isSeparator() ? "|" : a->objectName());
        for (QAction* a : f->SmallToolbar()->actions())
            small << a->objectName();
        QCOMPARE(main.join(' '),
                 QString("connect settings | open save print | gettrace displaytrace livetrace "
                         "transfer | settingeditor limiteditor extdeveditor channeleditor "
                         "cableeditor antennaeditor cablefactoreditor emflimiteditor | "
                         "screendump gps | about"));
        QCOMPARE(small.join(' '),
                 QString("connect print gettrace displaytrace livetrace transfer screendump"));
        // The not-connected variant greys the four instrument buttons and Screen Dump; connected, the
        // Connect button becomes Disconnect.
        for (const char* id : {"gettrace", "displaytrace", "livetrace", "transfer", "screendump"})
            QVERIFY2(!f.Enabled(id), id);
        QVERIFY(f->Inst().StartDemo());
        f->RefreshState();
        QCOMPARE(f->Action("connect")->text(), QString("Dis&connect"));
        for (const char* id : {"gettrace", "displaytrace", "livetrace", "transfer", "screendump"})
            QVERIFY2(f.Enabled(id), id);
    }

    void contextMenuOffersTheViewsCommands() {
        Shell f;
        QVERIFY(f->Documents().OpenFile(QString::fromStdString(test::SamplePath("EMF.qtr"))));
        QVERIFY(f->Documents().OpenFile(QString::fromStdString(test::SamplePath("SPECTRUM.qtr"))));
        CChildFrame* first = f->Frames().first();
        QStringList texts;
        QTimer::singleShot(50, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (QAction* a : menu->actions())
                    if (!a->isSeparator()) texts << a->text();
                menu->close();
            }
        });
        // The right mouse button on a window that is not the active one: its own menu.
        QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(20, 20),
                            first->View()->mapToGlobal(QPoint(20, 20)));
        QApplication::sendEvent(first->View(), &e);
        QCOMPARE(f->ActiveFrame(), first);
        for (const char* t : {"&Select Trace Markers...",
                              "Markers Trace A ",
                              "Trace A",
                              "Show All Parameters",
                              "Level",
                              "External Device",
                              "GPS",
                              "&Comment",
                              "&Grid",
                              "Landscape",
                              "Portrait",
                              "Level...",
                              "GPS...",
                              "&ASCII File...",
                              "Copy &Graph",
                              "Copy &Data",
                              "&Image...",
                              "&Print...",
                              "Print Pre&view",
                              "Print Open &Documents..."})
            QVERIFY2(texts.contains(t), t);
    }

    void windowMenuListsTheTraceWindows() {
        Shell f;
        for (const char* s : {"EMF.qtr", "SPECTRUM.qtr", "OBW.qtr", "CPOWER.qtm", "DTF_DB.qtr", "ACPR.qtr"})
            QVERIFY(f->Documents().OpenFile(QString::fromStdString(test::SamplePath(s))));
        // New trace windows open inside the visible part of the workspace.
        const QRect area(QPoint(0, 0), f->Workspace()->viewport()->size());
        for (CChildFrame* w : f->Frames())
            QVERIFY2(area.contains(w->geometry()), qPrintable(w->windowTitle()));
        QMenu* window = f->Menu("Window");
        QVERIFY(window);
        emit window->aboutToShow();
        QStringList listed;
        QString checked;
        for (QAction* a : window->actions())
            if (a->text().startsWith('&') && a->text().at(1).isDigit()) {
                listed << a->text();
                if (a->isChecked()) checked = a->text();
            }
        QCOMPARE(listed.size(), 6);
        QCOMPARE(listed.first(), QString("&1 EMF.qtr"));
        QCOMPARE(checked, QString("&6 ACPR.qtr"));
        // Choosing an entry activates that window; New Window opens a second view of the same document.
        QAction* second = nullptr;
        for (QAction* a : window->actions())
            if (a->text().startsWith("&2 ")) second = a;
        QVERIFY(second);
        QCOMPARE(second->text(), QString("&2 SPECTRUM.qtr"));
        second->trigger();
        QCOMPARE(f->ActiveFrame()->windowTitle(), QString("SPECTRUM.qtr"));
        f.Trigger("newwindow");
        QCOMPARE(f->Frames().size(), 7);
        QCOMPARE(&f->Frames().last()->Document(), &f->Frames()[1]->Document());
        // Closing one of the two windows of a modified document does not ask; the last one does.
        f->Frames()[1]->Document().SetModifiedFlag();
        f->Frames().last()->close();
        QVERIFY(f.messages.isEmpty());
        f->Frames()[1]->close();
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(f.messages.first().startsWith("Save changes to"));
    }

  private:
    test::TempDir m_home;
};

QTEST_MAIN(CommandsTest)
#include "CommandsTest.moc"
