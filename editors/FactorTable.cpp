#include "FactorTable.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "LimitFile.h"
#include "Text.h"
#include "TextLines.h"

namespace fl {

const FactorTexts& TextsFor(FactorMode mode) {
    static const FactorTexts kTexts[] = {
        {"EMF Antenna Factor", "  Level [ dB/m ]", "Scale [ dB/m ]", "Open EMF Antenna Factor File...",
         "Save EMF Antenna Factor File", ".qaf", "Quarn Antenna Factor (*.qaf *.QAF)",
         "Create or open EMF Antenna Factor first   \r\n", "EMF Antenna Factor not saved.   \nSave?",
         "EMF Antenna Factor not saved!\nSave?", 6, "Level [dB/m]"},
        {"EMF Cable Factor", "  Level [ dB ]", "Scale [ dB ]", "Open EMF Cable Factor File...",
         "Save EMF Cable Factor File", ".qcf", "Quarn Cable Factor (*.qcf *.QCF)",
         "Create or open EMF Cable Factor first   \r\n", "EMF Cable Factor not saved.   \nSave?",
         "EMF Cable Factor not saved!\nSave?", 7, "Level [ dB ]"},
        {"External Device Compensation", "  Level [ dB ]", "Scale [ dB ]",
         "Open External Device Compensation File...", "Save Extern Device File", ".qed",
         "Quarn External Device Compensation (*.qed *.QED)",
         "Create or open External Device Compensation first   \r\n",
         "External Device Compensation not saved.   \nSave?",
         "External Device Compensation not saved!\nSave?", 4, "Level [ dB ]"},
    };
    return kTexts[static_cast<int>(mode)];
}

FactorTable ReadFactorText(std::string_view text, int currentRange) {
    FactorTable t;
    t.range = currentRange;
    const std::vector<std::string> lines = SplitEditorLines(text, kMaxEditorLineLength);
    if (lines.empty()) return t;
    t.comment = lines[0].substr(0, kMaxCommentLength);
    for (size_t i = 2; i < lines.size() && t.entries.size() < kMaxFactorEntries; ++i) {
        const size_t semi = lines[i].find(';');
        if (semi == std::string::npos) continue;
        FactorEntry e{lines[i].substr(0, semi), lines[i].substr(semi + 1)};
        if (IsNoNumberText(e.frequency)) e.frequency = "0";  // never handed on to the instrument
        if (IsNoNumberText(e.level)) e.level = "0.0";
        t.entries.push_back(std::move(e));
    }
    if (!t.entries.empty()) {
        const double f = LeadingReal(t.entries.back().frequency);
        if (f == 4e9) t.range = 0;
        if (f == 7.5e9) t.range = 1;
        if (LeadingReal(t.entries.back().level) == 0) t.entries.pop_back();
    }
    return t;
}

std::string FactorFileText(const FactorTable& t, const std::tm& now) {
    const double max = t.range == 1 ? 7.5e9 : 4e9;
    std::string out = t.comment + "\r\n";
    out += Format(
        "k-antenna table, temperature:0  frequency; delta;   created: %04d/%02d/%02d %02d:%02d:%02d\r\n",
        now.tm_year + 1900, now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec);
    const FactorEntry* below = nullptr;
    for (const FactorEntry& e : t.entries) {
        const double f = LeadingReal(e.frequency);
        if (f > max) {
            // The level at the maximum on the straight line to the first entry above it; with no entry at
            // or below the maximum the table starts above it, and that entry's level holds from 0 Hz.
            double level = LeadingReal(e.level);
            if (below) {
                const double f0 = LeadingReal(below->frequency), l0 = LeadingReal(below->level);
                level = f != f0 ? l0 + (LeadingReal(e.level) - l0) * (max - f0) / (f - f0) : l0;
            }
            return out + Format("%.0f;%.1f\r\n", max, level);
        }
        out += e.frequency + ";" + e.level + "\r\n";
        below = &e;
    }
    return out + Format("%.0f;%s\r\n", max, "0");
}

std::string FactorModel::CheckEntry(double hz, bool changed) const {
    if (!changed) return {};
    if (hz < 0 || hz > MaxHz())
        return Format("Please insert a value between %d Hz and %.0f Hz     ", 0, MaxHz());
    return {};
}

void FactorModel::Sort() {
    // Neighbour exchanges only when the second is smaller: equal frequencies keep their order.
    auto& v = table.entries;
    for (bool exchanged = true; exchanged;) {
        exchanged = false;
        for (size_t i = 0; i + 1 < v.size(); ++i)
            if (LeadingReal(v[i + 1].frequency) < LeadingReal(v[i].frequency)) {
                std::swap(v[i], v[i + 1]);
                exchanged = true;
            }
    }
}

void FactorModel::Insert(double hz, double level) {
    if (Full()) return;
    const std::string f = Format("%.0f", hz);
    table.entries.push_back({f, Format("%.1f", level)});
    Sort();
    for (size_t i = 0; i < table.entries.size(); ++i)
        if (table.entries[i].frequency == f) current = static_cast<int>(i) + 1;
    modified = true;
}

void FactorModel::Edit(double hz, double level, bool changed) {
    if (!changed || current < 1 || current > static_cast<int>(table.entries.size())) return;
    table.entries[static_cast<size_t>(current - 1)] = {Format("%.0f", hz), Format("%.1f", level)};
    modified = true;
}

void FactorModel::Delete() {
    if (current < 1 || current > static_cast<int>(table.entries.size())) return;
    table.entries.erase(table.entries.begin() + (current - 1));
    if (current > 1) --current;
    if (table.entries.empty()) current = 0;
    title = TextsFor(mode).title;
}

void FactorModel::DeleteAll() {
    table.entries.clear();
    current = 0;
    title = TextsFor(mode).title;
}

bool FactorModel::LevelOffset(int step) {
    for (const FactorEntry& e : table.entries) {
        const double l = LeadingReal(e.level);
        if ((step > 0 && l > 79) || (step < 0 && l < -79)) return false;
    }
    for (FactorEntry& e : table.entries)
        e.level = Format("%.1f", std::clamp(LeadingReal(e.level) + step, -80.0, 80.0));
    return true;
}

void FactorModel::ScaleStep(int step) {
    scaleIndex = std::clamp(scaleIndex + step, -2, 3);
}

void FactorModel::Opened(FactorTable read, const std::string& name) {
    table = std::move(read);
    fileName = name;
    title = std::string(TextsFor(mode).title) + " - " + name;
    current = static_cast<int>(table.entries.size());
    scaleIndex = 2;
    modified = false;
}

void FactorModel::Saved(const std::string& name) {
    fileName = name;
    title = std::string(TextsFor(mode).title) + " - " + name;
    modified = false;
}

void FactorModel::ApplyModifiedHook() {
    if (!modified) return;
    title = TextsFor(mode).title;
    fileName.clear();
}

double FactorModel::HalfRange() {
    static const double kS[] = {80, 40, 20, 16, 8, 4};  // index -2 .. 3
    if (table.entries.empty()) {
        scaleIndex = 0;
        return 20;
    }
    double low = 1e300, high = -1e300;
    for (const FactorEntry& e : table.entries) {
        low = std::min(low, LeadingReal(e.level));
        high = std::max(high, LeadingReal(e.level));
    }
    scaleIndex = std::clamp(scaleIndex, -2, 3);
    while (scaleIndex > -2 && (low < -kS[scaleIndex + 2] || high > kS[scaleIndex + 2]))
        --scaleIndex;
    return kS[scaleIndex + 2];
}

std::vector<std::string> FactorModel::LevelLabels(double S) const {
    std::vector<std::string> out;
    for (int k = 0; k <= 8; ++k)
        out.push_back(k == 4 ? Format("%d", 0) : Format("%3.1f", S - k * S / 4));
    return out;
}

PixelPoint FactorPixel(double hz, double level, double maxHz, double S) {
    return {static_cast<int>(std::trunc(hz * kGraphWidth / maxHz)),
            static_cast<int>(std::trunc(160 - level * kGraphHeight / (2 * S)))};
}

UnitPoint FactorPointerUnits(double px, double py) {
    return {std::clamp(px * 1000.0 / kGraphWidth, 0.0, 1000.0),
            std::clamp((160 - py) * 1000.0 / kGraphHeight, -500.0, 500.0)};
}

std::vector<PixelPoint> FactorModel::Points(double S) const {
    std::vector<PixelPoint> out;
    for (const FactorEntry& e : table.entries)
        out.push_back(FactorPixel(LeadingReal(e.frequency), LeadingReal(e.level), MaxHz(), S));
    return out;
}

std::optional<GraphHit> FactorModel::Hit(UnitPoint p, double S) const {
    std::vector<std::array<UnitPoint, 2>> rows;
    for (const FactorEntry& e : table.entries) {
        const UnitPoint u{LeadingReal(e.frequency) / (MaxHz() * 0.001),
                          LeadingReal(e.level) / (2 * S) * 1000};
        rows.push_back({u, u});
    }
    auto hit = HitTest(rows, current, p, 6);
    if (hit) hit->end = 0;
    return hit;
}

void FactorModel::Drag(const GraphHit& hit, UnitPoint p, double S) {
    if (hit.row < 0 || hit.row >= static_cast<int>(table.entries.size())) return;
    FactorEntry& e = table.entries[static_cast<size_t>(hit.row)];
    e.frequency = Format("%.0f", std::min(MaxHz() * p.x * 0.001, MaxHz()));
    e.level = Format("%.1f", p.y * 2 * S / 1000);
    current = hit.row + 1;
    modified = true;
}

void FactorModel::Release() {
    const FactorEntry held = current >= 1 && current <= static_cast<int>(table.entries.size())
                                 ? table.entries[static_cast<size_t>(current - 1)]
                                 : FactorEntry{};
    Sort();
    // The dragged entry stays the current one where the sort put it.
    for (size_t i = 0; i < table.entries.size(); ++i)
        if (table.entries[i] == held) {
            current = static_cast<int>(i) + 1;
            break;
        }
}

std::string NextNewSettingsName(const std::vector<std::string>& names) {
    int largest = -1;
    for (const std::string& n : names) {
        const std::string upper = ToUpperAscii(n);
        if (upper.rfind("NEWSET", 0) != 0 || upper.size() < 10 || upper.substr(upper.size() - 4) != ".QST")
            continue;
        // The whole number after NEWSET: after NEWSET999 comes NEWSET1000, and NEWSET1000 is 1000, not 100
        // (which would name an existing file again). A name without digits there counts as 0.
        const std::string middle = n.substr(6, n.size() - 10);
        int v = 0;
        if (!middle.empty() && middle.size() <= 9 && std::all_of(middle.begin(), middle.end(), [](char c) {
                return std::isdigit(static_cast<unsigned char>(c));
            }))
            v = LeadingInt(middle);
        largest = std::max(largest, v);
    }
    return Format("NEWSET%03d.QST", largest + 1);
}

}  // namespace fl
