#include "Port.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>
#include <thread>

#include "PortMap.h"
#include "SerialCustomBaud.h"

namespace fl {

std::string s_strConnectedModel;

namespace {

constexpr const char* kConnFlagWrong = "ConnFlag wrong - maybe object instance was not connected properly";

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

speed_t StandardSpeed(int baud) {
    switch (baud) {
        case 110:
            return B110;
        case 300:
            return B300;
        case 600:
            return B600;
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        default:
            return 0;
    }
}

bool IsSupportedBaud(int baud) {
    for (int b :
         {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000})
        if (b == baud) return true;
    return false;
}

}  // namespace

SerialLineSettings NormaliseLineSettings(int baud, int dataBits, int parity, int stopBits) {
    SerialLineSettings s{baud, dataBits, parity, stopBits};
    if (!IsSupportedBaud(s.baud)) s.baud = 57600;
    if (s.dataBits < 5 || s.dataBits > 7) s.dataBits = 8;
    if (s.parity < 0 || s.parity > 4) s.parity = 0;
    if (s.stopBits < 0 || s.stopBits > 2) s.stopBits = 0;
    return s;
}

CPort::CPort() {
    if (pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) m_wake[0] = m_wake[1] = -1;
}

CPort::~CPort() {
    if (m_fd >= 0) ::close(m_fd);
    if (m_sock >= 0) ::close(m_sock);
    for (int fd : m_wake)
        if (fd >= 0) ::close(fd);
}

void CPort::Interrupt() {
    m_bInterrupted = true;
    if (m_wake[1] >= 0) {
        char c = 1;
        [[maybe_unused]] ssize_t r = ::write(m_wake[1], &c, 1);
    }
}

void CPort::ClearInterrupt() {
    char buf[64];
    if (m_wake[0] >= 0)
        while (::read(m_wake[0], buf, sizeof buf) > 0) {
        }
    m_bInterrupted = false;
}

void CPort::Lost(const char* text, int error, const char* detail) {
    m_bLinkLost = true;
    if (detail) throw CPortException(text, error, detail);
    throw CPortException(text, error);
}

long CPort::ReplyAllowanceMs(size_t bytes) const {
    // Ten bits a byte on the wire, and ten times that time allowed.
    const double perByteMs = m_nLinkKind == 0 ? std::max(5.0, 100'000.0 / std::max(m_nBaud, 1)) : 5.0;
    return (m_nLinkKind == 0 ? m_nSerialReplyBoundMs : m_nReplyBoundMs) +
           static_cast<long>(perByteMs * static_cast<double>(bytes));
}

bool CPort::PeerGone() const {
    const int fd = m_nLinkKind == 1 ? m_sock : m_nLinkKind == 0 ? m_fd : -1;
    if (fd < 0) return false;
    pollfd p{fd, static_cast<short>(POLLIN | (m_nLinkKind == 1 ? POLLRDHUP : 0)), 0};
    if (::poll(&p, 1, 0) <= 0) return false;
    if (p.revents & (POLLHUP | POLLERR | POLLNVAL | POLLRDHUP)) return true;
    if (m_nLinkKind == 1 && (p.revents & POLLIN)) {
        char c;
        const ssize_t k = ::recv(fd, &c, 1, MSG_PEEK | MSG_DONTWAIT);
        return k == 0 || (k < 0 && errno != EAGAIN && errno != EINTR);
    }
    return false;
}

void CPort::CheckInterrupt() {
    if (m_bInterrupted) throw CPortException("Interrupted", 0);
}

int CPort::Wait(int fd, short events, int timeoutMs) {
    CheckInterrupt();
    pollfd p[2] = {{fd, events, 0}, {m_wake[0], POLLIN, 0}};
    int r;
    do {
        r = ::poll(p, m_wake[0] >= 0 ? 2 : 1, timeoutMs);
    } while (r < 0 && errno == EINTR);
    CheckInterrupt();
    if (r < 0) return r;
    return (p[0].revents & (events | POLLHUP | POLLERR)) ? 1 : 0;
}

int CPort::OpenSerial(int port, int baud, int dataBits, int parity, int stopBits) {
    m_nLinkKind = 0;
    const std::string device = ComDevicePath(port);
    if (device.empty()) {
        m_fd = -1;
        throw CPortException("Can't open port.\n", ENOENT);
    }
    return OpenSerialDevice(device, baud, dataBits, parity, stopBits);
}

int CPort::OpenSerialDevice(const std::string& device, int baud, int dataBits, int parity, int stopBits) {
    m_nLinkKind = 0;
    m_fd = -1;  // a serial open forgets the previous handle; callers close first
    m_bLinkLost = false;
    m_bHungUp = false;
    m_rx.clear();
    m_rxPos = 0;
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw CPortException("Can't open port.\n");
    ioctl(fd, TIOCEXCL);  // exclusive use, as a COM port opened without sharing
    termios t{};
    if (tcgetattr(fd, &t) != 0) {
        CPortException e("Error: No getcommstate\n");
        ::close(fd);
        throw e;
    }
    const SerialLineSettings line = NormaliseLineSettings(baud, dataBits, parity, stopBits);
    baud = line.baud;
    dataBits = line.dataBits;
    parity = line.parity;
    stopBits = line.stopBits;
    m_nBaud = baud;

    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD | HUPCL;  // DTR on while open
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
    t.c_cflag |= dataBits == 5 ? CS5 : dataBits == 6 ? CS6 : dataBits == 7 ? CS7 : CS8;
    if (parity == 1) t.c_cflag |= PARENB | PARODD;
    if (parity == 2) t.c_cflag |= PARENB;
    if (parity == 3) t.c_cflag |= PARENB | PARODD | CMSPAR;
    if (parity == 4) t.c_cflag |= PARENB | CMSPAR;
    if (stopBits != 0) t.c_cflag |= CSTOPB;  // one and a half stop bits do not exist here: two
    t.c_iflag |= IXON | IXOFF;               // XON/XOFF both ways
    // "RTS in handshake mode" governs input only and never holds back output, so no CTS output flow
    // control: a three-wire null-modem cable has no CTS, and with it nothing would ever be sent.
    t.c_cflag &= ~CRTSCTS;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    const speed_t speed = StandardSpeed(baud);
    if (speed) cfsetspeed(&t, speed);
    if (tcsetattr(fd, TCSANOW, &t) != 0 || (!speed && !SetCustomBaud(fd, baud))) {
        CPortException e("Error: No setcommstate\n");
        ::close(fd);
        throw e;
    }
    tcflush(fd, TCIOFLUSH);
    int lines = TIOCM_RTS | TIOCM_DTR;  // RTS stays asserted: the instrument may send
    ioctl(fd, TIOCMBIS, &lines);
    m_fd = fd;
    return 0;
}

int CPort::SetTimeouts(int readInterval, int readTotalMultiplier, int readTotalConstant,
                       int writeTotalMultiplier, int writeTotalConstant) {
    m_nReadInterval = readInterval;
    m_nReadTotalMultiplier = readTotalMultiplier;
    m_nReadTotalConstant = readTotalConstant;
    m_nWriteTotalMultiplier = writeTotalMultiplier;
    m_nWriteTotalConstant = writeTotalConstant;
    return 1;
}

// One ReadFile of n bytes: ends when n bytes have arrived, when the interval time-out runs out between
// bytes after the first, or when the total time-out runs out. No total time-out: wait for all n bytes.
size_t CPort::SerialRead(char* buf, size_t n) {
    const long total =
        static_cast<long>(m_nReadTotalMultiplier) * static_cast<long>(n) + m_nReadTotalConstant;
    const bool hasTotal = m_nReadTotalMultiplier || m_nReadTotalConstant;
    const auto deadline = Clock::now() + std::chrono::milliseconds(total);
    size_t got = 0;
    while (got < n) {
        int timeout = hasTotal ? MsLeft(deadline) : -1;
        if (got > 0 && m_nReadInterval > 0 && (timeout < 0 || timeout > m_nReadInterval))
            timeout = m_nReadInterval;
        if (hasTotal && timeout == 0) break;
        int r = Wait(m_fd, POLLIN, timeout);
        if (r < 0) break;
        if (r == 0) {
            if (got > 0 && m_nReadInterval > 0) break;  // quiet after data
            if (hasTotal && MsLeft(deadline) == 0) break;
            continue;
        }
        ssize_t k = ::read(m_fd, buf + got, n - got);
        if (k > 0) {
            got += static_cast<size_t>(k);
        } else if (k == 0 || (errno != EAGAIN && errno != EINTR)) {
            m_bHungUp = true;  // hang-up or a failing device ends the read
            break;
        }
    }
    return got;
}

void CPort::SerialWrite(const char* data, size_t n) {
    long total = static_cast<long>(m_nWriteTotalMultiplier) * static_cast<long>(n) + m_nWriteTotalConstant;
    // A line held by XOFF or a stuck driver never hangs the program: without a write time-out of its
    // own a write gives up after a second.
    if (total <= 0) total = 1000;
    const bool hasTotal = true;
    const auto deadline = Clock::now() + std::chrono::milliseconds(total);
    size_t done = 0;
    while (done < n) {
        ssize_t k = ::write(m_fd, data + done, n - done);
        if (k > 0) {
            done += static_cast<size_t>(k);
            continue;
        }
        if (k < 0 && errno != EAGAIN && errno != EINTR) return;  // write results are ignored
        int timeout = hasTotal ? MsLeft(deadline) : -1;
        if (hasTotal && timeout == 0) return;
        if (Wait(m_fd, POLLOUT, timeout) <= 0) return;
    }
}

int CPort::OpenTcp(const std::string& host, int port) {
    m_nLinkKind = 1;
    m_bLinkLost = false;
    if (m_sock >= 0) {
        ::close(m_sock);
        m_sock = -1;
    }
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) throw CPortException("no handle Create");
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* res = nullptr;
    const int found = ::getaddrinfo(host.c_str(), nullptr, &hints, &res);
    if (found != 0 || !res) {
        // The resolver says why in its own words ("Name or service not known"); it has no errno.
        const std::string why = found == EAI_SYSTEM ? std::strerror(errno)
                                : found != 0        ? gai_strerror(found)
                                                    : "No address";
        ::close(s);
        throw CPortException("GetHostByName", 0, why);
    }
    sockaddr_in addr = *reinterpret_cast<sockaddr_in*>(res->ai_addr);
    ::freeaddrinfo(res);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    // Non-blocking connect, so that an unreachable instrument fails in bounded time and can be interrupted.
    int flags = fcntl(s, F_GETFL, 0);
    fcntl(s, F_SETFL, flags | O_NONBLOCK);
    int r = ::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    if (r != 0 && errno == EINPROGRESS) {
        int w;
        try {
            w = Wait(s, POLLOUT, m_nTcpConnectWaitMs);
        } catch (...) {
            ::close(s);
            throw;
        }
        int err = ETIMEDOUT;
        socklen_t len = sizeof err;
        if (w > 0) getsockopt(s, SOL_SOCKET, SO_ERROR, &err, &len);
        r = err == 0 ? 0 : -1;
        errno = err;
    }
    if (r != 0) {
        CPortException e("Connect");
        ::close(s);
        throw e;
    }
    m_sock = s;
    return 0;
}

int CPort::Send(const std::string& text) {
    const std::string data = text + "\n";
    if (m_nLinkKind == 0) {
        if (m_fd < 0) return 1;
        CheckInterrupt();
        if (m_bPaced) {
            for (char c : data) {
                SerialWrite(&c, 1);
                DrainOutput(1000);
                Wait(m_fd, POLLIN | POLLOUT, 1000);  // the next communication event
            }
        } else if (s_strConnectedModel == "Quarn1") {
            // A byte every millisecond, on a fixed schedule so the sleeps' own overshoot does not add up.
            const auto start = Clock::now();
            for (size_t i = 0; i < data.size(); ++i) {
                SerialWrite(&data[i], 1);
                std::this_thread::sleep_until(start + std::chrono::milliseconds(i + 1));
            }
        } else {
            SerialWrite(data.data(), data.size());
        }
        return 0;
    }
    if (m_nLinkKind != 1) throw CPortException(kConnFlagWrong, 0);
    if (m_sock < 0) throw CPortException("Send", ENOTCONN);
    size_t sent = 0;
    while (sent < data.size()) {
        if (Wait(m_sock, POLLOUT, m_nTcpSendWaitMs) <= 0) throw CPortException("Send timeout", 0);
        ssize_t k = ::send(m_sock, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (k < 0) {
            if (errno == EAGAIN || errno == EINTR) continue;
            if (errno == EPIPE || errno == ECONNRESET || errno == ENOTCONN) Lost("Send", errno);
            throw CPortException("Send");
        }
        sent += static_cast<size_t>(k);
    }
    return static_cast<int>(sent);
}

int CPort::Receive(std::string& reply) {
    reply.clear();
    auto tooLong = [&] {
        if (reply.size() > (m_nLinkKind == 0 ? kMaxSerialReply : kMaxReply))
            throw CPortException("Reply too long", 0);
    };
    // The bound runs from the first byte: waiting for a reply to begin has time-outs of its own (and a
    // GPS receiver may be silent for as long as it likes).
    std::optional<Clock::time_point> firstByte;
    auto elapsedMs = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - *firstByte).count();
    };
    auto tooSlow = [&] {
        if (!firstByte && !reply.empty()) firstByte = Clock::now();
        if (firstByte && elapsedMs() > ReplyAllowanceMs(reply.size()))
            throw CPortException("Reply too slow", 0);
    };
    if (m_nLinkKind == 0) {
        if (m_fd < 0) return 0;
        m_bHungUp = false;
        char buf[255];
        if (m_bPaced || m_bLineMode || s_strConnectedModel == "Quarn1") {
            // One byte per read up to the line feed. A read that brings nothing ends the reply: a time-out
            // in paced and Quarn1 framing, and in line mode (which waits without a time-out) a failing
            // device.
            // The bytes are taken one at a time, but read from the device in bulk: whatever already
            // arrived after a line feed stays for the next reply.
            for (;;) {
                if (m_rxPos >= m_rx.size()) {
                    m_rx.clear();
                    m_rxPos = 0;
                    if (SerialRead(buf, 1) != 1) break;
                    m_rx.push_back(buf[0]);
                    char more[4096];
                    const ssize_t k = ::read(m_fd, more, sizeof more);
                    if (k > 0) m_rx.append(more, static_cast<size_t>(k));
                }
                const char c = m_rx[m_rxPos++];
                reply.push_back(c);
                tooLong();
                if (c == '\n') break;
                tooSlow();
            }
        } else {
            for (;;) {
                size_t k = SerialRead(buf, sizeof buf);
                reply.append(buf, k);
                tooLong();
                if (k < sizeof buf) break;
                tooSlow();
            }
        }
        // A line that hung up is no silent instrument: say so, and the link is gone.
        if (m_bHungUp) {
            m_bLinkLost = true;
            if (reply.empty()) Lost("The serial link was lost", 0, "The serial device hung up");
        }
        return static_cast<int>(reply.size());
    }
    if (m_nLinkKind != 1) throw CPortException(kConnFlagWrong, 0);
    if (m_sock < 0) throw CPortException("Receive", ENOTCONN);
    if (Wait(m_sock, POLLIN, m_nTcpReceiveWaitMs) <= 0) throw CPortException("Receive timeout", 0);
    char buf[2048];
    for (;;) {
        int wait = m_nTcpReceiveWaitMs;
        if (firstByte)
            wait =
                static_cast<int>(std::clamp<long>(ReplyAllowanceMs(reply.size()) - elapsedMs() + 1, 1, wait));
        if (Wait(m_sock, POLLIN, wait) <= 0) {
            tooSlow();
            break;
        }
        ssize_t k = ::recv(m_sock, buf, sizeof buf, 0);
        if (k < 0) {
            if (errno == EAGAIN || errno == EINTR) continue;
            if (errno == ECONNRESET || errno == EPIPE || errno == ETIMEDOUT) Lost("Receive", errno);
            throw CPortException("Receive");
        }
        if (k == 0) {
            // The peer closed the connection: what came is the reply, and the link is gone.
            m_bLinkLost = true;
            if (reply.empty()) Lost("Receive", ECONNRESET, "The instrument closed the connection");
            break;
        }
        reply.append(buf, static_cast<size_t>(k));
        tooLong();
        if (reply.find("\r\n") != std::string::npos) break;
        tooSlow();
    }
    return static_cast<int>(reply.size());
}

void CPort::Drain(int quietMs) {
    m_rx.clear();
    m_rxPos = 0;
    const int fd = m_nLinkKind == 1 ? m_sock : m_fd;
    if (fd < 0) return;
    char buf[4096];
    const auto limit = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < limit && Wait(fd, POLLIN, quietMs) > 0) {
        ssize_t k = m_nLinkKind == 1 ? ::recv(fd, buf, sizeof buf, 0) : ::read(fd, buf, sizeof buf);
        if (k <= 0 && !(k < 0 && (errno == EAGAIN || errno == EINTR))) break;
    }
}

void CPort::DrainOutput(int maxMs) {
    // tcdrain would wait for ever on a line held by XOFF; this waits at most `maxMs`.
    const auto limit = Clock::now() + std::chrono::milliseconds(maxMs);
    int queued = 0;
    while (m_fd >= 0 && ioctl(m_fd, TIOCOUTQ, &queued) == 0 && queued > 0 && Clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}

int CPort::Close() {
    m_rx.clear();
    m_rxPos = 0;
    if (m_nLinkKind == 0) {
        if (m_fd >= 0) {
            // The last command ("SYST:COMM:LOC") is let go first, briefly; output still held after that
            // (a line stopped by XOFF) would hold close() for the driver's closing wait (30 s): drop it.
            DrainOutput(m_nCloseDrainMs);
            int queued = 0;
            if (ioctl(m_fd, TIOCOUTQ, &queued) != 0 || queued > 0) tcflush(m_fd, TCOFLUSH);
            ::close(m_fd);
        }
        m_fd = -1;
        return 1;
    }
    if (m_nLinkKind == 1) {
        if (m_sock >= 0) {
            int s = m_sock;
            m_sock = -1;
            if (::close(s) != 0) throw CPortException("Close");
        }
        return 1;
    }
    throw CPortException("Port could not be closed", 0);
}

int CPort::SettleDelay() {
    if (m_fd >= 0) std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    return 0;
}

}  // namespace fl
