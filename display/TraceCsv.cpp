#include "TraceCsv.h"

#include <algorithm>
#include <cmath>

#include "CMyQuarnDoc.h"
#include "MarkerEdit.h"
#include "Text.h"
#include "Units.h"

namespace fl {

namespace {

std::string Field(std::string text, const CsvOptions& o) {
    if (text.find_first_of(std::string("\"\r\n") + o.separator) == std::string::npos) return text;
    std::string q = "\"";
    for (char c : text) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + "\"";
}

std::string Number(double v, int digits, const CsvOptions& o) {
    std::string t = Format("%.*g", digits, v);
    if (o.decimal != '.') std::replace(t.begin(), t.end(), '.', o.decimal);
    return t;
}

}  // namespace

std::string TraceCsv(const CMyQuarnDoc& d, const CsvOptions& o) {
    const std::string unit = Cp1252ToUtf8(UnitText(d.DisplayUnit()));
    std::string xHeader = "Frequency (Hz)";
    if (d.m_strMode == "DTF")
        xHeader = "Distance (" + LengthUnitText(d.m_strCableLengthUnit) + ")";
    else if (d.m_dSpan == 0)
        xHeader = "Time (s)";
    const std::string traces = o.traces.empty() ? (TraceDrawn(d, 'B') ? "AB" : "A") : o.traces;
    const std::string sep(1, o.separator);
    std::string csv = Field(xHeader, o);
    for (char t : traces)
        for (const char* which : {"min", "max"})
            csv += sep + Field(Format("Trace %c %s (%s)", t, which, unit.c_str()), o);
    csv += "\r\n";

    const auto toUnit = LevelFromDbmFor(d.DisplayUnit(), d.ReferenceImpedance());
    // The value of one sample in the display unit, or empty when it is missing or has no value there.
    auto level = [&](double stored) -> std::string {
        if (stored == kNoPoint || !std::isfinite(stored)) return {};
        const double v = toUnit(stored);
        return std::isfinite(v) ? Field(Number(v, 10, o), o) : std::string();
    };
    // A trace the instrument did not measure (its mode OFF) gives empty columns.
    auto columns = [&](char trace, int p) {
        const auto& v = trace == 'B' ? d.m_arrTraceB : d.m_arrTraceA;
        if (!TraceOffered(d, trace)) return sep + sep;
        const size_t i = static_cast<size_t>(2 * p);
        if (i + 1 >= v.size()) return sep + sep;
        const bool minMax = (trace == 'B' ? d.m_nMinMaxB : d.m_nMinMaxA) == 1 && d.DisplayUnit() != "MRHO";
        double lo = v[i + 1], hi = v[i + 1];
        if (minMax && v[i] != kNoPoint && v[i + 1] != kNoPoint) {
            lo = std::min(v[i], v[i + 1]);
            hi = std::max(v[i], v[i + 1]);
        } else if (minMax && v[i + 1] == kNoPoint) {
            lo = hi = v[i];
        }
        return sep + level(lo) + sep + level(hi);
    };
    for (int p = 0; p <= kLastMarkerPoint; ++p) {
        csv += Field(Number(PointValue(d, p), 12, o), o);
        for (char t : traces)
            csv += columns(t, p);
        csv += "\r\n";
    }
    return csv;
}

}  // namespace fl
