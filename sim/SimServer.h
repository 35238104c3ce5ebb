// Carries the simulated instrument's bytes: TCP clients on a listening socket and a pseudo-terminal
// that stands in for the serial cable. One thread serves all of them.
#pragma once

#include <atomic>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "InstrumentModel.h"

namespace fl::sim {

class SimServer {
  public:
    explicit SimServer(SimOptions options);
    ~SimServer();

    // Listens on host:port (port 0: any free port); returns the port.
    int ListenTcp(const std::string& host = "127.0.0.1", int port = 0);
    // Creates a pseudo-terminal; its slave path is returned and, when `link` is given, linked there.
    std::string OpenPty(const std::string& link = {});
    // Paces reply bytes as a serial line of this speed would (10 bits per byte); 0 = no pacing.
    void SetBaud(int baud) { m_nBaud = baud; }
    // From the n-th matching command on (0: the fault's own rule); see SimOptions::faultFrom.
    void SetFault(FaultKind fault, int from = 0);
    int CommandsSeen();
    void SetScreenShortReplies(int n);
    std::vector<std::string> CommandLog();
    // Puts a trace into the instrument's memory.
    void AddTrace(const std::string& name, const std::vector<std::string>& lines);

    void Start();  // serves on a background thread
    void Stop();
    // Only asks the serving threads to end (safe in a signal handler); Stop also waits for them.
    void RequestStop();
    void Run();  // serves on this thread until Stop

  private:
    struct Client {
        int fd;
        bool pty;
        std::string buffer;
    };
    void Serve(Client& c);
    // One client's own loop: a client stuck in a fault never holds up another.
    void ServeClient(Client& c);
    bool WriteReply(Client& c, const SimReply& r);
    bool WriteAll(int fd, const char* data, size_t n, bool paced, int byteDelayMs);
    // The cable pulled: the pseudo-terminal hangs up on its client, and a fresh one takes its place at the
    // same link for the next client.
    void HangUpPty(Client& c);

    std::mutex m_mutex;  // guards the model
    InstrumentModel m_model;
    int m_listen = -1;
    int m_ptyMaster = -1;
    int m_ptySlaveKeep = -1;
    std::string m_strLink;
    std::mutex m_clientsMutex;  // guards the list; each client is served on its own thread
    std::list<Client> m_clients;
    std::vector<std::thread> m_clientThreads;
    bool m_bServing = false;  // guarded by m_clientsMutex
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_bStop{false};
    std::atomic<int> m_nBaud{0};
    std::thread m_thread;
};

}  // namespace fl::sim
