// The desktop application under the offscreen platform: start-up paths, menu states, open/save flows,
// view flags, fetching traces, transfer, screen dump and GPS windows, each reached through its command.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabBar>
#include <QtTest>
#include <filesystem>

#include "AppTestUtil.h"
#include "ConnectionSettings.h"
#include "DataTransferDialog.h"
#include "GetTraceDialog.h"
#include "GpsWindows.h"
#include "ImageExportDialog.h"
#include "LevelDialog.h"
#include "NmeaSource.h"
#include "SampleTraces.h"
#include "ScreenDumpWindow.h"
#include "SimServer.h"
#include "SingleInstance.h"
#include "TestUtil.h"
#include "WelcomeDialog.h"

using namespace fl;
using fl::test::Shell;

namespace {

// Clicks the `index`-th button captioned `text` inside `w`, as the user does.
void Click(QWidget* w, const QString& text, int index = 0) {
    QList<QPushButton*> found;
    for (QPushButton* b : w->findChildren<QPushButton*>())
        if (b->text() == text) found << b;
    QVERIFY2(found.size() > index, qPrintable("no button " + text));
    QVERIFY2(found[index]->isEnabled(), qPrintable(text + " is greyed"));
    found[index]->click();
}

}  // namespace

class ShellTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { test::UseTestHome(m_home); }

    // About's Help button hands the data folder's help document to the system's viewer (xdg-open, faked
    // here on the PATH).
    void aboutHelpOpensTheHelpDocument() {
        test::TempDir bin;
        const std::string log = bin / "opened.txt";
        test::WriteFile(bin / "xdg-open", "#!/bin/sh\necho \"$@\" >> " + log + "\n");
        std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(bin.path()) + ":" + path);
        std::filesystem::create_directories(m_home / "help");
        test::WriteFile(m_home / "help/QuarnFLS-help.pdf", "%PDF-1.4\n");
        test::Shell f;
        f.onDialog = [](QDialog& d) {
            for (QPushButton* b : d.findChildren<QPushButton*>())
                if (b->text() == "Help") QTest::mouseClick(b, Qt::LeftButton);
            return int(QDialog::Accepted);
        };
        f.Trigger("about");
        QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(log), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(
            QString::fromStdString(test::ReadFile(log)).trimmed(),
            QUrl::fromLocalFile(QString::fromStdString(m_home / "help/QuarnFLS-help.pdf")).toString(), 5000);
        qputenv("PATH", path);
        std::filesystem::remove(m_home / "help/QuarnFLS-help.pdf");
    }

    void startsWithATraceFile() {
        Shell f;
        f->StartUp(QString::fromStdString(test::SamplePath("SPECTRUM.qtr")), false);
        QCOMPARE(f->Frames().size(), 1);
        QCOMPARE(f->Frames().first()->windowTitle(), QString("SPECTRUM.qtr"));
        QVERIFY(f.messages.isEmpty());
        QVERIFY(f.dialogs.isEmpty());  // no welcome dialog
        QCOMPARE(f->StatusText(1), QString("NOT CONNECTED    "));
        QCOMPARE(f->windowTitle(), QString("Quarn Fieldlink Software"));
    }

    void editorFilesAndBadFiles() {
        Shell f;
        // A limit file opens the limit lines editor (and no welcome dialog); a missing one says so there.
        f->StartUp("/tmp/no-such-limits.qlm", false);
        QCOMPARE(f->Frames().size(), 0);
        QCOMPARE(f.messages, QStringList({"File not found"}));
        QCOMPARE(f.dialogs, QStringList({"fl::LimitEditor"}));
        f.messages.clear();
        f.dialogs.clear();
        // Every editor kind opens its editor from the command line.
        const std::pair<const char*, const char*> kinds[] = {
            {"/tmp/no.qed", "fl::FactorEditor"},    {"/tmp/no.qaf", "fl::FactorEditor"},
            {"/tmp/no.qcf", "fl::FactorEditor"},    {"/tmp/no.qsy", "fl::ChannelSystemEditor"},
            {"/tmp/no.qct", "fl::CableTypeEditor"}, {"/tmp/no.qel", "fl::EmfLimitEditor"}};
        for (auto [file, editor] : kinds) {
            f.dialogs.clear();
            f->StartUp(file, false);
            QCOMPARE(f.dialogs, QStringList({editor}));
        }
        f.messages.clear();
        test::TempDir dir;
        test::WriteFile(dir / "bad.qtr", "Garbage");
        f.files->open = {QString::fromStdString(dir / "bad.qtr")};
        f.Trigger("open");
        QCOMPARE(f.messages.last(), QString("Not supported file format   "));
        QCOMPARE(f->Frames().size(), 1);  // opened with the constructed values
        test::WriteFile(dir / "short.qtm", "F\x01");
        f.files->open = {QString::fromStdString(dir / "short.qtm")};
        f.Trigger("open");
        QCOMPARE(f.messages.last(), QString("Unexpected file format."));
        QCOMPARE(f->Frames().size(), 1);
    }

    void menuStatesFollowConnectionAndDocuments() {
        Shell f;
        for (const char* n : {"gettrace", "displaytrace", "livetrace", "screendump", "transfer"})
            QVERIFY2(!f.Enabled(n), n);
        QVERIFY(!f.Enabled("save"));
        QVERIFY(f->Inst().StartDemo());
        QCOMPARE(f->StatusText(1), QString("IP: 127.0.0.1  (simulated)"));
        for (const char* n : {"gettrace", "displaytrace", "livetrace", "screendump", "transfer"})
            QVERIFY2(f.Enabled(n), n);
        QCOMPARE(f->Action("connect")->text(), QString("Dis&connect"));
        f.Trigger("connect");  // toggles: disconnects
        QCOMPARE(f->StatusText(1), QString("NOT CONNECTED    "));
        QVERIFY(!f.Enabled("gettrace"));
        QCOMPARE(f->Action("connect")->text(), QString("&Connect"));
        f.Trigger("connect");  // and back, by the profile's LAN settings (the demo's address)
        QVERIFY(f->Inst().IsConnected());
    }

    void fetchesTracesFromTheDemoInstrument() {
        Shell f;
        f->StartUp({}, true);
        QVERIFY(f->Inst().IsConnected());
        // The demo greets a newcomer with two traces of the simulated instrument.
        QCOMPARE(f->Frames().size(), 2);
        QVERIFY(f->StatusText(0).contains("simulated"));
        QCOMPARE(f->Frames()[0]->windowTitle(), QString("CPOWER*"));  // new from the instrument: modified
        f.Trigger("displaytrace");
        QCOMPARE(f->Frames().size(), 3);
        QVERIFY(f->ActiveFrame()->windowTitle().startsWith("active "));
        // Get Trace: the dialog lists the instrument's traces; View uploads the selection.
        f.onDialog = [](QDialog& d) {
            auto* dlg = qobject_cast<GetTraceDialog*>(&d);
            if (!dlg) return int(QDialog::Rejected);
            dlg->SelectNames({"DTF_DB", "EMF"});
            dlg->View();
            return dlg->result();
        };
        f.Trigger("gettrace");
        QCOMPARE(f.dialogs.last(), QString("fl::GetTraceDialog"));
        QCOMPARE(f->Frames().size(), 5);
        QVERIFY2(f.messages.isEmpty(), qPrintable(f.messages.join("|")));
        // An upload slow enough to show its progress window closes it when it ends.
        f->Inst().Demo()->AddTrace(
            "SHORT", {"# TRACE SHORT;   created: 2026/03/05 10:00:00", "SENSe:FREQuency:CENTer 1000000",
                      "SENSe:FREQuency:SPAN 2000000", "SENSe:FREQuency:STARt 0",
                      "SENSe:FREQuency:STOP 2000000", "DISPlay:WINDow:TRACe:Y:SCALe:RLEVel -10"});
        f->Inst().Demo()->SetFault(sim::FaultKind::Slow);  // 2 ms a byte
        f.onDialog = [](QDialog& d) {
            auto* dlg = qobject_cast<GetTraceDialog*>(&d);
            if (!dlg) return int(QDialog::Rejected);
            dlg->SelectNames({"SHORT"});
            dlg->View();
            return dlg->result();
        };
        f.Trigger("gettrace");
        f->Inst().Demo()->SetFault(sim::FaultKind::None);
        QCOMPARE(f->Frames().size(), 6);
        QTest::qWait(100);
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY2(!(qobject_cast<QProgressDialog*>(w) && w->isVisible()), "a progress window stayed");
    }

    void closingWithUnsavedTracesAsksOnceForAll() {
        Shell f;
        f->StartUp({}, true);  // the demo's two fetched traces
        f.Trigger("displaytrace");
        QCOMPARE(f->Frames().size(), 3);
        QStringList asked;
        QStringList offered;
        QString reply = "Cancel";
        f->Inst().Prompts().scriptedChoice = [&](const QString& text, const QStringList& buttons) {
            asked << text;
            offered = buttons;
            return reply;
        };
        QVERIFY(!f->close());  // Cancel keeps every window
        QCOMPARE(asked.size(), 1);
        QCOMPARE(offered, QStringList({"Yes", "Yes to All", "No", "No to All", "Cancel"}));
        QCOMPARE(f->Frames().size(), 3);
        reply = "No to All";  // one answer for the three
        asked.clear();
        QVERIFY(f->close());
        QCOMPARE(asked.size(), 1);
    }

    void saveAsksForANameForInstrumentFiles() {
        test::TempDir dir;
        std::filesystem::copy_file(test::SamplePath("SPECTRUM.qtr"), dir / "GSM900.QTR");
        Shell f;
        QVERIFY(f->Documents().OpenFile(QString::fromStdString(dir / "GSM900.QTR")));
        f.files->save = QString::fromStdString(dir / "site7");
        f.Trigger("save");
        QVERIFY(f.files->lastProposal.endsWith("GSM900.qtm"));
        QVERIFY(std::filesystem::exists(dir / "site7.qtm"));
        QCOMPARE(f->ActiveFrame()->windowTitle(), QString("site7"));
        QCOMPARE(s_settings.folderTraces, dir.path());  // the next Open and Save start there
        QCOMPARE(s_docEnv.modifiedTraceFolder, dir.path());
        // Now a .qtm: Save writes silently, Save As asks again.
        f.files->lastProposal.clear();
        f.Trigger("save");
        QVERIFY(f.files->lastProposal.isEmpty());
        f.files->save.clear();  // cancelled
        f.Trigger("saveas");
        QVERIFY(f.files->lastProposal.endsWith("site7.qtm"));
    }

    void openUsesAndRemembersTheTracesFolder() {
        Shell f;
        f.files->open = {QString::fromStdString(test::SamplePath("CPOWER.qtm")),
                         QString::fromStdString(test::SamplePath("EMF.qtr"))};
        f.Trigger("open");
        QCOMPARE(f->Frames().size(), 2);
        f.Trigger("open");
        const QString samples = QString::fromStdString(std::string(FIELDLINK_TEST_DATA) + "/samples");
        QCOMPARE(f.files->lastFolder, samples);
        // The Save dialog of the instrument trace opened from there starts there too.
        f->Activate(f->Frames().last());
        f.files->save.clear();  // cancelled
        f.Trigger("save");
        QVERIFY2(f.files->lastProposal.startsWith(samples + "/EMF"), qPrintable(f.files->lastProposal));
    }

    void viewFlagsBecomeDefaultsOfLaterDocuments() {
        Shell f;
        QVERIFY(f->Inst().StartDemo());
        f.Trigger("displaytrace");
        CChildFrame* first = f->ActiveFrame();
        const int level = first->Document().m_bShowLevelPanel;
        f.Trigger("view.level");
        QCOMPARE(first->Document().m_bShowLevelPanel, 1 - level);
        QVERIFY(f->Action("view.level")->isChecked() == (level == 0));
        f.Trigger("displaytrace");  // a new document takes the program-wide defaults
        QCOMPARE(f->ActiveFrame()->Document().m_bShowLevelPanel, 1 - level);
        f.Trigger("view.level");  // back, for the other tests
    }

    // A second start with two files hands them to the program that runs and ends: one process, two
    // more documents.
    void aSecondStartHandsItsFilesOver() {
        Shell f;
        SingleInstance instance([&](const QStringList& files) { f->OpenFromCommandLine(files); });
        QVERIFY(instance.Listening());
        const qsizetype before = f->Frames().size();
        QProcess second;
        second.start(FIELDLINK_APP, {QString::fromStdString(test::SamplePath("SPECTRUM.qtr")),
                                     QString::fromStdString(test::SamplePath("EMF.qtr"))});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE(f->Frames().size(), before + 2);
        QCOMPARE(f->ActiveFrame()->windowTitle(), QString("EMF.qtr"));
    }

    // File > Open Sample... starts in the samples' folder and opens what is chosen.
    void openSampleStartsInTheSamples() {
        Shell f;
        f.files->open = {QString::fromStdString(test::SamplePath("EMF.qtr"))};
        f.Trigger("opensample");
        QCOMPARE(f.files->lastTitle, QString("Open Sample"));
        QVERIFY(QFileInfo::exists(f.files->lastFolder + "/SPECTRUM.qtr"));
        QCOMPARE(f->ActiveFrame()->windowTitle(), QString("EMF.qtr"));
    }

    // Window > Cascade stacks the windows a title bar apart, each at its view mode's size (landscape
    // 0.87 x 0.57 of the area's width) as far as the stack leaves room, never a sliver.
    void cascadeKeepsTheWindowsReadable() {
        Shell f;
        f->resize(1400, 1000);
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.frame.get()));
        for (const char* s : {"SPECTRUM.qtr", "EMF.qtr", "DTF_DB.qtr"})
            QVERIFY(f->Documents().OpenFile(QString::fromStdString(test::SamplePath(s))));
        f.Trigger("cascade");
        const QSize area = f->Workspace()->viewport()->size();
        const QList<CChildFrame*> frames = f->Frames();
        QCOMPARE(frames.size(), 3);
        QSet<int> lefts;
        for (CChildFrame* w : frames) {
            QVERIFY2(w->width() >= area.width() / 2, qPrintable(QString::number(w->width())));
            QVERIFY(w->height() >= area.height() / 3);
            QVERIFY(QRect(QPoint(0, 0), area).contains(w->geometry()));
            lefts << w->x();
        }
        QCOMPARE(lefts.size(), 3);
    }

    void welcomeShowsTryingThenConnects() {
        Shell f;
        // "Open existing Trace": the file dialog, no connection.
        f.files->open = {QString::fromStdString(test::SamplePath("OBW.qtr"))};
        f.onDialog = [](QDialog& d) {
            auto* w = qobject_cast<WelcomeDialog*>(&d);
            if (!w) return int(QDialog::Rejected);
            w->Select(WelcomeDialog::OpenTrace);
            w->accept();
            return w->result();
        };
        f->StartUp({}, false);
        QCOMPARE(f->Frames().size(), 1);
        QVERIFY(!f->Inst().IsConnected());
        // "LAN Connection" to the demo instrument's address: the label says so before the connection is
        // tried, and the connection writes the default profile.
        QVERIFY(f->Inst().StartDemo());
        f.Trigger("connect");
        QVERIFY(!f->Inst().IsConnected());
        std::filesystem::remove(m_home / "default.dat");
        QString labelWhileConnecting;
        f.onDialog = [&](QDialog& d) {
            auto* w = qobject_cast<WelcomeDialog*>(&d);
            if (!w) return int(QDialog::Rejected);
            w->Select(WelcomeDialog::Lan);
            auto connect = w->tryConnect;
            w->tryConnect = [&, connect](WelcomeDialog::Choice c) {
                labelWhileConnecting = w->LabelText(WelcomeDialog::Lan);
                connect(c);
            };
            w->accept();
            return w->result();
        };
        f->StartUp({}, false);
        QCOMPARE(labelWhileConnecting, QString("( IP 127.0.0.1 )  Trying to connect..."));
        QVERIFY(f->Inst().IsConnected());
        QVERIFY(std::filesystem::exists(m_home / "default.dat"));
    }

    void exportsTheImageAndTheReport() {
        test::TempDir dir;
        Shell f;
        QVERIFY(f->Documents().OpenFile(QString::fromStdString(test::SamplePath("SPECTRUM.qtr"))));
        s_settings.folderExport = dir.path();
        // The size question offers the page's aspect; the test takes 1600 wide.
        QStringList offered;
        f.onDialog = [&](QDialog& d) {
            auto* ask = qobject_cast<ImageExportDialog*>(&d);
            if (!ask) return int(QDialog::Rejected);
            if (!ask->Sizes()) return int(QDialog::Accepted);
            for (int i = 0; i < ask->Sizes()->count(); ++i)
                offered << ask->Sizes()->itemText(i);
            ask->Sizes()->setCurrentIndex(ask->Sizes()->findText("1600 x ", Qt::MatchStartsWith));
            return int(QDialog::Accepted);
        };
        f.files->save = QString::fromStdString(dir / "page.png");
        f.Trigger("exportimage");
        QCOMPARE(f.files->lastProposal, QString::fromStdString(dir / "SPECTRUM.bmp"));  // the export folder
        QVERIFY(f.files->lastFilter.startsWith("BMP - Windows Bitmap"));                // preselected
        const QImage png(QString::fromStdString(dir / "page.png"));
        // A landscape page is 8300 x 6800 units: 1600 wide is 1311 high.
        QCOMPARE(png.size(), QSize(1600, 1311));
        QVERIFY(offered.contains("1600 x 1311"));
        // A zoomed window exports the document's page unless "As shown" is ticked.
        f->ActiveFrame()->View()->SetZoom(ZoomX({}, 0.5, 0.2));
        bool asShown = false;
        auto sized = f.onDialog;
        f.onDialog = [&](QDialog& d) {
            if (auto* ask = qobject_cast<ImageExportDialog*>(&d)) ask->AsShownBox()->setChecked(asShown);
            return sized(d);
        };
        for (bool shown : {false, true}) {
            asShown = shown;
            f.files->save = QString::fromStdString(dir / (shown ? "shown.png" : "whole.png"));
            f.Trigger("exportimage");
        }
        QCOMPARE(test::ReadFile(dir / "whole.png"), test::ReadFile(dir / "page.png"));
        QVERIFY(QImage(QString::fromStdString(dir / "shown.png")) != png);
        f->ActiveFrame()->View()->ZoomToFit();
        f.onDialog = sized;
        // A vector page by its extension, without the size question.
        offered.clear();
        f.files->save = QString::fromStdString(dir / "page.pdf");
        f.Trigger("exportimage");
        QVERIFY(offered.isEmpty());
        QVERIFY(test::ReadFile(dir / "page.pdf").rfind("%PDF", 0) == 0);
        // A name without an extension takes the chosen filter's.
        f.files->save = QString::fromStdString(dir / "noext");
        f.files->filter = "PNG - Portable Network Graphics (*.png)";
        f.Trigger("exportimage");
        QVERIFY(QImage(QString::fromStdString(dir / "noext.png")).width() == 1600);
        // Overwriting asks once; No keeps the file as it was.
        const auto before = std::filesystem::last_write_time(dir / "noext.png");
        f.Trigger("exportimage");
        QCOMPARE(f.messages.filter("already exists").size(), 1);
        QCOMPARE(std::filesystem::last_write_time(dir / "noext.png"), before);
        // An extension no writer knows says so instead of silently writing nothing.
        f.files->save = QString::fromStdString(dir / "page.gif");
        f.Trigger("exportimage");
        QVERIFY(f.messages.last().contains("gif"));
        QVERIFY(!std::filesystem::exists(dir / "page.gif"));
        f.files->save = QString::fromStdString(dir / "report");  // typed without an extension
        f.Trigger("exportascii");
        QVERIFY(f.files->lastProposal.endsWith("SPECTRUM.TXT"));
        QCOMPARE(QString::fromStdString(test::ReadFile(dir / "report.TXT").substr(0, 12)),
                 QString("Device Name;"));
    }

    void dataTransferDialogCopiesBothWays() {
        Shell f;
        QVERIFY(f->Inst().StartDemo());
        test::TempDir dir;
        DataTransferDialog dlg(f->Inst().Channel(), 2, f.frame.get());
        QCOMPARE(dlg.Kind().keyword, "LIM");
        dlg.SetPcFolder(QString::fromStdString(dir.path()));
        QVERIFY(dlg.InstrumentNames().contains("GSM_MASK"));
        dlg.SelectInstrument({"GSM_MASK", "UMTS_ACLR"});
        Click(&dlg, "copy >");
        QCOMPARE(dlg.PcNames(), QStringList({"GSM_MASK.QLM", "UMTS_ACLR.QLM"}));
        // Copying again asks; "No to All" skips every duplicate of the batch.
        int asked = 0;
        dlg.scriptedAnswer = [&](const std::string&) {
            ++asked;
            return DuplicateAnswer::NoToAll;
        };
        Click(&dlg, "copy >");
        QCOMPARE(asked, 1);
        // Back to the instrument under a new name by "Rename".
        dlg.scriptedAnswer = [](const std::string&) { return DuplicateAnswer::Rename; };
        dlg.scriptedRename = [](std::string& n) {
            n = "MASK2";
            return true;
        };
        dlg.SelectPc({"GSM_MASK.QLM"});
        Click(&dlg, "< copy");
        QVERIFY(dlg.InstrumentNames().contains("MASK2"));
        // "D" asks first; No keeps the file, Yes deletes it.
        dlg.SelectInstrument({"MASK2"});
        Click(&dlg, "D", 0);
        QCOMPARE(f.messages.last(), QString("Are you sure to delete the setected items?"));
        QVERIFY(dlg.InstrumentNames().contains("MASK2"));
        f.answer = [](const QString&) { return true; };
        Click(&dlg, "D", 0);
        QVERIFY(!dlg.InstrumentNames().contains("MASK2"));
        dlg.SelectPc({"UMTS_ACLR.QLM"});
        Click(&dlg, "D", 1);
        QCOMPARE(dlg.PcNames(), QStringList({"GSM_MASK.QLM"}));
        f.answer = [](const QString&) { return false; };
        dlg.NewFolder();
        QVERIFY(dlg.PcNames().contains("New Folder"));
        dlg.OpenPcEntry("New Folder");
        QVERIFY(dlg.PcFolder().endsWith("New Folder"));
        Click(&dlg, "up");
        QCOMPARE(dlg.PcFolder(), QString::fromStdString(dir.path()));
        dlg.SetPcFolder("/");
        Click(&dlg, "up");
        QCOMPARE(f.messages.last(), QString("Already at top level"));
        // The tabs of a Quarn2: eight kinds, ">>" steps to the next.
        dlg.SelectTab(6);
        Click(&dlg, ">>");
        QCOMPARE(dlg.Kind().keyword, "CFAC");
    }

    void deletingPcFoldersNeedsConsentAndABatchLocksTheDialog() {
        Shell f;
        QVERIFY(f->Inst().StartDemo());
        test::TempDir dir;
        std::filesystem::create_directories(dir / "sites/north/old");
        test::WriteFile(dir / "sites/north/a.QLM", "x");
        test::WriteFile(dir / "sites/b.QLM", "y");
        std::filesystem::create_directories(dir / "empty");
        test::WriteFile(dir / "MASK.QLM", "\r\n1,2.0,3,4.0,5\r\n");
        DataTransferDialog dlg(f->Inst().Channel(), 2, f.frame.get());
        dlg.SetPcFolder(QString::fromStdString(dir.path()));
        // Select all and D, Yes to the first question: files and the empty folder go; the folder tree
        // is named with what it holds and stays when the answer is No.
        QStringList asked;
        f.answer = [&](const QString& q) {
            asked << q;
            return !q.startsWith("The folder");
        };
        Click(&dlg, "Select all", 1);
        Click(&dlg, "D", 1);
        QVERIFY(std::filesystem::exists(dir / "sites/north/a.QLM"));
        QVERIFY(!std::filesystem::exists(dir / "empty"));
        QVERIFY(!std::filesystem::exists(dir / "MASK.QLM"));
        QVERIFY(asked.contains(
            "The folder sites holds 2 file(s) and 2 folder(s).\nDelete it with everything in it?"));
        // Yes to that question too: now the tree goes.
        f.answer = [](const QString&) { return true; };
        Click(&dlg, "Select all", 1);
        Click(&dlg, "D", 1);
        QVERIFY(!std::filesystem::exists(dir / "sites"));

        // During a copy batch the tabs and buttons are locked: a click on another tab changes nothing.
        test::WriteFile(dir / "MASK.QLM", "\r\n1,2.0,3,4.0,5\r\n");
        dlg.RefreshPc();
        dlg.SelectPc({"MASK.QLM"});
        auto* tabs = dlg.findChild<QTabBar*>();
        QVERIFY(tabs);
        bool lockedDuringBatch = false;
        dlg.scriptedAnswer = [&](const std::string&) {
            lockedDuringBatch = !tabs->isEnabled();
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(4).center());
            return DuplicateAnswer::Yes;
        };
        Click(&dlg, "< copy");  // MASK exists on the instrument only after the first copy
        Click(&dlg, "< copy");
        QVERIFY(lockedDuringBatch);
        QCOMPARE(dlg.Kind().keyword, "LIM");
        QVERIFY(tabs->isEnabled());

        // A download the instrument refuses says so and never shows up as sent.
        test::WriteFile(dir / "REFUSED.QLM", "\r\n1,2.0,3,4.0,5\r\n");
        dlg.RefreshPc();
        f->Inst().Demo()->SetFault(sim::FaultKind::Error);
        dlg.SelectPc({"REFUSED.QLM"});
        Click(&dlg, "< copy");
        f->Inst().Demo()->SetFault(sim::FaultKind::None);
        QVERIFY(f.messages.last().contains("refused"));
        Click(&dlg, "R", 0);
        QVERIFY(!dlg.InstrumentNames().contains("REFUSED"));
    }

    void dataTransferAndScreenDumpOpenFromTheirCommands() {
        Shell f;
        QVERIFY(f->Inst().StartDemo());
        int tab = -1;
        f.onDialog = [&](QDialog& d) {
            if (auto* t = qobject_cast<DataTransferDialog*>(&d)) tab = t->Kind().tab;
            return int(QDialog::Rejected);
        };
        f.Trigger("transfer");
        QCOMPARE(f.dialogs, QStringList({"fl::DataTransferDialog"}));
        QCOMPARE(tab, 0);  // the traces tab
        f.Trigger("screendump");
        QCOMPARE(f.dialogs.last(), QString("fl::ScreenDumpWindow"));
        QVERIFY2(f.messages.isEmpty(), qPrintable(f.messages.join("|")));
    }

    void screenDumpWindowReadsSavesAndAborts() {
        Shell f;
        QVERIFY(f->Inst().StartDemo());
        test::TempDir dir;
        ScreenDumpWindow w(f->Inst().Channel(), f.frame.get());
        QVERIFY(!w.HasPicture());
        Click(&w, "Read Screen");
        QTRY_VERIFY_WITH_TIMEOUT(w.HasPicture(), 10000);
        QCOMPARE(w.Picture().size(), QSize(640, 480));
        QVERIFY(w.SaveImage(QString::fromStdString(dir / "screen.png")));
        QVERIFY(std::filesystem::file_size(dir / "screen.png") > 500);
        QVERIFY(!w.SaveImage(QString::fromStdString(dir / "screen.gif")));
        Click(&w, "Clear Display");
        QVERIFY(!w.HasPicture());
        Click(&w, "Read Screen");
        Click(&w, "Abort");  // at once
        QVERIFY(!w.Running());
        QCOMPARE(f.messages.last(), QString("Read Screen aborted   "));
        w.accept();
        std::string reply;
        QVERIFY(f->Inst().Channel().Transact("*IDN?", reply));
    }

    void lockPanesFollowTheKeyboardLeds() {
        Shell f;
        test::TempDir leds;
        auto led = [&](const std::string& name, const char* value) {
            std::filesystem::create_directories(leds / name);
            test::WriteFile(leds / (name + "/brightness"), value);
        };
        led("input3::capslock", "1\n");
        led("input3::numlock", "0\n");
        led("input7::numlock", "1\n");  // a second keyboard: any lit LED counts
        led("input3::scrolllock", "0\n");
        led("phy0-led", "1\n");
        f->SetLedsFolder(leds.path());
        f->UpdateLockPanes();
        QCOMPARE(f->StatusText(2), QString("CAP"));
        QCOMPARE(f->StatusText(3), QString("NUM"));
        QCOMPARE(f->StatusText(4), QString(""));
        led("input3::capslock", "0\n");
        led("input3::scrolllock", "1\n");
        f->UpdateLockPanes();
        QCOMPARE(f->StatusText(2), QString(""));
        QCOMPARE(f->StatusText(4), QString("SCRL"));
        f->SetLedsFolder(leds.path() + "/missing");
        f->UpdateLockPanes();
        for (int pane = 2; pane < 5; ++pane)
            QCOMPARE(f->StatusText(pane), QString(""));
    }

    void levelDialogEditsTheYAxis() {
        Shell f;
        QVERIFY(f->Documents().OpenFile(QString::fromStdString(test::SamplePath("RFL_RL.qtm"))));
        CMyQuarnDoc& d = f->Frames().first()->Document();
        d.SetModifiedFlag(false);
        d.m_dRflRefVswr = 2.0;
        int redraws = 0;
        {
            LevelDialog dlg(d, "Reflection", [&] { ++redraws; });
            QCOMPARE(dlg.UnitList()->count(), 4);
            QCOMPARE(dlg.ReferenceCaption()->text(), QString("Ref. [dB]"));
            QVERIFY(!dlg.ApplyButton()->isEnabled());
            dlg.ReferenceField()->selectAll();
            QTest::keyClicks(dlg.ReferenceField(), "-3");
            QVERIFY(dlg.ApplyButton()->isEnabled());
            dlg.Step(1);
            QCOMPARE(dlg.ReferenceField()->text(), QString("-2.0"));
            QTest::mouseClick(dlg.ApplyButton(), Qt::LeftButton);
            QCOMPARE(d.SelectedReference(), -2.0);
            QCOMPARE(redraws, 1);
            QVERIFY(!dlg.ApplyButton()->isEnabled());
            // Choosing VSWR applies at once and shows its caption and value.
            dlg.UnitList()->setCurrentIndex(1);
            QCOMPARE(dlg.ReferenceCaption()->text(), QString("Max VSWR"));
            QCOMPARE(dlg.ReferenceField()->text(), QString("2.000"));
            QCOMPARE(d.DisplayUnit(), std::string("VSWR"));
            QCOMPARE(redraws, 2);
            dlg.reject();
        }
        QVERIFY(!d.IsModified());  // only OK marks the document

        // The View menu entry opens the dialog on the active window; OK marks the document modified.
        f.onDialog = [](QDialog& dlg) {
            if (!qobject_cast<LevelDialog*>(&dlg)) return int(QDialog::Rejected);
            dlg.accept();  // OK
            return dlg.result();
        };
        f.Trigger("levelsettings");
        QCOMPARE(f.dialogs, QStringList({"fl::LevelDialog"}));
        QVERIFY(d.IsModified());
        QCOMPARE(d.DisplayUnit(), std::string("VSWR"));
    }

    // The sample's normalised transmission trace ("NORMalized"): choosing dBm in the Level dialog opened
    // from the View menu moves it by the generator level.
    void levelDialogShiftsANormalisedTrace() {
        Shell f;
        QVERIFY(f->Documents().OpenFile(QString::fromStdString(test::SamplePath("TRANS_NORM.qtr"))));
        CMyQuarnDoc& d = f->Frames().first()->Document();
        QCOMPARE(d.m_strTraceMathA, std::string("NORMalized"));
        QCOMPARE(d.DisplayUnit(), std::string("DB"));
        const double gen = d.m_dGenLevel;
        QVERIFY(gen != 0);
        const std::vector<double> before = d.m_arrTraceA;
        f.onDialog = [](QDialog& dlg) {
            auto* l = qobject_cast<LevelDialog*>(&dlg);
            if (!l) return int(QDialog::Rejected);
            l->UnitList()->setCurrentIndex(l->UnitList()->findText("dBm"));  // applies at once
            dlg.accept();
            return dlg.result();
        };
        f.Trigger("levelsettings");
        QCOMPARE(d.DisplayUnit(), std::string("DBM"));
        for (size_t i = 1; i < before.size(); i += 101)
            if (before[i] != -999.0) QCOMPARE(d.m_arrTraceA[i], before[i] + gen);
    }

    void gpsWindowShowsTheReceiver() {
        Shell f;
        // The menu command and the toolbar button open one window, a second use only raises it.
        f.Trigger("gps");
        f.Trigger("gps");
        const auto opened = f->findChildren<GpsWindow*>();
        QCOMPARE(opened.size(), 1);
        QVERIFY(opened.first()->isVisible());
        opened.first()->close();
        sim::NmeaSource source;
        const std::string slave = source.Start({}, 50);
        GpsWindow w(f->Inst().Gps(), f.frame.get());
        w.deviceOverride = QString::fromStdString(slave);
        f->Inst().Gps().skipSettleDelay = true;
        Click(&w, "Start GPS");
        QTRY_COMPARE_WITH_TIMEOUT(w.Value("Status"), QString("OK"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(w.Value("Satellites"), QString("08"), 5000);
        QCOMPARE(w.windowTitle(), QString("GPS - Data OK"));
        QVERIFY(w.Value("Latitude").startsWith(QString::fromUtf8("48\u00B0")));
        Click(&w, "Stop GPS");
        QVERIFY(!f->Inst().Gps().Running());
        w.Refresh();
        QCOMPARE(w.windowTitle(), QString("GPS - No valid data"));
    }

    void copiesGraphAndData() {
        Shell f;
        QVERIFY(f->Documents().OpenFile(QString::fromStdString(test::SamplePath("SPECTRUM.qtr"))));
        f.Trigger("copydata");
        const QString text = QApplication::clipboard()->text();
        QVERIFY(text.startsWith("Device Name\tSITE NORTH 7\nTrace File\tSPECTRUM\n"));
        QVERIFY(!text.contains('\r'));
        QVERIFY(!std::filesystem::exists(m_home / "~C2CBData.tmp"));
        f->ActiveFrame()->View()->resize(600, 400);
        QApplication::clipboard()->clear();
        f.Trigger("copygraph");
        QCOMPARE(QApplication::clipboard()->image().size(), QSize(600, 400));
    }

    void closingWritesTheDefaultProfile() {
        Shell f;
        QVERIFY(f->Inst().StartDemo());
        std::filesystem::remove(m_home / "default.dat");
        f->close();
        QVERIFY(std::filesystem::exists(m_home / "default.dat"));
        QVERIFY(!f->Inst().IsConnected());
    }

    void theDemoNeverBecomesTheUsersLan() {
        {
            Shell f;
            s_settings.linkKind = 1;
            s_settings.ipAddress = "10.1.2.3";
            s_settings.tcpPort = 49200;
            f->Inst().WriteDefaultProfile();
        }
        Shell f;
        f->StartUp({}, true);
        QVERIFY(f->Inst().IsConnected());
        QCOMPARE(s_settings.ipAddress, std::string("127.0.0.1"));
        // The Connect dialog closed without changes, then the program ends.
        f.Trigger("settings");
        f->close();
        ConnectionSettings stored;
        QVERIFY(ReadProfile("default", stored));
        QCOMPARE(stored.linkKind, 1);
        QCOMPARE(stored.ipAddress, std::string("10.1.2.3"));
        QCOMPARE(stored.tcpPort, 49200);
    }

    void renderedPageShowsTheTrace() {
        Shell f;
        f->resize(1200, 900);
        f->Documents().OpenFile(QString::fromStdString(test::SamplePath("CABLE_LOSS.qtr")));
        CMyQuarnView* v = f->ActiveFrame()->View();
        v->resize(900, 600);
        const QImage img = v->grab().toImage();
        QVERIFY(!img.isNull());
        int dark = 0;
        for (int x = 0; x < img.width(); x += 3)
            for (int y = 0; y < img.height(); y += 3)
                dark += qGray(img.pixel(x, y)) < 60;
        QVERIFY(dark > 100);  // frame, trace and text
    }

  private:
    test::TempDir m_home;
};

QTEST_MAIN(ShellTest)
#include "ShellTest.moc"
