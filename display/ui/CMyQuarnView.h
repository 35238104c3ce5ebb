// The window of a trace document: paints the page, offers the View menu (also as the context menu) and
// the comment command, and lets the user work the markers with the keys and the mouse.
#pragma once

#include <QImage>
#include <QPointer>
#include <QRubberBand>
#include <QWidget>
#include <memory>

#include "CMyQuarnDoc.h"
#include "MarkerEdit.h"
#include "PageRenderer.h"
#include "ViewFlags.h"

namespace fl {

class CMyQuarnView : public QWidget {
    Q_OBJECT
  public:
    CMyQuarnView(std::shared_ptr<CMyQuarnDoc> doc, DisplayPreferences& defaults, QWidget* parent = nullptr);

    CMyQuarnDoc& Document() { return *m_doc; }
    std::shared_ptr<CMyQuarnDoc> SharedDocument() { return m_doc; }
    void RunViewCommand(ViewCommand c);
    // The print header texts from the program's settings (read once, again after SettingsChanged).
    static RenderOptions CurrentRenderOptions();
    // The print header settings changed (read again at the next paint).
    static void SettingsChanged();
    const PageLayout& LastLayout() const { return m_layout; }

    // The markers: the selection of this window, where the last paint put them, and the markers and
    // descriptions as the trace was read (for Restore Device Markers).
    MarkerSelection& Markers() { return m_markers; }
    const MarkerPlaces& Places() const { return m_places; }
    const MarkerSnapshot& AsRead() const { return m_asRead; }
    // A marker edit happened elsewhere (the dialog): redraw and tell the frame.
    void MarkersChanged();
    // The device pixel where page point (x, y) was drawn by the last paint.
    QPoint DevicePoint(double x, double y) const;

    // The part of the graph this window shows (the wheel, a dragged rectangle, the middle button and
    // Shift+arrows change it); printing draws the whole page.
    const ViewZoom& Zoom() const { return m_zoom; }
    void SetZoom(const ViewZoom& z);
    void ZoomToFit() { SetZoom({}); }
    // The display points the window shows, for the peak searches.
    PointRange Shown() const { return VisiblePoints(m_zoom); }

  signals:
    void documentChanged();     // modified flag or title may have changed
    void orientationChanged();  // the frame resizes itself
    // The right mouse button: the owner shows the view's context menu at `globalPos`.
    void contextMenuRequested(const QPoint& globalPos);
    // A double click in a marker table: the Select Trace Markers dialog on that trace.
    void selectMarkersRequested();
    // A double click on a marker name: the Marker Description dialog of the front trace.
    void markerDescriptionRequested();
    // A marker name was clicked: the selected marker changed.
    void markerSelected();
    // What lies under the pointer on the graph ("947.5000 MHz  -45.3 dBm"); empty off the graph.
    void pointerReadout(const QString& text);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void leaveEvent(QEvent* e) override;

  private:
    // Puts marker n of the front trace on the column under `at`.
    void DragTo(int n, QPoint at);
    QPointF PagePoint(const QPoint& device) const;
    char FrontTrace() const { return m_doc->m_nFrontTrace == 1 ? 'B' : 'A'; }
    // The marker of the front trace whose name lies under the page point; 0 none.
    int NameAt(const QPointF& page) const;
    // The trace whose legend box holds the page point ('A', 'B'), or 0.
    char LegendAt(const QPointF& page) const;
    bool InGraph(const QPointF& page) const;
    // The display point under page x: on the whole graph as the instrument's program counts it, in a
    // zoomed view the column drawn nearest to the pointer.
    int ColumnAt(double pageX) const;
    // Page point to the whole graph: x as a fraction of its width, y in divisions from the bottom line.
    double FullX(double pageX) const;
    double FullY(double pageY) const;
    // Keeps the highlighted marker of the front trace in view after the keys moved it.
    void FollowMarker();
    void SetFrontTrace(char trace);

    std::shared_ptr<CMyQuarnDoc> m_doc;
    DisplayPreferences& m_defaults;
    PageLayout m_layout;
    MarkerSelection m_markers;
    MarkerPlaces m_places;
    MarkerSnapshot m_asRead;
    QImage m_frame;  // the last page drawn, for the trace colour under a click
    int m_grabbed = 0;
    QPoint m_pressAt;
    ViewZoom m_zoom;
    // A left drag on the graph draws the zoom rectangle; a middle drag pans from m_panFrom.
    bool m_banding = false;
    QPointer<QRubberBand> m_band;
    bool m_panning = false;
    QPoint m_panFrom;
    ViewZoom m_panStart;
};

}  // namespace fl
