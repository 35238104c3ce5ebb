#include "TextLines.h"

#include <charconv>
#include <cmath>

#include "Text.h"

namespace fl {

std::vector<std::string> SplitEditorLines(std::string_view text, size_t maxLength) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line.substr(0, maxLength));
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
    return lines;
}

std::vector<std::string> CommaFields(std::string_view line, size_t count) {
    std::vector<std::string> out;
    for (size_t i = 0; i < count; ++i) {
        if (i + 1 == count) {
            out.emplace_back(line);
            break;
        }
        const size_t c = line.find(',');
        out.emplace_back(line.substr(0, c));
        line = c == std::string_view::npos ? std::string_view() : line.substr(c + 1);
    }
    return out;
}

std::string ExactDecimal(double v) {
    if (!std::isfinite(v)) return "0";
    if (v == 0) v = 0.0;
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    return r.ec == std::errc() ? std::string(buf, r.ptr) : Format("%f", v);
}

std::string FormatOrExact(const char* format, double v) {
    if (!std::isfinite(v)) return "0";
    char buf[400];
    std::snprintf(buf, sizeof buf, format, v);
    return LeadingReal(buf) == v ? std::string(buf) : ExactDecimal(v);
}

std::string TextOrExact(const std::string& text, double v) {
    return std::isfinite(v) && !text.empty() && LeadingReal(text) == v ? text : ExactDecimal(v);
}

}  // namespace fl
