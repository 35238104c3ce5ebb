#include "NmeaSource.h"

#include "RawPty.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace fl::sim {

std::string NmeaSource::WithChecksum(const std::string& body) {
    unsigned char x = 0;
    for (char c : body)
        x ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X", x);
    return "$" + body + tail;
}

std::string NmeaSource::Rmc(int n, bool south, bool west) {
    char body[128];
    const int s = 19 + n % 40;
    std::snprintf(body, sizeof body, "GPRMC,1235%02d,A,4807.%03d,%c,01131.%03d,%c,022.4,084.4,230394,003.1,W",
                  s, 38 + n % 100, south ? 'S' : 'N', n % 1000, west ? 'W' : 'E');
    return WithChecksum(body);
}

std::string NmeaSource::Gga(int n) {
    char body[128];
    std::snprintf(body, sizeof body, "GPGGA,1235%02d,4807.%03d,N,01131.%03d,E,1,08,0.9,545.4,M,46.9,M,,",
                  19 + n % 40, 38 + n % 100, n % 1000);
    return WithChecksum(body);
}

NmeaSource::~NmeaSource() {
    Stop();
}

std::string NmeaSource::Start(const std::string& link, int intervalMs) {
    // Non-blocking: with nobody reading, sentences are dropped as a real receiver's would be.
    const RawPty pty = OpenRawPty(O_NONBLOCK, link);
    m_master = pty.master;
    m_slaveKeep = pty.slaveKeep;
    m_link = link;
    m_stop = false;
    m_thread = std::thread(&NmeaSource::Run, this, intervalMs);
    return pty.slavePath;
}

void NmeaSource::Stop() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    for (int* fd : {&m_master, &m_slaveKeep})
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    if (!m_link.empty()) {
        std::error_code ec;
        std::filesystem::remove(m_link, ec);
        m_link.clear();
    }
}

void NmeaSource::Run(int intervalMs) {
    for (int n = 0; !m_stop; ++n) {
        std::string rmc = Rmc(n), gga = Gga(n);
        if (m_fault == NmeaFault::BadChecksum) rmc[rmc.size() - 1] = rmc.back() == '0' ? '1' : '0';
        if (m_fault == NmeaFault::Truncated) gga = WithChecksum("GPGGA,123519,4807.038,N,01131.000,E,1,08");
        const std::string out = rmc + "\r\n" + gga + "\r\n";
        [[maybe_unused]] ssize_t w = ::write(m_master, out.data(), out.size());
        for (int waited = 0; waited < intervalMs && !m_stop; waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace fl::sim
