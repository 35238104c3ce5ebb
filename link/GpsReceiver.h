// The GPS receiver: NMEA 0183 "$GPRMC" and "$GPGGA" sentences from a serial port, decoded on a worker
// thread into a fix record that other threads read as a copy.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "DocEnvironment.h"
#include "GpsText.h"
#include "Port.h"

namespace fl {

struct GpsFix {
    std::string utcTime = "--:--:--";
    char status = 'X';
    double latitude = 0;  // NMEA ddmm.mmmm
    char latHemisphere = '_';
    double longitude = 0;  // NMEA dddmm.mmmm
    char lonHemisphere = '-';
    double speedKnots = 0;
    double course = 0;
    std::string date = "--.--.----";  // ddmmyy once a sentence brought it
    double magneticVariation = 0;
    int quality = 0;
    int satellites = 0;
    double hdop = 0;
    double altitude = 0;
    char altitudeUnit = '-';
    double geoidSeparation = 0;
    char geoidUnit = '-';
    std::string sentence;  // the last sentence taken
};

// The sentence buffer's size: NMEA allows 82 characters, but survey-grade receivers write eight decimals
// in the coordinates and go beyond that; longer sentences are refused, not copied.
inline constexpr size_t kMaxSentenceLength = 200;
// A sentence is accepted when it is at most kMaxSentenceLength characters long and carries "*" followed
// by the XOR of every character between "$" and "*" as two upper-case hexadecimal digits.
bool AcceptSentence(const std::string& sentence);
// Applies an accepted sentence of any talker ($GP, $GN, ...): RMC or GGA fields, as far as its commas
// reach.
void ApplySentence(const std::string& sentence, GpsFix& fix);
// Takes "$GPRMC" and then "$GPGGA" out of one received line (cut at "\r\n") and applies what is accepted;
// `taken(type, before)` hears of every sentence applied ("RMC" or "GGA", the fix before it). True when an
// accepted RMC or GGA sentence was taken from the line.
bool ApplyLine(const std::string& line, GpsFix& fix,
               const std::function<void(const std::string& type, const GpsFix& before)>& taken = {});

// Groups sentences into epochs (one time stamp): an epoch is complete when its RMC and its GGA have both
// arrived, or, when one of them never comes, as soon as the next epoch begins.
class GpsEpochs {
  public:
    // After a sentence of `type` changed `before` into `after`: the fix of an epoch that is now complete.
    std::optional<GpsFix> Sentence(const std::string& type, const GpsFix& before, const GpsFix& after);

  private:
    std::string m_time;
    int m_seen = 0;  // 1 RMC, 2 GGA
    bool m_done = false;
};
// The checksum of a sentence body (the text between "$" and "*"), as "%02X".
std::string NmeaChecksum(const std::string& body);

// What a trace takes over from a fix: signed decimal degrees, the speed and altitude in the chosen units.
GpsFixValues FixValues(const GpsFix& fix, int speedUnit, int altitudeUnit);
// "OK", "WARNing" or "FAIL" from the status character.
std::string GpsStatusText(char status);
std::string GpsDateText(const std::string& ddmmyy);  // "dd.mm.20yy"
std::string GpsTimeText(const std::string& utc);     // "hh:mm:ss"
// The baud rate of a GPS list index: 57600, 38400, 19200, 14400, 9600, 4800, 2400, 1200; others 4800.
int GpsBaudRate(int listIndex);

class GpsReceiver : public IGpsFixProvider {
  public:
    GpsReceiver() { m_port.m_bLineMode = true; }
    ~GpsReceiver() override { Stop(); }

    // Opens the port (8-N-1, reads waiting for data, a settling second), closes and reopens it, then
    // starts the worker. A port failure comes back as the transport's message.
    bool Start(int comPort, int baud, std::string* error = nullptr, const std::string& device = {});
    // Ends the worker at once, even while it waits for a line, and closes the port.
    void Stop();
    bool Running() const { return m_bRunning; }

    GpsFix Fix() const;
    std::string StatusText() const;
    // While the receiver runs and its status is OK, the values a trace takes over.
    std::optional<GpsFixValues> CurrentFix() const override;

    int positionFormat = 0, altitudeUnit = 0, speedUnit = 0;
    // Called on the worker thread after each line (the windows refresh from it).
    std::function<void()> onUpdate;
    // Called on the worker thread with the fix of each complete epoch (see GpsEpochs).
    std::function<void(const GpsFix&)> onEpoch;
    bool skipSettleDelay = false;  // tests only
    // With no sentence accepted for this long the fix is stale: the status says there is no valid data and
    // traces no longer take the old position as current.
    std::chrono::milliseconds staleAfter{5000};
    bool Stale() const;

  private:
    void Run();

    CPort m_port;
    mutable std::mutex m_mutex;
    GpsFix m_fix;
    std::chrono::steady_clock::time_point m_lastAccepted{};
    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bRunning{false};
};

}  // namespace fl
