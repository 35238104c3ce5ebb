// quarn-sim as a child process on a free TCP port and a pseudo-terminal link, for end-to-end CLI tests.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "TestUtil.h"

namespace fl::test {

class SimProcess {
  public:
    explicit SimProcess(const std::vector<std::string>& extra = {}) {
        // Port 0: the simulator takes a free one and says which, so simulators side by side never collide.
        link = m_dir / "tty";
        const std::string said = m_dir / "stdout";
        std::vector<std::string> args = {QUARN_SIM, "--tcp", "127.0.0.1:0", "--pty", link};
        args.insert(args.end(), extra.begin(), extra.end());
        m_pid = fork();
        if (m_pid == 0) {
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            if (!freopen(said.c_str(), "w", stdout)) _exit(127);
            execv(argv[0], argv.data());
            _exit(127);
        }
        // "quarn-sim: Quarn2 on TCP 127.0.0.1:40123", then the pseudo-terminal's line.
        for (int i = 0; i < 500 && (port == 0 || access(link.c_str(), F_OK) != 0); ++i) {
            const std::string text = ReadFile(said);
            const size_t at = text.find("127.0.0.1:");
            if (at != std::string::npos && text.find('\n', at) != std::string::npos)
                port = std::stoi(text.substr(at + 10));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    bool Listening() const {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        close(fd);
        return ok;
    }
    ~SimProcess() {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;
    std::string Tcp() const { return "--tcp 127.0.0.1:" + std::to_string(port); }
    std::string Serial() const { return "--serial " + link; }
    int port = 0;
    std::string link;

  private:
    TempDir m_dir;
    pid_t m_pid;
};

}  // namespace fl::test
