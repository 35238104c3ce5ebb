// Every instrument command of fieldlink-cli against an instrument that misbehaves part-way through it, over
// TCP and over a pseudo-terminal: the command ends in bounded time, fails when its work was not done, and
// leaves every file that was there as it was and nothing half-made behind.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <map>
#include <set>

#include "CliRunner.h"
#include "SimProcess.h"
#include "TestUtil.h"

using fl::test::Cli;
using fl::test::CliRun;
using fl::test::SimProcess;
namespace fs = std::filesystem;

namespace {

// Files a user already had in the output folder, with their bytes.
const std::map<std::string, std::string> kExisting = {
    {"SPECTRUM.QTR", "a user's own trace\r\n"},
    {"SPECTRUM.qtm", "a user's own stored trace"},
    {"shot.png", "a user's own picture"},
    {"Trace002.QTM", "a user's own live trace"},
};

struct Command {
    const char* name;
    std::string args;  // with DIR for the output folder
    // Where the fault starts: the n-th data command (after the listing, the start of a transfer, a few
    // upload lines or the first live update), or only on commands beginning with `on`.
    int from;
    const char* on;
};

const Command kCommands[] = {
    {"list", "list", 1, ""},
    {"get", "get SPECTRUM -o DIR --overwrite", 4, ""},
    {"put", "put " + fl::test::SamplePath("CPOWER.qtm") + " --overwrite", 3, ""},
    {"fetch", "fetch SPECTRUM -o DIR --overwrite", 4, ""},
    {"live", "live --count 3 --save DIR", 2, "SENSe:TRACe:DATa?"},
    {"screendump", "screendump -o DIR/shot.png", 100, ""},
};

// Faults the command never meets do no harm: those cells must succeed.
bool Harmless(const std::string& fault, const std::string& command) {
    if (fault == "noend") return command != "get" && command != "fetch";
    // The instrument's listings answer with names; "ERR" and "-9999" are for transfers and data.
    if (fault == "error" || fault == "minus9999") return command == "list";
    return false;
}

struct Outcome {
    std::string cell;
    CliRun run;
    double seconds;
    std::map<std::string, std::string> files;  // what the folder holds afterwards
};

Outcome RunCell(const std::string& fault, const std::string& link, const Command& c) {
    std::vector<std::string> simArgs = {"--fault", fault, "--fault-from", std::to_string(c.from)};
    if (*c.on) simArgs.insert(simArgs.end(), {"--fault-on", c.on});
    SimProcess sim(simArgs);
    fl::test::TempDir dir;
    for (const auto& [name, bytes] : kExisting)
        fl::test::WriteFile(dir / name, bytes);
    std::string args = c.args;
    for (size_t at; (at = args.find("DIR")) != std::string::npos;)
        args.replace(at, 3, dir.path());
    const auto t0 = std::chrono::steady_clock::now();
    // The outer time-out only keeps a hung command from hanging the test.
    CliRun run = Cli(args + " " + (link == "tcp" ? sim.Tcp() : sim.Serial()));
    Outcome o{fault + " x " + link + " x " + c.name,
              run,
              std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(),
              {}};
    for (const auto& e : fs::directory_iterator(dir.path()))
        o.files[e.path().filename().string()] = fl::test::ReadFile(e.path().string());
    return o;
}

class FaultMatrix : public testing::TestWithParam<const char*> {};

TEST_P(FaultMatrix, EveryCommandEndsSaysSoAndKeepsTheUsersFiles) {
    const std::string fault = GetParam();
    for (const std::string link : {"tcp", "pty"}) {
        if (fault == "crawl" && link == "tcp") continue;  // bytes 300 ms apart: a serial line's fault
        std::vector<std::future<Outcome>> cells;
        for (const Command& c : kCommands)
            cells.push_back(std::async(std::launch::async, RunCell, fault, link, c));
        for (size_t i = 0; i < cells.size(); ++i) {
            const Outcome o = cells[i].get();
            const std::string command = kCommands[i].name;
            SCOPED_TRACE(o.cell + "\nstdout: " + o.run.out + "\nstderr: " + o.run.err);
            EXPECT_LT(o.seconds, 60.0);
            const bool harmless = Harmless(fault, command);
            EXPECT_EQ(o.run.status, harmless ? 0 : 1);
            if (!harmless) {
                EXPECT_FALSE(o.run.err.empty());
            }
            // The files that were there: untouched when the command failed; a successful get, fetch or
            // screendump with --overwrite replaced only its own target.
            for (const auto& [name, bytes] : kExisting) {
                const bool target = harmless && ((command == "get" && name == "SPECTRUM.QTR") ||
                                                 (command == "fetch" && name == "SPECTRUM.qtm") ||
                                                 (command == "screendump" && name == "shot.png"));
                ASSERT_TRUE(o.files.count(name)) << name;
                if (!target) {
                    EXPECT_EQ(o.files.at(name), bytes) << name;
                }
            }
            // Nothing new but the live updates that were real, each one said on stdout; no temporary file.
            std::set<std::string> saved;
            for (const auto& [name, bytes] : o.files)
                if (!kExisting.count(name)) saved.insert(name);
            for (const auto& name : saved) {
                EXPECT_EQ(command, "live") << "left behind: " << name;
                EXPECT_NE(o.run.out.find(name), std::string::npos) << name;
            }
            if (command == "live") {
                EXPECT_EQ(saved.size(), harmless ? 3u : 2u);  // updates 1 and 2 were real
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix,
                         testing::Values("silence", "error", "minus9999", "drop", "garbage", "garbage-noeol",
                                         "endless", "noend", "crawl"),
                         [](const testing::TestParamInfo<const char*>& param) {
                             std::string name = param.param;
                             std::erase(name, '-');
                             return name;
                         });

}  // namespace
