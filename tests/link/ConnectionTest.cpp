#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <thread>

#include "ConnectDialogLogic.h"
#include "LinkTestUtil.h"
#include "TestUtil.h"

using namespace fl;
using fl::test::SimLink;

TEST(Identity, FirmwareAndModelRules) {
    struct Case {
        std::string reply;
        bool quarn;
        bool ok;
        std::string code;
        std::string model;
    };
    const Case cases[] = {
        {"ZARNELL, Quarn2, 100742, 2.31\r\n", true, true, "231", "Quarn2"},
        {"ZARNELL, Quarn1, 1, 2.20\r\n", true, true, "220", "Quarn1"},
        {"ZARNELL, Quarn1, 1, 2.2", true, true, "22", "Quarn1"},
        {"ZARNELL, Quarn1, 1, 2.19", true, false, "219", "Quarn1"},
        {"ZARNELL, Quarn, 1, 1.99", true, false, "199", "Quarn"},
        {"ZARNELL, Quarn3, 1, 3.00", true, true, "300", "Quarn3"},
        {"\"ZARNELL, Quarn2B, 9, 2.40\"", true, true, "240", "Quarn2B"},
        {"ZARNELL, Quarn2, 2.31", true, false, "", "Quarn2"},  // two commas only
        {"ACME, Scope, 1, 9.99", false, false, "", "Scope"},
        {"", false, false, "", ""},
        {"Quarn", true, false, "", ""},
    };
    for (const auto& c : cases) {
        IdentityCheck id = CheckIdentity(c.reply);
        EXPECT_EQ(id.isQuarn, c.quarn) << c.reply;
        EXPECT_EQ(id.firmwareOk, c.ok) << c.reply;
        if (c.ok) {
            EXPECT_EQ(id.firmwareCode, c.code) << c.reply;
        }
        EXPECT_EQ(id.model, c.model) << c.reply;
    }
}

TEST(Connection, ConnectsOverTcpAndSetsTheClock) {
    SimLink link;
    ASSERT_TRUE(link.connected) << (link.prompts.messages.empty() ? "" : link.prompts.messages[0]);
    EXPECT_TRUE(link.state.lanConnected);
    EXPECT_EQ(s_strConnectedModel, "Quarn2");
    EXPECT_EQ(link.state.firmwareCode, "231");
    EXPECT_EQ(link.server->CommandsSeen(), 5);  // *IDN? and the four set-up commands
    const auto log = link.server->CommandLog();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0], "*IDN?");
    EXPECT_EQ(log[1], "SYST:COMM:ECH ON");
    EXPECT_EQ(log[2], "SYST:COMM:ETH:TERM CRLF");
    EXPECT_TRUE(std::regex_match(log[3], std::regex(R"(SYST:TIME \d{1,2},\d{1,2},\d{1,2})"))) << log[3];
    EXPECT_TRUE(std::regex_match(log[4], std::regex(R"(SYST:DATE 20\d\d,\d{1,2},\d{1,2})"))) << log[4];
    EXPECT_EQ(link.channel.PaneText(), "IP: 127.0.0.1");
    EXPECT_EQ(link.channel.Toolbar(), ToolbarKind::Instrument);
    std::string reply;
    ASSERT_TRUE(link.channel.Transact("*IDN?", reply));
    EXPECT_EQ(reply, "ZARNELL, Quarn2, 100742, 2.31\r\n");
    // Connect while connected disconnects, sending "SYST:COMM:LOC" first.
    link.channel.ConnectCommand();
    EXPECT_FALSE(link.channel.IsConnected());
    for (int i = 0; i < 100 && link.server->CommandsSeen() < 7; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(link.server->CommandsSeen(), 7);
    EXPECT_EQ(link.server->CommandLog().back(), "SYST:COMM:LOC");
    EXPECT_EQ(link.channel.PaneText(), "NOT CONNECTED");
    EXPECT_EQ(link.prompts.status[0], "Ready");
}

// A command holding a value that is no number never reaches the instrument; names that merely contain
// the letters do.
TEST(Connection, CommandsWithoutANumberAreNeverSent) {
    SimLink link;
    ASSERT_TRUE(link.connected);
    const int before = link.server->CommandsSeen();
    std::string reply;
    for (const char* c : {"SENSe:REFLevel inf", "SENSe:FREQuency:CENTer -inf", "SENSe:FREQuency:SPAN nan",
                          "SENSe:EMF:REFerence -NaN", "CALC:LIM 1,inf,2"})
        EXPECT_FALSE(link.channel.Transact(c, reply)) << c;
    EXPECT_EQ(link.server->CommandsSeen(), before);
    EXPECT_EQ(link.prompts.messages.size(), 5u);
    EXPECT_TRUE(link.channel.Transact("MMEM:LOAD:STAT \"INFO\"", reply));
    EXPECT_EQ(link.server->CommandsSeen(), before + 1);
}

TEST(Connection, OldFirmwareAndStrangersAreRefused) {
    struct Case {
        std::string model, firmware, message;
    };
    const Case cases[] = {
        {"Quarn1", "2.19", "Can't connect! Update your Quarn1 SW-Version up to 2.20 or higher"},
        {"Quarn", "1.99", "Can't connect! Update your Quarn1 SW-Version up to 2.20 or higher"},
        {"Scope", "3.00", "Can't connect! Instrument not found."},
    };
    for (const auto& c : cases) {
        sim::SimOptions o;
        o.model = c.model;
        o.firmware = c.firmware;
        SimLink link(o);
        EXPECT_FALSE(link.connected) << c.model;
        EXPECT_FALSE(link.channel.IsConnected());
        ASSERT_FALSE(link.prompts.messages.empty());
        EXPECT_EQ(link.prompts.messages.back(), c.message);
        EXPECT_EQ(link.server->CommandsSeen(), 1);  // nothing after the identity
    }
}

TEST(Connection, Quarn1WithOldFirmwareHasNoScreenDump) {
    sim::SimOptions o;
    o.model = "Quarn1";
    o.firmware = "2.21";
    SimLink link(o);
    ASSERT_TRUE(link.connected);
    EXPECT_EQ(link.channel.Toolbar(), ToolbarKind::InstrumentWithoutScreenDump);
    InstrumentMenuState m = link.channel.MenuState();
    EXPECT_TRUE(m.getTrace && m.liveTrace && m.displayTrace && m.dataTransfer);
    EXPECT_FALSE(m.screenDump);
}

TEST(Connection, TransportFailuresAreShownAndReturnFalse) {
    SimLink link;
    ASSERT_TRUE(link.connected);
    link.port.m_nTcpReceiveWaitMs = 200;
    link.server->SetFault(sim::FaultKind::Silence);
    std::string reply;
    EXPECT_FALSE(link.channel.Transact("MMEM:LOAD:FIL?", reply));
    EXPECT_EQ(link.prompts.messages.back(), "Receive timeout ERROR");
    EXPECT_TRUE(link.channel.IsConnected());  // the flags stay as they were
}

TEST(Connection, LanWithoutAddressNeverOpensASocket) {
    SimLink link({}, false);
    link.settings.ipAddress = "0.0.0.0";
    link.channel.ConnectCommand();
    EXPECT_EQ(link.prompts.messages.back(), "No valid IP Address");
    EXPECT_EQ(link.server->CommandsSeen(), 0);
    EXPECT_FALSE(link.port.IsOpen());
}

TEST(Connection, SerialOverPseudoTerminal) {
    sim::SimServer server(sim::SimOptions{});
    const std::string slave = server.OpenPty();
    server.Start();
    CPort port;
    ConnectionSettings settings;
    settings.serialDevice = slave;
    ConnectionState state;
    test::RecordingPrompts prompts;
    CommandChannel channel(port, settings, state, prompts);
    ASSERT_TRUE(channel.ConnectInstrument(0));
    EXPECT_TRUE(state.serialConnected);
    EXPECT_EQ(channel.PaneText(), "COM1  57600 8-N-1");
    channel.Disconnect();
    // Closing lets "SYST:COMM:LOC" leave first: the instrument gets its keys back every time.
    for (int run = 0; run < 5; ++run) {
        ASSERT_TRUE(channel.ConnectInstrument(0));
        channel.Disconnect();
        std::vector<std::string> log;
        for (int i = 0; i < 100 && (log = server.CommandLog()).back() != "SYST:COMM:LOC"; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(log.back(), "SYST:COMM:LOC") << run;
    }
    // A silent serial instrument gives an empty identity: "not found".
    server.SetFault(sim::FaultKind::SilenceAll);
    EXPECT_FALSE(channel.ConnectInstrument(0));
    EXPECT_EQ(prompts.messages.back(), "Can't connect! Instrument not found.");
    server.Stop();
    s_strConnectedModel.clear();
}

TEST(ConnectDialog, CheckOkStoreAndDelete) {
    test::TempDir dir;
    SimLink link({}, false);
    ConnectDialogLogic dlg(link.channel, dir.path());
    dlg.Open({});
    EXPECT_EQ(dlg.tcpPort, std::to_string(link.tcpPort));
    dlg.linkKind = 1;
    dlg.ipAddress = "0.0.0.0";
    EXPECT_FALSE(dlg.CheckConnection());
    EXPECT_EQ(link.prompts.messages.back(), "No valid IP Address");
    dlg.ipAddress = "127.0.0.1";
    for (const char* bad : {"", " ", "my.profile"}) {
        dlg.profile = bad;
        EXPECT_FALSE(dlg.Store()) << bad;
        EXPECT_EQ(link.prompts.messages.back(), "No valid filename");
    }
    dlg.profile = "site7";
    EXPECT_TRUE(dlg.Store());
    EXPECT_EQ(dlg.profiles, std::vector<std::string>{"site7"});
    for (const char* port : {"80", "70000", "12ab", ""}) {
        dlg.tcpPort = port;
        EXPECT_FALSE(dlg.TcpPortValid()) << port;
    }
    dlg.tcpPort = std::to_string(link.tcpPort);
    EXPECT_TRUE(dlg.TcpPortValid());
    EXPECT_TRUE(dlg.Ok());
    EXPECT_EQ(dlg.status, "ZARNELL, Quarn2, 100742, 2.31");
    EXPECT_TRUE(link.channel.IsConnected());
    dlg.AfterClose();
    EXPECT_TRUE(std::filesystem::exists(dir / "default.dat"));
    EXPECT_EQ(dlg.profiles, std::vector<std::string>{"site7"});  // "default" is never listed
    dlg.Delete();
    EXPECT_TRUE(dlg.profiles.empty());
}

TEST(ConnectDialog, ProbeListsThePortsThatOpen) {
    sim::SimServer server(sim::SimOptions{});
    const std::string slave = server.OpenPty();
    setenv("FIELDLINK_COM3", slave.c_str(), 1);
    setenv("FIELDLINK_COM4", "/nonexistent/tty", 1);
    const auto ports = ProbeComPorts();
    unsetenv("FIELDLINK_COM3");
    unsetenv("FIELDLINK_COM4");
    bool found = false;
    for (const auto& p : ports) {
        if (p.name == "COM3") found = p.device == slave;
        EXPECT_NE(p.name, "COM4");
    }
    EXPECT_TRUE(found);
}

TEST(ConnectDialog, ProbingLeavesTheConnectedPortAlone) {
    // Connected by serial line with a reply waiting: listing the ports keeps both the line and the data.
    SimLink link({}, true, true);
    ASSERT_TRUE(link.connected);
    setenv("FIELDLINK_COM3", link.settings.serialDevice.c_str(), 1);
    link.port.SetTimeouts(25, 2, 1000, 0, 1000);
    link.port.Send("*IDN?");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the reply is in the input queue
    ProbeComPorts();
    unsetenv("FIELDLINK_COM3");
    std::string reply;
    link.port.Receive(reply);
    EXPECT_EQ(reply, "ZARNELL, Quarn2, 100742, 2.31\r\n");
}

TEST(Connection, ASilentLanInstrumentSaysTimeOutThenNotFound) {
    SimLink link({}, false);
    link.server->SetFault(sim::FaultKind::SilenceAll);
    link.port.m_nTcpReceiveWaitMs = 300;
    EXPECT_FALSE(link.channel.ConnectInstrument(1));
    ASSERT_GE(link.prompts.messages.size(), 2u)
        << (link.prompts.messages.empty() ? "" : link.prompts.messages[0]);
    const auto& m = link.prompts.messages;
    EXPECT_EQ(m[m.size() - 2].rfind("Receive timeout ERROR", 0), 0u) << m[m.size() - 2];
    EXPECT_EQ(m.back(), "Can't connect! Instrument not found.");
    EXPECT_FALSE(link.channel.IsConnected());
}

TEST(Simulator, AStuckSerialClientNeverStarvesATcpClient) {
    sim::SimServer server(sim::SimOptions{});
    const std::string slave = server.OpenPty();
    const int port = server.ListenTcp();
    server.SetFault(sim::FaultKind::Endless);  // data commands get a reply that never ends
    server.Start();
    // The serial client asks for a trace and never reads: the simulator's writes to it block.
    const int tty = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(tty, 0);
    termios t{};
    tcgetattr(tty, &t);
    cfmakeraw(&t);
    tcsetattr(tty, TCSANOW, &t);
    const std::string upload = "MMEM:UPL? TRAC,\"SPECTRUM\"\n";
    ASSERT_EQ(::write(tty, upload.data(), upload.size()), static_cast<ssize_t>(upload.size()));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // The TCP client is answered at once all the same.
    CPort p;
    p.m_nTcpReceiveWaitMs = 500;
    p.OpenTcp("127.0.0.1", port);
    const auto t0 = std::chrono::steady_clock::now();
    p.Send("*IDN?");
    std::string reply;
    p.Receive(reply);
    EXPECT_EQ(reply, "ZARNELL, Quarn2, 100742, 2.31\r\n");
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(400));
    p.Close();
    ::close(tty);
    server.Stop();
}

TEST(Simulator, AtLowBaudRatesEveryByteIsPacedAndRepliesArriveWhole) {
    // At 2400 baud 16 bytes take 67 ms, longer than the reader's 25 ms quiet interval.
    SimLink link({}, false, true);
    link.server->SetBaud(2400);
    ASSERT_TRUE(link.channel.ConnectInstrument(0));
    EXPECT_EQ(link.channel.LastIdentity(), "ZARNELL, Quarn2, 100742, 2.31\r\n");
}
