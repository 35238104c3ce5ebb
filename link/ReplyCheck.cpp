#include "ReplyCheck.h"

#include <algorithm>

namespace fl {

ReplyForm JudgeReply(const std::string& raw) {
    if (raw.empty()) return ReplyForm::Silent;
    // Every reply of the instrument ends its line; text without a line feed is a piece of one.
    if (raw.find('\n') == std::string::npos) return ReplyForm::Unreadable;
    const bool control = std::any_of(raw.begin(), raw.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F;
    });
    return control ? ReplyForm::Unreadable : ReplyForm::Line;
}

}  // namespace fl
