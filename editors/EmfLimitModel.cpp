#include "EmfLimitModel.h"

#include <algorithm>
#include <cmath>

#include "Text.h"
#include "Units.h"

namespace fl {

const std::vector<std::string>& EmfUnitNames() {
    static const std::vector<std::string> names = {"dB\xB5V/m", "dBmV/m",  "dBV/m",    "V/m",
                                                   "mV/m",      "\xB5V/m", "mW/m\xB2", "\xB5W/m\xB2"};
    return names;
}

std::string EmfUnitKeyword(int unit) {
    static const char* const k[] = {"DBUVm", "DBMVm", "DBVM", "VM", "MVM", "UVM", "MWM2", "UWM2"};
    return unit >= 0 && unit < 8 ? k[unit] : "DBUVm";
}

bool EmfUnitLogarithmic(int unit) {
    return unit >= 0 && unit <= 2;
}

const std::vector<double>& EmfScales() {
    static const std::vector<double> s = {20, 15, 10, 5, 3, 1};
    return s;
}

double EmfRangeHz(int range) {
    return range == 1 ? 7.5e9 : 4e9;
}

ScaledHz BestFrequencyUnit(double hz) {
    const double whole = std::fabs(std::trunc(hz));
    if (whole >= 1e9) return {hz / 1e9, "GHz"};
    if (whole >= 1e6) return {hz / 1e6, "MHz"};
    if (whole >= 1e3) return {hz / 1e3, "kHz"};
    return {hz, "Hz"};
}

std::string EmfLimitModel::LevelText(double level) const {
    return FormatLevel(level, EmfUnitKeyword(set.settings.unit));
}

std::vector<std::string> EmfLimitModel::LevelLabels() const {
    std::vector<std::string> out;
    for (int k = 0; k <= 8; ++k)
        out.push_back(LevelText(set.settings.reference - k * m_scale));
    return out;
}

void EmfLimitModel::ResetScale() {
    const EmfSettings& s = set.settings;
    if (EmfUnitLogarithmic(s.unit))
        m_scale = EmfScales()[static_cast<size_t>(std::clamp(s.scale, 0, 5))];
    else
        m_scale = s.reference / 8;
}

void EmfLimitModel::WriteTexts(EmfLimitLine& r) const {
    r.text = {Format("%.0f", r.value[0]), LevelText(r.value[1]), Format("%.0f", r.value[2]),
              LevelText(r.value[3])};
}

EmfPointValues EmfLimitModel::InsertProposal() const {
    EmfPointValues v;
    if (set.rows.empty()) {
        v.l1 = v.l2 = set.settings.reference;
        return v;
    }
    const EmfLimitLine& last = set.rows.back();
    v.lower = last.lower;
    v.f1 = last.value[2];
    v.l1 = last.value[3];
    v.f2 = v.f1 + 100000000.0;
    v.l2 = v.l1;
    return v;
}

void EmfLimitModel::Insert(const EmfPointValues& v, bool changed) {
    if (Full()) return;
    EmfLimitLine r;
    r.lower = v.lower;
    r.value = {v.f1, v.l1, v.f2, v.l2};
    WriteTexts(r);
    set.rows.push_back(r);
    current = static_cast<int>(set.rows.size());
    title = "EMF Limit Lines";
    if (changed) modified = true;
}

EmfPointValues EmfLimitModel::Values(int row) const {
    if (row < 1 || row > static_cast<int>(set.rows.size())) return {};
    const EmfLimitLine& r = set.rows[static_cast<size_t>(row - 1)];
    return {r.lower, r.value[0], r.value[1], r.value[2], r.value[3]};
}

void EmfLimitModel::Edit(const EmfPointValues& v, bool changed) {
    if (current < 1 || current > static_cast<int>(set.rows.size())) return;
    EmfLimitLine& r = set.rows[static_cast<size_t>(current - 1)];
    r.lower = v.lower;
    r.value = {v.f1, v.l1, v.f2, v.l2};
    if (v.f1 > v.f2) r.value = {v.f2, v.l2, v.f1, v.l1};
    WriteTexts(r);
    if (changed) modified = true;
}

void EmfLimitModel::Delete() {
    if (current < 1 || current > static_cast<int>(set.rows.size())) return;
    set.rows.erase(set.rows.begin() + (current - 1));
    if (current > 1) --current;
    if (set.rows.empty()) current = 0;
    title = "EMF Limit Lines";
}

void EmfLimitModel::DeleteAll() {
    set.rows.clear();
    current = 0;
    title = "EMF Limit Lines";
}

std::string EmfLimitModel::CheckFrequencies(double f1, double f2, double openedF1, double openedF2) const {
    if (f1 == openedF1 && f2 == openedF2) return {};
    const double max = MaxHz();
    for (double f : {f1, f2})
        if (f < 0 || f > max) return Format("Please insert a value between %d Hz and %.0f Hz     ", 0, max);
    return {};
}

void EmfLimitModel::LinearReferenceRule() {
    double& ref = set.settings.reference;
    if (ref < 0.008) ref = 1.0;
    if (ref > 999999) ref = 10.0;
    m_scale = ref / 8;
}

void EmfLimitModel::ChangeUnit(int unit) {
    if (unit < 0 || unit > 7) return;
    const std::string from = EmfUnitKeyword(set.settings.unit), to = EmfUnitKeyword(unit);
    auto convert = [&](double v) {
        return LevelFromDbm(LevelToDbm(v, from, kDefaultImpedance), to, kDefaultImpedance);
    };
    // The reference at the precision the new unit's formatter shows it.
    double ref = convert(set.settings.reference);
    ref = std::isfinite(ref) ? LeadingReal(FormatLevel(ref, to)) : 0.0;
    // Zero and negative levels have no logarithm: coming from a linear unit they count as 0.0001. (A
    // negative level in a logarithmic unit is a real level and is converted as it is.)
    if (EmfUnitLogarithmic(unit) && !EmfUnitLogarithmic(set.settings.unit))
        for (EmfLimitLine& r : set.rows)
            for (size_t k : {1u, 3u})
                if (r.value[k] <= 0) r.value[k] = 0.0001;
    set.settings.unit = unit;
    set.settings.reference = ref;
    if (EmfUnitLogarithmic(unit))
        ResetScale();
    else
        LinearReferenceRule();
    for (EmfLimitLine& r : set.rows) {
        for (size_t k : {1u, 3u}) {
            const double v = convert(r.value[k]);
            r.value[k] = std::isfinite(v) ? v : 0.0;
        }
        WriteTexts(r);
    }
}

void EmfLimitModel::ChangeReference(double reference) {
    set.settings.reference = reference;
    if (!EmfUnitLogarithmic(set.settings.unit)) LinearReferenceRule();
}

void EmfLimitModel::ChangeScale(int index) {
    if (index < 0 || index > 5) return;
    set.settings.scale = index;
    m_scale = EmfScales()[static_cast<size_t>(index)];
}

void EmfLimitModel::ChangeRange(int index) {
    if (index == 0 || index == 1) set.settings.range = index;
}

void EmfLimitModel::Opened(EmfLimitSet read, const std::string& name) {
    set = std::move(read);
    fileName = name;
    title = "EMF Limit Lines - " + name;
    current = static_cast<int>(set.rows.size());
    modified = false;
    if (EmfUnitLogarithmic(set.settings.unit))
        ResetScale();
    else
        LinearReferenceRule();
}

void EmfLimitModel::Saved(const std::string& name) {
    fileName = name;
    title = "EMF Limit Lines - " + name;
    modified = false;
}

void EmfLimitModel::ApplyModifiedHook() {
    if (!modified) return;
    title = "EMF Limit Lines";
    fileName.clear();
}

std::vector<std::array<UnitPoint, 2>> EmfLimitModel::Units() const {
    std::vector<std::array<UnitPoint, 2>> out;
    const double ref = set.settings.reference;
    for (const EmfLimitLine& r : set.rows)
        out.push_back({EmfUnits(r.value[0], r.value[1], MaxHz(), ref, m_scale),
                       EmfUnits(r.value[2], r.value[3], MaxHz(), ref, m_scale)});
    return out;
}

std::optional<GraphHit> EmfLimitModel::Hit(UnitPoint pointer) const {
    return HitTest(Units(), current, pointer, 6);
}

void EmfLimitModel::Drag(const GraphHit& hit, UnitPoint p) {
    if (hit.row < 0 || hit.row >= static_cast<int>(set.rows.size())) return;
    EmfLimitLine& r = set.rows[static_cast<size_t>(hit.row)];
    double level = EmfLevelAt(p.y, set.settings.reference, m_scale);
    if (!EmfUnitLogarithmic(set.settings.unit) && level < 0) level = 0;
    const size_t k = hit.end == 0 ? 0 : 2;
    r.value[k] = EmfHzAt(p.x, MaxHz());
    r.value[k + 1] = level;
    WriteTexts(r);
    current = hit.row + 1;
    modified = true;
}

void EmfLimitModel::Release(const GraphHit& hit) {
    if (hit.row < 0 || hit.row >= static_cast<int>(set.rows.size())) return;
    current = hit.row + 1;
    EmfLimitLine& r = set.rows[static_cast<size_t>(hit.row)];
    if (r.value[2] < r.value[0]) {
        r.value = {r.value[2], r.value[3], r.value[0], r.value[1]};
        WriteTexts(r);
    }
}

}  // namespace fl
