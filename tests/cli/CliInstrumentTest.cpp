// fieldlink-cli against a running quarn-sim process, over TCP and over a pseudo-terminal.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "CMyQuarnDoc.h"
#include "CliRunner.h"
#include "SimProcess.h"
#include "TestUtil.h"

using fl::test::Cli;
using fl::test::CliRun;
using fl::test::SamplePath;

using fl::test::SimProcess;

TEST(CliInstrument, IdentifyListFetchOverTcpAndSerial) {
    SimProcess sim;
    const std::string tcp = "--tcp 127.0.0.1:" + std::to_string(sim.port);
    const std::string serial = "--serial " + sim.link;
    for (const std::string& conn : {tcp, serial}) {
        CliRun id = Cli("identify " + conn);
        ASSERT_EQ(id.status, 0) << id.err;
        EXPECT_EQ(id.out.substr(0, 30), "ZARNELL, Quarn2, 100742, 2.31\n");
        CliRun list = Cli("list " + conn);
        ASSERT_EQ(list.status, 0) << list.err;
        EXPECT_NE(list.out.find("SPECTRUM  12.03.2026  10:15:00\n"), std::string::npos) << list.out;
        EXPECT_NE(list.out.find("ZERO_SPAN  "), std::string::npos);
        fl::test::TempDir dir;
        CliRun fetch = Cli("fetch SPECTRUM DTF_DB " + conn + " -o " + dir.path());
        ASSERT_EQ(fetch.status, 0) << fetch.err;
        for (const char* name : {"SPECTRUM", "DTF_DB"}) {
            fl::CMyQuarnDoc fetched, file;
            ASSERT_TRUE(fetched.Load(dir / (std::string(name) + ".qtm")).ok());
            ASSERT_TRUE(file.Load(SamplePath(std::string(name) + ".qtr")).ok());
            EXPECT_EQ(fetched.m_arrTraceA, file.m_arrTraceA) << name << conn;
            EXPECT_EQ(fetched.m_strTraceName, name);
        }
        CliRun missing = Cli("fetch NOPE " + conn + " -o " + dir.path());
        EXPECT_EQ(missing.status, 1);
        EXPECT_NE(missing.err.find("NOPE"), std::string::npos);
    }
}

TEST(CliInstrument, ActiveAndLiveTraces) {
    SimProcess sim;
    const std::string tcp = "--tcp 127.0.0.1:" + std::to_string(sim.port);
    fl::test::TempDir dir;
    CliRun active = Cli("fetch --active " + tcp + " -o " + dir.path());
    ASSERT_EQ(active.status, 0) << active.err;
    EXPECT_TRUE(std::filesystem::exists(dir / "active.qtm"));
    CliRun live = Cli("live --count 3 " + tcp + " --save " + (dir / "live") + " --type txt");
    ASSERT_EQ(live.status, 0) << live.err;
    for (const char* f : {"Trace001.txt", "Trace002.txt", "Trace003.txt"})
        EXPECT_TRUE(std::filesystem::exists(dir / (std::string("live/") + f))) << f;
    EXPECT_FALSE(std::filesystem::exists(dir / "live/Trace004.txt"));
}

TEST(CliInstrument, RefusedAndUnreachableInstruments) {
    SimProcess old({"--model", "Quarn1", "--firmware", "2.19"});
    CliRun r = Cli("identify --tcp 127.0.0.1:" + std::to_string(old.port));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Update your Quarn1 SW-Version up to 2.20 or higher"), std::string::npos) << r.err;
    CliRun none = Cli("identify --tcp 127.0.0.1:1");
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("Connect ERROR #111"), std::string::npos) << none.err;
    CliRun usage = Cli("identify");
    EXPECT_EQ(usage.status, 1);
}

TEST(CliInstrument, GpsFixesFromTheSimulatedReceiver) {
    fl::test::TempDir dir;
    const std::string link = dir / "gps";
    const pid_t pid = fork();
    if (pid == 0) {
        freopen("/dev/null", "w", stdout);
        execl(QUARN_SIM, QUARN_SIM, "--gps-pty", link.c_str(), "--gps-interval", "100", nullptr);
        _exit(127);
    }
    for (int i = 0; i < 200 && access(link.c_str(), F_OK) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    CliRun r = Cli("gps --serial " + link + " --count 2");
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    ASSERT_EQ(r.status, 0) << r.err;
    // One line per epoch, after its RMC and its GGA: every line has the epoch's own altitude and satellites.
    const auto lines = fl::test::SplitLines(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    for (const auto& l : lines) {
        EXPECT_NE(l.find("Data OK"), std::string::npos) << l;
        EXPECT_NE(l.find("sat 08"), std::string::npos) << l;
        EXPECT_NE(l.find("545.4 M"), std::string::npos) << l;
    }
    CliRun missing = Cli("gps --serial /nonexistent/gps --count 1");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Can't open port."), std::string::npos);
}

TEST(CliInstrument, ScreenDumpIntoAnyFormat) {
    SimProcess sim;
    fl::test::TempDir dir;
    for (const char* name : {"screen.png", "screen.bmp", "screen.tif"}) {
        CliRun r = Cli("screendump --tcp 127.0.0.1:" + std::to_string(sim.port) + " -o " + (dir / name));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_GT(std::filesystem::file_size(dir / name), 1000u) << name;
    }
    CliRun serial = Cli("screendump --serial " + sim.link + " -o " + (dir / "serial.ppm"));
    ASSERT_EQ(serial.status, 0) << serial.err;
    EXPECT_EQ(fl::test::ReadFile(dir / "serial.ppm").substr(0, 15), "P6\n640 480\n255\n");
    CliRun bad = Cli("screendump --tcp 127.0.0.1:" + std::to_string(sim.port) + " -o " + (dir / "x.gif"));
    EXPECT_EQ(bad.status, 1);
}

TEST(CliInstrument, FilesOfEveryKindBothWays) {
    SimProcess sim({"--model", "Quarn3"});
    const std::string tcp = " --tcp 127.0.0.1:" + std::to_string(sim.port);
    fl::test::TempDir dir;
    for (const char* kind :
         {"settings", "limits", "channels", "edev", "cabletypes", "antenna", "cablefactors"}) {
        CliRun list = Cli(std::string("list --kind ") + kind + tcp);
        ASSERT_EQ(list.status, 0) << kind << list.err;
        const std::string name = list.out.substr(0, list.out.find(' '));
        CliRun get = Cli(std::string("get ") + name + " --kind " + kind + tcp + " -o " + dir.path());
        ASSERT_EQ(get.status, 0) << kind << get.err;
        const std::string path = get.out.substr(0, get.out.find('\n'));
        EXPECT_TRUE(std::filesystem::exists(path)) << path;
        // Existing PC files are kept unless --overwrite, and the command says so and fails.
        CliRun again = Cli(std::string("get ") + name + " --kind " + kind + tcp + " -o " + dir.path());
        EXPECT_EQ(again.status, 1);
        EXPECT_NE(again.err.find("already exists, not copied"), std::string::npos) << again.err;
        CliRun replace =
            Cli(std::string("get ") + name + " --kind " + kind + tcp + " -o " + dir.path() + " --overwrite");
        EXPECT_EQ(replace.status, 0) << replace.err;
        EXPECT_NE(replace.err.find("already existed and was replaced"), std::string::npos) << replace.err;
    }
    // Kinds by keyword, extension or singular, in any case.
    for (const char* alias : {"LIM", ".qlm", "limit", "Limits"})
        EXPECT_EQ(Cli(std::string("list --kind ") + alias + tcp).status, 0) << alias;
    // A limit file goes back under a new name and is deleted again.
    std::filesystem::copy_file(dir / "GSM_MASK.QLM", dir / "copy mask.QLM");
    CliRun put = Cli("put '" + (dir / "copy mask.QLM") + "'" + tcp);
    ASSERT_EQ(put.status, 0) << put.err;
    EXPECT_EQ(put.out, "COPY_MASK\n");
    CliRun listed = Cli("list --kind limits" + tcp);
    EXPECT_NE(listed.out.find("COPY_MASK"), std::string::npos);
    ASSERT_EQ(Cli("delete COPY_MASK --kind limits" + tcp).status, 0);
    EXPECT_EQ(Cli("list --kind limits" + tcp).out.find("COPY_MASK"), std::string::npos);
    // A trace file from the PC arrives as the instrument's settings text.
    CliRun trace = Cli("put " + SamplePath("CPOWER.qtm") + tcp);
    EXPECT_EQ(trace.status, 1);  // CPOWER is there already
    trace = Cli("put " + SamplePath("CPOWER.qtm") + " --overwrite" + tcp);
    ASSERT_EQ(trace.status, 0) << trace.err;
    CliRun back = Cli("get CPOWER --overwrite" + tcp + " -o " + dir.path());
    ASSERT_EQ(back.status, 0) << back.err;
    // A usage error exits 2 and lists the valid kinds; a missing file to delete fails and says so.
    CliRun nonsense = Cli("list --kind nonsense" + tcp);
    EXPECT_EQ(nonsense.status, 2);
    EXPECT_NE(nonsense.err.find("cablefactors (CFAC, .QCF)"), std::string::npos) << nonsense.err;
    CliRun missing = Cli("delete NOSUCHFILE --kind limits" + tcp);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("NOSUCHFILE: no such limits file"), std::string::npos) << missing.err;
}

TEST(CliInstrument, ConnectionOptionsBeforeOrAfterTheCommand) {
    SimProcess sim;
    const std::string tcp = "--tcp 127.0.0.1:" + std::to_string(sim.port);
    CliRun after = Cli("identify " + tcp);
    CliRun before = Cli(tcp + " identify");
    EXPECT_EQ(after.status, 0) << after.err;
    EXPECT_EQ(before.status, 0) << before.err;
    EXPECT_EQ(before.out, after.out);
}

TEST(CliInstrument, TimeoutBoundsAHungInstrument) {
    SimProcess sim({"--fault", "silence-all"});
    const auto t0 = std::chrono::steady_clock::now();
    CliRun r = Cli("identify --tcp 127.0.0.1:" + std::to_string(sim.port) + " --timeout 1");
    EXPECT_EQ(r.status, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(4));
    EXPECT_NE(r.err.find("--timeout"), std::string::npos) << r.err;
    EXPECT_EQ(Cli("--timeout 0 identify --tcp 127.0.0.1:1").status, 2);  // a usage error
}

TEST(CliInstrument, AnErrorIsPrintedOnce) {
    CliRun r = Cli("identify --tcp 127.0.0.1:1");
    EXPECT_EQ(r.status, 1);
    size_t count = 0;
    for (size_t at = r.err.find("Connect ERROR #111"); at != std::string::npos;
         at = r.err.find("Connect ERROR #111", at + 1))
        ++count;
    EXPECT_EQ(count, 1u) << r.err;
    EXPECT_NE(r.err.find("Connection refused"), std::string::npos) << r.err;
}

TEST(CliInstrument, AddressesNamesAndFilesAsTheProgramTreatsThem) {
    SimProcess sim({"--model", "Quarn3"});
    fl::test::TempDir dir;
    // The unset address is refused as the Connect command refuses it; a failed lookup says why in the
    // resolver's words, not with an error number it never gave.
    CliRun unset = Cli("identify --tcp 0.0.0.0:" + std::to_string(sim.port));
    EXPECT_EQ(unset.status, 1);
    EXPECT_NE(unset.err.find("No valid IP Address"), std::string::npos) << unset.err;
    CliRun unknown = Cli("identify --tcp no-such-host.invalid");
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("GetHostByName ERROR\n"), std::string::npos) << unknown.err;
    EXPECT_EQ(unknown.err.find("ERROR #"), std::string::npos) << unknown.err;
    // fetch replaces a file only when told to.
    ASSERT_EQ(Cli("fetch SPECTRUM -o " + dir.path() + " " + sim.Tcp()).status, 0);
    fl::test::WriteFile(dir / "SPECTRUM.qtm", "mine");
    CliRun again = Cli("fetch SPECTRUM -o " + dir.path() + " " + sim.Tcp());
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("already exists, not fetched"), std::string::npos) << again.err;
    EXPECT_EQ(fl::test::ReadFile(dir / "SPECTRUM.qtm"), "mine");
    EXPECT_EQ(Cli("fetch SPECTRUM --overwrite -o " + dir.path() + " " + sim.Tcp()).status, 0);
    EXPECT_NE(fl::test::ReadFile(dir / "SPECTRUM.qtm"), "mine");
    // Instrument names are upper-cased by the code page's rule: \u00fcbung becomes \u00dcBUNG.
    fl::test::WriteFile(dir /
                            "\xC3\xBC"
                            "bung.QSY",
                        "Name;x\r\n");
    CliRun put = Cli("put " +
                     (dir / "\xC3\xBC"
                            "bung.QSY") +
                     " " + sim.Tcp());
    ASSERT_EQ(put.status, 0) << put.err;
    EXPECT_EQ(put.out,
              "\xC3\x9C"
              "BUNG\n");
    EXPECT_NE(Cli("list --kind channels " + sim.Tcp())
                  .out.find("\xC3\x9C"
                            "BUNG  "),
              std::string::npos);
    // Saved live updates continue after the files already there and never replace one.
    std::filesystem::create_directories(dir / "live");
    fl::test::WriteFile(dir / "live/Trace002.QTM", "mine");
    CliRun live = Cli("live --count 2 --save " + (dir / "live") + " " + sim.Tcp());
    ASSERT_EQ(live.status, 0) << live.err;
    EXPECT_NE(live.out.find("TRACE003.QTM"), std::string::npos) << live.out;
    EXPECT_NE(live.out.find("TRACE004.QTM"), std::string::npos) << live.out;
    EXPECT_EQ(fl::test::ReadFile(dir / "live/Trace002.QTM"), "mine");
}
