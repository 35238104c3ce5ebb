// Live Trace through its command against the demo instrument: what runs is what the dialog shows, in all
// four combinations of counted/continuous and new/overwritten window; no document that is not a live
// trace of this instrument is ever written into; closing the live window or the main window during a run
// stops the worker first and leaves the link in step.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest>
#include <filesystem>

#include "AppTestUtil.h"
#include "GetTraceDialog.h"
#include "LiveTraceDialog.h"
#include "SimServer.h"

using namespace fl;
using fl::test::Shell;

namespace {

struct Choice {
    bool counted;
    int count;
    bool newWindow;
    std::string saveFolder;  // empty: no saving
    int fileType = 1;        // 0 .qtm, 1 ASCII File (.txt)
};

// Answers the Live Trace dialog by clicking its controls as the user would.
std::function<int(QDialog&)> AnswerLive(const Choice& c) {
    return [c](QDialog& d) {
        auto* live = qobject_cast<LiveTraceDialog*>(&d);
        if (!live) return int(QDialog::Rejected);
        (c.counted ? live->CountedButton() : live->ContinuousButton())->click();
        (c.newWindow ? live->NewWindowButton() : live->OverwriteButton())->click();
        live->CountField()->setValue(c.count);
        live->SaveBox()->setChecked(!c.saveFolder.empty());
        if (!c.saveFolder.empty()) {
            live->TypeList()->setCurrentIndex(c.fileType);
            live->PathField()->setText(QString::fromStdString(c.saveFolder));
        }
        live->accept();
        return live->result();
    };
}

int CountFiles(const std::string& folder) {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        n += e.is_regular_file();
    return n;
}

}  // namespace

class LiveTraceTest : public QObject {
    Q_OBJECT

    // Connected to the demo instrument with a continuous live trace running for a moment.
    static void StartContinuous(Shell& f) {
        QVERIFY(f->Inst().StartDemo());
        f.onDialog = AnswerLive({false, 1, true, {}});
        f.Trigger("livetrace");
        QVERIFY(f->Live().Running());
        QTest::qWait(200);
    }

    // The exchange after a stop gets its own reply, not the rest of a cut one.
    static void ExpectLinkInStep(Shell& f) {
        std::string reply;
        QVERIFY(f->Inst().Channel().Transact("*IDN?", reply));
        QCOMPARE(QString::fromStdString(reply), QString("ZARNELL, Quarn2, 100742, 2.31\r\n"));
    }

  private slots:
    void initTestCase() { test::UseTestHome(m_home); }

    void theDialogsGroupsAreIndependent() {
        LiveSettings s;
        LiveTraceDialog dlg(s);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        // The counted button has no caption of its own: the click goes to its round indicator.
        QTest::mouseClick(dlg.CountedButton(), Qt::LeftButton, {},
                          QPoint(6, dlg.CountedButton()->height() / 2));
        QTest::mouseClick(dlg.OverwriteButton(), Qt::LeftButton);
        QVERIFY(dlg.CountedButton()->isChecked());  // choosing the window keeps the update mode
        QTest::mouseClick(dlg.ContinuousButton(), Qt::LeftButton);
        QVERIFY(dlg.OverwriteButton()->isChecked());
        const LiveSettings out = dlg.Settings();
        QVERIFY(!out.counted);
        QVERIFY(!out.newWindow);
    }

    void countedIntoANewWindowLeavesOtherDocumentsAlone() {
        test::TempDir dir;
        Shell f;
        QVERIFY(f->Documents().OpenFile(QString::fromStdString(test::SamplePath("EMF.qtr"))));
        CChildFrame* emf = f->ActiveFrame();
        const std::vector<double> emfTrace = emf->Document().m_arrTraceA;
        QVERIFY(f->Inst().StartDemo());
        for (bool newWindow : {true, false}) {  // overwrite never applies to a document from a file
            test::TempDir saved;
            f->Activate(emf);
            const qsizetype before = f->Frames().size();
            f.onDialog = AnswerLive({true, 3, newWindow, saved.path()});
            f.Trigger("livetrace");
            QTRY_VERIFY_WITH_TIMEOUT(!f->Live().Running(), 10000);
            // Three updates: the first transfer and two from the worker, each saved.
            QCOMPARE(CountFiles(saved.path()), 3);
            for (const char* name : {"Trace001.txt", "Trace002.txt", "Trace003.txt"})
                QVERIFY2(std::filesystem::exists(saved / name), name);
            QCOMPARE(f->Frames().size(), before + 1);
            QCOMPARE(f->ActiveFrame()->Document().m_strTraceName, std::string("Live Trace"));
            // Each live window has a name of its own.
            QVERIFY2(f->ActiveFrame()->windowTitle().startsWith(newWindow ? "Live Trace 1" : "Live Trace 2"),
                     qPrintable(f->ActiveFrame()->windowTitle()));
            QVERIFY(emf->Document().m_arrTraceA == emfTrace);
            QVERIFY(!emf->Document().IsModified());
            QCOMPARE(emf->windowTitle(), QString("EMF.qtr"));
            QVERIFY(f.Enabled("gettrace"));  // the interface is back
        }
        QVERIFY2(f.messages.isEmpty(), qPrintable(f.messages.join("|")));
    }

    // Saving .qtm files leaves the window the live window: Save then asks for a name instead of putting
    // later data into the last file written.
    void savedUpdatesLeaveTheWindowItsOwn() {
        test::TempDir saved;
        Shell f;
        QVERIFY(f->Inst().StartDemo());
        f.onDialog = AnswerLive({true, 2, true, saved.path(), 0});
        f.Trigger("livetrace");
        QTRY_VERIFY_WITH_TIMEOUT(!f->Live().Running(), 10000);
        QCOMPARE(CountFiles(saved.path()), 2);
        CMyQuarnDoc& d = f->ActiveFrame()->Document();
        QVERIFY(d.m_strPathName.empty());
        QVERIFY2(f->ActiveFrame()->windowTitle().startsWith("Live Trace 1"),
                 qPrintable(f->ActiveFrame()->windowTitle()));
        const std::string second = test::ReadFile(saved / "TRACE002.QTM");
        QVERIFY(!second.empty());
        QVERIFY(d.PlanSave(d.m_strPathName).askName);
        QCOMPARE(test::ReadFile(saved / "TRACE002.QTM"), second);
    }

    void overwriteReusesTheLiveWindowOnlyWithConsent() {
        Shell f;
        QVERIFY(f->Inst().StartDemo());
        f.onDialog = AnswerLive({true, 1, true, {}});
        f.Trigger("livetrace");
        QCOMPARE(f->Frames().size(), 1);
        CChildFrame* live = f->ActiveFrame();
        QVERIFY(!f->Live().Running());  // a count of 1 is the first transfer only
        QVERIFY(live->Document().IsModified());
        // Modified: the user is asked; No gives the live trace a new window.
        f.answer = [](const QString&) { return false; };
        f.onDialog = AnswerLive({true, 1, false, {}});
        f.Trigger("livetrace");
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(f.messages.first().contains("Overwrite"));
        QCOMPARE(f->Frames().size(), 2);
        // Yes reuses the active live window; a saved (unmodified) one is reused without asking.
        f.answer = [](const QString&) { return true; };
        f.Trigger("livetrace");
        QCOMPARE(f.messages.size(), 2);
        QCOMPARE(f->Frames().size(), 2);
        f->ActiveFrame()->Document().SetModifiedFlag(false);
        f.onDialog = AnswerLive({false, 1, false, {}});  // continuous this time
        f.Trigger("livetrace");
        QCOMPARE(f.messages.size(), 2);
        QCOMPARE(f->Frames().size(), 2);
        QVERIFY(f->Live().Running());
        QVERIFY(!f.Enabled("gettrace"));
        QTest::qWait(300);
        f.Trigger("livetrace");  // stops
        QVERIFY(!f->Live().Running());
        ExpectLinkInStep(f);
    }

    void aFailedStartResynchronisesTheLink() {
        Shell f;
        QVERIFY(f->Inst().StartDemo());
        f->Inst().Demo()->SetFault(sim::FaultKind::Error);  // the instrument refuses to store its trace
        f.onDialog = AnswerLive({true, 3, true, {}});
        f.Trigger("livetrace");
        QVERIFY(!f->Live().Running());
        QCOMPARE(f->Frames().size(), 0);
        const auto log = f->Inst().Demo()->CommandLog();
        QVERIFY(!log.empty());
        QCOMPARE(QString::fromStdString(log.back()), QString("IDN?"));
        f->Inst().Demo()->SetFault(sim::FaultKind::None);
        QVERIFY(f.Enabled("gettrace"));
    }

    void closingTheLiveWindowStopsPolling() {
        Shell f;
        StartContinuous(f);
        f.answer = [](const QString&) { return false; };  // don't save
        QVERIFY(f->ActiveFrame()->close());
        QVERIFY(!f->Live().Running());
        QVERIFY(!f->Inst().LiveWorkerRunning());
        QTRY_COMPARE(f->Frames().size(), 0);
        QVERIFY(f.Enabled("gettrace"));
        ExpectLinkInStep(f);
        for (const QString& m : f.messages)
            QVERIFY2(!m.contains("ERROR"), qPrintable(m));
    }

    // The instrument goes away in the middle of a command: the program is disconnected at once (menus,
    // toolbar, status bar) and says so in exactly one message.
    static void ExpectDisconnectedWithOneMessage(Shell& f) {
        QTRY_VERIFY(!f->Inst().IsConnected());
        QTest::qWait(300);  // anything else that might still be posted
        QCOMPARE(f.messages.size(), 1);
        QVERIFY2(f.messages[0].startsWith("The connection to the instrument was lost."),
                 qPrintable(f.messages[0]));
        QCOMPARE(f->StatusText(1), QString("NOT CONNECTED    "));
        QCOMPARE(f->Action("connect")->text(), QString("&Connect"));
        for (const char* n : {"gettrace", "displaytrace", "livetrace", "screendump", "transfer"})
            QVERIFY2(!f.Enabled(n), n);
        QVERIFY(f.Enabled("connect"));
    }

    void aLinkDroppedUnderLiveTraceDisconnects() {
        Shell f;
        StartContinuous(f);
        f->Inst().Demo()->SetFault(sim::FaultKind::Drop, 1);  // the next data query finds the link gone
        QTRY_VERIFY(!f->Live().Running());
        ExpectDisconnectedWithOneMessage(f);
        QCOMPARE(f->Frames().size(), 1);  // the live window keeps what it had
    }

    void aLinkDroppedUnderGetTraceDisconnects() {
        Shell f;
        QVERIFY(f->Inst().StartDemo());
        f->Inst().Demo()->SetFault(sim::FaultKind::Drop, 4);  // after the listing and three upload lines
        f.onDialog = [](QDialog& d) {
            auto* dlg = qobject_cast<GetTraceDialog*>(&d);
            if (!dlg) return int(QDialog::Rejected);
            dlg->SelectNames({"SPECTRUM", "DTF_DB"});
            dlg->View();
            return dlg->result();
        };
        f.Trigger("gettrace");
        QCOMPARE(f->Frames().size(), 0);  // no half-read trace became a window
        ExpectDisconnectedWithOneMessage(f);
    }

    void anIdleLinkThatGoesAwayDisconnects() {
        Shell f;
        QVERIFY(f->Inst().StartDemo());
        f->Inst().Demo()->Stop();  // the instrument is switched off while nothing is asked of it
        ExpectDisconnectedWithOneMessage(f);
    }

    void closingTheMainWindowDuringLiveTraceEndsCleanly() {
        Shell f;
        StartContinuous(f);
        QElapsedTimer t;
        t.start();
        QVERIFY(f->close());
        QVERIFY(t.elapsed() < 2000);
        QVERIFY(!f->Inst().LiveWorkerRunning());
        QVERIFY(!f->Inst().IsConnected());
        QTest::qWait(100);  // anything the worker might still have posted
        for (const QString& m : f.messages)
            QVERIFY2(!m.contains("ERROR"), qPrintable(m));
    }

  private:
    test::TempDir m_home;
};

QTEST_MAIN(LiveTraceTest)
#include "LiveTraceTest.moc"
