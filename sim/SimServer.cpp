#include "SimServer.h"

#include "RawPty.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <thread>

namespace fl::sim {

SimServer::SimServer(SimOptions options) : m_model(std::move(options)) {
    if (pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("pipe");
}

SimServer::~SimServer() {
    Stop();
    for (auto& c : m_clients)
        if (!c.pty && c.fd >= 0) ::close(c.fd);
    for (int fd : {m_listen, m_ptyMaster, m_ptySlaveKeep, m_wake[0], m_wake[1]})
        if (fd >= 0) ::close(fd);
    if (!m_strLink.empty()) {
        std::error_code ec;
        std::filesystem::remove(m_strLink, ec);
    }
}

int SimServer::ListenTcp(const std::string& host, int port) {
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listen < 0) throw std::runtime_error("socket: " + std::string(strerror(errno)));
    int one = 1;
    setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, host.c_str(), &addr.sin_addr) != 1)
        throw std::runtime_error("bad address " + host);
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(m_listen, 4) != 0)
        throw std::runtime_error("bind " + host + ":" + std::to_string(port) + ": " + strerror(errno));
    socklen_t len = sizeof addr;
    getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
    return ntohs(addr.sin_port);
}

std::string SimServer::OpenPty(const std::string& link) {
    const RawPty pty = OpenRawPty(0, link);
    m_ptyMaster = pty.master;
    // Writes never block a client's thread for good: a reader that stops reading fails them in time.
    fcntl(m_ptyMaster, F_SETFL, fcntl(m_ptyMaster, F_GETFL) | O_NONBLOCK);
    m_ptySlaveKeep = pty.slaveKeep;
    {
        std::lock_guard lock(m_clientsMutex);
        m_clients.push_back({m_ptyMaster, true, {}});
        if (m_bServing) {  // opened after the start: served at once
            Client& c = m_clients.back();
            m_clientThreads.emplace_back([this, &c] { ServeClient(c); });
        }
    }
    m_strLink = link;
    return pty.slavePath;
}

void SimServer::SetFault(FaultKind fault, int from) {
    std::lock_guard lock(m_mutex);
    m_model.SetFault(fault, from);
}

void SimServer::HangUpPty(Client& c) {
    ::close(c.fd);
    if (m_ptySlaveKeep >= 0) ::close(m_ptySlaveKeep);
    m_ptySlaveKeep = -1;
    m_ptyMaster = -1;
    c.fd = -1;
    // Let the client see the hang-up before the link points at a new terminal.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    try {
        const RawPty pty = OpenRawPty(0, m_strLink);
        fcntl(pty.master, F_SETFL, fcntl(pty.master, F_GETFL) | O_NONBLOCK);
        m_ptyMaster = c.fd = pty.master;
        m_ptySlaveKeep = pty.slaveKeep;
    } catch (const std::exception&) {
    }
}

void SimServer::AddTrace(const std::string& name, const std::vector<std::string>& lines) {
    std::lock_guard lock(m_mutex);
    m_model.Store()[name] = lines;
}

std::vector<std::string> SimServer::CommandLog() {
    std::lock_guard lock(m_mutex);
    return m_model.CommandLog();
}

void SimServer::SetScreenShortReplies(int n) {
    std::lock_guard lock(m_mutex);
    m_model.SetScreenShortReplies(n);
}

int SimServer::CommandsSeen() {
    std::lock_guard lock(m_mutex);
    return m_model.CommandsSeen();
}

void SimServer::Start() {
    m_thread = std::thread([this] { Run(); });
}

void SimServer::RequestStop() {
    m_bStop = true;
    char c = 1;
    [[maybe_unused]] ssize_t r = ::write(m_wake[1], &c, 1);
}

void SimServer::Stop() {
    RequestStop();
    if (m_thread.joinable()) m_thread.join();
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(m_clientsMutex);
        threads.swap(m_clientThreads);
    }
    for (auto& t : threads)
        if (t.joinable()) t.join();
}

void SimServer::Run() {
    // This thread only accepts; every client is served on a thread of its own, starting with the
    // pseudo-terminal opened before.
    {
        std::lock_guard lock(m_clientsMutex);
        m_bServing = true;
        for (Client& c : m_clients)
            m_clientThreads.emplace_back([this, &c] { ServeClient(c); });
    }
    while (!m_bStop) {
        std::vector<pollfd> fds = {{m_wake[0], POLLIN, 0}};
        if (m_listen >= 0) fds.push_back({m_listen, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 500) < 0 && errno != EINTR) break;
        if (m_bStop) break;
        if (m_listen >= 0 && (fds[1].revents & POLLIN)) {
            const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd < 0) continue;
            std::lock_guard lock(m_clientsMutex);
            // Clients that went away are forgotten (their threads have ended).
            m_clients.push_back({fd, false, {}});
            Client& c = m_clients.back();
            m_clientThreads.emplace_back([this, &c] { ServeClient(c); });
        }
    }
}

void SimServer::ServeClient(Client& c) {
    while (!m_bStop && c.fd >= 0) {
        pollfd fds[2] = {{m_wake[0], POLLIN, 0}, {c.fd, POLLIN, 0}};
        if (::poll(fds, 2, 500) < 0 && errno != EINTR) break;
        if (m_bStop) break;
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) Serve(c);
    }
    // A stopped instrument closes its connections, as one switched off would.
    if (!c.pty && c.fd >= 0) {
        ::close(c.fd);
        c.fd = -1;
    }
}

void SimServer::Serve(Client& c) {
    char buf[4096];
    ssize_t k = ::read(c.fd, buf, sizeof buf);
    if (k < 0 && (errno == EAGAIN || errno == EINTR)) return;  // nothing after all
    if (k <= 0) {
        if (!c.pty) {
            ::close(c.fd);
            c.fd = -1;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));  // no slave reader right now
        }
        return;
    }
    c.buffer.append(buf, static_cast<size_t>(k));
    if (c.buffer.size() > (1u << 20)) c.buffer.clear();  // a runaway client line
    size_t nl;
    while (c.fd >= 0 && (nl = c.buffer.find('\n')) != std::string::npos) {
        std::string line = c.buffer.substr(0, nl);
        c.buffer.erase(0, nl + 1);
        SimReply r;
        {
            std::lock_guard lock(m_mutex);
            r = m_model.Handle(line);
        }
        if (!WriteReply(c, r)) break;
    }
}

bool SimServer::WriteAll(int fd, const char* data, size_t n, bool paced, int byteDelayMs) {
    const int baud = m_nBaud;
    // Below 6400 baud 16 bytes take longer than the reader's 25 ms quiet interval: every byte on its own,
    // as a real line sends them.
    const size_t chunk = byteDelayMs > 0 ? 1 : (paced && baud > 0 ? (baud < 6400 ? 1 : 16) : n);
    size_t done = 0;
    while (done < n && !m_bStop) {
        const size_t want = std::min(chunk, n - done);
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 2000) <= 0) return false;  // the client stopped reading
        ssize_t k = ::write(fd, data + done, want);
        if (k < 0) {
            if (errno == EAGAIN || errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(k);
        if (byteDelayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(byteDelayMs));
        else if (paced && baud > 0)
            std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>(k) * 10'000'000L / baud));
    }
    return done == n;
}

namespace {
// Repeatable noise; never a line feed (nor, unless allowed, a carriage return) and never XON or XOFF, so
// the line and its flow control stay intact.
std::string Noise(uint32_t seed, int count, bool carriageReturns) {
    std::string g;
    uint32_t x = seed;
    for (int i = 0; i < count; ++i) {
        x = x * 1103515245u + 12345u;
        char ch = static_cast<char>((x >> 16) & 0xFF);
        if (ch == '\n' || (ch == '\r' && !carriageReturns) || ch == 0x11 || ch == 0x13) ch = '#';
        g.push_back(ch);
    }
    return g;
}
}  // namespace

bool SimServer::WriteReply(Client& c, const SimReply& r) {
    FaultKind fault;
    {
        std::lock_guard lock(m_mutex);
        fault = m_model.Options().fault;
    }
    const int delay = r.byteDelayMs > 0 ? r.byteDelayMs : fault == FaultKind::Slow ? 2 : 0;
    switch (r.action) {
        case SimReply::Action::None:
            return true;
        case SimReply::Action::Drop:
            if (!c.pty) {
                ::close(c.fd);
                c.fd = -1;
            } else {
                HangUpPty(c);
            }
            return false;
        case SimReply::Action::GarbageNoEol: {
            // Noise that never ends a line, then nothing.
            const std::string g = Noise(0x2468Au, 200, false);
            return WriteAll(c.fd, g.data(), g.size(), c.pty, delay);
        }
        case SimReply::Action::Garbage: {
            const std::string g = Noise(0x12345u, 300, true) + "\r\n";
            return WriteAll(c.fd, g.data(), g.size(), c.pty, delay);
        }
        case SimReply::Action::Endless: {
            // Bytes without a terminator until the client stops reading (bounded at 8 MiB).
            const std::string block(4096, '7');
            for (int i = 0; i < 2048 && !m_bStop; ++i)
                if (!WriteAll(c.fd, block.data(), block.size(), false, 0)) break;
            return true;
        }
        case SimReply::Action::Reply: {
            const std::string text = r.text + "\r\n";
            return WriteAll(c.fd, text.data(), text.size(), c.pty, delay);
        }
    }
    return true;
}

}  // namespace fl::sim
