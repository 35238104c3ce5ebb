#include "UploadLoop.h"

#include "ReplyCheck.h"

namespace fl {

UploadStatus UploadLines(CommandChannel& channel, const std::string& startCommand,
                         const std::function<bool(const std::string&, int)>& take) {
    IPrompts& prompts = channel.Prompts();
    auto fail = [&](const char* text) {
        prompts.Message(text, PromptIcon::Error);
        return UploadStatus::Failed;
    };
    // A babbling instrument may still be sending: its rest must not become the next command's reply.
    auto babbled = [&](const char* text) {
        channel.Resynchronise();
        return fail(text);
    };
    std::string reply;
    if (!channel.Transact(startCommand, reply)) return UploadStatus::Failed;
    int unreadable = 0;  // replies in a row that cannot be a line of the file
    for (int n = 0;; ++n) {
        // Every line arrives with its terminator: a reply with nothing at all is an instrument that stopped
        // answering (over a serial line a silent read just ends empty).
        const ReplyForm form = JudgeReply(reply);
        if (form == ReplyForm::Silent) return fail(kSilentInstrumentText);
        const std::string line = CleanReply(reply);
        if (IsFailureReply(line)) return UploadStatus::Refused;
        if (line == "0") return UploadStatus::Complete;
        if (n >= kMaxUploadLines) return babbled(kTooManyLinesText);
        // Noise, a line at the wrong speed or one cut by a gap: a few in a row end the upload within
        // seconds instead of after thousands of lines.
        unreadable = form == ReplyForm::Unreadable ? unreadable + 1 : 0;
        if (unreadable >= kMaxUnreadableReplies) return babbled(kGarbageText);
        if (!take(line, n)) return UploadStatus::Cancelled;
        if (!channel.Transact("MMEM:UPL? NEXT", reply)) return UploadStatus::Failed;
    }
}

}  // namespace fl
