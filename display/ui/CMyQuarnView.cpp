#include "CMyQuarnView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSettings>
#include <cmath>

#include "PageCanvas.h"
#include "PanelText.h"
#include "PrintSettings.h"
#include "Text.h"
#include "Units.h"

namespace fl {

CMyQuarnView::CMyQuarnView(std::shared_ptr<CMyQuarnDoc> doc, DisplayPreferences& defaults, QWidget* parent)
    : QWidget(parent), m_doc(std::move(doc)), m_defaults(defaults), m_asRead(TakeMarkerSnapshot(*m_doc)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumSize(200, 150);
}

namespace {
// The print header settings, read once and again only after the Additional Information dialog saved.
RenderOptions s_options;
bool s_optionsRead = false;
}  // namespace

RenderOptions CMyQuarnView::CurrentRenderOptions() {
    if (s_optionsRead) return s_options;
    s_options = PrintSettingsOptions();
    s_optionsRead = true;
    return s_options;
}

void CMyQuarnView::SettingsChanged() {
    s_optionsRead = false;
}

void CMyQuarnView::paintEvent(QPaintEvent*) {
    // The page is drawn off-screen and shown in one step; the image also answers what colour was drawn
    // under a click.
    const qreal ratio = devicePixelRatioF();
    if (m_frame.size() != size() * ratio) {
        m_frame = QImage(size() * ratio, QImage::Format_RGB32);
        m_frame.setDevicePixelRatio(ratio);
    }
    m_frame.fill(palette().base().color());
    {
        QPainter p(&m_frame);
        RenderOptions o = CurrentRenderOptions();
        o.markers = m_markers;
        o.places = &m_places;
        m_layout = RenderPage(p, QRectF(rect()), *m_doc, o);
    }
    QPainter(this).drawImage(0, 0, m_frame);
}

QPointF CMyQuarnView::PagePoint(const QPoint& device) const {
    return m_places.pageToDevice.inverted().map(QPointF(device));
}

QPoint CMyQuarnView::DevicePoint(double x, double y) const {
    return m_places.pageToDevice.map(QPointF(x, y)).toPoint();
}

int CMyQuarnView::NameAt(const QPointF& page) const {
    const auto& places = m_places.trace[static_cast<size_t>(TraceIndex(FrontTrace()))];
    for (int n = 1; n <= kUserMarkers; ++n)
        if (places[static_cast<size_t>(n)].placed && places[static_cast<size_t>(n)].name.contains(page))
            return n;
    return 0;
}

char CMyQuarnView::LegendAt(const QPointF& page) const {
    for (char t : {'A', 'B'})
        if (LegendBox(t).contains(page)) return t;
    return 0;
}

bool CMyQuarnView::InGraph(const QPointF& p) const {
    return p.x() >= 0 && p.x() <= m_places.W && p.y() <= 0 && p.y() >= m_places.H;
}

void CMyQuarnView::SetFrontTrace(char t) {
    const int front = t == 'B' ? 1 : 0;
    if (m_doc->m_nFrontTrace == front) return;
    m_doc->m_nFrontTrace = front;
    m_markers.active = 0;
    MarkersChanged();
}

void CMyQuarnView::MarkersChanged() {
    m_doc->SetModifiedFlag();
    update();
    emit documentChanged();
}

void CMyQuarnView::keyPressEvent(QKeyEvent* e) {
    int step = 0;
    switch (e->key()) {
        case Qt::Key_Left:
            step = -1;
            break;
        case Qt::Key_Right:
            step = 1;
            break;
        case Qt::Key_Up:
            step = 10;
            break;
        case Qt::Key_Down:
            step = -10;
            break;
        default:
            QWidget::keyPressEvent(e);
            return;
    }
    if (StepSelectedMarker(*m_doc, m_markers, step)) MarkersChanged();
}

void CMyQuarnView::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    const QPointF page = PagePoint(e->position().toPoint());
    m_pressAt = e->position().toPoint();
    if (const int n = NameAt(page)) {
        m_markers.active = n;
        m_markers.selected[static_cast<size_t>(TraceIndex(FrontTrace()))] = n;
        m_grabbed = n;
        update();
        emit markerSelected();
        return;
    }
    if (const char t = LegendAt(page)) {
        if (TraceOffered(*m_doc, t)) SetFrontTrace(t);
        return;
    }
    // A click on a trace's own colour on the graph brings that trace to the front.
    if (!InGraph(page) || m_frame.isNull()) return;
    const QPoint px = (e->position() * m_frame.devicePixelRatio()).toPoint();
    if (!m_frame.rect().contains(px)) return;
    const QColor c = m_frame.pixelColor(px);
    auto near = [&](const QColor& want) {
        return std::abs(c.red() - want.red()) + std::abs(c.green() - want.green()) +
                   std::abs(c.blue() - want.blue()) <
               60;
    };
    if (near(PageColor::kTraceB) && TraceDrawn(*m_doc, 'B'))
        SetFrontTrace('B');
    else if (near(PageColor::kTraceA) && TraceDrawn(*m_doc, 'A'))
        SetFrontTrace('A');
}

void CMyQuarnView::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || m_grabbed == 0) return QWidget::mouseReleaseEvent(e);
    const int n = m_grabbed;
    m_grabbed = 0;
    m_markers.active = n;
    // A click on the name only selects; a drag drops the marker on the column under the pointer.
    if ((e->position().toPoint() - m_pressAt).manhattanLength() < QApplication::startDragDistance()) {
        update();
        return;
    }
    DragTo(n, e->position().toPoint());
    MarkersChanged();
}

void CMyQuarnView::DragTo(int n, QPoint at) {
    const QPointF page = PagePoint(at);
    if (m_places.W <= 0) return;
    const int column = static_cast<int>(std::trunc(page.x() * 501 / m_places.W));
    PlaceMarker(*m_doc, FrontTrace(), n, column);
    m_markers.point[static_cast<size_t>(TraceIndex(FrontTrace()))] = std::clamp(column, 0, kLastMarkerPoint);
}

void CMyQuarnView::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(e);
    m_grabbed = 0;
    const QPointF page = PagePoint(e->position().toPoint());
    for (char t : {'A', 'B'})
        if (m_places.table[static_cast<size_t>(TraceIndex(t))].contains(page)) {
            SetFrontTrace(t);
            emit selectMarkersRequested();
            return;
        }
    if (NameAt(page)) {
        emit markerDescriptionRequested();
        return;
    }
    if (const char t = LegendAt(page)) RunViewCommand(t == 'A' ? ViewCommand::TraceA : ViewCommand::TraceB);
}

void CMyQuarnView::mouseMoveEvent(QMouseEvent* e) {
    const QPointF page = PagePoint(e->position().toPoint());
    // A dragged marker follows the pointer; the drop on release makes the change.
    if (m_grabbed && (e->buttons() & Qt::LeftButton) &&
        (e->position().toPoint() - m_pressAt).manhattanLength() >= QApplication::startDragDistance()) {
        DragTo(m_grabbed, e->position().toPoint());
        update();
    }
    const char legend = LegendAt(page);
    if (m_grabbed || NameAt(page))
        setCursor(Qt::SizeAllCursor);
    else if (legend && TraceOffered(*m_doc, legend) &&
             (legend == 'B' ? m_doc->m_bShowTraceB : m_doc->m_bShowTraceA))
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    if (!InGraph(page) || m_places.W <= 0) {
        emit pointerReadout({});
        return;
    }
    // The x value and the front trace's level of the column under the pointer.
    const int column =
        std::clamp(static_cast<int>(std::trunc(page.x() * 501 / m_places.W)), 0, kLastMarkerPoint);
    const CMyQuarnDoc& d = *m_doc;
    const double x = PointValue(d, column);
    QString xText;
    if (d.m_strMode == "DTF") {
        xText = QString::asprintf("%.2f %s", x, LengthUnitText(d.m_strCableLengthUnit).c_str());
    } else if (d.m_dSpan != 0) {
        xText = FromCp1252(FrequencyText(x));
    } else {
        const Scaled t = ScaleTime(x);
        xText = QString::asprintf("%.3f ", t.value) + FromCp1252(t.unit);
    }
    const char t = FrontTrace();
    const auto& pts = t == 'B' ? d.m_arrTraceB : d.m_arrTraceA;
    const double stored = pts[static_cast<size_t>(2 * column + 1)];
    QString level;
    if (stored != kNoPoint && TraceDrawn(d, t)) {
        const double v = LevelFromDbm(stored, d.DisplayUnit(), d.ReferenceImpedance());
        level = "  " + FromCp1252(FormatLevel(v, d.DisplayUnit())).trimmed() + " " +
                FromCp1252(UnitText(d.DisplayUnit()));
    }
    emit pointerReadout(xText + level);
}

void CMyQuarnView::leaveEvent(QEvent* e) {
    emit pointerReadout({});
    QWidget::leaveEvent(e);
}

void CMyQuarnView::RunViewCommand(ViewCommand c) {
    const int orientation = m_doc->m_nOrientation;
    if (!ApplyViewCommand(*m_doc, c, m_defaults)) return;
    update();
    emit documentChanged();
    if (orientation != m_doc->m_nOrientation) emit orientationChanged();
}

void CMyQuarnView::contextMenuEvent(QContextMenuEvent* e) {
    emit contextMenuRequested(e->globalPos());
}

}  // namespace fl
