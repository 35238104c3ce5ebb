#include "LimitFile.h"

#include "Text.h"

#include "TextLines.h"

namespace fl {

LimitSet ReadLimitText(std::string_view text) {
    LimitSet set;
    const std::vector<std::string> lines = SplitEditorLines(text, kMaxEditorLineLength);
    if (lines.empty()) return set;
    set.comment = lines[0].substr(0, kMaxCommentLength);
    for (size_t i = 1; i < lines.size() && set.rows.size() < kMaxEditorRows; ++i) {
        if (lines[i].find(',') == std::string::npos) continue;
        std::vector<std::string> f = CommaFields(lines[i], 5);
        for (size_t k = 1; k < 5; ++k)
            if (IsNoNumberText(f[k])) f[k] = "0.0";  // never handed on to the instrument
        set.rows.push_back({f[0] == "min", f[1], f[2], f[3], f[4]});
    }
    return set;
}

std::string LimitFileText(const LimitSet& set) {
    std::string out = set.comment + "\r\n";
    for (const LimitLine& r : set.rows)
        out +=
            std::string(r.lower ? "min" : "max") + "," + r.x1 + "," + r.y1 + "," + r.x2 + "," + r.y2 + "\r\n";
    return out;
}

}  // namespace fl
