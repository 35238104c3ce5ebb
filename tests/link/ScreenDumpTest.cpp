#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include <chrono>
#include <thread>

#include "InstrumentModel.h"
#include "LinkTestUtil.h"
#include "ScreenDump.h"

using namespace fl;
using fl::test::SimLink;
using Clock = std::chrono::steady_clock;

TEST(ScreenDump, ColourAndLineReplies) {
    std::array<uint8_t, 3> rgb{};
    ASSERT_TRUE(ParseColourReply("ff0000abc", rgb));
    EXPECT_EQ(rgb, (std::array<uint8_t, 3>{255, 0, 0}));
    EXPECT_FALSE(ParseColourReply("ff00", rgb));
    std::vector<uint8_t> line(640, 9);
    DecodeScreenLine("0a05ff01", line.data());
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(line[x], 5);
    for (int x = 10; x < 265; ++x)
        ASSERT_EQ(line[x], 1) << x;
    EXPECT_EQ(line[265], 9);  // the rest keeps what it held
    // A run past pixel 639 is cut; a trailing partial pair is ignored.
    std::vector<uint8_t> full(640, 0);
    DecodeScreenLine("ff02ff03ff04ff05abc", full.data());
    EXPECT_EQ(full[639], 4);
    EXPECT_EQ(full.size(), 640u);
    DecodeScreenLine("", full.data());
    DecodeScreenLine("zz", full.data());
    // Only the expected hex forms are taken: noise of six characters or more never becomes a picture.
    for (const auto& [reply, colour, lineForm] : std::vector<std::tuple<std::string, bool, bool>>{
             {"ff0000", true, true},
             {"FF00a0xyz", true, false},  // a colour reply counts by its first six characters
             {"0a05ff01", true, true},
             {"ff00", false, false},
             {"ff00g0", false, false},
             {"#!%&$(", false, false},
             {"0a05ff01 ", true, false}}) {
        EXPECT_EQ(ColourReplyForm(reply), colour) << reply;
        EXPECT_EQ(LineReplyForm(reply), lineForm) << reply;
    }
}

TEST(ScreenDump, ReadsTheSimulatedScreenOverTcp) {
    SimLink link;
    ASSERT_TRUE(link.connected);
    ScreenDump dump(link.channel);
    dump.Open();
    int lastLine = -1;
    std::string lastStatus;
    ASSERT_EQ(dump.ReadScreen([&](int phase, int pos, const std::string& status) {
        if (phase == 1) lastLine = pos;
        lastStatus = status;
    }),
              ScreenDump::Result::Ok);
    EXPECT_EQ(lastLine, 480);
    EXPECT_EQ(lastStatus, "Reading Screen...   100%");
    sim::InstrumentModel model{sim::SimOptions{}};
    EXPECT_TRUE(dump.Indices() == model.ScreenIndices());
    const Bitmap24 pic = dump.Picture();
    EXPECT_EQ(pic.width, 640);
    EXPECT_EQ(pic.Row(0)[0], 255);  // white background
    dump.Close();
    EXPECT_TRUE(link.channel.IsConnected());
    EXPECT_FALSE(link.port.m_bPaced);
    std::string reply;
    ASSERT_TRUE(link.channel.Transact("*IDN?", reply));
}

TEST(ScreenDump, RetryRule) {
    for (int shortReplies : {5, 6}) {
        SimLink link;
        link.server->SetScreenShortReplies(shortReplies);
        ScreenDump dump(link.channel);
        dump.Open();
        const auto result = dump.ReadScreen();
        if (shortReplies == 5) {
            EXPECT_EQ(result, ScreenDump::Result::Ok);
            EXPECT_TRUE(link.prompts.messages.empty());
        } else {
            EXPECT_EQ(result, ScreenDump::Result::Failed);
            EXPECT_EQ(link.prompts.messages.back(), kTransferFailedText);
        }
    }
}

// Opens the dump, starts a read on a silent instrument and aborts it a moment later, as Abort and Exit do.
ScreenDump::Result AbortAReadInProgress(SimLink& link, ScreenDump& dump) {
    dump.Open();
    link.server->SetFault(sim::FaultKind::SilenceAll);
    link.port.m_nTcpReceiveWaitMs = 5000;
    ScreenDump::Result result = ScreenDump::Result::Ok;
    std::thread worker([&] { result = dump.ReadScreen(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto t0 = Clock::now();
    dump.Abort();
    worker.join();
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(500));
    return result;
}

TEST(ScreenDump, AbortEndsTheReadAtOnceAndTheLinkComesBack) {
    SimLink link;
    ScreenDump dump(link.channel);
    const ScreenDump::Result result = AbortAReadInProgress(link, dump);
    EXPECT_EQ(result, ScreenDump::Result::Aborted);
    EXPECT_TRUE(link.prompts.messages.empty());
    link.server->SetFault(sim::FaultKind::None);
    dump.ReopenLink();
    EXPECT_TRUE(link.channel.IsConnected());
    std::string reply;
    ASSERT_TRUE(link.channel.Transact("*IDN?", reply));
    EXPECT_EQ(reply, "ZARNELL, Quarn2, 100742, 2.31\r\n");
}

TEST(ScreenDump, ExitDuringAReadGivesTheInstrumentItsScreenBack) {
    SimLink link;
    ScreenDump dump(link.channel);
    AbortAReadInProgress(link, dump);  // what Exit does while reading
    link.server->SetFault(sim::FaultKind::None);
    dump.Close();
    const auto log = link.server->CommandLog();
    ASSERT_FALSE(log.empty());
    EXPECT_NE(std::find(log.begin(), log.end(), "SYST:SCR:REM ON"), log.end());
    EXPECT_TRUE(link.channel.IsConnected());
}

TEST(ScreenDump, PacedSerialTransfer) {
    SimLink link({}, true, true);
    ASSERT_TRUE(link.connected);
    ScreenDump dump(link.channel);
    dump.Open();
    EXPECT_TRUE(link.port.m_bPaced);
    ASSERT_EQ(dump.ReadScreen(), ScreenDump::Result::Ok);
    sim::InstrumentModel model{sim::SimOptions{}};
    EXPECT_TRUE(dump.Indices() == model.ScreenIndices());
    dump.Close();
    EXPECT_TRUE(link.state.serialConnected);
}
