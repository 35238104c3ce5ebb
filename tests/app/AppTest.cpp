// The desktop application under the offscreen platform: start-up paths, menu and toolbar states,
// open/save flows with scripted dialogs, view flags, fetching traces and Live Trace against quarn-sim.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>
#include <filesystem>

#include "CMainFrame.h"
#include "DataTransferDialog.h"
#include "GpsWindows.h"
#include "LevelDialog.h"
#include "NmeaSource.h"
#include "SampleTraces.h"
#include "ScreenDumpWindow.h"
#include "TestUtil.h"

using namespace fl;

namespace {

class ScriptedFiles : public FileDialogs {
  public:
    QStringList OpenFiles(QWidget*, const QString& folder) override {
        lastFolder = folder;
        return open;
    }
    QString SaveFile(QWidget*, const QString&, const QString& proposal, const QString&) override {
        lastProposal = proposal;
        return save;
    }
    QStringList open;
    QString save;
    QString lastFolder, lastProposal;
};

}  // namespace

class AppTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CMainFrame> MakeFrame(QStringList* messages, ScriptedFiles** files = nullptr) {
        auto f = std::make_unique<CMainFrame>();
        f->Prompts().scripted = [messages](const QString& text) {
            if (messages) messages->append(text);
            return false;  // No to every question
        };
        auto scripted = std::make_unique<ScriptedFiles>();
        if (files) *files = scripted.get();
        f->SetFileDialogs(std::move(scripted));
        return f;
    }

  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        qputenv("FIELDLINK_HOME", QByteArray::fromStdString(m_home.path()));
    }

    void startsWithATraceFile() {
        QStringList messages;
        auto f = MakeFrame(&messages);
        f->StartUp(QString::fromStdString(test::SamplePath("SPECTRUM.qtr")), false);
        QCOMPARE(f->Frames().size(), 1);
        QCOMPARE(f->Frames().first()->windowTitle(), QString("SPECTRUM.qtr"));
        QVERIFY(messages.isEmpty());
        QCOMPARE(f->StatusText(1), QString("NOT CONNECTED    "));
        QCOMPARE(f->windowTitle(), QString("Quarn Fieldlink Software"));
    }

    void editorFilesAndBadFiles() {
        QStringList messages;
        auto f = MakeFrame(&messages);
        f->StartUp("/tmp/limits.qlm", false);
        QCOMPARE(f->Frames().size(), 0);
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].contains(".qlm"));
        test::TempDir dir;
        test::WriteFile(dir / "bad.qtr", "Garbage");
        f->OpenFile(QString::fromStdString(dir / "bad.qtr"));
        QCOMPARE(messages.last(), QString("Not supported file format   "));
        QCOMPARE(f->Frames().size(), 1);  // opened with the constructed values
        test::WriteFile(dir / "short.qtm", "F\x01");
        f->OpenFile(QString::fromStdString(dir / "short.qtm"));
        QCOMPARE(messages.last(), QString("Unexpected file format."));
        QCOMPARE(f->Frames().size(), 1);
    }

    void menuStatesFollowConnectionAndDocuments() {
        auto f = MakeFrame(nullptr);
        f->RefreshConnectionState();
        for (const char* n : {"gettrace", "displaytrace", "livetrace", "screendump"})
            QVERIFY2(!f->InstrumentCommandEnabled(n), n);
        QVERIFY(!f->Action("save")->isEnabled());
        QVERIFY(f->StartDemo());
        QCOMPARE(f->StatusText(1), QString("IP: 127.0.0.1"));
        for (const char* n : {"gettrace", "displaytrace", "livetrace", "screendump"})
            QVERIFY2(f->InstrumentCommandEnabled(n), n);
        QCOMPARE(f->Action("connect")->text(), QString("Dis&connect"));
        f->ConnectCommand();  // toggles: disconnects
        QCOMPARE(f->StatusText(1), QString("NOT CONNECTED    "));
        QVERIFY(!f->InstrumentCommandEnabled("gettrace"));
    }

    void fetchesTracesFromTheDemoInstrument() {
        QStringList messages;
        auto f = MakeFrame(&messages);
        f->StartUp({}, true);
        QVERIFY(f->Channel().IsConnected());
        f->Retrieval().flags.displayMode = false;
        QVERIFY(f->Retrieval().TraceUpload({"SPECTRUM", "DTF_DB"}));
        QCOMPARE(f->Frames().size(), 2);
        QCOMPARE(f->Frames()[0]->windowTitle(), QString("SPECTRUM*"));  // new from the instrument: modified
        f->DisplayTraceCommand();
        QCOMPARE(f->Frames().size(), 3);
        QVERIFY(f->ActiveFrame()->windowTitle().startsWith("active "));
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join("|")));
    }

    void saveAsksForANameForInstrumentFiles() {
        test::TempDir dir;
        std::filesystem::copy_file(test::SamplePath("SPECTRUM.qtr"), dir / "GSM900.QTR");
        ScriptedFiles* files = nullptr;
        auto f = MakeFrame(nullptr, &files);
        QVERIFY(f->OpenFile(QString::fromStdString(dir / "GSM900.QTR")));
        files->save = QString::fromStdString(dir / "site7");
        QVERIFY(f->SaveCommand(false));
        QVERIFY(files->lastProposal.endsWith("GSM900.qtm"));
        QVERIFY(std::filesystem::exists(dir / "site7.qtm"));
        QCOMPARE(f->ActiveFrame()->windowTitle(), QString("site7"));
        // Now a .qtm: Save writes silently, Save As asks again.
        files->lastProposal.clear();
        QVERIFY(f->SaveCommand(false));
        QVERIFY(files->lastProposal.isEmpty());
        files->save.clear();  // cancelled
        QVERIFY(!f->SaveCommand(true));
        QVERIFY(files->lastProposal.endsWith("site7.qtm"));
    }

    void openUsesAndRemembersTheTracesFolder() {
        ScriptedFiles* files = nullptr;
        auto f = MakeFrame(nullptr, &files);
        files->open = {QString::fromStdString(test::SamplePath("CPOWER.qtm")),
                       QString::fromStdString(test::SamplePath("EMF.qtr"))};
        f->OpenCommand();
        QCOMPARE(f->Frames().size(), 2);
        f->OpenCommand();
        QCOMPARE(files->lastFolder, QString::fromStdString(std::string(FIELDLINK_TEST_DATA) + "/samples"));
    }

    void viewFlagsBecomeDefaultsOfLaterDocuments() {
        auto f = MakeFrame(nullptr);
        QVERIFY(f->StartDemo());
        QVERIFY(f->Retrieval().TraceUpload({"SPECTRUM"}));
        CChildFrame* first = f->ActiveFrame();
        const int level = first->Document().m_bShowLevelPanel;
        first->View()->RunViewCommand(ViewCommand::Level);
        QCOMPARE(first->Document().m_bShowLevelPanel, 1 - level);
        QVERIFY(f->Retrieval().TraceUpload({"CPOWER"}));
        QCOMPARE(f->ActiveFrame()->Document().m_bShowLevelPanel, 1 - level);
        first->View()->RunViewCommand(ViewCommand::Level);  // back, for the other tests
    }

    void liveTraceStartsUpdatesAndStops() {
        test::TempDir dir;
        auto f = MakeFrame(nullptr);
        QVERIFY(f->StartDemo());
        LiveSettings s;
        s.save = true;
        s.fileType = 1;
        s.path = dir.path();
        QVERIFY(f->StartLiveTrace(s));
        QVERIFY(f->LiveRunning());
        QVERIFY(!f->InstrumentCommandEnabled("gettrace"));
        QVERIFY(f->InstrumentCommandEnabled("livetrace"));
        QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(dir / "Trace003.txt"), 5000);
        QElapsedTimer t;
        t.start();
        f->LiveTraceCommand();  // stops
        QVERIFY(t.elapsed() < 1000);
        QVERIFY(!f->LiveRunning());
        QVERIFY(f->InstrumentCommandEnabled("gettrace"));
        QCOMPARE(f->ActiveFrame()->Document().m_strTraceName, std::string("Live Trace"));
        std::string reply;
        QVERIFY(f->Channel().Transact("*IDN?", reply));
        QCOMPARE(QString::fromStdString(reply), QString("ZARNELL, Quarn2, 100742, 2.31\r\n"));
    }

    void welcomeChoices() {
        ScriptedFiles* files = nullptr;
        QStringList messages;
        auto f = MakeFrame(&messages, &files);
        files->open = {QString::fromStdString(test::SamplePath("OBW.qtr"))};
        f->WelcomeChoice(2);  // "Open existing Trace": the file dialog, no connection
        QCOMPARE(f->Frames().size(), 1);
        QVERIFY(!f->Channel().IsConnected());
        // "LAN Connection" to the demo instrument's address connects and writes the default profile.
        QVERIFY(f->StartDemo());
        f->ConnectCommand();
        QVERIFY(!f->Channel().IsConnected());
        std::filesystem::remove(m_home / "default.dat");
        f->WelcomeChoice(1);
        QVERIFY(f->Channel().IsConnected());
        QVERIFY(std::filesystem::exists(m_home / "default.dat"));
    }

    void exportsTheImageAndTheReport() {
        test::TempDir dir;
        ScriptedFiles* files = nullptr;
        auto f = MakeFrame(nullptr, &files);
        QVERIFY(f->OpenFile(QString::fromStdString(test::SamplePath("SPECTRUM.qtr"))));
        files->save = QString::fromStdString(dir / "page.png");
        f->ExportImageCommand();
        QVERIFY(files->lastProposal.endsWith("SPECTRUM.bmp"));
        QVERIFY(std::filesystem::file_size(dir / "page.png") > 1000);
        files->save = QString::fromStdString(dir / "report.TXT");
        f->ExportAsciiCommand();
        QVERIFY(files->lastProposal.endsWith("SPECTRUM.TXT"));
        QCOMPARE(QString::fromStdString(test::ReadFile(dir / "report.TXT").substr(0, 12)),
                 QString("Device Name;"));
    }

    void dataTransferDialogCopiesBothWays() {
        QStringList messages;
        auto f = MakeFrame(&messages);
        QVERIFY(f->StartDemo());
        test::TempDir dir;
        DataTransferDialog dlg(f->Channel(), 2, f.get());
        QCOMPARE(dlg.Kind().keyword, "LIM");
        dlg.SetPcFolder(QString::fromStdString(dir.path()));
        QVERIFY(dlg.InstrumentNames().contains("GSM_MASK"));
        dlg.SelectInstrument({"GSM_MASK", "UMTS_ACLR"});
        dlg.CopyToPc();
        QCOMPARE(dlg.PcNames(), QStringList({"GSM_MASK.QLM", "UMTS_ACLR.QLM"}));
        // Copying again asks; "No to All" skips every duplicate of the batch.
        int asked = 0;
        dlg.scriptedAnswer = [&](const std::string&) {
            ++asked;
            return DuplicateAnswer::NoToAll;
        };
        dlg.CopyToPc();
        QCOMPARE(asked, 1);
        // Back to the instrument under a new name by "Rename".
        dlg.scriptedAnswer = [](const std::string&) { return DuplicateAnswer::Rename; };
        dlg.scriptedRename = [](std::string& n) {
            n = "MASK2";
            return true;
        };
        dlg.SelectPc({"GSM_MASK.QLM"});
        dlg.CopyToInstrument();
        QVERIFY(dlg.InstrumentNames().contains("MASK2"));
        dlg.SelectInstrument({"MASK2"});
        dlg.DeleteInstrumentSelection(true);
        QVERIFY(!dlg.InstrumentNames().contains("MASK2"));
        dlg.SelectPc({"UMTS_ACLR.QLM"});
        dlg.DeletePcSelection(true);
        QCOMPARE(dlg.PcNames(), QStringList({"GSM_MASK.QLM"}));
        dlg.NewFolder();
        QVERIFY(dlg.PcNames().contains("New Folder"));
        dlg.OpenPcEntry("New Folder");
        QVERIFY(dlg.PcFolder().endsWith("New Folder"));
        dlg.Up();
        QCOMPARE(dlg.PcFolder(), QString::fromStdString(dir.path()));
        dlg.SetPcFolder("/");
        dlg.Up();
        QCOMPARE(messages.last(), QString("Already at top level"));
        // The tabs of a Quarn2: eight kinds.
        dlg.SelectTab(7);
        QCOMPARE(dlg.Kind().keyword, "CFAC");
    }

    void screenDumpWindowReadsSavesAndAborts() {
        QStringList messages;
        auto f = MakeFrame(&messages);
        QVERIFY(f->StartDemo());
        test::TempDir dir;
        ScreenDumpWindow w(f->Channel(), f.get());
        QVERIFY(!w.HasPicture());
        w.ReadOrAbort();
        QTRY_VERIFY_WITH_TIMEOUT(w.HasPicture(), 10000);
        QCOMPARE(w.Picture().size(), QSize(640, 480));
        QVERIFY(w.SaveImage(QString::fromStdString(dir / "screen.png")));
        QVERIFY(std::filesystem::file_size(dir / "screen.png") > 500);
        QVERIFY(!w.SaveImage(QString::fromStdString(dir / "screen.gif")));
        w.Clear();
        QVERIFY(!w.HasPicture());
        w.ReadOrAbort();
        w.ReadOrAbort();  // abort at once
        QVERIFY(!w.Running());
        QCOMPARE(messages.last(), QString("Read Screen aborted   "));
        w.accept();
        std::string reply;
        QVERIFY(f->Channel().Transact("*IDN?", reply));
    }

    void lockPanesFollowTheKeyboardLeds() {
        auto f = MakeFrame(nullptr);
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
        auto f = MakeFrame(nullptr);
        QVERIFY(f->OpenFile(QString::fromStdString(test::SamplePath("RFL_RL.qtm"))));
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
        QTimer::singleShot(0, [] {
            if (auto* dlg = qobject_cast<LevelDialog*>(QApplication::activeModalWidget())) dlg->accept();
        });
        for (QMenu* m : f->menuBar()->findChildren<QMenu*>())
            if (m->title() == "&View") emit m->aboutToShow();
        QAction* level = f->Action("level");
        QVERIFY(level);
        level->trigger();
        QVERIFY(d.IsModified());
        QCOMPARE(d.DisplayUnit(), std::string("VSWR"));
    }

    void gpsWindowShowsTheReceiver() {
        auto f = MakeFrame(nullptr);
        // The menu command and the toolbar button open one window, a second use only raises it.
        f->Action("gps")->trigger();
        f->Action("gps")->trigger();
        const auto opened = f->findChildren<GpsWindow*>();
        QCOMPARE(opened.size(), 1);
        QVERIFY(opened.first()->isVisible());
        opened.first()->close();
        sim::NmeaSource source;
        const std::string slave = source.Start({}, 50);
        GpsWindow w(f->Gps(), f.get());
        w.deviceOverride = QString::fromStdString(slave);
        f->Gps().skipSettleDelay = true;
        w.StartStop();
        QTRY_COMPARE_WITH_TIMEOUT(w.Value("Status"), QString("OK"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(w.Value("Satellites"), QString("08"), 5000);
        QCOMPARE(w.windowTitle(), QString("GPS - Data OK"));
        QVERIFY(w.Value("Latitude").startsWith(QString::fromUtf8("48\u00B0")));
        w.StartStop();
        QVERIFY(!f->Gps().Running());
        w.Refresh();
        QCOMPARE(w.windowTitle(), QString("GPS - No valid data"));
    }

    void printsCopiesGraphAndData() {
        auto f = MakeFrame(nullptr);
        QVERIFY(f->OpenFile(QString::fromStdString(test::SamplePath("SPECTRUM.qtr"))));
        test::TempDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(dir / "page.pdf"));
        QVERIFY(f->PrintDocument(printer, f->ActiveFrame()));
        QVERIFY(std::filesystem::file_size(dir / "page.pdf") > 2000);
        f->CopyDataCommand();
        const QString text = QApplication::clipboard()->text();
        QVERIFY(text.startsWith("Device Name\tSITE NORTH 7\nTrace File\tSPECTRUM\n"));
        QVERIFY(!text.contains('\r'));
        QVERIFY(!std::filesystem::exists(m_home / "~C2CBData.tmp"));
        f->ActiveFrame()->View()->resize(600, 400);
        f->CopyGraphCommand();
        QVERIFY(!QApplication::clipboard()->image().isNull());
    }

    void closingWritesTheDefaultProfile() {
        auto f = MakeFrame(nullptr);
        QVERIFY(f->StartDemo());
        std::filesystem::remove(m_home / "default.dat");
        f->close();
        QVERIFY(std::filesystem::exists(m_home / "default.dat"));
        QVERIFY(!f->Channel().IsConnected());
    }

    void renderedPageShowsTheTrace() {
        auto f = MakeFrame(nullptr);
        f->resize(1200, 900);
        f->OpenFile(QString::fromStdString(test::SamplePath("CABLE_LOSS.qtr")));
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

QTEST_MAIN(AppTest)
#include "AppTest.moc"
