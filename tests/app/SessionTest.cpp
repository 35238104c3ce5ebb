// Instrument commands run as jobs of the instrument session: the window keeps painting while they run,
// Cancel ends them at once and leaves the link in step, and no exchange happens on the GUI thread.
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <atomic>

#include <filesystem>

#include "AppTestUtil.h"
#include "DataTransferDialog.h"
#include "GetTraceDialog.h"
#include "LiveSession.h"
#include "LiveTraceDialog.h"
#include "ScreenDumpWindow.h"
#include "SimServer.h"

using namespace fl;
using fl::test::Shell;

namespace {

// The longest the window may wait while a job runs. Typically the heartbeat never misses a beat (20 ms);
// the bound leaves room for a busy machine's scheduling (seen: one tick of 111 ms in twenty runs) and
// still fails at once when the GUI waits for the instrument (a slow listing takes a second, a silent one
// seven). The sanitizer build runs the GUI's own work several times slower.
#ifdef __SANITIZE_ADDRESS__
constexpr qint64 kMaxStallMs = 600;
#else
constexpr qint64 kMaxStallMs = 250;
#endif

// The progress window of the running job, when it shows.
QProgressDialog* JobWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<QProgressDialog*>(w); p && p->isVisible()) return p;
    return nullptr;
}

std::function<int(QDialog&)> ViewNames(std::vector<std::string> names) {
    return [names](QDialog& d) {
        auto* dlg = qobject_cast<GetTraceDialog*>(&d);
        if (!dlg) return int(QDialog::Rejected);
        dlg->SelectNames(names);
        dlg->View();
        return dlg->result();
    };
}

// The longest gap between the ticks of a 20 ms heartbeat on the GUI thread while an instrument job runs
// during `run`.
qint64 LongestStallWhileBusy(Shell& f, const std::function<void()>& run) {
    QElapsedTimer beat;
    qint64 longest = 0;
    QTimer heartbeat;
    heartbeat.setInterval(20);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 since = beat.restart();
        if (f->Inst().Session().Busy()) longest = std::max(longest, since);
    });
    // A job's start begins a new measure: the GUI's own work between two jobs (a dialog) is no stall.
    const auto started = QObject::connect(&f->Inst().Session(), &InstrumentSession::busyChanged, [&] {
        if (f->Inst().Session().Busy()) beat.restart();
    });
    beat.start();
    heartbeat.start();
    run();
    QObject::disconnect(started);
    return longest;
}

// Presses the running job's Cancel after `ms`.
void CancelAfter(int ms) {
    QTimer::singleShot(ms, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<QProgressDialog*>(w); p && p->isVisible())
                if (auto* b = p->findChild<QPushButton*>()) b->click();
    });
}

}  // namespace

class SessionTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { test::UseTestHome(m_home); }

    void theWindowKeepsPaintingWhileAJobRuns() {
        Shell f;
        QVERIFY(f->Inst().StartDemo());
        std::atomic<int> onGuiThread{0};
        f->Inst().Channel().onExchange = [&](const std::string&) {
            if (QThread::currentThread() == qApp->thread()) ++onGuiThread;
        };
        // A slow instrument: 2 ms a byte, so the listing and the upload take about a second.
        f->Inst().Demo()->AddTrace("SHORT", {"# TRACE SHORT;   created: 2026/03/05 10:00:00",
                                             "SENSe:FREQuency:CENTer 1000000", "SENSe:FREQuency:SPAN 2000000",
                                             "SENSe:FREQuency:STARt 0", "SENSe:FREQuency:STOP 2000000"});
        f->Inst().Demo()->SetFault(sim::FaultKind::Slow);
        bool greyed = false;
        QTimer::singleShot(200, [&] { greyed = !f.Enabled("displaytrace") && !f.Enabled("connect"); });
        f.onDialog = ViewNames({"SHORT"});
        QElapsedTimer took;
        took.start();
        const qint64 longest = LongestStallWhileBusy(f, [&] { f.Trigger("gettrace"); });
        QVERIFY2(took.elapsed() > 300, "the job was not slow enough to tell");
        QCOMPARE(f->Frames().size(), 1);
        QVERIFY2(longest < kMaxStallMs, qPrintable(QString("the window stalled %1 ms").arg(longest)));
        QVERIFY(greyed);  // no second job while one runs
        QVERIFY(f.Enabled("displaytrace"));
        QCOMPARE(onGuiThread.load(), 0);
        QVERIFY2(f.messages.isEmpty(), qPrintable(f.messages.join("|")));
    }

    void everyInstrumentCommandKeepsTheWindowAlive() {
        Shell f;
        QVERIFY(f->Inst().StartDemo());
        // (command, fault): slow replies (2 ms a byte) or a silent instrument whose job is cancelled.
        const struct {
            const char* command;
            sim::FaultKind fault;
        } cases[] = {{"gettrace", sim::FaultKind::Slow},        {"transfer", sim::FaultKind::Slow},
                     {"displaytrace", sim::FaultKind::Silence}, {"gettrace", sim::FaultKind::Silence},
                     {"transfer", sim::FaultKind::Silence},     {"connect", sim::FaultKind::None}};
        f.onDialog = [](QDialog&) { return int(QDialog::Rejected); };
        for (const auto& c : cases) {
            f->Inst().Demo()->SetFault(c.fault);
            if (c.fault == sim::FaultKind::Silence) CancelAfter(500);
            const qint64 stall = LongestStallWhileBusy(f, [&] { f.Trigger(c.command); });
            QVERIFY2(stall < kMaxStallMs,
                     qPrintable(QString("%1: the window stalled %2 ms").arg(c.command).arg(stall)));
            f->Inst().Demo()->SetFault(sim::FaultKind::None);
            if (!f->Inst().IsConnected()) f.Trigger("connect");
            QVERIFY(f->Inst().IsConnected());
        }
    }

    void noInstrumentCommandTalksOnTheGuiThread() {
        Shell f;
        int onGuiThread = 0;
        QStringList commands;
        auto watch = [&] {
            f->Inst().Channel().onExchange = [&](const std::string& c) {
                if (QThread::currentThread() == qApp->thread()) {
                    ++onGuiThread;
                    commands << QString::fromStdString(c);
                }
            };
        };
        watch();
        f->StartUp({}, true);  // the demo connects and fetches two traces
        QCOMPARE(f->Frames().size(), 2);
        f.onDialog = ViewNames({"DTF_DB"});
        f.Trigger("gettrace");
        f.Trigger("displaytrace");
        QCOMPARE(f->Frames().size(), 4);
        f.onDialog = [](QDialog&) { return int(QDialog::Rejected); };  // Data Transfer: opened, closed
        f.Trigger("transfer");
        // Live Trace: the first transfer, the polling and the stop with its resynchronisation.
        f.onDialog = [](QDialog& d) {
            if (!qobject_cast<LiveTraceDialog*>(&d)) return int(QDialog::Rejected);
            d.accept();  // continuous, into a new window
            return d.result();
        };
        f.Trigger("livetrace");
        QVERIFY(f->Live().Running());
        QTest::qWait(300);
        f.Trigger("livetrace");  // stops
        QVERIFY(!f->Inst().LiveWorkerRunning());
        // Screen Dump: opening, a whole read and closing.
        bool read = false;
        f.onDialog = [&](QDialog& d) {
            auto* w = qobject_cast<ScreenDumpWindow*>(&d);
            if (!w) return int(QDialog::Rejected);
            w->ReadOrAbort();
            for (int i = 0; i < 1000 && w->Running(); ++i)
                QTest::qWait(10);
            read = w->HasPicture();
            w->reject();
            return int(QDialog::Rejected);
        };
        f.Trigger("screendump");
        QVERIFY(read);
        f.Trigger("connect");  // disconnects
        QVERIFY(!f->Inst().IsConnected());
        f.Trigger("connect");  // and connects again
        QVERIFY(f->Inst().IsConnected());
        QVERIFY2(onGuiThread == 0, qPrintable(commands.join(" | ")));
    }

    void cancelEndsAJobAtOnceAndTheNextCommandWorks() {
        Shell f;
        QVERIFY(f->Inst().StartDemo());
        f->Inst().Demo()->SetFault(sim::FaultKind::Silence);  // Display Trace waits 7 s for each reply
        QElapsedTimer sinceCancel;
        QTimer::singleShot(600, [&] {
            QProgressDialog* w = JobWindow();
            QVERIFY(w);
            auto* cancel = w->findChild<QPushButton*>();
            QVERIFY(cancel);
            QCOMPARE(cancel->text(), QString("Cancel"));
            sinceCancel.start();
            cancel->click();
        });
        f.Trigger("displaytrace");
        QVERIFY(sinceCancel.isValid());
        QVERIFY2(sinceCancel.elapsed() < 500, qPrintable(QString::number(sinceCancel.elapsed())));
        QCOMPARE(f->Frames().size(), 0);  // a cancelled upload makes no document
        QVERIFY2(f.messages.isEmpty(), qPrintable(f.messages.join("|")));  // a cancel is no failure
        QVERIFY(!JobWindow());
        f->Inst().Demo()->SetFault(sim::FaultKind::None);
        f.Trigger("displaytrace");
        QCOMPARE(f->Frames().size(), 1);
        QVERIFY(f->Inst().IsConnected());
    }

    void theDataTransferBatchIsAJobThatStillAsks() {
        test::TempDir dir;
        Shell f;
        QVERIFY(f->Inst().StartDemo());
        int onGuiThread = 0;
        f->Inst().Channel().onExchange = [&](const std::string&) {
            if (QThread::currentThread() == qApp->thread()) ++onGuiThread;
        };
        int asked = 0;
        bool askedOnGuiThread = false;
        f.onDialog = [&](QDialog& d) {
            auto* dlg = qobject_cast<DataTransferDialog*>(&d);
            if (!dlg) return int(QDialog::Rejected);
            dlg->SelectTab(2);  // limits
            dlg->SetPcFolder(QString::fromStdString(dir.path()));
            dlg->SelectInstrument({"GSM_MASK"});
            dlg->CopyToPc();
            // Copied again: the duplicate question comes from the job and is answered here.
            dlg->scriptedAnswer = [&](const std::string& name) {
                ++asked;
                askedOnGuiThread = QThread::currentThread() == qApp->thread();
                return name == "GSM_MASK.QLM" ? DuplicateAnswer::Yes : DuplicateAnswer::No;
            };
            dlg->SelectInstrument({"GSM_MASK"});
            dlg->CopyToPc();
            return int(QDialog::Accepted);
        };
        f.Trigger("transfer");
        QCOMPARE(asked, 1);
        QVERIFY(askedOnGuiThread);
        QVERIFY(std::filesystem::exists(dir / "GSM_MASK.QLM"));
        QCOMPARE(onGuiThread, 0);
        QVERIFY2(f.messages.isEmpty(), qPrintable(f.messages.join("|")));
    }

    void closingTheProgramEndsTheJobFirst() {
        Shell f;
        QVERIFY(f->Inst().StartDemo());
        f->Inst().Demo()->SetFault(sim::FaultKind::Silence);
        QElapsedTimer sinceClose;
        QTimer::singleShot(300, [&] {
            sinceClose.start();
            f->close();  // asked while the job waits for a silent instrument
        });
        f.Trigger("displaytrace");
        // The job ended at once and the close went on: the program let the instrument go.
        QTRY_VERIFY_WITH_TIMEOUT(!f->Inst().IsConnected(), 2000);
        QVERIFY2(sinceClose.elapsed() < 1500, qPrintable(QString::number(sinceClose.elapsed())));
        QCOMPARE(f->Frames().size(), 0);
    }

  private:
    test::TempDir m_home;
};

QTEST_MAIN(SessionTest)
#include "SessionTest.moc"
