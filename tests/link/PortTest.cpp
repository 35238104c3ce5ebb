#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <filesystem>
#include <fstream>

#include "Port.h"
#include "PortMap.h"

using namespace fl;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// A loopback peer that runs a script against one client.
class Peer {
  public:
    template <class F>
    explicit Peer(F script) {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(m_listen, 1);
        socklen_t len = sizeof a;
        getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
        m_thread = std::thread([this, script] {
            int c = ::accept(m_listen, nullptr, nullptr);
            if (c >= 0) script(c);
            if (c >= 0) ::close(c);
        });
    }
    ~Peer() {
        ::shutdown(m_listen, SHUT_RDWR);
        m_thread.join();
        ::close(m_listen);
    }
    int port = 0;

  private:
    int m_listen;
    std::thread m_thread;
};

void Put(int fd, const std::string& s) {
    [[maybe_unused]] ssize_t r = ::write(fd, s.data(), s.size());
}
std::string Line(int fd) {
    std::string s;
    char c;
    while (::read(fd, &c, 1) == 1 && c != '\n')
        s.push_back(c);
    return s;
}

struct Pty {
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master);
        unlockpt(master);
        slave = ptsname(master);
    }
    ~Pty() { ::close(master); }
    int master;
    std::string slave;
};

}  // namespace

TEST(PortException, MessageRule) {
    EXPECT_EQ(CPortException("Receive timeout", 0).GetErrorMessage(), "Receive timeout ERROR");
    EXPECT_EQ(CPortException("Can't open port.\n", 2).GetErrorMessage(), "Can't open port.\n ERROR #2");
    EXPECT_EQ(CPortException("Connect", 111).GetErrorMessage(8), "Connect");
    EXPECT_EQ(CPortException(std::string(200, 'x'), 5).GetErrorMessage(100).size(), 99u);
}

TEST(PortException, TheUserReadsWhatTheNumberMeans) {
    // The program's own text stays first; the system's explanation of the code follows on its own line.
    EXPECT_EQ(CPortException("Connect", ECONNREFUSED).UserMessage(),
              "Connect ERROR #111\nConnection refused.");
    EXPECT_EQ(CPortException("Receive", ECONNRESET).UserMessage(),
              "Receive ERROR #104\nConnection reset by peer.");
    EXPECT_EQ(CPortException("Receive timeout", 0).UserMessage(), "Receive timeout ERROR");
}

TEST(PortException, ARefusedConnectionSaysSo) {
    // Nothing listens on this port: the connect fails with the refusal, explained.
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    const int port = ntohs(a.sin_port);
    ::close(s);  // bound once, now free and closed
    CPort p;
    try {
        p.OpenTcp("127.0.0.1", port);
        FAIL() << "connected to a closed port";
    } catch (const CPortException& e) {
        EXPECT_EQ(e.UserMessage(), "Connect ERROR #111\nConnection refused.");
    }
}

TEST(Port, NeverOpenedPortRefusesEverything) {
    CPort p;
    std::string reply;
    for (auto op : {0, 1, 2}) {
        try {
            if (op == 0) p.Send("X");
            if (op == 1) p.Receive(reply);
            if (op == 2) p.Close();
            FAIL() << op;
        } catch (const CPortException& e) {
            EXPECT_EQ(e.Text(), op == 2
                                    ? "Port could not be closed"
                                    : "ConnFlag wrong - maybe object instance was not connected properly");
        }
    }
}

TEST(Port, OpenFailures) {
    CPort p;
    try {
        p.OpenSerialDevice("/nonexistent/ttyX", 57600, 8, 0, 0);
        FAIL();
    } catch (const CPortException& e) {
        EXPECT_EQ(e.GetErrorMessage(), "Can't open port.\n ERROR #2");
    }
    try {
        p.OpenSerialDevice("/dev/null", 57600, 8, 0, 0);  // not a terminal
        FAIL();
    } catch (const CPortException& e) {
        EXPECT_EQ(e.Text(), "Error: No getcommstate\n");
    }
    EXPECT_EQ(p.LinkKind(), 0);
    EXPECT_EQ(p.Close(), 1);  // serial close without a handle raises nothing
    std::string reply;
    EXPECT_EQ(p.Send("X"), 1);  // serial without a handle writes nothing
    try {
        p.OpenTcp("127.0.0.1", 1);  // nobody listens on port 1
        FAIL();
    } catch (const CPortException& e) {
        EXPECT_EQ(e.Text(), "Connect");
        EXPECT_NE(e.ErrorCode(), 0);
    }
    try {
        p.OpenTcp("no-such-host.invalid", 49200);
        FAIL();
    } catch (const CPortException& e) {
        EXPECT_EQ(e.Text(), "GetHostByName");
        // The resolver's own words, not an error number it never gave.
        EXPECT_EQ(e.GetErrorMessage(), "GetHostByName ERROR");
        EXPECT_GT(e.UserMessage().size(), std::string("GetHostByName ERROR\n.").size()) << e.UserMessage();
    }
}

TEST(Port, SerialSettingsFallBack) {
    struct Case {
        SerialLineSettings in, out;
    };
    const Case cases[] = {
        {{12345, 9, 7, 5}, {57600, 8, 0, 0}},
        {{9600, 7, 2, 2}, {9600, 7, 2, 2}},
        {{14400, 5, 4, 1}, {14400, 5, 4, 1}},
        {{0, 4, -1, -1}, {57600, 8, 0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(NormaliseLineSettings(c.in.baud, c.in.dataBits, c.in.parity, c.in.stopBits) == c.out)
            << c.in.baud;
    // On a real terminal device the speed and flow control take effect (a pseudo-terminal forces 8-N-1).
    for (auto [baud, speed] :
         {std::pair{12345, B57600}, std::pair{9600, B9600}, std::pair{115200, B115200}}) {
        Pty pty;
        CPort p;
        p.OpenSerialDevice(pty.slave, baud, 8, 0, 0);
        int fd = ::open(pty.slave.c_str(), O_RDWR | O_NOCTTY);
        if (fd < 0) continue;  // held exclusively for non-root users
        termios t{};
        tcgetattr(fd, &t);
        EXPECT_EQ(cfgetospeed(&t), speed) << baud;
        EXPECT_TRUE(t.c_iflag & IXON);
        EXPECT_TRUE(t.c_iflag & IXOFF);
        ::close(fd);
    }
}

TEST(Port, AThreeWireCableWorksAndABlockedLineNeverHangs) {
    Pty pty;
    CPort p;
    p.OpenSerialDevice(pty.slave, 57600, 8, 0, 0);
    // Output never waits for CTS (a three-wire cable has none); XON/XOFF stays on both ways.
    const int probe = ::open(pty.slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(probe, 0);
    termios t{};
    ASSERT_EQ(tcgetattr(probe, &t), 0);
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
    EXPECT_NE(t.c_iflag & IXON, 0u);
    EXPECT_NE(t.c_iflag & IXOFF, 0u);
    ::close(probe);
    // Nobody reads the other end: the buffers fill and the write gives up within about a second.
    p.SetTimeouts(25, 2, 100, 0, 0);
    auto t0 = Clock::now();
    p.Send(std::string(1 << 20, 'x'));
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(2500));
    // Closing with unsent output does not wait for it to drain.
    t0 = Clock::now();
    p.Close();
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(500));
}

TEST(Port, AnEndlessSerialReplyEndsWithinSecondsAndAHangUpSaysTheLinkWasLost) {
    {
        Pty pty;
        CPort p;
        p.OpenSerialDevice(pty.slave, 57600, 8, 0, 0);
        p.SetTimeouts(25, 2, 1000, 0, 1000);
        std::atomic<bool> stop{false};
        fcntl(pty.master, F_SETFL, fcntl(pty.master, F_GETFL) | O_NONBLOCK);  // never stuck when full
        std::thread babble([&] {                                              // a reply that never pauses
            const std::string chunk(200, 'Z');
            while (!stop)
                if (::write(pty.master, chunk.data(), chunk.size()) < 0) std::this_thread::sleep_for(1ms);
        });
        const auto t0 = Clock::now();
        std::string reply;
        try {
            p.Receive(reply);
            ADD_FAILURE() << "an endless reply was taken";
        } catch (const CPortException& e) {
            EXPECT_EQ(e.GetErrorMessage(), "Reply too long ERROR");
        }
        EXPECT_LT(Clock::now() - t0, std::chrono::seconds(5));
        stop = true;
        babble.join();
    }
    Pty pty;
    CPort p;
    p.OpenSerialDevice(pty.slave, 57600, 8, 0, 0);
    p.SetTimeouts(25, 2, 1000, 0, 1000);
    ::close(pty.master);  // the cable is pulled
    pty.master = ::open("/dev/null", O_RDONLY);
    std::string reply;
    try {
        p.Receive(reply);
        ADD_FAILURE() << "a hung-up line read as a silent one";
    } catch (const CPortException& e) {
        EXPECT_EQ(e.GetErrorMessage(), "The serial link was lost ERROR");
    }
    EXPECT_TRUE(p.LinkLost());
}

TEST(Port, SerialReplyEndsAfterQuietLine) {
    Pty pty;
    CPort p;
    p.OpenSerialDevice(pty.slave, 57600, 8, 0, 0);
    p.SetTimeouts(25, 2, 1000, 0, 1000);
    // Exactly 255 bytes, then silence: one more read call, which brings nothing, ends the reply.
    const std::string reply255 = std::string(253, 'A') + "\r\n";
    Put(pty.master, reply255);
    std::string reply;
    p.Receive(reply);
    EXPECT_EQ(reply, reply255);
    // A long reply in two bursts closer than the interval arrives whole.
    std::thread writer([&] {
        Put(pty.master, std::string(600, 'B'));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        Put(pty.master, "C\r\n");
    });
    p.Receive(reply);
    writer.join();
    EXPECT_EQ(reply, std::string(600, 'B') + "C\r\n");
    // Nothing at all: an empty reply after the total time-out, no error.
    auto t0 = Clock::now();
    p.Receive(reply);
    EXPECT_TRUE(reply.empty());
    EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(900));
    p.Send("*IDN?");
    char buf[16] = {};
    ssize_t n = ::read(pty.master, buf, sizeof buf);
    EXPECT_EQ(std::string(buf, n > 0 ? static_cast<size_t>(n) : 0), "*IDN?\n");
}

TEST(Port, Quarn1AndLineModeReadToTheLineFeed) {
    Pty pty;
    CPort p;
    p.OpenSerialDevice(pty.slave, 57600, 8, 0, 0);
    p.SetTimeouts(25, 2, 1000, 0, 1000);
    s_strConnectedModel = "Quarn1";
    Put(pty.master, "ONE\r\nTWO\r\n");
    std::string reply;
    p.Receive(reply);
    EXPECT_EQ(reply, "ONE\r\n");
    p.Receive(reply);
    EXPECT_EQ(reply, "TWO\r\n");
    s_strConnectedModel.clear();
    p.m_bLineMode = true;
    p.SetTimeouts(0, 0, 0, 0, 1000);
    Put(pty.master, "$GPRMC,1*00\r\n$GPGGA");
    p.Receive(reply);
    EXPECT_EQ(reply, "$GPRMC,1*00\r\n");
}

TEST(Port, TcpFraming) {
    struct Case {
        const char* name;
        std::function<void(int)> peer;
        std::string expect;  // empty: an exception
        std::string error;
        bool lost = false;  // the link is gone afterwards
    };
    const Case cases[] = {
        {"two pieces",
         [](int c) {
             Line(c);
             Put(c, "AB");
             std::this_thread::sleep_for(std::chrono::milliseconds(50));
             Put(c, "CD\r\n");
         },
         "ABCD\r\n", ""},
        {"bytes after CRLF stay",
         [](int c) {
             Line(c);
             Put(c, "X\r\nY");
         },
         "X\r\nY", ""},
        {"never a CRLF",
         [](int c) {
             Line(c);
             Put(c, "partial");
             std::this_thread::sleep_for(std::chrono::milliseconds(600));
         },
         "partial", ""},
        {"silence",
         [](int c) {
             Line(c);
             std::this_thread::sleep_for(std::chrono::milliseconds(600));
         },
         "", "Receive timeout ERROR"},
        {"peer closes mid-reply",
         [](int c) {
             Line(c);
             Put(c, "half");
             ::shutdown(c, SHUT_WR);
             std::this_thread::sleep_for(std::chrono::milliseconds(600));
         },
         "half", "", true},
        {"peer closes before replying",
         [](int c) {
             Line(c);
             ::shutdown(c, SHUT_WR);
             std::this_thread::sleep_for(std::chrono::milliseconds(300));
         },
         "", "Receive ERROR #104", true},
        {"peer resets",
         [](int c) {
             Line(c);
             linger l{1, 0};  // the close that follows resets the connection
             setsockopt(c, SOL_SOCKET, SO_LINGER, &l, sizeof l);
         },
         "", "Receive ERROR #104", true},
        {"crawling: a byte every 100 ms",
         [](int c) {
             Line(c);
             for (char ch : std::string("CRAWLING REPLY\r\n")) {
                 if (::send(c, &ch, 1, MSG_NOSIGNAL) != 1) break;  // the reader gave up
                 std::this_thread::sleep_for(std::chrono::milliseconds(100));
             }
         },
         "", "Reply too slow ERROR"},
        {"endless",
         [](int c) {
             Line(c);
             std::string b(65536, '7');
             for (int i = 0; i < 40; ++i)
                 if (::send(c, b.data(), b.size(), MSG_NOSIGNAL) <= 0) break;
         },
         "", "Reply too long ERROR"},
    };
    for (const auto& c : cases) {
        Peer peer(c.peer);
        CPort p;
        p.m_nTcpReceiveWaitMs = 300;
        p.m_nReplyBoundMs = 500;
        p.OpenTcp("127.0.0.1", peer.port);
        EXPECT_EQ(p.Send("CMD"), 4);
        std::string reply;
        auto t0 = Clock::now();
        try {
            p.Receive(reply);
            EXPECT_EQ(reply, c.expect) << c.name;
        } catch (const CPortException& e) {
            EXPECT_EQ(e.GetErrorMessage(), c.error) << c.name;
        }
        EXPECT_LT(Clock::now() - t0, std::chrono::seconds(3)) << c.name;
        EXPECT_EQ(p.LinkLost(), c.lost) << c.name;
        p.Close();
    }
}

TEST(Port, InterruptWakesAPendingRead) {
    Peer peer([](int c) {
        Line(c);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    });
    CPort p;
    p.OpenTcp("127.0.0.1", peer.port);
    p.Send("CMD");
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        p.Interrupt();
    });
    auto t0 = Clock::now();
    std::string reply;
    EXPECT_THROW(p.Receive(reply), CPortException);
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(800));
    stopper.join();
    p.ClearInterrupt();
    EXPECT_FALSE(p.Interrupted());
    p.Close();
}

TEST(Port, PacedModeSendsAndReadsByteByByte) {
    Pty pty;
    CPort p;
    p.m_bPaced = true;
    p.OpenSerialDevice(pty.slave, 57600, 8, 0, 0);
    p.SetTimeouts(25, 2, 1000, 0, 1000);
    p.Send("SCREEN?");
    char buf[32] = {};
    std::string got;
    while (got.size() < 8) {
        ssize_t n = ::read(pty.master, buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, static_cast<size_t>(n));
    }
    EXPECT_EQ(got, "SCREEN?\n");
    Put(pty.master, "AB\nCD");
    std::string reply;
    p.Receive(reply);
    EXPECT_EQ(reply, "AB\n");
    p.Receive(reply);
    EXPECT_EQ(reply, "CD");  // the read that brings nothing ends it
}

TEST(Port, PortMapFromEnvironmentFileAndDefaults) {
    // ctest gives every test its own data folder through FIELDLINK_HOME.
    const char* home = std::getenv("FIELDLINK_HOME");
    if (!home) GTEST_SKIP() << "FIELDLINK_HOME not set";
    std::filesystem::create_directories(home);
    {
        std::ofstream conf(std::string(home) + "/ports.conf");
        conf << "COM2=/dev/ttyAMA0\r\nCOM7=/dev/my-usb\n";
    }
    setenv("FIELDLINK_COM7", "/dev/from-env", 1);
    EXPECT_EQ(ComDevicePath(1), "/dev/ttyS0");
    EXPECT_EQ(ComDevicePath(2), "/dev/ttyAMA0");
    EXPECT_EQ(ComDevicePath(7), "/dev/from-env");
    EXPECT_EQ(ComDevicePath(6), "/dev/ttyUSB1");
    EXPECT_EQ(ComDevicePath(12), "/dev/ttyACM3");
    EXPECT_EQ(ComDevicePath(13), "");
    unsetenv("FIELDLINK_COM7");
    std::filesystem::remove(std::string(home) + "/ports.conf");
    CPort p;
    try {
        p.OpenSerial(13, 57600, 8, 0, 0);
        FAIL();
    } catch (const CPortException& e) {
        EXPECT_EQ(e.Text(), "Can't open port.\n");
    }
}
