// The editors' text files: lines ending in CR LF (LF alone accepted), each read with a length cap.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fl {

// The lines of `text` without their line ends, each cut to `maxLength` characters.
std::vector<std::string> SplitEditorLines(std::string_view text, size_t maxLength);
// The fields of a line up to its next commas: `count` fields, the last taking the rest of the line.
// A missing comma gives an empty field.
std::vector<std::string> CommaFields(std::string_view line, size_t count);
// A value as the editors write it: the shortest fixed form that reads back as the same double.
std::string ExactDecimal(double v);
// `v` by the file's printf format ("%g", "%f") when that reads back as `v`; else ExactDecimal, so that no
// value is lost on the way through a file.
std::string FormatOrExact(const char* format, double v);
// The text a value was read from, when it still says that value; else ExactDecimal.
std::string TextOrExact(const std::string& text, double v);

}  // namespace fl
