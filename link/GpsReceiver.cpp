#include "GpsReceiver.h"

#include <algorithm>

#include <chrono>
#include <cstdio>
#include <vector>

#include "GpsText.h"
#include "Text.h"

namespace fl {

std::string NmeaChecksum(const std::string& body) {
    unsigned char x = 0;
    for (char c : body)
        x ^= static_cast<unsigned char>(c);
    return Format("%02X", x);
}

bool AcceptSentence(const std::string& s) {
    if (s.size() > kMaxSentenceLength) return false;
    const size_t star = s.find('*');
    if (star == std::string::npos || star + 3 > s.size()) return false;
    std::string body;
    for (size_t i = 0; i < star; ++i)
        if (s[i] != '$') body.push_back(s[i]);
    return s.substr(star + 1, 2) == NmeaChecksum(body);
}

namespace {

// Field cursor: after the first comma, one field per comma; a field counts only when its comma is there.
class Fields {
  public:
    explicit Fields(const std::string& s) : m_s(s) {
        const size_t c = s.find(',');
        m_pos = c == std::string::npos ? std::string::npos : c + 1;
    }
    bool Next(std::string& field) {
        if (m_pos == std::string::npos) return false;
        const size_t c = m_s.find(',', m_pos);
        if (c == std::string::npos) return false;  // no comma after it: the sentence ends here
        field = m_s.substr(m_pos, c - m_pos);
        m_pos = c + 1;
        return true;
    }

  private:
    const std::string& m_s;
    size_t m_pos;
};

bool TakeText(Fields& f, std::string& v) {
    return f.Next(v);
}
bool TakeChar(Fields& f, char& v) {
    std::string s;
    if (!f.Next(s)) return false;
    v = s.empty() ? '\0' : s[0];
    return true;
}
bool TakeReal(Fields& f, double& v) {
    std::string s;
    if (!f.Next(s)) return false;
    v = LeadingReal(s);
    return true;
}
bool TakeInt(Fields& f, int& v) {
    std::string s;
    if (!f.Next(s)) return false;
    v = LeadingInt(s);
    return true;
}

}  // namespace

namespace {
// "RMC" or "GGA" from "$ttRMC..." of any talker: GP (GPS), GN (combined, most current modules), GL, GA.
std::string SentenceType(const std::string& s) {
    return s.size() >= 6 && s[0] == '$' ? s.substr(3, 3) : std::string();
}
}  // namespace

void ApplySentence(const std::string& s, GpsFix& fix) {
    if (!AcceptSentence(s)) return;
    // Fields count only up to the last comma: a truncated sentence keeps what came before the cut.
    Fields f(s);
    const std::string type = SentenceType(s);
    if (type == "RMC") {
        TakeText(f, fix.utcTime) && TakeChar(f, fix.status) && TakeReal(f, fix.latitude) &&
            TakeChar(f, fix.latHemisphere) && TakeReal(f, fix.longitude) && TakeChar(f, fix.lonHemisphere) &&
            TakeReal(f, fix.speedKnots) && TakeReal(f, fix.course) && TakeText(f, fix.date) &&
            TakeReal(f, fix.magneticVariation);
    } else if (type == "GGA") {
        TakeText(f, fix.utcTime) && TakeReal(f, fix.latitude) && TakeChar(f, fix.latHemisphere) &&
            TakeReal(f, fix.longitude) && TakeChar(f, fix.lonHemisphere) && TakeInt(f, fix.quality) &&
            TakeInt(f, fix.satellites) && TakeReal(f, fix.hdop) && TakeReal(f, fix.altitude) &&
            TakeChar(f, fix.altitudeUnit) && TakeReal(f, fix.geoidSeparation) && TakeChar(f, fix.geoidUnit);
    }
}

bool ApplyLine(const std::string& line, GpsFix& fix,
               const std::function<void(const std::string&, const GpsFix&)>& taken) {
    bool any = false;
    for (size_t at = line.find('$'); at != std::string::npos; at = line.find('$', at + 1)) {
        std::string sentence = line.substr(at);
        const size_t end = sentence.find_first_of("\r\n");
        if (end != std::string::npos) sentence.resize(end);
        const std::string type = SentenceType(sentence);
        if (type != "RMC" && type != "GGA") continue;
        if (!AcceptSentence(sentence)) continue;  // also refuses what the buffer cannot hold
        const GpsFix before = fix;
        fix.sentence = sentence;
        ApplySentence(sentence, fix);
        any = true;
        if (taken) taken(type, before);
    }
    return any;
}

std::optional<GpsFix> GpsEpochs::Sentence(const std::string& type, const GpsFix& before,
                                          const GpsFix& after) {
    std::optional<GpsFix> complete;
    if (after.utcTime != m_time) {
        // A new epoch: the last one ends here, with whatever of it arrived.
        if (m_seen != 0 && !m_done) complete = before;
        m_time = after.utcTime;
        m_seen = 0;
        m_done = false;
    }
    m_seen |= type == "RMC" ? 1 : type == "GGA" ? 2 : 0;
    if (m_seen == 3 && !m_done) {
        m_done = true;
        complete = after;
    }
    return complete;
}

std::string GpsStatusText(char status) {
    return status == 'A' ? "OK" : status == 'V' ? "WARNing" : "FAIL";
}

namespace {
bool SixDigits(const std::string& t) {
    return t.size() >= 6 &&
           std::all_of(t.begin(), t.begin() + 6, [](char c) { return c >= '0' && c <= '9'; });
}
}  // namespace

std::string GpsDateText(const std::string& d) {
    if (!SixDigits(d)) return "--.--.----";  // no date yet
    return Format("%c%c.%c%c.20%c%c", d[0], d[1], d[2], d[3], d[4], d[5]);
}

std::string GpsTimeText(const std::string& t) {
    if (!SixDigits(t)) return "--:--:--";  // no time yet
    return Format("%c%c:%c%c:%c%c", t[0], t[1], t[2], t[3], t[4], t[5]);
}

int GpsBaudRate(int i) {
    static const int rates[] = {57600, 38400, 19200, 14400, 9600, 4800, 2400, 1200};
    return i >= 0 && i < 8 ? rates[i] : 4800;
}

bool GpsReceiver::Start(int comPort, int baud, std::string* error, const std::string& device) {
    Stop();
    try {
        for (int pass = 0; pass < 2; ++pass) {
            if (device.empty())
                m_port.OpenSerial(comPort, baud, 8, 0, 0);
            else
                m_port.OpenSerialDevice(device, baud, 8, 0, 0);
            m_port.SetTimeouts(0, 0, 0, 0, 1000);
            if (!skipSettleDelay) m_port.SettleDelay();
            if (pass == 0) m_port.Close();
        }
    } catch (const CPortException& e) {
        if (error) *error = e.GetErrorMessage(100);
        return false;
    }
    {
        std::lock_guard lock(m_mutex);
        m_fix = GpsFix{};  // a fresh record at every start
        m_lastAccepted = {};
    }
    m_bStop = false;
    m_bRunning = true;
    m_thread = std::thread(&GpsReceiver::Run, this);
    return true;
}

void GpsReceiver::Stop() {
    if (m_thread.joinable()) {
        m_bStop = true;
        m_port.Interrupt();
        m_thread.join();
        m_port.ClearInterrupt();
    }
    m_bRunning = false;
    try {
        if (m_port.IsOpen()) m_port.Close();
    } catch (const CPortException&) {
    }
    std::lock_guard lock(m_mutex);
    m_fix.status = 'X';
}

void GpsReceiver::Run() {
    GpsEpochs epochsSeen;
    bool first = true;
    std::string line;
    while (!m_bStop) {
        std::this_thread::sleep_for(std::chrono::milliseconds(first ? 500 : 10));
        first = false;
        if (onUpdate) onUpdate();
        try {
            m_port.Receive(line);
        } catch (const CPortException&) {
            break;  // stopped, or the port went away
        }
        if (line.empty()) {
            if (!m_port.IsOpen()) break;
            continue;
        }
        GpsFix copy;
        {
            std::lock_guard lock(m_mutex);
            copy = m_fix;  // as stored, not as Fix() shows a stale one
        }
        std::vector<GpsFix> epochs;
        const bool taken = ApplyLine(line, copy, [&](const std::string& type, const GpsFix& before) {
            if (auto done = epochsSeen.Sentence(type, before, copy)) epochs.push_back(*done);
        });
        {
            std::lock_guard lock(m_mutex);
            m_fix = copy;
            if (taken) m_lastAccepted = std::chrono::steady_clock::now();
        }
        if (onEpoch)
            for (const auto& e : epochs)
                onEpoch(e);
    }
    m_bRunning = false;
}

GpsFix GpsReceiver::Fix() const {
    std::lock_guard lock(m_mutex);
    GpsFix f = m_fix;
    // A receiver that has gone quiet (cable out, no sentence accepted for a while) has no valid data.
    if (f.status == 'A' && std::chrono::steady_clock::now() - m_lastAccepted > staleAfter) f.status = 'V';
    return f;
}

bool GpsReceiver::Stale() const {
    std::lock_guard lock(m_mutex);
    return std::chrono::steady_clock::now() - m_lastAccepted > staleAfter;
}

std::string GpsReceiver::StatusText() const {
    if (!m_bRunning || Stale()) return "FAIL";
    return GpsStatusText(Fix().status);
}

GpsFixValues FixValues(const GpsFix& f, int speedUnit, int altitudeUnit) {
    GpsFixValues v;
    v.latitude = NmeaToDegrees(f.latitude, f.latHemisphere);
    v.longitude = NmeaToDegrees(f.longitude, f.lonHemisphere);
    v.date = LeadingInt(f.date);
    v.time = LeadingInt(f.utcTime);
    v.quality = GpsStatusText(f.status);
    v.satellites = f.satellites;
    v.hdop = f.hdop;
    const double factor = speedUnit == 1 ? 1.150329 : speedUnit == 2 ? 1.0 : 1.852014;
    v.speed = f.speedKnots * factor;
    v.speedUnit = GpsSpeedUnitText(speedUnit);
    v.altitude = altitudeUnit == 1 ? f.altitude * 3.280839895013123 : f.altitude;
    v.altitudeUnit = GpsAltitudeUnitText(altitudeUnit);
    return v;
}

std::optional<GpsFixValues> GpsReceiver::CurrentFix() const {
    if (!m_bRunning) return std::nullopt;
    const GpsFix f = Fix();
    if (f.status != 'A') return std::nullopt;
    return FixValues(f, speedUnit, altitudeUnit);
}

}  // namespace fl
