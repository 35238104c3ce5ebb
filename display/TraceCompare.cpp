#include "TraceCompare.h"

#include <algorithm>
#include <cmath>

#include "CMyQuarnDoc.h"
#include "MarkerEdit.h"
#include "PanelText.h"
#include "Text.h"
#include "TraceSummary.h"
#include "Units.h"

namespace fl {

namespace {

// Ratios are held in dB, levels in dBm: within one kind every unit converts exactly.
bool IsRatioUnit(const std::string& u) {
    return u == "DB" || u == "VSWR" || u == "MRHO" || u == "%";
}

bool Same(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

bool HasPoints(const CMyQuarnDoc& d, char trace) {
    return TraceDrawn(d, trace);
}

const std::vector<double>& Points(const CMyQuarnDoc& d, char trace) {
    return trace == 'B' ? d.m_arrTraceB : d.m_arrTraceA;
}

}  // namespace

std::string CompareName(const CMyQuarnDoc& d) {
    if (!d.GetTitle().empty()) return d.GetTitle();
    return d.m_strTraceName.empty() ? std::string("Trace") : d.m_strTraceName;
}

std::string CompareRefusal(const CMyQuarnDoc& front, const CMyQuarnDoc& other) {
    const std::string name = CompareName(other) + ": ";
    const std::string fm = ModeDisplayName(front.m_strMode), om = ModeDisplayName(other.m_strMode);
    if (fm != om) return name + "the mode is " + om + ", not " + fm;
    if (IsRatioUnit(front.DisplayUnit()) != IsRatioUnit(other.DisplayUnit()))
        return name + "the unit is " + UnitText(other.DisplayUnit()) + ", which does not convert into " +
               UnitText(front.DisplayUnit());
    const bool dtf = front.m_strMode == "DTF";
    bool sameAxis;
    if (dtf)
        sameAxis = Same(front.m_dCableLength, other.m_dCableLength) &&
                   LengthUnitText(front.m_strCableLengthUnit) == LengthUnitText(other.m_strCableLengthUnit);
    else if (front.m_dSpan == 0 || other.m_dSpan == 0)
        sameAxis = front.m_dSpan == other.m_dSpan && Same(front.m_dSweepTime, other.m_dSweepTime);
    else
        sameAxis = Same(front.m_dCenter, other.m_dCenter) && Same(front.m_dSpan, other.m_dSpan);
    if (!sameAxis) return name + "the x axis is " + XRangeText(other) + ", not " + XRangeText(front);
    if (!HasPoints(other, 'A') && !HasPoints(other, 'B')) return name + "no trace is drawn";
    return {};
}

bool ComparisonDocument(const CMyQuarnDoc& front, const std::vector<const CMyQuarnDoc*>& others,
                        CMyQuarnDoc& result, std::string* refusal) {
    std::string refused;
    for (const CMyQuarnDoc* o : others) {
        const std::string why = CompareRefusal(front, *o);
        if (!why.empty()) refused += (refused.empty() ? "" : "\n") + why;
    }
    if (!refused.empty()) {
        if (refusal) *refusal = refused;
        return false;
    }
    result = front;
    result.m_overlays.clear();
    result.m_strCompareName = CompareName(front);
    const bool twoTraces = [&] {
        for (const CMyQuarnDoc* o : others)
            if (HasPoints(*o, 'A') && HasPoints(*o, 'B')) return true;
        return HasPoints(front, 'A') && HasPoints(front, 'B');
    }();
    for (const CMyQuarnDoc* o : others)
        for (char t : {'A', 'B'}) {
            if (!HasPoints(*o, t)) continue;
            ComparedTrace ov;
            ov.name = CompareName(*o) + (twoTraces ? std::string(" ") + t : "");
            ov.points = Points(*o, t);
            ov.minMax = t == 'B' ? o->m_nMinMaxB : o->m_nMinMaxA;
            ov.impedance = o->ReferenceImpedance();
            result.m_overlays.push_back(std::move(ov));
        }
    result.SetTitle("Compare: " + CompareName(front) + Format(" + %d", static_cast<int>(others.size())));
    result.m_strPathName.clear();
    result.SetModifiedFlag(false);
    return true;
}

double DifferenceScale(double largest) {
    for (double s : {0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0})
        if (4 * s >= largest) return s;
    return 50.0;
}

bool DifferenceDocument(const CMyQuarnDoc& d, const CMyQuarnDoc& ref, CMyQuarnDoc& result,
                        std::string* refusal) {
    std::string why = CompareRefusal(d, ref);
    if (why.empty() && !HasPoints(d, 'A') && !HasPoints(d, 'B')) why = CompareName(d) + ": no trace is drawn";
    if (!why.empty()) {
        if (refusal) *refusal = why;
        return false;
    }
    result = d;
    result.m_overlays.clear();
    double largest = 0;
    // Sample by sample; a column whose reference holds one sample compares both of its own with it.
    auto difference = [&](char t, char rt) {
        const auto& a = Points(d, t);
        const auto& r = Points(ref, rt);
        const bool refMinMax = (rt == 'B' ? ref.m_nMinMaxB : ref.m_nMinMaxA) == 1;
        std::vector<double> out(a.size(), kNoPoint);
        for (size_t i = 0; i < a.size() && i < r.size(); ++i) {
            const double rv = refMinMax ? r[i] : r[i | 1];
            if (a[i] == kNoPoint || rv == kNoPoint || !std::isfinite(a[i]) || !std::isfinite(rv)) continue;
            out[i] = a[i] - rv;
            largest = std::max(largest, std::fabs(out[i]));
        }
        return out;
    };
    // Trace A against the reference's A (its B when it draws only B); B likewise when both draw it.
    const char refMain = HasPoints(ref, 'A') ? 'A' : 'B';
    const char own = HasPoints(d, 'A') ? 'A' : 'B';
    result.m_arrTraceA = difference(own, refMain);
    result.m_nMinMaxA = own == 'B' ? d.m_nMinMaxB : d.m_nMinMaxA;
    result.m_nTraceModeA = own == 'B' ? d.m_nTraceModeB : d.m_nTraceModeA;
    result.m_bShowTraceA = 1;
    if (own == 'A' && HasPoints(d, 'B') && HasPoints(ref, 'B') && refMain == 'A') {
        result.m_arrTraceB = difference('B', 'B');
    } else {
        result.m_bShowTraceB = 0;
    }
    result.m_nFrontTrace = 0;
    // A difference is a ratio: dB around 0 dB, the four divisions either side holding the largest.
    // Every unit field says dB, so a later reselection of the display (the Level dialog) stays in dB.
    const double s = DifferenceScale(largest);
    for (std::string* unit : {&result.m_strRefLevelUnit, &result.m_strTransRefUnit, &result.m_strDtfRefUnit,
                              &result.m_strRflRefUnit, &result.m_strEmfRefUnit})
        *unit = "DB";
    result.ReselectDisplay();
    result.SelectedScale() = s;
    result.SelectedReference() = 4 * s;
    result.m_strLimitSimple = "OFF";
    result.m_strLimitState = "OFF";
    result.m_arrLimitSegments.clear();
    result.m_strTraceDataLimit = "NA";
    result.m_nLimitFailCount = 0;
    result.m_bThresholdSet = 0;
    for (auto* states : {&result.m_arrUserStateA, &result.m_arrUserStateB})
        std::fill(states->begin(), states->end(), MARKER_OFF);
    const std::string name = CompareName(d) + " - " + CompareName(ref);
    result.m_strComment = "Difference in dB: " + CompareName(d) + " minus " + CompareName(ref);
    result.SetTitle(name);
    result.m_strPathName.clear();
    result.SetModifiedFlag(false);
    return true;
}

}  // namespace fl
