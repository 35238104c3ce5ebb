#include "TraceSummary.h"

#include <cmath>

#include "CMyQuarnDoc.h"
#include "MarkerEdit.h"
#include "PanelText.h"
#include "Text.h"
#include "Units.h"

namespace fl {

namespace {

constexpr double kFeetPerMetre = 3.280839895013123;

// The level of display point `p` (0..500) as stored, the higher sample of its column; kNoPoint when
// the column holds none.
double PointLevel(const CMyQuarnDoc& d, char trace, int p) {
    const auto& v = trace == 'B' ? d.m_arrTraceB : d.m_arrTraceA;
    const size_t i = static_cast<size_t>(2 * p);
    if (i + 1 >= v.size()) return kNoPoint;
    const bool minMax = (trace == 'B' ? d.m_nMinMaxB : d.m_nMinMaxA) == 1;
    const double a = v[i], b = v[i + 1];
    if (!minMax || a == kNoPoint) return b;
    if (b == kNoPoint) return a;
    return std::max(a, b);
}

std::string XText(const CMyQuarnDoc& d, double x) {
    if (d.m_strMode == "DTF") return Format("%.2f %s", x, LengthUnitText(d.m_strCableLengthUnit).c_str());
    if (d.m_dSpan == 0) {
        const Scaled t = ScaleTime(x);
        return Format("%.2f %s", t.value, t.unit.c_str());
    }
    return FrequencyText(x);
}

// The highest point of the drawn front trace (or of the other one when the front is not drawn).
std::string PeakText(const CMyQuarnDoc& d) {
    char trace = d.m_nFrontTrace == 1 ? 'B' : 'A';
    if (!TraceDrawn(d, trace)) trace = trace == 'A' ? 'B' : 'A';
    if (!TraceDrawn(d, trace)) return {};
    int best = -1;
    double top = 0;
    for (int p = 0; p <= kLastMarkerPoint; ++p) {
        const double v = PointLevel(d, trace, p);
        if (v == kNoPoint || !std::isfinite(v)) continue;
        if (best < 0 || v > top) {
            best = p;
            top = v;
        }
    }
    if (best < 0) return {};
    const std::string& unit = d.DisplayUnit();
    const double shown = LevelFromDbm(top, unit, d.ReferenceImpedance());
    std::string level = FormatLevel(shown, unit);
    if (level.empty()) level = Format("%.1f", shown);
    // Leading blanks of the fixed-width level forms do not belong in a table cell.
    level.erase(0, level.find_first_not_of(' '));
    return Format("%s %s %s at %s", d.m_strMode == "DTF" ? "DTF peak" : "Peak", level.c_str(),
                  UnitText(unit).c_str(), XText(d, PointValue(d, best)).c_str());
}

bool LimitsApplied(const CMyQuarnDoc& d) {
    return d.m_strLimitState != "OFF";  // simple limits too are drawn only in an upper or lower state
}

}  // namespace

std::optional<SitePosition> ValidPosition(const CMyQuarnDoc& d) {
    if (d.m_strGpsQuality != "OK") return std::nullopt;
    const double lat = d.m_dGpsLatitude, lon = d.m_dGpsLongitude;
    if (!std::isfinite(lat) || !std::isfinite(lon) || std::fabs(lat) > 90 || std::fabs(lon) > 180)
        return std::nullopt;
    SitePosition p{lat, lon, d.m_dGpsAltitude};
    const std::string& u = d.m_strGpsAltitudeUnit;
    if (u == "FEET" || u == "FT") p.altitudeMetres = d.m_dGpsAltitude / kFeetPerMetre;
    if (!std::isfinite(p.altitudeMetres)) p.altitudeMetres = 0;
    return p;
}

std::string LimitVerdict(const CMyQuarnDoc& d) {
    if (!LimitsApplied(d)) return {};
    // A limit file that was not loaded has no verdict, whatever the instrument sent.
    if (d.m_strLimitSimple != "ON" && d.m_strLimitFile.empty()) return {};
    // As the page says it: only what the instrument reported.
    const std::string& r = d.m_strTraceDataLimit;
    return r == "PASS" || r == "FAIL" ? r : std::string();
}

std::string LimitSetText(const CMyQuarnDoc& d) {
    if (d.m_strLimitState == "OFF") return {};
    if (d.m_strLimitSimple == "ON") return "Simple limits";
    return d.m_strLimitFile.empty() ? "not loaded" : d.m_strLimitFile;
}

std::string XRangeText(const CMyQuarnDoc& d) {
    if (d.m_strMode == "DTF")
        return Format("Distance 0 to %.1f %s", d.m_dCableLength,
                      LengthUnitText(d.m_strCableLengthUnit).c_str());
    if (d.m_dSpan == 0) {
        const Scaled t = ScaleTime(d.m_dSweepTime);
        return Format("Center %s, Sweep time %.1f %s", FrequencyText(d.m_dCenter).c_str(), t.value,
                      t.unit.c_str());
    }
    return Format("Center %s, Span %s", FrequencyText(d.m_dCenter).c_str(), FrequencyText(d.m_dSpan).c_str());
}

std::string HeadlineResult(const CMyQuarnDoc& d) {
    const std::string mode = ModeDisplayName(d.m_strMode);
    const std::string unit = UnitText(d.DisplayUnit());
    auto obw = [&](int percent) {
        if (d.m_dResultObw == kNoResult) return Format("OBW %d %%: N/A", percent);
        const Scaled f = ScaleFrequency(d.m_dResultObw);
        return Format("OBW %d %%: %.3f %s", percent, f.value, f.unit.c_str());
    };
    if (mode == "Channel Power") {
        if (d.m_strCpowerMeasure == "ACPR") {
            if (d.m_dResultAcprMain == kNoResult) return "ACPR: N/A";
            return Format("ACPR main %.1f %s, left %.1f dB, right %.1f dB", d.m_dResultAcprMain, unit.c_str(),
                          d.m_dResultAcprLower, d.m_dResultAcprUpper);
        }
        if (d.m_strCpowerMeasure == "OBW") return obw(d.m_nCpowerObw);
        if (d.m_dResultCpower == kNoResult) return "Channel Power: N/A";
        return Format("Channel Power %.1f %s", d.m_dResultCpower, unit.c_str());
    }
    if (mode == "Cable Loss") return Format("Average Cable Loss %.1f dB", d.m_dResultCableLoss);
    if (mode == "EMF (EMI)") {
        std::string v = FormatEmf(d.m_dResultEmf, d.m_strEmfMeasure);
        v.erase(0, v.find_first_not_of(' '));
        return (d.m_strEmfMeasure == "PDENsity" ? "Power density " : "Electrical field strength ") + v;
    }
    if (mode == "Spectrum Analysis" && d.m_strMeasure == "OBW") return obw(d.m_nObwPercent);
    return PeakText(d);
}

TraceSummary Summarise(const CMyQuarnDoc& d, const std::string& file) {
    TraceSummary s;
    s.file = file;
    s.traceName = d.m_strTraceName.empty() ? d.GetTitle() : d.m_strTraceName;
    s.mode = ModeDisplayName(d.m_strMode);
    if (!d.m_strCreated.empty()) {
        s.dateTime = StampText(d.m_strCreated);
        if (const size_t gap = s.dateTime.find("  "); gap != std::string::npos) s.dateTime.erase(gap, 1);
    }
    s.xRange = XRangeText(d);
    s.result = HeadlineResult(d);
    s.limitSet = LimitSetText(d);
    s.verdict = LimitVerdict(d);
    s.failCount = s.limitSet.empty() ? 0 : d.m_nLimitFailCount;
    s.position = ValidPosition(d);
    return s;
}

TraceSummary UnreadableSummary(const std::string& file, const std::string& message) {
    TraceSummary s;
    s.file = file;
    s.readable = false;
    s.message = message;
    return s;
}

std::string PositionText(const SitePosition& p) {
    return Format("%.6f %c, %.6f %c, %.1f m", std::fabs(p.latitude), p.latitude < 0 ? 'S' : 'N',
                  std::fabs(p.longitude), p.longitude < 0 ? 'W' : 'E', p.altitudeMetres);
}

}  // namespace fl
