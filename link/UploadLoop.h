// The one loop that reads an upload from the instrument, line by line, for traces and every other file
// kind: the start command, then "MMEM:UPL? NEXT" until "0".
#pragma once

#include <functional>
#include <string>

#include "CommandChannel.h"

namespace fl {

// A trace text has about 60 lines and no other file kind more than about a hundred (30 limit rows, 100
// factor entries): an upload that goes on far beyond that is a misbehaving link. On a serial line every
// exchange costs at least the 25 ms of quiet line that ends it, so the bound also keeps such an upload
// under half a minute.
inline constexpr int kMaxUploadLines = 1000;
inline constexpr const char* kTooManyLinesText = "The instrument sent more lines than a trace can have.";
inline constexpr const char* kGarbageText =
    "The instrument's replies are not trace text.\nCheck the baud rate and the cable, then try again.";
inline constexpr const char* kSilentInstrumentText =
    "The instrument stopped answering during the upload.\nCheck the cable and the instrument, then try "
    "again.";
// Unreadable replies in a row that end an upload.
inline constexpr int kMaxUnreadableReplies = 3;

enum class UploadStatus {
    Complete,   // "0" ended it
    Refused,    // "ERR" or "-9999": the instrument has no such file (nothing is said here)
    Failed,     // the exchange failed, the instrument fell silent, babbled or sent too much (said here)
    Cancelled,  // `take` said stop
};

// `take(line, index)` gets every cleaned line in arrival order (index 0 for the reply to the start
// command); it returns false to cancel. Failures show their message through the channel's prompts.
UploadStatus UploadLines(CommandChannel& channel, const std::string& startCommand,
                         const std::function<bool(const std::string& line, int index)>& take);

}  // namespace fl
