#include "CMyQuarnView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSettings>
#include <QWheelEvent>
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
        o.zoom = m_zoom;
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

double CMyQuarnView::FullX(double pageX) const {
    return m_places.W > 0 ? m_zoom.FullX(pageX / m_places.W) : 0.0;
}

double CMyQuarnView::FullY(double pageY) const {
    return m_places.H != 0 ? m_zoom.FullY(1.0 - pageY / m_places.H) : 0.0;
}

int CMyQuarnView::ColumnAt(double pageX) const {
    if (m_places.W <= 0) return 0;
    if (m_zoom.XFit()) return static_cast<int>(std::trunc(pageX * 501 / m_places.W));
    // Column p is drawn at (p + 1) / 501 of the whole width.
    return std::clamp(static_cast<int>(std::lround(FullX(pageX) * 501)) - 1, 0, kLastMarkerPoint);
}

void CMyQuarnView::SetZoom(const ViewZoom& z) {
    if (z.left == m_zoom.left && z.right == m_zoom.right && z.bottom == m_zoom.bottom && z.top == m_zoom.top)
        return;
    m_zoom = z;
    update();
}

void CMyQuarnView::FollowMarker() {
    const char t = FrontTrace();
    const int n = m_markers.Highlighted(TraceIndex(t));
    if (n <= 0 || m_zoom.XFit()) return;
    const int p = MarkerPoint(*m_doc, t, n);
    const PointRange shown = Shown();
    if (shown.Contains(p)) return;
    const double at = (p + 1) / 501.0;
    SetZoom(PanX(m_zoom, p < shown.first ? at - m_zoom.left - m_zoom.Width() * 0.05
                                         : at - m_zoom.right + m_zoom.Width() * 0.05));
}

void CMyQuarnView::wheelEvent(QWheelEvent* e) {
    const QPointF page = PagePoint(e->position().toPoint());
    const int steps = e->angleDelta().y();
    if (!InGraph(page) || steps == 0) return QWidget::wheelEvent(e);
    // A notch away from the user zooms in by a fifth, towards the user out again.
    const double factor = std::pow(0.8, steps / 120.0);
    if (e->modifiers() & Qt::ControlModifier)
        SetZoom(ZoomY(m_zoom, FullY(page.y()), factor));
    else
        SetZoom(ZoomX(m_zoom, FullX(page.x()), factor));
    e->accept();
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
    if (e->key() == Qt::Key_Escape && !m_zoom.Fit()) {
        ZoomToFit();
        return;
    }
    if (e->modifiers() & Qt::ShiftModifier) {
        // Shift+arrows pan a tenth of the shown width, a division of the shown height.
        switch (e->key()) {
            case Qt::Key_Left:
                return SetZoom(PanX(m_zoom, -m_zoom.Width() / 10));
            case Qt::Key_Right:
                return SetZoom(PanX(m_zoom, m_zoom.Width() / 10));
            case Qt::Key_Up:
                return SetZoom(PanY(m_zoom, m_zoom.Height() / 8));
            case Qt::Key_Down:
                return SetZoom(PanY(m_zoom, -m_zoom.Height() / 8));
            default:
                break;
        }
    }
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
    if (StepSelectedMarker(*m_doc, m_markers, step)) {
        FollowMarker();
        MarkersChanged();
    }
}

void CMyQuarnView::mousePressEvent(QMouseEvent* e) {
    const QPointF page = PagePoint(e->position().toPoint());
    if (e->button() == Qt::MiddleButton && InGraph(page)) {
        m_panning = true;
        m_panFrom = e->position().toPoint();
        m_panStart = m_zoom;
        setCursor(Qt::ClosedHandCursor);
        return;
    }
    if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
    m_pressAt = e->position().toPoint();
    m_banding = false;
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
    if (!InGraph(page) || m_frame.isNull()) return;
    // A drag from here draws the zoom rectangle.
    m_banding = true;
    // A click on a trace's own colour on the graph brings that trace to the front.
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
    if (e->button() == Qt::MiddleButton && m_panning) {
        m_panning = false;
        unsetCursor();
        return;
    }
    if (e->button() == Qt::LeftButton && m_banding) {
        m_banding = false;
        const bool shown = m_band && m_band->isVisible();
        if (m_band) m_band->hide();
        if (!shown) return;
        // The rectangle's x range; with Ctrl held its y range too.
        const QPointF from = PagePoint(m_pressAt), to = PagePoint(e->position().toPoint());
        auto inside = [&](double v, double lo, double hi) {
            return std::clamp(v, std::min(lo, hi), std::max(lo, hi));
        };
        const QPoint moved = e->position().toPoint() - m_pressAt;
        const int least = QApplication::startDragDistance();
        ViewZoom z = m_zoom;
        if (std::abs(moved.x()) >= least)
            z = ZoomToX(z, FullX(inside(from.x(), 0, m_places.W)), FullX(inside(to.x(), 0, m_places.W)));
        if ((e->modifiers() & Qt::ControlModifier) && std::abs(moved.y()) >= least)
            z = ZoomToY(z, FullY(inside(from.y(), 0, m_places.H)), FullY(inside(to.y(), 0, m_places.H)));
        SetZoom(z);
        return;
    }
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
    const int column = ColumnAt(page.x());
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
    if (m_panning && m_places.W > 0 && m_places.H != 0) {
        // The graph follows the pointer.
        const QPointF start = PagePoint(m_panFrom);
        ViewZoom z = PanX(m_panStart, -(page.x() - start.x()) / m_places.W * m_panStart.Width());
        z = PanY(z, (page.y() - start.y()) / m_places.H * m_panStart.Height());
        SetZoom(z);
    }
    if (m_banding && (e->buttons() & Qt::LeftButton) &&
        (e->position().toPoint() - m_pressAt).manhattanLength() >= QApplication::startDragDistance()) {
        if (!m_band) m_band = new QRubberBand(QRubberBand::Rectangle, this);
        m_band->setGeometry(QRect(m_pressAt, e->position().toPoint()).normalized());
        m_band->show();
    }
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
    const int column = std::clamp(ColumnAt(page.x()), 0, kLastMarkerPoint);
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
