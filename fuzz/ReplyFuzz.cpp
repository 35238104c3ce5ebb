// Instrument replies (the saved-trace listing, live trace data, the identity check, screen lines, file
// listings) and NMEA lines. The first byte chooses which reader gets the rest.
#include <cstddef>
#include <cstdint>
#include <string>

#include "CommandChannel.h"
#include "DataTransfer.h"
#include "GpsReceiver.h"
#include "ReplyCheck.h"
#include "ScreenDump.h"
#include "TraceRetrieval.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string reply(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 6) {
        case 5: {
            for (const auto& e : fl::ParseInstrumentListing(reply)) {
                const std::string pc = fl::PcNameFor(e.name, fl::FileKinds()[2]);
                if (pc.find('/') != std::string::npos) __builtin_trap();  // never outside the folder
            }
            std::string out;
            (void)fl::ConvertLimitLine(reply, out);
            (void)fl::InstrumentNameFor(reply, true);
            break;
        }
        case 4: {
            std::vector<uint8_t> line(fl::kScreenWidth, 0);
            fl::DecodeScreenLine(fl::CleanReply(reply), line.data());
            std::array<uint8_t, 3> rgb{};
            (void)fl::ParseColourReply(fl::CleanReply(reply), rgb);
            (void)fl::ColourReplyForm(reply);
            (void)fl::LineReplyForm(reply);
            if (line.size() != fl::kScreenWidth) __builtin_trap();
            break;
        }
        case 3: {
            fl::GpsFix fix;
            fl::GpsEpochs epochs;
            fl::ApplyLine(reply, fix, [&](const std::string& type, const fl::GpsFix& before) {
                (void)epochs.Sentence(type, before, fix);
            });
            if (fix.sentence.size() > fl::kMaxSentenceLength) __builtin_trap();
            (void)fl::AcceptSentence(reply);
            break;
        }
        case 0: {
            auto names = fl::ParseTraceList(reply);
            if (names.size() > fl::kMaxListedTraces) __builtin_trap();
            (void)fl::SelectionText(names);
            break;
        }
        case 1: {
            std::vector<double> trace;
            fl::ParseRecord rec;
            rec.m_strMode = "TRANsmission";
            rec.m_strTransRefUnit = (size & 1) ? "DB" : "DBM";
            fl::LiveTraceParse(reply, trace, rec);
            if (trace.size() != 1002) __builtin_trap();
            // What passes as trace data is a printable line.
            if (fl::LiveDataProblem(reply).empty() && fl::JudgeReply(reply) != fl::ReplyForm::Line)
                __builtin_trap();
            break;
        }
        default:
            (void)fl::CheckIdentity(reply);
            break;
    }
    return 0;
}
