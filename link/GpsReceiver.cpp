#include "GpsReceiver.h"

#include <chrono>
#include <cstdio>

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
    if (s.size() > 82) return false;
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

void ApplySentence(const std::string& s, GpsFix& fix) {
    if (!AcceptSentence(s)) return;
    // Fields count only up to the last comma: a truncated sentence keeps what came before the cut.
    Fields f(s);
    if (s.find("$GPRMC") != std::string::npos) {
        TakeText(f, fix.utcTime) && TakeChar(f, fix.status) && TakeReal(f, fix.latitude) &&
            TakeChar(f, fix.latHemisphere) && TakeReal(f, fix.longitude) && TakeChar(f, fix.lonHemisphere) &&
            TakeReal(f, fix.speedKnots) && TakeReal(f, fix.course) && TakeText(f, fix.date) &&
            TakeReal(f, fix.magneticVariation);
    } else if (s.find("$GPGGA") != std::string::npos) {
        TakeText(f, fix.utcTime) && TakeReal(f, fix.latitude) && TakeChar(f, fix.latHemisphere) &&
            TakeReal(f, fix.longitude) && TakeChar(f, fix.lonHemisphere) && TakeInt(f, fix.quality) &&
            TakeInt(f, fix.satellites) && TakeReal(f, fix.hdop) && TakeReal(f, fix.altitude) &&
            TakeChar(f, fix.altitudeUnit) && TakeReal(f, fix.geoidSeparation) && TakeChar(f, fix.geoidUnit);
    }
}

void ApplyLine(const std::string& line, GpsFix& fix) {
    for (const char* name : {"$GPRMC", "$GPGGA"}) {
        const size_t at = line.find(name);
        if (at == std::string::npos) continue;
        std::string sentence = line.substr(at);
        const size_t end = sentence.find("\r\n");
        if (end != std::string::npos) sentence.resize(end);
        if (sentence.size() > 82) continue;  // longer than NMEA allows: refused, not copied
        fix.sentence = sentence;
        ApplySentence(sentence, fix);
    }
}

std::string GpsStatusText(char status) {
    return status == 'A' ? "OK" : status == 'V' ? "WARNing" : "FAIL";
}

std::string GpsDateText(const std::string& d) {
    if (d.size() < 6) return d;
    return Format("%c%c.%c%c.20%c%c", d[0], d[1], d[2], d[3], d[4], d[5]);
}

std::string GpsTimeText(const std::string& t) {
    if (t.size() < 6) return t;
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
        GpsFix copy = Fix();
        ApplyLine(line, copy);
        std::lock_guard lock(m_mutex);
        m_fix = copy;
    }
    m_bRunning = false;
}

GpsFix GpsReceiver::Fix() const {
    std::lock_guard lock(m_mutex);
    return m_fix;
}

std::string GpsReceiver::StatusText() const {
    return m_bRunning ? GpsStatusText(Fix().status) : "FAIL";
}

std::optional<GpsFixValues> GpsReceiver::CurrentFix() const {
    if (!m_bRunning) return std::nullopt;
    const GpsFix f = Fix();
    if (f.status != 'A') return std::nullopt;
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

}  // namespace fl
