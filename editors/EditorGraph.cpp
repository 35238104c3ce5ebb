#include "EditorGraph.h"

#include <algorithm>
#include <cmath>

#include "CMyQuarnDoc.h"
#include "Units.h"

namespace fl {

namespace {

int Trunc(double v) {
    if (!std::isfinite(v)) return v > 0 ? 1 << 20 : -(1 << 20);
    return static_cast<int>(std::clamp(std::trunc(v), -1e6, 1e6));
}

}  // namespace

std::optional<GraphHit> HitTest(const std::vector<std::array<UnitPoint, 2>>& rows, int current, UnitPoint p,
                                double tol) {
    auto hits = [&](const UnitPoint& q) {
        const double x = std::trunc(q.x), y = std::trunc(q.y);
        return p.x >= x - tol && p.x <= x + tol && p.y >= y - tol && p.y <= y + tol;
    };
    const int n = static_cast<int>(rows.size());
    if (current >= 1 && current <= n)
        for (int end : {1, 0})
            if (hits(rows[static_cast<size_t>(current - 1)][static_cast<size_t>(end)]))
                return GraphHit{current - 1, end};
    for (int end : {0, 1})
        for (int r = 0; r < n; ++r)
            if (hits(rows[static_cast<size_t>(r)][static_cast<size_t>(end)])) return GraphHit{r, end};
    return std::nullopt;
}

PixelPoint LimitPixel(double x, double y) {
    return {Trunc(x * 41), Trunc(320 - y * 40)};
}

UnitPoint LimitPointerUnits(double px, double py) {
    return {std::clamp(px * 1000.0 / kGraphWidth, 0.0, 1000.0),
            std::clamp((kGraphHeight - py) * 800.0 / kGraphHeight, 0.0, 800.0)};
}

PixelPoint EmfPixel(double hz, double level, double maxHz, double reference, double scale) {
    return {Trunc(hz * kGraphWidth / maxHz), Trunc((reference - level) * kGraphHeight / (8 * scale))};
}

UnitPoint EmfPointerUnits(double px, double py) {
    return {std::clamp(px * 1000.0 / kGraphWidth, 0.0, 1000.0),
            std::clamp((kGraphHeight - py) * 1000.0 / kGraphHeight, 0.0, 1000.0)};
}

UnitPoint EmfUnits(double hz, double level, double maxHz, double reference, double scale) {
    return {hz / (maxHz * 0.001), (level - reference) * 1000.0 / (8 * scale) + 1000};
}

double EmfHzAt(double ux, double maxHz) {
    return maxHz * ux * 0.001;
}

double EmfLevelAt(double uy, double reference, double scale) {
    return reference - (1000 - uy) * 8 * scale / 1000;
}

OverlayTrace OverlayFrom(const CMyQuarnDoc& d) {
    return {d.m_arrTraceA,         d.m_nMinMaxA,      d.DisplayUnit(),
            d.SelectedReference(), d.SelectedScale(), d.ReferenceImpedance()};
}

std::vector<std::array<PixelPoint, 2>> OverlayLines(const OverlayTrace& t) {
    std::vector<std::array<PixelPoint, 2>> out;
    if (t.values.size() < 1002 || !(t.scale != 0)) return out;
    const auto toUnit = LevelFromDbmFor(t.unit, t.impedance);
    auto y = [&](double v) {
        return Trunc(320 - (toUnit(v) - t.reference + 8 * t.scale) / (t.scale * 0.025));
    };
    auto x = [&](int i) { return i == 1 ? 0 : Trunc(i * 410.0 / 501); };
    if (t.unit == "MRHO" || t.minMax == 0) {
        PixelPoint prev{x(1), y(t.values[0])};
        for (int i = 2; i <= 501; ++i) {
            const PixelPoint p{x(i), y(t.values[static_cast<size_t>(2 * (i - 1))])};
            out.push_back({prev, p});
            prev = p;
        }
        return out;
    }
    int prevX = 0, prevFirst = 0, prevSecond = 0, prevTop = 0, prevBottom = 0;
    for (int i = 1; i <= 501; ++i) {
        const int px = x(i);
        const int first = y(t.values[static_cast<size_t>(2 * (i - 1))]);
        const int second = y(t.values[static_cast<size_t>(2 * (i - 1) + 1)]);
        const int top = std::min(first, second), bottom = std::max(first, second);
        if (i > 1) {
            // Pixel y grows downwards: "below" is the larger y.
            if (top > prevBottom)
                out.push_back({PixelPoint{prevX, prevFirst}, PixelPoint{px, top}});
            else if (bottom < prevTop)
                out.push_back({PixelPoint{prevX, prevSecond}, PixelPoint{px, bottom}});
        }
        out.push_back({PixelPoint{px, first}, PixelPoint{px, second}});
        prevX = px;
        prevFirst = first;
        prevSecond = second;
        prevTop = top;
        prevBottom = bottom;
    }
    return out;
}

}  // namespace fl
