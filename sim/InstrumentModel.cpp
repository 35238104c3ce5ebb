#include "InstrumentModel.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "SampleTraces.h"

namespace fl::sim {

namespace fs = std::filesystem;

FaultKind ParseFault(const std::string& n) {
    if (n == "error") return FaultKind::Error;
    if (n == "silence") return FaultKind::Silence;
    if (n == "silence-all") return FaultKind::SilenceAll;
    if (n == "drop") return FaultKind::Drop;
    if (n == "garbage") return FaultKind::Garbage;
    if (n == "endless") return FaultKind::Endless;
    if (n == "slow") return FaultKind::Slow;
    if (n == "minus9999") return FaultKind::Minus9999;
    if (n == "garbage-noeol") return FaultKind::GarbageNoEol;
    if (n == "noend") return FaultKind::NoEnd;
    if (n == "crawl") return FaultKind::Crawl;
    return FaultKind::None;
}

namespace {

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

// The text between the first pair of double quotes, or the rest after the prefix without quotes.
std::string QuotedName(const std::string& command, size_t from) {
    std::string rest = command.substr(std::min(from, command.size()));
    size_t a = rest.find('"');
    size_t b = a == std::string::npos ? std::string::npos : rest.find('"', a + 1);
    if (a != std::string::npos && b != std::string::npos) return rest.substr(a + 1, b - a - 1);
    while (!rest.empty() && rest.front() == ' ')
        rest.erase(0, 1);
    return rest;
}

}  // namespace

InstrumentModel::InstrumentModel(SimOptions options) : m_options(std::move(options)) {
    LoadStore();
    // One or two files of every other kind, as the instrument keeps them (limit levels in divisions below
    // the reference line).
    m_files["STAT"]["SETUP1"] = {"INSTrument:SELect SANalyzer", "SENSe:FREQuency:CENTer 947500000",
                                 "SENSe:FREQuency:SPAN 5000000"};
    m_files["LIM"]["GSM_MASK"] = {"1,0,6.5,250,6.5", "1,250,6.5,500,6.5", "2,0,0.5,500,0.5"};
    m_files["LIM"]["UMTS_ACLR"] = {"1,0,7.0,500,7.0"};
    m_files["CHAN"]["UMTS_B1"] = {"10838,10562,3840000,5000000,2112400000,0", "1,10562,2112400000"};
    m_files["EDEV"]["DCBLOCK"] = {"DC-BLOCK 18 GHz", "S/N 4711", "2026,1,5", "1000000,0.3", "4000000000,0.9"};
    if (m_options.model == "Quarn2" || m_options.model == "Quarn2B" || m_options.model == "Quarn3") {
        m_files["CTYP"]["RG213"] = {"RG213,0.66,6.5,M100,3000000000"};
        m_files["AFAC"]["ISO_ANT"] = {"ISOTROPIC 3D", "80000000;12.5", "3000000000;38.0"};
        m_files["CFAC"]["CABLE5M"] = {"CABLE 5 M", "80000000;0.4", "3000000000;2.9"};
    }
}

std::map<std::string, std::vector<std::string>>& InstrumentModel::Files(const std::string& kw) {
    return kw == "TRAC" ? m_store : m_files[kw];
}

void InstrumentModel::LoadStore() {
    if (!m_options.storeFolder.empty()) {
        std::error_code ec;
        fs::create_directories(m_options.storeFolder, ec);
        for (const auto& e : fs::directory_iterator(m_options.storeFolder, ec)) {
            if (e.path().extension() != ".txt") continue;
            std::ifstream in(e.path());
            std::vector<std::string> lines;
            for (std::string l; std::getline(in, l);)
                lines.push_back(l);
            m_store[e.path().stem().string()] = lines;
        }
        if (!m_store.empty()) return;
    }
    for (auto& t : AllSampleTraces()) {
        m_store[t.name] = t.lines;
        SaveStore(t.name);
    }
}

void InstrumentModel::SaveStore(const std::string& name) {
    if (m_options.storeFolder.empty()) return;
    const fs::path file = fs::path(m_options.storeFolder) / (name + ".txt");
    auto it = m_store.find(name);
    std::error_code ec;
    if (it == m_store.end()) {
        fs::remove(file, ec);
        return;
    }
    std::ofstream out(file, std::ios::trunc);
    for (const auto& l : it->second)
        out << l << "\n";
}

bool InstrumentModel::IsDataCommand(const std::string& c) const {
    return StartsWith(c, "MMEM:") || StartsWith(c, "SENSe:") || StartsWith(c, "CALCulate:") ||
           StartsWith(c, "SYST:SCR:COL?") || StartsWith(c, "SYST:SCR:LIN?");
}

std::string InstrumentModel::DataReply(char trace) {
    const SampleTrace t = SampleTraceByName(m_options.activeSample, m_nLiveSeed++);
    const std::string key = std::string("SENSe:TRACe:DATa ") + trace + ",";
    const std::string keyA = "SENSe:TRACe:DATa A,";
    const std::string* found = nullptr;
    for (const auto& l : t.lines)
        if (l.rfind(key, 0) == 0) found = &l;
    if (!found)
        for (const auto& l : t.lines)
            if (l.rfind(keyA, 0) == 0) found = &l;
    if (!found) return "MINM,";
    // "SENSe:TRACe:DATa A,MINMax,'hex'" -> "MINM,hex"
    const std::string& l = *found;
    const size_t q1 = l.find('\'');
    const size_t q2 = l.rfind('\'');
    const std::string hex =
        q1 != std::string::npos && q2 > q1 ? l.substr(q1 + 1, q2 - q1 - 1) : std::string();
    const bool minMax = l.find(",MINMax,") != std::string::npos;
    return (minMax ? "MINM," : "POS,") + hex;
}

SimReply InstrumentModel::Handle(const std::string& raw) {
    std::string c = raw;
    while (!c.empty() && (c.back() == '\r' || c.back() == '\n'))
        c.pop_back();
    ++m_nCommands;
    if (m_log.size() >= 100) m_log.erase(m_log.begin());
    m_log.push_back(c);
    FaultKind fault = m_options.fault;
    if (fault == FaultKind::SilenceAll) return {SimReply::Action::None, {}};
    const bool matching =
        IsDataCommand(c) && (m_options.faultOn.empty() || StartsWith(c, m_options.faultOn.c_str()));
    if (matching) ++m_nMatched;
    // Before the n-th matching command the instrument behaves.
    if (m_options.faultFrom > 0 && (!matching || m_nMatched < m_options.faultFrom) &&
        fault != FaultKind::Slow)
        fault = FaultKind::None;
    if (fault == FaultKind::Crawl && matching) {
        SimReply r = Respond(c, FaultKind::None, true);
        r.byteDelayMs = 300;
        return r;
    }
    return Respond(c, fault, matching);
}

SimReply InstrumentModel::Respond(const std::string& c, FaultKind fault, bool matching) {
    if (matching) {
        const bool failable = StartsWith(c, "MMEM:UPL?") || StartsWith(c, "SENSe:TRACe:DATa?") ||
                              StartsWith(c, "MMEM:DOWN") || StartsWith(c, "SYST:SCR:");
        if (fault == FaultKind::Error && failable) return {SimReply::Action::Reply, "ERR"};
        if (fault == FaultKind::Minus9999 && failable) return {SimReply::Action::Reply, "-9999"};
        if (fault == FaultKind::Silence) return {SimReply::Action::None, {}};
        if (fault == FaultKind::Garbage) return {SimReply::Action::Garbage, {}};
        if (fault == FaultKind::GarbageNoEol) return {SimReply::Action::GarbageNoEol, {}};
        if (fault == FaultKind::Endless &&
            (m_options.faultFrom > 0 || StartsWith(c, "MMEM:UPL?") || StartsWith(c, "SENSe:TRACe:DATa?")))
            return {SimReply::Action::Endless, {}};
        if (fault == FaultKind::Drop && m_options.faultFrom > 0) return {SimReply::Action::Drop, {}};
        // An upload that never ends: after its last line it starts over instead of saying "0".
        if (fault == FaultKind::NoEnd && StartsWith(c, "MMEM:UPL? NEXT") && m_pUpload &&
            !m_pUpload->empty() && m_nUploadLine >= m_pUpload->size())
            m_nUploadLine = 0;
    }
    auto reply = [](std::string text) { return SimReply{SimReply::Action::Reply, std::move(text)}; };

    if (c == "*IDN?" || c == "IDN?")
        return reply("ZARNELL, " + m_options.model + ", " + m_options.serial + ", " + m_options.firmware);
    if (c == "SYST:COMM:LOC") return {SimReply::Action::None, {}};
    if (StartsWith(c, "SYST:SCR:COL? ") || StartsWith(c, "SYST:SCR:LIN? ")) {
        if (m_options.screenShortReplies > 0) {
            --m_options.screenShortReplies;
            return reply("0");
        }
        const int n = std::atoi(c.c_str() + 14);
        if (StartsWith(c, "SYST:SCR:COL? ")) return reply(n >= 0 && n < 256 ? ColourReply(n) : "ERR");
        return reply(n >= 0 && n < 480 ? LineReply(n) : "ERR");
    }
    if (StartsWith(c, "SYST:")) return reply("0");
    if (StartsWith(c, "MMEM:LOAD:FIL") && c.size() > 4 && c.compare(c.size() - 4, 4, " EXT") == 0) {
        // Listing with dates: "MMEM:LOAD:FIL? EXT" (traces) or "MMEM:LOAD:FIL:<kind>? EXT".
        std::string kw = "TRAC";
        if (StartsWith(c, "MMEM:LOAD:FIL:")) kw = c.substr(14, c.find('?') - 14);
        std::string list;
        for (const auto& [name, lines] : Files(kw))
            list += (list.empty() ? "" : ",") + name + " 12.03.2026 10:15:00";
        return reply(list.empty() ? "0" : list);
    }
    if (StartsWith(c, "MMEM:DOWN NEXT,")) {
        if (!m_bDownloading) return reply("ERR");
        m_downLines.push_back(QuotedName(c, 15));
        return reply("0");
    }
    if (c == "MMEM:DOWN CLOSE") {
        if (!m_bDownloading) return reply("ERR");
        Files(m_downKind)[m_downName] = m_downLines;
        if (m_downKind == "TRAC") SaveStore(m_downName);
        m_bDownloading = false;
        return reply("0");
    }
    if (StartsWith(c, "MMEM:DOWN ")) {
        const size_t comma = c.find(',');
        if (comma == std::string::npos) return reply("ERR");
        m_downKind = c.substr(10, comma - 10);
        m_downName = QuotedName(c, comma + 1);
        if (m_downName.empty() || m_downName.size() > 11) return reply("ERR");
        m_downLines.clear();
        m_bDownloading = true;
        return reply("0");
    }
    if (c == "MMEM:LOAD:FIL?") {
        std::string list;
        for (const auto& [name, lines] : m_store)
            list += (list.empty() ? "\"" : ",\"") + name + "\"";
        return reply(list.empty() ? "\"\"" : list);
    }
    if (StartsWith(c, "MMEM:UPL? ") && !StartsWith(c, "MMEM:UPL? NEXT")) {
        const size_t comma = c.find(',');
        const std::string kw = comma == std::string::npos ? "" : c.substr(10, comma - 10);
        auto& files = Files(kw);
        auto it = comma == std::string::npos ? files.end() : files.find(QuotedName(c, comma + 1));
        if (it == files.end()) {
            m_pUpload = nullptr;
            return reply("ERR");
        }
        m_uploadCopy = it->second;
        m_pUpload = &m_uploadCopy;
        m_nUploadLine = 0;
    }
    if (StartsWith(c, "MMEM:UPL?")) {
        if (!m_pUpload || m_nUploadLine >= m_pUpload->size()) {
            m_pUpload = nullptr;
            return reply("0");
        }
        if (fault == FaultKind::Drop && m_options.faultFrom == 0 &&
            static_cast<int>(m_nUploadLine) >= m_options.dropAfterLines)
            return {SimReply::Action::Drop, {}};
        return reply((*m_pUpload)[m_nUploadLine++]);
    }
    if (StartsWith(c, "MMEM:STOR:TRAC ")) {
        const std::string name = QuotedName(c, 15);
        if (name.empty() || name.size() > 11) return reply("ERR");
        SampleTrace t = SampleTraceByName(m_options.activeSample, m_nLiveSeed++);
        if (t.lines.empty()) return reply("ERR");
        // The stored trace carries its own name, as the instrument writes it.
        for (auto& l : t.lines)
            if (l.rfind("# TRACE ", 0) == 0) l = "# TRACE " + name + l.substr(l.find(';'));
        m_store[name] = t.lines;
        SaveStore(name);
        return reply("0");
    }
    if (StartsWith(c, "MMEM:DELETE:")) {
        const size_t blank = c.find(' ');
        if (blank == std::string::npos) return reply("ERR");
        const std::string kw = c.substr(12, blank - 12);
        const std::string name = QuotedName(c, blank + 1);
        if (Files(kw).erase(name) == 0) return reply("ERR");
        if (kw == "TRAC") SaveStore(name);
        return reply("0");
    }
    if (c == "SENSe:TRACe:DATa? A") return reply(DataReply('A'));
    if (c == "SENSe:TRACe:DATa? B") return reply(DataReply('B'));
    if (c == "SENSe:TRACe:DATa:LIMit?") return reply("PASS");
    if (c == "CALCulate:MARKer:FCOunt?") return reply("946800012");
    if (c == "CALCulate:MEASure:OBW?") return reply("246000");
    if (c == "CALCulate:MEASure:ACPR?") return reply("-45.2,-21.4,-46.8");
    if (c == "CALCulate:MEASure:CPOWer?") return reply("-21.4");
    if (c == "CALCulate:MEASure:ACLoss?") return reply("3.4");
    if (c == "CALCulate:MEASure:EMF?") return reply("0.0123");
    return reply("ERR");
}

std::string InstrumentModel::ColourReply(int e) {
    // 0 black, 1 white, 2 grid grey, 3 trace yellow, 4 frame blue, then a ramp.
    static const int fixed[5][3] = {{0, 0, 0}, {255, 255, 255}, {96, 96, 96}, {255, 220, 0}, {0, 70, 160}};
    int r, g, b;
    if (e < 5) {
        r = fixed[e][0];
        g = fixed[e][1];
        b = fixed[e][2];
    } else {
        r = e;
        g = 255 - e;
        b = (e * 7) % 256;
    }
    char text[8];
    std::snprintf(text, sizeof text, "%02x%02x%02x", r, g, b);
    return text;
}

const std::vector<uint8_t>& InstrumentModel::ScreenIndices() {
    if (!m_screen.empty()) return m_screen;
    m_screen.assign(640 * 480, 1);
    // A graph area with a grid and the screen trace drawn in.
    const int left = 40, top = 40, width = 560, height = 400;
    for (int y = top; y <= top + height; ++y)
        for (int x = left; x <= left + width; ++x) {
            const bool frame = x == left || x == left + width || y == top || y == top + height;
            const bool grid = (x - left) % 56 == 0 || (y - top) % 50 == 0;
            m_screen[static_cast<size_t>(y) * 640 + static_cast<size_t>(x)] = frame ? 4 : grid ? 2 : 0;
        }
    const SampleTrace t = SampleTraceByName(m_options.activeSample, 1);
    std::vector<double> levels;
    for (const auto& l : t.lines)
        if (l.rfind("SENSe:TRACe:DATa A,", 0) == 0) {
            const size_t q = l.find('\'');
            for (size_t i = q + 1; i + 3 <= l.size() && l[i] != '\''; i += 3)
                levels.push_back((std::stoi(l.substr(i, 3), nullptr, 16) - 2000) / 10.0);
        }
    for (int x = 0; x < width && !levels.empty(); ++x) {
        const double level = levels[static_cast<size_t>(x) * std::min<size_t>(levels.size(), 501) / width];
        const int y = top + std::clamp(static_cast<int>((-10.0 - level) * height / 80.0), 0, height);
        for (int dy = -1; dy <= 1; ++dy)
            m_screen[static_cast<size_t>(std::clamp(y + dy, top, top + height)) * 640 +
                     static_cast<size_t>(left + x)] = 3;
    }
    for (int x = 0; x < 640; ++x)
        m_screen[static_cast<size_t>(470) * 640 + static_cast<size_t>(x)] = static_cast<uint8_t>(5 + x % 250);
    return m_screen;
}

std::string InstrumentModel::LineReply(int line) {
    const auto& s = ScreenIndices();
    std::string out;
    char pair[24];  // room for any two ints, so the compiler sees no truncation
    for (int x = 0; x < 640;) {
        const uint8_t idx = s[static_cast<size_t>(line) * 640 + static_cast<size_t>(x)];
        int run = 1;
        while (x + run < 640 && run < 255 &&
               s[static_cast<size_t>(line) * 640 + static_cast<size_t>(x + run)] == idx)
            ++run;
        std::snprintf(pair, sizeof pair, "%02x%02x", run, idx);
        out += pair;
        x += run;
    }
    return out;
}

}  // namespace fl::sim
