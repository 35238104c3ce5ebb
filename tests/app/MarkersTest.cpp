// The markers as a user works them: keys and mouse on a real trace window, the Select Trace Markers
// window driven by clicks on its buttons, the Marker Description dialog, the status bar readout.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QtTest>

#include "AppTestUtil.h"
#include "MarkerDescriptionDialog.h"
#include "MarkerEdit.h"
#include "SelectMarkersDialog.h"

using namespace fl;
using fl::test::Shell;

namespace {

// SPECTRUM: 945 to 950 MHz, 10 kHz per point; markers 1 (946.8 MHz), 2 (947.6 MHz) and delta 3.
constexpr double kStart = 945e6, kStep = 1e4;

CMyQuarnView* Open(Shell& f, const char* sample) {
    f->resize(1400, 1000);
    f->show();
    if (!QTest::qWaitForWindowExposed(f.frame.get())) return nullptr;
    if (!f->Documents().OpenFile(QString::fromStdString(test::SamplePath(sample)))) return nullptr;
    CChildFrame* frame = f->ActiveFrame();
    frame->showMaximized();
    CMyQuarnView* v = frame->View();
    v->repaint();  // the places of the markers come from a paint
    return v;
}

QPoint Centre(CMyQuarnView* v, const QRectF& page) {
    return v->DevicePoint(page.center().x(), page.center().y());
}

// A device point over display column `c` of the graph, half-way down.
QPoint OverColumn(CMyQuarnView* v, int c) {
    const MarkerPlaces& p = v->Places();
    return v->DevicePoint((c + 0.5) * p.W / 501.0, p.H / 2.0);
}

template <class T>
T* Child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(name);
    if (!c) qWarning("no %s", name);
    return c;
}

// The pointer moving over the view (sent straight to it: the offscreen platform drops synthetic moves
// to where its cursor already is).
void Move(CMyQuarnView* v, const QPoint& at, Qt::MouseButton held = Qt::NoButton) {
    QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(v->mapToGlobal(at)), held, held, {});
    QApplication::sendEvent(v, &e);
}

// One notch of the wheel (120: away from the user) at `at`.
void Wheel(CMyQuarnView* v, const QPoint& at, int delta, Qt::KeyboardModifiers mods = {}) {
    QWheelEvent e(QPointF(at), QPointF(v->mapToGlobal(at)), {}, QPoint(0, delta), Qt::NoButton, mods,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(v, &e);
}

// A device point at fraction `f` of the shown graph's width, half-way down; and over the line of
// display column `c` in the shown range.
QPoint AtShown(CMyQuarnView* v, double f) {
    return v->DevicePoint(f * v->Places().W, v->Places().H / 2.0);
}
QPoint OverShownColumn(CMyQuarnView* v, int c) {
    return AtShown(v, v->Zoom().ShownX((c + 1) / 501.0));
}

void Click(QWidget* w, const char* name) {
    QAbstractButton* b = Child<QAbstractButton>(w, name);
    QVERIFY2(b, name);
    QVERIFY2(b->isEnabled(), name);
    QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
}

}  // namespace

class MarkersTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { test::UseTestHome(m_home); }

    void arrowKeysMoveTheFrontTracesMarker() {
        Shell f;
        CMyQuarnView* v = Open(f, "SPECTRUM.qtr");
        QVERIFY(v);
        CMyQuarnDoc& d = v->Document();
        QCOMPARE(MarkerPoint(d, 'A', 1), 180);
        QVERIFY(!d.IsModified());
        // No marker selected yet: the keys take the lowest shown one.
        QTest::keyClick(v, Qt::Key_Right);
        QCOMPARE(MarkerPoint(d, 'A', 1), 181);
        QTest::keyClick(v, Qt::Key_Up);
        QCOMPARE(MarkerPoint(d, 'A', 1), 191);
        QTest::keyClick(v, Qt::Key_Down);
        QTest::keyClick(v, Qt::Key_Left);
        QCOMPARE(MarkerPoint(d, 'A', 1), 180);
        QCOMPARE(d.m_arrUserFreqA[1], kStart + 180 * kStep);
        QVERIFY(d.IsModified());
        QVERIFY(f->ActiveFrame()->windowTitle().endsWith("*") || d.IsModified());
        // The instrument's own marker stays for Restore Device Markers.
        QCOMPARE(MarkerPoint(d, 'A', 1), 180);
        QVERIFY(std::abs(d.m_arrMarkerFreqA[1] - 946.8e6) < 1);
    }

    void clickSelectsAndDragMovesAMarker() {
        Shell f;
        CMyQuarnView* v = Open(f, "SPECTRUM.qtr");
        QVERIFY(v);
        CMyQuarnDoc& d = v->Document();
        const MarkerPlace m2 = v->Places().trace[0][2];
        QVERIFY(m2.placed);
        QTest::mouseClick(v, Qt::LeftButton, {}, Centre(v, m2.name));
        QCOMPARE(v->Markers().active, 2);
        QCOMPARE(MarkerPoint(d, 'A', 2), 260);  // a click alone moves nothing
        // The cursor over a name of the front trace: the four-way arrows.
        Move(v, Centre(v, m2.name));
        QCOMPARE(v->cursor().shape(), Qt::SizeAllCursor);
        // Press on the name, release over column 300.
        QTest::mousePress(v, Qt::LeftButton, {}, Centre(v, m2.name));
        QTest::mouseRelease(v, Qt::LeftButton, {}, OverColumn(v, 300));
        QCOMPARE(MarkerPoint(d, 'A', 2), 300);
        QCOMPARE(d.m_arrUserFreqA[2], kStart + 300 * kStep);
        QVERIFY(d.IsModified());
        // The keys now move the active marker.
        QTest::keyClick(v, Qt::Key_Right);
        QCOMPARE(MarkerPoint(d, 'A', 2), 301);
    }

    void legendAndTraceColourPickTheFrontTrace() {
        Shell f;
        CMyQuarnView* v = Open(f, "SPEC_TRACEB.qtr");
        QVERIFY(v);
        CMyQuarnDoc& d = v->Document();
        d.m_bShowTraceB = 1;
        v->repaint();
        QCOMPARE(d.m_nFrontTrace, 0);
        Move(v, Centre(v, LegendBox('B')));
        QCOMPARE(v->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(v, Qt::LeftButton, {}, Centre(v, LegendBox('B')));
        QCOMPARE(d.m_nFrontTrace, 1);
        QTest::mouseClick(v, Qt::LeftButton, {}, Centre(v, LegendBox('A')));
        QCOMPARE(d.m_nFrontTrace, 0);
        // A double click on a legend box hides that trace (the front-trace rule then picks A).
        QTest::mouseDClick(v, Qt::LeftButton, {}, Centre(v, LegendBox('B')));
        QCOMPARE(d.m_bShowTraceB, 0);
        QCOMPARE(d.m_nFrontTrace, 0);
    }

    void statusBarReadsOutThePointer() {
        Shell f;
        CMyQuarnView* v = Open(f, "SPECTRUM.qtr");
        QVERIFY(v);
        Move(v, OverColumn(v, 250));
        const QString text = f->statusBar()->currentMessage();
        QVERIFY2(text.startsWith("947.5000 MHz"), qPrintable(text));
        QVERIFY2(text.endsWith(" dBm"), qPrintable(text));
        Move(v, v->DevicePoint(-300, 600));  // off the graph
        QVERIFY(f->statusBar()->currentMessage().isEmpty());
    }

    void doubleClickOnANameEditsTheDescriptions() {
        Shell f;
        CMyQuarnView* v = Open(f, "SPECTRUM.qtr");
        QVERIFY(v);
        CMyQuarnDoc& d = v->Document();
        f.onDialog = [](QDialog& dlg) {
            auto* m = qobject_cast<MarkerDescriptionDialog*>(&dlg);
            if (!m) return int(QDialog::Rejected);
            m->Field(2)->setCurrentText("Feeder joint");
            m->Show(2)->setChecked(true);
            m->accept();
            return int(QDialog::Accepted);
        };
        QTest::mouseDClick(v, Qt::LeftButton, {}, Centre(v, v->Places().trace[0][2].name));
        QVERIFY(!f.dialogs.isEmpty());
        QCOMPARE(f.dialogs.last(), QString("fl::MarkerDescriptionDialog"));
        QCOMPARE(d.m_arrMarkerTextA[2], std::string("Feeder joint"));
        QCOMPARE(d.m_arrMarkerFlagA[2], 1);
        QVERIFY(d.IsModified());
        QCOMPARE(s_settings.markerDescriptions, std::string("Feeder joint"));
        // The label is on the page now.
        v->repaint();
        QVERIFY(!v->Places().trace[0][2].label.isNull());
        // Cancel keeps everything.
        f.onDialog = [](QDialog& dlg) {
            if (auto* m = qobject_cast<MarkerDescriptionDialog*>(&dlg)) m->Field(2)->setCurrentText("x");
            return int(QDialog::Rejected);
        };
        QTest::mouseDClick(v, Qt::LeftButton, {}, Centre(v, v->Places().trace[0][2].name));
        QCOMPARE(d.m_arrMarkerTextA[2], std::string("Feeder joint"));
    }

    void markerTableDoubleClickOpensTheWindowOnThatTrace() {
        Shell f;
        CMyQuarnView* v = Open(f, "SPECTRUM.qtr");
        QVERIFY(v);
        QVERIFY(!f->MarkerWindow());
        QTest::mouseDClick(v, Qt::LeftButton, {}, Centre(v, v->Places().table[0]));
        SelectMarkersDialog* w = f->MarkerWindow();
        QVERIFY(w);
        QCOMPARE(w->Trace(), 'A');
        QVERIFY(w->windowTitle().startsWith("Select Trace Markers - [ SPECTRUM"));
        // Trace B is OFF in this trace: no tab for it.
        QCOMPARE(Child<QTabBar>(w, "traces")->count(), 1);
        // Close All closes the window with the documents.
        f.answer = [](const QString&) { return true; };
        f.Trigger("closeall");
        QTRY_VERIFY(!f->MarkerWindow());
    }

    void everyButtonOfTheWindowAndCancel() {
        Shell f;
        CMyQuarnView* v = Open(f, "SPEC_TRACEB.qtr");
        QVERIFY(v);
        CMyQuarnDoc& d = v->Document();
        d.m_bShowTraceB = 1;
        const MarkerSnapshot before = TakeMarkerSnapshot(d);
        f.Trigger("markers");
        SelectMarkersDialog* w = f->MarkerWindow();
        QVERIFY(w);
        QCOMPARE(Child<QTabBar>(w, "traces")->count(), 2);
        QCOMPARE(w->Trace(), 'A');

        Click(w, "marker5");  // on: a never placed marker starts in the middle, and is the selected one
        QCOMPARE(d.m_arrUserStateA[5], int(NORMal));
        QCOMPARE(MarkerPoint(d, 'A', 5), 250);
        QCOMPARE(w->Selected(), 5);
        Click(w, "maxPeak");
        const int top = MarkerPoint(d, 'A', 5);
        double best = -1e9;
        for (int c = 1; c <= 500; ++c)
            best = std::max(best, d.m_arrTraceA[2 * c + 1]);
        QCOMPARE(d.m_arrTraceA[2 * top + 1], best);
        Click(w, "nextPeak");
        QVERIFY(d.m_arrTraceA[2 * MarkerPoint(d, 'A', 5) + 1] < best);
        Click(w, "delta4");
        QCOMPARE(d.m_arrUserStateA[4], int(DELTa));
        QVERIFY(Child<QCheckBox>(w, "delta4")->isChecked());
        Click(w, "clearDeltas");
        QCOMPARE(d.m_arrUserStateA[4], int(MARKER_OFF));
        QCOMPARE(d.m_arrUserStateA[5], int(NORMal));
        Click(w, "labelAllPeaks");
        QVERIFY(d.m_arrUserStateA[1] == NORMal && d.m_arrUserStateA[2] == NORMal);
        for (int n = 1; n < 10; ++n)  // sorted by x
            if (d.m_arrUserStateA[n + 1] == NORMal)
                QVERIFY(MarkerPoint(d, 'A', n) <= MarkerPoint(d, 'A', n + 1));
        Click(w, "sortLevel");
        // Highest first as the graph shows them: -10 dBm at the top, -90 dBm at the bottom edge.
        auto shown = [&](int n) { return std::clamp(MarkerStoredLevel(d, 'A', n), -90.0, -10.0); };
        for (int n = 1; n < 10; ++n)
            if (d.m_arrUserStateA[n + 1] == NORMal) QVERIFY(shown(n) >= shown(n + 1));
        Click(w, "sortPosition");
        QCOMPARE(Child<QPushButton>(w, "sortPosition")->text(), QString("Sort by Frequency"));
        for (int n = 1; n < 10; ++n)
            if (d.m_arrUserStateA[n + 1] == NORMal)
                QVERIFY(MarkerPoint(d, 'A', n) <= MarkerPoint(d, 'A', n + 1));
        // The threshold: set at -60 dBm, then cleared; the caption follows.
        Child<QSpinBox>(w, "thresholdValue")->setValue(-60);
        Click(w, "threshold");
        QCOMPARE(d.m_bThresholdSet, 1);
        QCOMPARE(d.m_dMarkerThreshold, -60.0);
        QCOMPARE(Child<QPushButton>(w, "threshold")->text(), QString("Clear Threshold"));
        Click(w, "labelAllPeaks");
        for (int n = 1; n <= 10; ++n)
            if (d.m_arrUserStateA[n] == NORMal && n > 1) QVERIFY(MarkerStoredLevel(d, 'A', n) >= -60);
        Click(w, "threshold");
        QCOMPARE(d.m_bThresholdSet, 0);
        // The description button opens the description dialog on the selected marker.
        f.onDialog = [](QDialog& dlg) {
            auto* m = qobject_cast<MarkerDescriptionDialog*>(&dlg);
            if (!m) return int(QDialog::Rejected);
            m->Field(1)->setCurrentText("Peak one");
            m->accept();
            return int(QDialog::Accepted);
        };
        Click(w, "description");
        QCOMPARE(d.m_arrMarkerTextA[1], std::string("Peak one"));
        // Trace B's tab works on trace B.
        Child<QTabBar>(w, "traces")->setCurrentIndex(1);
        QCOMPARE(w->Trace(), 'B');
        Click(w, "marker7");
        QCOMPARE(d.m_arrUserStateB[7], int(NORMal));
        Click(w, "clearMarkers");
        for (int n = 1; n <= 10; ++n)
            QCOMPARE(d.m_arrUserStateB[n], int(MARKER_OFF));
        // Cancel: both traces and the descriptions as they were when the window opened.
        Click(w, "cancel");
        const MarkerSnapshot after = TakeMarkerSnapshot(d);
        QVERIFY(after.stateA == before.stateA && after.stateB == before.stateB);
        QVERIFY(after.freqA == before.freqA && after.freqB == before.freqB);
        QVERIFY(after.textA == before.textA && after.flagA == before.flagA);
        QCOMPARE(after.thresholdSet, before.thresholdSet);
        QTRY_VERIFY(!f->MarkerWindow());
    }

    // The window follows the view and the tab it shows: a name clicked on the graph is the selected
    // marker; Marker Description edits the tab's trace; Cancel gives back the highlight the keys move.
    void markerWindowFollowsTheViewAndTheTabShown() {
        Shell f;
        CMyQuarnView* v = Open(f, "SPEC_TRACEB.qtr");
        QVERIFY(v);
        CMyQuarnDoc& d = v->Document();
        d.m_bShowTraceB = 1;
        d.m_arrUserStateA[4] = NORMal;
        PlaceMarker(d, 'A', 4, 100);
        v->repaint();
        f.Trigger("markers");
        SelectMarkersDialog* w = f->MarkerWindow();
        QVERIFY(w);
        const MarkerSelection opened = v->Markers();
        const int n = 4;  // the window opened on marker 1
        QVERIFY(v->Places().trace[0][4].placed);
        QTest::mouseClick(v, Qt::LeftButton, {},
                          Centre(v, v->Places().trace[0][static_cast<size_t>(n)].name));
        bool shown = false;
        for (QLabel* l : w->findChildren<QLabel*>())
            shown = shown || l->text() == QString("Selected marker: %1").arg(n);
        QVERIFY(shown);
        // On the "Trace B" tab the descriptions are trace B's.
        Child<QTabBar>(w, "traces")->setCurrentIndex(1);
        f.onDialog = [](QDialog& dlg) {
            auto* m = qobject_cast<MarkerDescriptionDialog*>(&dlg);
            if (!m) return int(QDialog::Rejected);
            m->Field(1)->setCurrentText("Combiner");
            m->accept();
            return int(QDialog::Accepted);
        };
        const std::string textA = d.m_arrMarkerTextA[1];
        Click(w, "description");
        QCOMPARE(d.m_arrMarkerTextB[1], std::string("Combiner"));
        QCOMPARE(d.m_arrMarkerTextA[1], textA);
        // Label All Peaks moves the highlight; Cancel gives back the one the window opened with.
        Child<QTabBar>(w, "traces")->setCurrentIndex(0);
        Click(w, "labelAllPeaks");
        Click(w, "cancel");
        QCOMPARE(v->Markers().active, opened.active);
        QCOMPARE(v->Markers().selected, opened.selected);
    }

    // While a marker is dragged it stands under the pointer, before the button is released.
    void aDraggedMarkerFollowsThePointer() {
        Shell f;
        CMyQuarnView* v = Open(f, "SPECTRUM.qtr");
        QVERIFY(v);
        CMyQuarnDoc& d = v->Document();
        const MarkerPlace m2 = v->Places().trace[0][2];
        QTest::mousePress(v, Qt::LeftButton, {}, Centre(v, m2.name));
        Move(v, OverColumn(v, 320), Qt::LeftButton);
        QCOMPARE(MarkerPoint(d, 'A', 2), 320);
        QTest::mouseRelease(v, Qt::LeftButton, {}, OverColumn(v, 330));
        QCOMPARE(MarkerPoint(d, 'A', 2), 330);
    }

    void zoomByWheelRectangleAndKeys() {
        Shell f;
        CMyQuarnView* v = Open(f, "SPECTRUM.qtr");
        QVERIFY(v);
        CMyQuarnDoc& d = v->Document();
        const double pixel = 1.0 / v->width();  // a device pixel, as a fraction of the width at most
        // A notch in at the middle: four fifths of the width around it; Ctrl: the levels only.
        Wheel(v, AtShown(v, 0.5), 120);
        QVERIFY(std::abs(v->Zoom().left - 0.1) < 3 * pixel && std::abs(v->Zoom().right - 0.9) < 3 * pixel);
        Wheel(v, AtShown(v, 0.5), 120, Qt::ControlModifier);
        QVERIFY(v->Zoom().Height() < 8 && std::abs(v->Zoom().Width() - 0.8) < 1e-9);
        Wheel(v, AtShown(v, 0.5), -120 * 5);  // out past the whole: the whole width
        QVERIFY(v->Zoom().XFit());
        QTest::keyClick(v, Qt::Key_Escape);
        QVERIFY(v->Zoom().Fit());
        // A rectangle from 50 % to 60 % of the width: points 250..299.
        QTest::mousePress(v, Qt::LeftButton, {}, AtShown(v, 0.5));
        Move(v, AtShown(v, 0.6), Qt::LeftButton);
        QTest::mouseRelease(v, Qt::LeftButton, {}, AtShown(v, 0.6));
        QVERIFY(std::abs(v->Zoom().left - 0.5) < 3 * pixel && std::abs(v->Zoom().right - 0.6) < 3 * pixel);
        QCOMPARE(v->Shown().first, 250);
        QCOMPARE(v->Shown().last, 299);
        v->repaint();
        // The readout and a dragged marker take the column under the pointer.
        Move(v, OverShownColumn(v, 275));
        QVERIFY2(f->statusBar()->currentMessage().startsWith("947.7500 MHz"),
                 qPrintable(f->statusBar()->currentMessage()));
        const MarkerPlace m2 = v->Places().trace[0][2];         // point 260
        QVERIFY(m2.placed && !v->Places().trace[0][1].placed);  // marker 1 (point 180) is outside
        QTest::mousePress(v, Qt::LeftButton, {}, Centre(v, m2.name));
        QTest::mouseRelease(v, Qt::LeftButton, {}, OverShownColumn(v, 280));
        QCOMPARE(MarkerPoint(d, 'A', 2), 280);
        QCOMPARE(d.m_arrUserFreqA[2], kStart + 280 * kStep);
        // Max Peak looks only at what is shown.
        f.Trigger("markers");
        SelectMarkersDialog* w = f->MarkerWindow();
        QVERIFY(w);
        Click(w, "maxPeak");
        int best = 250;
        for (int c = 251; c <= 299; ++c)
            if (d.m_arrTraceA[2 * c + 1] > d.m_arrTraceA[2 * best + 1]) best = c;
        QCOMPARE(MarkerPoint(d, 'A', w->Selected()), best);
        Click(w, "cancel");
        // Shift+Right pans a tenth of the shown width; Shift+Left back; View > Zoom to Fit.
        QTest::keyClick(v, Qt::Key_Right, Qt::ShiftModifier);
        QVERIFY(std::abs(v->Zoom().left - 0.51) < 3 * pixel);
        QTest::keyClick(v, Qt::Key_Left, Qt::ShiftModifier);
        QVERIFY(std::abs(v->Zoom().left - 0.5) < 3 * pixel);
        f.Trigger("zoomfit");
        QVERIFY(v->Zoom().Fit());
    }

    void restoreAndOk() {
        Shell f;
        CMyQuarnView* v = Open(f, "SPEC_TRACEB.qtr");
        QVERIFY(v);
        CMyQuarnDoc& d = v->Document();
        d.m_bShowTraceB = 1;
        QTest::keyClick(v, Qt::Key_Up);  // marker 1 moved by 10 points
        f.Trigger("markers");
        SelectMarkersDialog* w = f->MarkerWindow();
        QVERIFY(w);
        Child<QTabBar>(w, "traces")->setCurrentIndex(1);
        Click(w, "restore");  // the instrument's markers again, on the "Trace A" tab
        QCOMPARE(w->Trace(), 'A');
        QCOMPARE(d.m_arrUserFreqA[1], d.m_arrMarkerFreqA[1]);
        QCOMPARE(d.m_arrUserStateB, d.m_arrMarkerStateB);
        Child<QTabBar>(w, "traces")->setCurrentIndex(1);
        Click(w, "ok");  // the chosen tab becomes the front trace
        QCOMPARE(d.m_nFrontTrace, 1);
        QTRY_VERIFY(!f->MarkerWindow());
    }

  private:
    test::TempDir m_home;
};

QTEST_MAIN(MarkersTest)
#include "MarkersTest.moc"
