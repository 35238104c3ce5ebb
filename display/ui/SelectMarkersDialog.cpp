#include "SelectMarkersDialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <cmath>

#include "PageCanvas.h"

namespace fl {

namespace {

QPushButton* Button(const QString& text, const char* name) {
    auto* b = new QPushButton(text);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

SelectMarkersDialog::SelectMarkersDialog(CMyQuarnView* view, QWidget* parent)
    : QDialog(parent), m_view(view), m_doc(view->SharedDocument()) {
    CMyQuarnDoc& doc = *m_doc;
    m_opened = TakeMarkerSnapshot(doc);
    m_openedFront = doc.m_nFrontTrace;
    m_openedModified = doc.IsModified();
    m_openedSelection = view->Markers();
    setWindowTitle(QString("Select Trace Markers - [ %1 ]").arg(FromCp1252(doc.GetTitle())));
    setAttribute(Qt::WA_DeleteOnClose);

    m_tabs = new QTabBar;
    m_tabs->setObjectName("traces");
    int tab = 0;
    for (char t : {'A', 'B'})
        if (TraceOffered(doc, t)) {
            m_tabs->addTab(QString("Trace ") + t);
            m_tabTrace[static_cast<size_t>(tab++)] = t;
        }

    auto* markers = new QGroupBox("Markers");
    auto* mg = new QGridLayout(markers);
    for (int n = 1; n <= kUserMarkers; ++n) {
        auto* box = new QCheckBox(QString::number(n));
        box->setObjectName(QString("marker%1").arg(n));
        mg->addWidget(box, (n - 1) % 5, (n - 1) / 5);
        connect(box, &QCheckBox::clicked, this, [this, n](bool on) { MarkerClicked(n, on, false); });
        m_marker[static_cast<size_t>(n)] = box;
    }
    auto* clearMarkers = Button("Clear All", "clearMarkers");
    mg->addWidget(clearMarkers, 5, 0, 1, 2);

    auto* deltas = new QGroupBox("Delta Markers");
    auto* dg = new QGridLayout(deltas);
    for (int n = 2; n <= kUserMarkers; ++n) {
        auto* box = new QCheckBox(QString("D%1").arg(n));
        box->setObjectName(QString("delta%1").arg(n));
        dg->addWidget(box, (n - 2) % 5, (n - 2) / 5);
        connect(box, &QCheckBox::clicked, this, [this, n](bool on) { MarkerClicked(n, on, true); });
        m_delta[static_cast<size_t>(n)] = box;
    }
    auto* clearDeltas = Button("Clear All", "clearDeltas");
    dg->addWidget(clearDeltas, 5, 0, 1, 2);

    auto* maxPeak = Button("Max Peak", "maxPeak");
    auto* nextPeak = Button("Next Peak", "nextPeak");
    auto* labelAll = Button("Label All Peaks", "labelAllPeaks");
    m_threshold = Button("Set Threshold", "threshold");
    m_thresholdValue = new QSpinBox;
    m_thresholdValue->setObjectName("thresholdValue");
    // A whole number of dBm over the instrument's level range.
    m_thresholdValue->setRange(-200, 50);
    m_thresholdValue->setSingleStep(1);
    m_thresholdValue->setSuffix(" dBm");
    auto* restore = Button("Restore Device\n     Markers", "restore");
    auto* describe = Button("   Marker\nDescription", "description");
    auto* sortLevel = Button("Sort by Level", "sortLevel");
    m_sortPosition = Button(FromCp1252(PositionSortCaption(doc)), "sortPosition");
    m_selectedText = new QLabel;
    auto* ok = Button("OK", "ok");
    auto* cancel = Button("Cancel", "cancel");
    ok->setDefault(true);

    auto* actions = new QGridLayout;
    actions->addWidget(maxPeak, 0, 0);
    actions->addWidget(nextPeak, 1, 0);
    actions->addWidget(labelAll, 2, 0);
    actions->addWidget(m_threshold, 3, 0);
    actions->addWidget(m_thresholdValue, 4, 0);
    actions->addWidget(restore, 0, 1);
    actions->addWidget(describe, 1, 1);
    actions->addWidget(sortLevel, 2, 1);
    actions->addWidget(m_sortPosition, 3, 1);
    actions->addWidget(m_selectedText, 5, 0, 1, 2);
    auto* groups = new QHBoxLayout;
    groups->addWidget(markers);
    groups->addWidget(deltas);
    groups->addLayout(actions);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(ok);
    bottom->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(groups);
    layout->addLayout(bottom);

    auto act = [this](auto f) {
        return [this, f] {
            if (!m_view) return;
            f(*m_doc, Trace());
            Changed();
        };
    };
    connect(clearMarkers, &QPushButton::clicked, this,
            act([](CMyQuarnDoc& d, char t) { ClearAllMarkers(d, t); }));
    connect(clearDeltas, &QPushButton::clicked, this,
            act([](CMyQuarnDoc& d, char t) { ClearDeltaMarkers(d, t); }));
    connect(maxPeak, &QPushButton::clicked, this, act([this](CMyQuarnDoc& d, char t) {
                Select(Selected());
                MaxPeak(d, t, Selected(), m_view->Shown());
            }));
    connect(nextPeak, &QPushButton::clicked, this, act([this](CMyQuarnDoc& d, char t) {
                Select(Selected());
                NextPeak(d, t, Selected(), m_view->Shown());
            }));
    connect(labelAll, &QPushButton::clicked, this, act([this](CMyQuarnDoc& d, char t) {
                int selected = Selected();
                LabelAllPeaks(d, t, &selected, m_view->Shown());
                Select(selected);
            }));
    connect(sortLevel, &QPushButton::clicked, this, act([this](CMyQuarnDoc& d, char t) {
                int selected = Selected();
                SortMarkers(d, t, MarkerSort::Level, &selected);
                Select(selected);
            }));
    connect(m_sortPosition, &QPushButton::clicked, this, act([this](CMyQuarnDoc& d, char t) {
                int selected = Selected();
                SortMarkers(d, t, MarkerSort::Position, &selected);
                Select(selected);
            }));
    connect(m_threshold, &QPushButton::clicked, this, act([this](CMyQuarnDoc& d, char) {
                d.m_bThresholdSet = d.m_bThresholdSet ? 0 : 1;
                if (d.m_bThresholdSet) d.m_dMarkerThreshold = m_thresholdValue->value();
            }));
    connect(m_thresholdValue, &QSpinBox::valueChanged, this, [this](int v) {
        if (m_refreshing || !m_view || !m_doc->m_bThresholdSet) return;
        m_doc->m_dMarkerThreshold = v;
        Changed();
    });
    connect(restore, &QPushButton::clicked, this, [this] {
        if (!m_view) return;
        RestoreDeviceMarkers(*m_doc, m_view->AsRead());
        m_tabs->setCurrentIndex(0);
        Changed();
    });
    connect(describe, &QPushButton::clicked, this, [this] {
        if (m_view) emit descriptionRequested(Trace(), Selected());
    });
    connect(m_tabs, &QTabBar::currentChanged, this, [this] { Refresh(); });
    connect(ok, &QPushButton::clicked, this, &SelectMarkersDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &SelectMarkersDialog::reject);
    // The trace window goes: so does the dialog, which has nothing left to edit.
    connect(view, &QObject::destroyed, this, [this] { QDialog::reject(); });
    // A marker chosen on the graph is the selected marker here too.
    connect(view, &CMyQuarnView::markerSelected, this, [this] {
        if (m_view) ShowTrace(m_doc->m_nFrontTrace == 1 ? 'B' : 'A');
        Refresh();
    });
    ShowTrace(doc.m_nFrontTrace == 1 ? 'B' : 'A');
    Refresh();
}

char SelectMarkersDialog::Trace() const {
    const int i = m_tabs->currentIndex();
    return i >= 0 && i < 2 ? m_tabTrace[static_cast<size_t>(i)] : 'A';
}

int SelectMarkersDialog::Selected() const {
    if (!m_view) return 1;
    const int n = m_view->Markers().Highlighted(TraceIndex(Trace()));
    return n >= 1 && n <= kUserMarkers ? n : 1;
}

void SelectMarkersDialog::ShowTrace(char trace) {
    for (int i = 0; i < m_tabs->count(); ++i)
        if (m_tabTrace[static_cast<size_t>(i)] == trace) m_tabs->setCurrentIndex(i);
}

void SelectMarkersDialog::Select(int n) {
    if (!m_view) return;
    MarkerSelection& s = m_view->Markers();
    s.selected[static_cast<size_t>(TraceIndex(Trace()))] = n;
    s.active = n;
}

void SelectMarkersDialog::MarkerClicked(int n, bool on, bool delta) {
    if (!m_view) return;
    CMyQuarnDoc& d = *m_doc;
    const char t = Trace();
    auto& state = t == 'B' ? d.m_arrUserStateB : d.m_arrUserStateA;
    const bool wasOff = state[static_cast<size_t>(n)] == MARKER_OFF;
    state[static_cast<size_t>(n)] = on ? (delta ? DELTa : NORMal) : MARKER_OFF;
    // A marker that never stood on this trace's axis starts in the middle.
    if (on && wasOff) {
        const double x = UserMarkerPosition(d, t, n);
        const double first = PointValue(d, 0), last = PointValue(d, kLastMarkerPoint);
        if (!(x >= std::min(first, last) && x <= std::max(first, last))) PlaceMarker(d, t, n, 250);
    }
    Select(n);
    Changed();
}

void SelectMarkersDialog::Changed() {
    if (!m_view) return;
    m_doc->SetModifiedFlag();
    m_view->MarkersChanged();
    Refresh();
}

void SelectMarkersDialog::Refresh() {
    if (!m_view) return;
    m_refreshing = true;
    const CMyQuarnDoc& d = *m_doc;
    const auto& state = Trace() == 'B' ? d.m_arrUserStateB : d.m_arrUserStateA;
    for (int n = 1; n <= kUserMarkers; ++n) {
        const int s = state[static_cast<size_t>(n)];
        m_marker[static_cast<size_t>(n)]->setChecked(s != MARKER_OFF && s != DELTa);
        if (n >= 2) m_delta[static_cast<size_t>(n)]->setChecked(s == DELTa);
    }
    m_threshold->setText(d.m_bThresholdSet ? "Clear Threshold" : "Set Threshold");
    m_thresholdValue->setValue(static_cast<int>(std::lround(d.m_dMarkerThreshold)));
    m_selectedText->setText(QString("Selected marker: %1").arg(Selected()));
    m_refreshing = false;
}

void SelectMarkersDialog::accept() {
    if (m_view) {
        m_doc->m_nFrontTrace = Trace() == 'B' ? 1 : 0;
        m_view->MarkersChanged();
    }
    QDialog::accept();
}

void SelectMarkersDialog::reject() {
    if (m_view) {
        RestoreMarkerSnapshot(*m_doc, m_opened);
        m_doc->m_nFrontTrace = m_openedFront;
        m_view->Markers() = m_openedSelection;  // the arrow keys move the marker they moved before
        m_view->MarkersChanged();
        m_doc->SetModifiedFlag(m_openedModified);
        emit m_view->documentChanged();
    }
    QDialog::reject();
}

}  // namespace fl
