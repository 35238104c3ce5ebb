#include "LimitModel.h"

#include <algorithm>
#include <filesystem>

#include "Text.h"

namespace fl {

namespace {

std::string Tenth(double v) {
    return Format("%.1f", v);
}

LimitLine RowFrom(const LineValues& v) {
    return {v.lower, Tenth(v.x1), Tenth(v.y1), Tenth(v.x2), Tenth(v.y2)};
}

void SwapEnds(LimitLine& r) {
    std::swap(r.x1, r.x2);
    std::swap(r.y1, r.y2);
}

}  // namespace

std::string UpperCaseFileName(const std::string& path) {
    std::filesystem::path p(path);
    return (p.parent_path() / UpperCaseUtf8Name(p.filename().string())).string();
}

LineValues LimitModel::InsertProposal() const {
    LineValues v;
    if (!set.rows.empty()) {
        const LimitLine& last = set.rows.back();
        v.lower = last.lower;
        v.x1 = LeadingReal(last.x2);
        v.y1 = LeadingReal(last.y2);
    }
    v.x2 = std::min(v.x1 + 1, 10.0);
    v.y2 = v.y1;
    return v;
}

void LimitModel::Insert(const LineValues& v, bool changed) {
    if (Full()) return;
    set.rows.push_back(RowFrom(v));
    current = static_cast<int>(set.rows.size());
    title = "Limits Lines";
    if (changed) modified = true;
}

LineValues LimitModel::Values(int row) const {
    if (row < 1 || row > static_cast<int>(set.rows.size())) return {};
    const LimitLine& r = set.rows[static_cast<size_t>(row - 1)];
    return {r.lower, LeadingReal(r.x1), LeadingReal(r.y1), LeadingReal(r.x2), LeadingReal(r.y2)};
}

void LimitModel::Edit(const LineValues& v, bool changed) {
    if (current < 1 || current > static_cast<int>(set.rows.size())) return;
    LimitLine row = RowFrom(v);
    if (v.x1 > v.x2) SwapEnds(row);
    set.rows[static_cast<size_t>(current - 1)] = row;
    if (changed) modified = true;
}

void LimitModel::Delete() {
    if (current < 1 || current > static_cast<int>(set.rows.size())) return;
    set.rows.erase(set.rows.begin() + (current - 1));
    if (current > 1) --current;
    // The first row stays current, unless there is none left.
    if (set.rows.empty()) current = 0;
    title = "Limits Lines";
}

void LimitModel::DeleteAll() {
    set.rows.clear();
    current = 0;
    title = "Limits Lines";
}

void LimitModel::Opened(LimitSet read, const std::string& name) {
    set = std::move(read);
    fileName = name;
    title = "Limit Lines - " + name;
    current = static_cast<int>(set.rows.size());
    modified = false;
}

void LimitModel::Saved(const std::string& name) {
    fileName = name;
    title = "Limit Lines - " + name;
    modified = false;
}

void LimitModel::ApplyModifiedHook() {
    if (!modified) return;
    title = "Limit Lines";
    fileName.clear();
}

std::vector<std::array<UnitPoint, 2>> LimitModel::Units() const {
    std::vector<std::array<UnitPoint, 2>> out;
    for (const LimitLine& r : set.rows)
        out.push_back({UnitPoint{LeadingReal(r.x1) * 100, LeadingReal(r.y1) * 100},
                       UnitPoint{LeadingReal(r.x2) * 100, LeadingReal(r.y2) * 100}});
    return out;
}

std::optional<GraphHit> LimitModel::Hit(UnitPoint pointer) const {
    return HitTest(Units(), current, pointer, 5);
}

void LimitModel::Drag(const GraphHit& hit, UnitPoint p) {
    if (hit.row < 0 || hit.row >= static_cast<int>(set.rows.size())) return;
    LimitLine& r = set.rows[static_cast<size_t>(hit.row)];
    (hit.end == 0 ? r.x1 : r.x2) = Tenth(p.x / 100);
    (hit.end == 0 ? r.y1 : r.y2) = Tenth(p.y / 100);
    current = hit.row + 1;
    modified = true;
}

void LimitModel::Release(const GraphHit& hit) {
    if (hit.row < 0 || hit.row >= static_cast<int>(set.rows.size())) return;
    current = hit.row + 1;
    LimitLine& r = set.rows[static_cast<size_t>(hit.row)];
    if (LeadingReal(r.x2) < LeadingReal(r.x1)) SwapEnds(r);
}

}  // namespace fl
