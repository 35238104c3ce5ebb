// A simulated GPS receiver: "$GPRMC" and "$GPGGA" on a pseudo-terminal at a fixed interval.
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace fl::sim {

enum class NmeaFault { None, BadChecksum, Truncated };

class NmeaSource {
  public:
    NmeaSource() = default;
    ~NmeaSource();
    // Creates the pseudo-terminal (linked at `link` when given) and starts sending; returns the slave path.
    std::string Start(const std::string& link = {}, int intervalMs = 1000);
    void Stop();
    void SetFault(NmeaFault f) { m_fault = f; }
    // The two sentences of second `n` (for tests and the generator).
    static std::string Rmc(int n, bool south = false, bool west = false);
    static std::string Gga(int n);
    static std::string WithChecksum(const std::string& body);

  private:
    void Run(int intervalMs);
    int m_master = -1;
    int m_slaveKeep = -1;
    std::string m_link;
    std::atomic<bool> m_stop{false};
    std::atomic<NmeaFault> m_fault{NmeaFault::None};
    std::thread m_thread;
};

}  // namespace fl::sim
