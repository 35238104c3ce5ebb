#include "TraceRetrieval.h"

#include <algorithm>
#include <cctype>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "ProgramFolder.h"
#include "ReplyCheck.h"
#include "Text.h"
#include "Units.h"

namespace fl {

void MeasurementFlags::Update(const std::string& l) {
    if (l == "CALCulate:MARKer:A:STATe COUNter") markerCounter = true;
    if (l == "SENSe:MEASure CPOWer" || l == "SENSe:MEASure OBW" || l == "SENSe:MEASure ACPR") measure = true;
    if (l == "INSTrument:SELect CPOWer") channelPowerInstrument = true;
    if (l == "INSTrument:SELect CLOSs") cableLossInstrument = true;
    if (l.find("CALCulate:MEASure:EMF") != std::string::npos) emf = true;
    if (l == "# SENSe:TRACe:DATa:LIMit PASS" || l == "# SENSe:TRACe:DATa:LIMit FAIL") limitResult = true;
}

std::vector<std::string> ParseTraceList(const std::string& reply) {
    std::vector<std::string> names;
    // The length is judged on the cleaned text: an empty list arrives as two quotes and CR LF, which is
    // four bytes on the wire.
    const std::string text = CleanReply(reply);
    if (text.empty() || text == "0") return names;
    size_t start = 0;
    while (start <= text.size() && names.size() < kMaxListedTraces) {
        size_t c = text.find(',', start);
        std::string name = text.substr(start, c == std::string::npos ? std::string::npos : c - start);
        const size_t first = name.find_first_not_of(' ');
        name = first == std::string::npos ? std::string() : name.substr(first);
        if (!name.empty()) names.push_back(name);
        if (c == std::string::npos) break;
        start = c + 1;
    }
    return names;
}

ListStatus ListSavedTraces(CommandChannel& channel, std::vector<std::string>& names) {
    names.clear();
    std::string reply;
    if (!channel.Transact("MMEM:LOAD:FIL?", reply)) return ListStatus::Failed;
    // Silence or noise is no list of names; an empty line ("\"\"") is.
    if (const ReplyForm form = JudgeReply(reply); form != ReplyForm::Line) {
        channel.Prompts().Message(form == ReplyForm::Silent ? kNoAnswerText : kUnreadableText,
                                  PromptIcon::Error);
        return ListStatus::Failed;
    }
    names = ParseTraceList(reply);
    if (names.empty()) {
        channel.Prompts().Message("No saved files");
        return ListStatus::Empty;
    }
    return ListStatus::Ok;
}

std::string SelectionText(const std::vector<std::string>& selected) {
    if (selected.size() == 1) return selected.front();
    std::string text;
    for (const auto& n : selected)
        text += "\"" + n + "\"";
    return text;
}

bool TraceRetrieval::TraceUpload(const std::vector<std::string>& names) {
    documentsMade = 0;
    for (const auto& name : names)
        if (!UploadOne(name)) return false;
    return true;
}

bool TraceRetrieval::UploadOne(const std::string& name) {
    IPrompts& prompts = m_channel.Prompts();
    prompts.WaitCursor(true);
    TraceLineParser parser(m_parsed);
    parser.ResetDefaults();
    const std::string traceName = name.substr(0, name.find('.'));
    m_parsed.m_strTraceName = traceName;

    std::string title = name;
    if (name == kTempTraceName)
        title = flags.liveRunning ? "Loading Live Trace..." : "Loading Active Trace...";
    prompts.ProgressBegin(title, 60);
    auto done = [&](bool result) {
        prompts.ProgressEnd();
        prompts.WaitCursor(false);
        return result;
    };

    const std::string folder = programFolder.empty() ? ProgramFolder() : programFolder;
    std::ofstream log(std::filesystem::path(folder) / "test_in.txt", std::ios::binary | std::ios::trunc);
    const UploadStatus status =
        UploadLines(m_channel, "MMEM:UPL? TRAC,\"" + name + "\"", [&](const std::string& line, int n) {
            // The measurement flags are read from the replies to "MMEM:UPL? NEXT".
            if (n > 0 && flags.liveRunning) flags.measurement.Update(line);
            log << line << "\r\n";
            if (n <= 60) prompts.ProgressStep(n);
            parser.ParseLine(line);
            return true;
        });
    if (status == UploadStatus::Refused) return done(true);  // skipped, the reader not finished
    if (status != UploadStatus::Complete) return done(false);
    parser.Finish();
    log.close();

    if (flags.displayMode) {
        if (m_parsed.m_strTraceName == kTempTraceName) m_parsed.m_strTraceName = "active";
        m_parsed.m_strTraceName = flags.liveRunning
                                      ? "Live Trace"
                                      : m_parsed.m_strTraceName + " " + StampText(m_parsed.m_strCreated);
    }
    if (m_parsed.m_strMode == "SGENerator" || m_parsed.m_strMode == "PSENsor") {
        done(true);
        prompts.Message("No data available.   \nSelect another mode.");
        return true;
    }
    done(true);
    if (flags.newWindow)
        m_sink.NewDocument(m_parsed);
    else
        m_sink.ReloadActive(m_parsed);
    ++documentsMade;
    return true;
}

bool TraceRetrieval::DisplayActiveTrace() {
    std::string reply;
    const std::string quoted = std::string("\"") + kTempTraceName + "\"";
    m_channel.Transact("*IDN?", reply);
    if (!m_channel.Transact("MMEM:STOR:TRAC " + quoted, reply) || IsFailureReply(CleanReply(reply)))
        return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const bool uploaded = TraceUpload({kTempTraceName});
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (!m_channel.Transact("MMEM:DELETE:TRAC " + quoted, reply)) return false;
    return uploaded && !IsFailureReply(CleanReply(reply));
}

void LiveTraceParse(const std::string& reply, std::vector<double>& trace, const ParseRecord& parsed) {
    trace.resize(kTracePoints, kNoPoint);
    // Quotes and line terminators go first, so that every complete reply is normalised alike.
    const std::string text = CleanReply(reply);
    const size_t comma = text.find(',');
    const std::string detector = text.substr(0, comma);
    const std::string data =
        comma == std::string::npos ? std::string() : ToLowerAscii(text.substr(comma + 1));
    const bool minMax = detector == "MINM";
    size_t index = 0;
    for (size_t pos = 0; pos + 3 <= data.size(); pos += 3, ++index) {
        const double level = (HexPrefixValue(std::string_view(data).substr(pos, 3)) - 2000) / 10.0;
        if (minMax) {
            if (index >= static_cast<size_t>(kTracePoints)) break;
            const size_t point = index < kTraceColumns ? index * 2 : (index - kTraceColumns) * 2 + 1;
            trace[point] = level;
        } else {
            if (index >= static_cast<size_t>(kTraceColumns)) break;
            trace[index * 2] = trace[index * 2 + 1] = level;
        }
    }
    if (parsed.m_strMode == "TRANsmission" && parsed.m_strTransRefUnit == "DB")
        for (double& p : trace)
            p -= parsed.m_dGenLevel;
}

std::string LiveDataProblem(const std::string& reply) {
    const ReplyForm form = JudgeReply(reply);
    if (form == ReplyForm::Silent) return "The instrument stopped answering during Live Trace.";
    const std::string text = CleanReply(reply);
    if (IsFailureReply(text)) return "The instrument refused the trace data query (" + text + ").";
    // "DETECTOR,hhhhhh...": a detector name, a comma and at least one level of three hex digits.
    const size_t comma = text.find(',');
    const auto isHex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    const auto isName = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
    const bool ok = form == ReplyForm::Line && comma != std::string::npos && comma > 0 &&
                    std::all_of(text.begin(), text.begin() + static_cast<long>(comma), isName) &&
                    text.size() - comma - 1 >= 3 &&
                    std::all_of(text.begin() + static_cast<long>(comma) + 1, text.end(), isHex);
    return ok ? std::string()
              : "The instrument's trace data could not be read.\nCheck the baud rate and the cable, then try "
                "again.";
}

const std::vector<LiveFileType>& LiveFileTypes() {
    static const std::vector<LiveFileType> types = {
        {"Modified Trace Document (.qtm)", ".QTM"},
        {"ASCII File (.txt)", ".txt"},
        {"Windows Bitmap (.bmp)", ".bmp"},
        {"JPG Files (.jpg;.jpeg)", ".jpg"},
        {"JPEG2000 File Format (.jp2;.j2k)", ".jp2"},
        {"Zsoft Paintbrush Files (.pcx)", ".pcx"},
        {"Portable Network Graphics (.png)", ".png"},
        {"Portable Bitmaps (.ppm;.pgm)", ".ppm"},
        {"Sun Raster Files (.ras)", ".ras"},
        {"Tagged Image File Format (.tif;.tiff)", ".tif"},
        {"Truevision Targa\t(.tga)", ".tga"},
    };
    return types;
}

std::string LiveSavePath(const std::string& folder, const std::string& name, int typeIndex, int number) {
    const auto& types = LiveFileTypes();
    const char* ext =
        typeIndex >= 0 && static_cast<size_t>(typeIndex) < types.size() ? types[typeIndex].extension : "";
    const std::string file = typeIndex == 0 ? ToUpperAscii(name) : name;
    // A trailing separator is the folder's own, not a second one ("live/" gives "live/TRACE001.QTM").
    std::string dir = folder;
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return Format("%s/%s%03d%s", dir.c_str(), file.c_str(), number, ext);
}

int FirstFreeLiveNumber(const std::string& folder, const std::string& name, int typeIndex) {
    const auto& types = LiveFileTypes();
    const std::string ext =
        typeIndex >= 0 && static_cast<size_t>(typeIndex) < types.size() ? types[typeIndex].extension : "";
    const std::string prefix = ToUpperAscii(name);
    int highest = 0;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
        const std::string file = ToUpperAscii(e.path().filename().string());
        if (file.size() < prefix.size() + 3 + ext.size() || file.rfind(prefix, 0) != 0 ||
            !EndsWithNoCase(file, ext))
            continue;
        const std::string digits = file.substr(prefix.size(), file.size() - prefix.size() - ext.size());
        if (digits.size() < 3 || digits.size() > 6 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        highest = std::max(highest, std::stoi(digits));
    }
    return highest + 1;
}

}  // namespace fl
