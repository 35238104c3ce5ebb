// What a raw reply looks like before anyone reads a value from it: nothing (a silent instrument on a serial
// line), a complete printable line, or bytes that are no reply of the instrument (noise, a wrong baud rate,
// a line cut off by a gap).
#pragma once

#include <string>

namespace fl {

enum class ReplyForm {
    Line,       // printable text ending in a line feed
    Silent,     // no byte at all
    Unreadable  // control bytes, or text without its line end
};
ReplyForm JudgeReply(const std::string& raw);

// A command holding "inf" or "nan" as a value (what printf makes of a number that is none): never sent.
bool HoldsNoNumber(const std::string& command);
inline constexpr const char* kNoNumberText =
    "A value for the instrument is not a number; nothing was sent:\n";

// Texts for a command that ends on such a reply.
inline constexpr const char* kNoAnswerText =
    "The instrument did not answer.\nCheck the cable and the instrument, then try again.";
inline constexpr const char* kUnreadableText =
    "The instrument's reply could not be read.\nCheck the baud rate and the cable, then try again.";

}  // namespace fl
