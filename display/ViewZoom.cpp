#include "ViewZoom.h"

#include <algorithm>
#include <cmath>

namespace fl {

namespace {

// [lo, hi] of width at least `minWidth` and at most `full`, moved inside [0, full] without changing its
// width; within rounding of the whole it is exactly the whole, so zooming back out ends at the fit.
void Fit(double& lo, double& hi, double full, double minWidth) {
    if (!std::isfinite(lo) || !std::isfinite(hi) || hi - lo >= full * (1 - 1e-9)) {
        lo = 0;
        hi = full;
        return;
    }
    const double w = std::clamp(hi - lo, minWidth, full);
    lo = std::clamp((lo + hi - w) / 2, 0.0, full - w);
    hi = lo + w;
}

void Zoom(double& lo, double& hi, double at, double factor, double full, double minWidth) {
    if (!(factor > 0)) return;
    at = std::clamp(at, lo, hi);
    const double w = std::clamp((hi - lo) * factor, minWidth, full);
    // The point under the pointer keeps its place on the screen.
    const double share = hi > lo ? (at - lo) / (hi - lo) : 0.5;
    lo = at - share * w;
    hi = lo + w;
    Fit(lo, hi, full, minWidth);
}

void Pan(double& lo, double& hi, double by, double full) {
    const double w = hi - lo;
    lo = std::clamp(lo + by, 0.0, full - w);
    hi = lo + w;
}

}  // namespace

ViewZoom ZoomX(ViewZoom z, double at, double factor) {
    Zoom(z.left, z.right, at, factor, 1.0, kMinZoomWidth);
    return z;
}

ViewZoom ZoomY(ViewZoom z, double at, double factor) {
    Zoom(z.bottom, z.top, at, factor, 8.0, kMinZoomHeight);
    return z;
}

ViewZoom ZoomToX(ViewZoom z, double from, double to) {
    z.left = std::min(from, to);
    z.right = std::max(from, to);
    Fit(z.left, z.right, 1.0, kMinZoomWidth);
    return z;
}

ViewZoom ZoomToY(ViewZoom z, double from, double to) {
    z.bottom = std::min(from, to);
    z.top = std::max(from, to);
    Fit(z.bottom, z.top, 8.0, kMinZoomHeight);
    return z;
}

ViewZoom PanX(ViewZoom z, double by) {
    Pan(z.left, z.right, by, 1.0);
    return z;
}

ViewZoom PanY(ViewZoom z, double by) {
    Pan(z.bottom, z.top, by, 8.0);
    return z;
}

PointRange VisiblePoints(const ViewZoom& z) {
    // Point p is drawn at (p + 1) / 501 of the width.
    constexpr double kEps = 1e-9;
    PointRange r;
    r.first = std::clamp(static_cast<int>(std::ceil(z.left * 501 - 1 - kEps)), 0, 500);
    r.last = std::clamp(static_cast<int>(std::floor(z.right * 501 - 1 + kEps)), 0, 500);
    if (r.last < r.first) r.last = r.first;
    return r;
}

}  // namespace fl
