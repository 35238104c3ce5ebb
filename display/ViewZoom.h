// What part of the graph a trace window shows. The page as the document defines it is the whole graph;
// a zoom narrows the x range (as fractions of the graph's width) and the y range (as grid divisions
// counted up from the bottom line). The grid keeps its ten and eight divisions: the axis texts change.
#pragma once

namespace fl {

struct ViewZoom {
    double left = 0, right = 1;  // 0 the graph's left edge, 1 its right edge
    double bottom = 0, top = 8;  // 0 the bottom line, 8 the top line

    bool Fit() const { return left == 0 && right == 1 && bottom == 0 && top == 8; }
    bool XFit() const { return left == 0 && right == 1; }
    double Width() const { return right - left; }
    double Height() const { return top - bottom; }
    // The fraction of the whole width at fraction `f` (0..1) of the shown width, and back.
    double FullX(double f) const { return left + f * Width(); }
    double ShownX(double full) const { return (full - left) / Width(); }
    // The division of the whole graph at fraction `f` (0 bottom, 1 top) of the shown height.
    double FullY(double f) const { return bottom + f * Height(); }
};

// The narrowest views: five display columns wide, a tenth of a division high.
constexpr double kMinZoomWidth = 5.0 / 501;
constexpr double kMinZoomHeight = 0.1;

// Wheel zoom: the x (or y) range shrinks by `factor` (< 1 in, > 1 out) around the point at `at` (a
// fraction of the whole width; a division for y), which stays where it is. Never wider than the whole.
ViewZoom ZoomX(ViewZoom z, double at, double factor);
ViewZoom ZoomY(ViewZoom z, double at, double factor);
// Rectangle zoom: exactly the range between the two (in either order), at least the narrowest view.
ViewZoom ZoomToX(ViewZoom z, double from, double to);
ViewZoom ZoomToY(ViewZoom z, double from, double to);
// Moves the shown range by `by` (fractions of the whole width; divisions for y), stopping at the edges.
ViewZoom PanX(ViewZoom z, double by);
ViewZoom PanY(ViewZoom z, double by);

// The display points (0..500) whose columns lie in the shown x range.
struct PointRange {
    int first = 0, last = 500;
    bool Contains(int p) const { return p >= first && p <= last; }
};
PointRange VisiblePoints(const ViewZoom& z);

}  // namespace fl
