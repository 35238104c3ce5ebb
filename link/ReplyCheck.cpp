#include "ReplyCheck.h"

#include <algorithm>
#include <cctype>

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

bool HoldsNoNumber(const std::string& command) {
    std::string token;
    for (size_t i = 0; i <= command.size(); ++i) {
        const char c = i < command.size() ? command[i] : ' ';
        if (c != ' ' && c != ',' && c != '\t') {
            token += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            continue;
        }
        if (!token.empty() && (token[0] == '-' || token[0] == '+')) token.erase(0, 1);
        if (token == "inf" || token == "infinity" || token == "nan") return true;
        token.clear();
    }
    return false;
}

}  // namespace fl
