// Limit files (.qlm): a comment line, then one line per segment "type,x1,y1,x2,y2" in grid divisions,
// "min" for a lower and "max" for an upper limit, every line ending in CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fl {

inline constexpr size_t kMaxEditorRows = 30;
inline constexpr size_t kMaxCommentLength = 100;
inline constexpr size_t kMaxEditorLineLength = 255;

// One row of the limit lines list, held as the texts it shows.
struct LimitLine {
    bool lower = false;
    std::string x1, y1, x2, y2;
    bool operator==(const LimitLine&) const = default;
};

// "upper" or "lower", as the list shows the type.
inline const char* LimitTypeText(bool lower) {
    return lower ? "lower" : "upper";
}

struct LimitSet {
    std::string comment;
    std::vector<LimitLine> rows;
};

// Reads a limit file's text: the comment (at most 100 characters), then up to 30 rows; lines without a
// comma are skipped, exactly "min" is a lower limit and anything else an upper one; the values stay the
// texts they were. Never fails: whatever is not a row is left out.
LimitSet ReadLimitText(std::string_view text);
std::string LimitFileText(const LimitSet& set);

}  // namespace fl
