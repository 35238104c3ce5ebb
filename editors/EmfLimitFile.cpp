#include "EmfLimitFile.h"

#include "Text.h"
#include "TextLines.h"

namespace fl {

namespace {

// "PARAM=107.000000,2,0,0": the reference level and the three list indices, each within its list.
bool ReadParameters(std::string line, EmfSettings& s) {
    const size_t at = line.find("PARAM=");
    line.erase(at, 6);
    const std::vector<std::string> f = CommaFields(line.substr(at), 4);
    EmfSettings read;
    read.reference = LeadingReal(f[0]);
    read.scale = LeadingInt(f[1]);
    read.unit = LeadingInt(f[2]);
    read.range = LeadingInt(f[3]);
    if (read.scale < 0 || read.scale > 5 || read.unit < 0 || read.unit > 7 || read.range < 0 ||
        read.range > 1)
        return false;
    s = read;
    return true;
}

}  // namespace

EmfLimitSet ReadEmfLimitText(std::string_view text, const EmfSettings& current) {
    EmfLimitSet set;
    set.settings = current;
    const std::vector<std::string> lines = SplitEditorLines(text, kMaxEditorLineLength);
    if (lines.empty()) return set;
    set.comment = lines[0].substr(0, kMaxCommentLength);
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.find("PARAM=") != std::string::npos) {
            set.hasParameters = ReadParameters(line, set.settings);
            break;
        }
        // A full list still looks for the parameter line: without it the levels would be read in
        // another unit.
        if (set.rows.size() >= kMaxEditorRows || line.find(',') == std::string::npos) continue;
        const std::vector<std::string> f = CommaFields(line, 5);
        EmfLimitLine row;
        row.lower = f[0] == "min";
        for (size_t k = 0; k < 4; ++k) {
            row.text[k] = IsNoNumberText(f[k + 1]) ? "0" : f[k + 1];  // never handed on to the instrument
            row.value[k] = LeadingReal(row.text[k]);
        }
        set.rows.push_back(std::move(row));
    }
    return set;
}

std::string EmfLimitFileText(const EmfLimitSet& set) {
    std::string out = set.comment + "\r\n";
    for (const EmfLimitLine& r : set.rows) {
        out += r.lower ? "min" : "max";
        for (size_t k = 0; k < 4; ++k)
            out += "," + TextOrExact(r.text[k], r.value[k]);
        out += "\r\n";
    }
    const EmfSettings& s = set.settings;
    return out + "PARAM=" + FormatOrExact("%f", s.reference) + Format(",%d,%d,%d", s.scale, s.unit, s.range);
}

}  // namespace fl
