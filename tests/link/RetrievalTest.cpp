#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "CMyQuarnDoc.h"
#include "LinkTestUtil.h"
#include "LiveTrace.h"
#include "SampleTraces.h"
#include "SettingsText.h"
#include "TestUtil.h"
#include "TraceRetrieval.h"

using namespace fl;
using fl::test::SimLink;
using Clock = std::chrono::steady_clock;

namespace {

struct DocSink : ITraceSink {
    void NewDocument(const ParseRecord& parsed) override {
        docs.push_back(std::make_unique<CMyQuarnDoc>());
        docs.back()->OnNewDocument(parsed, DocEnvironment{});
    }
    void ReloadActive(const ParseRecord& parsed) override {
        if (docs.empty()) docs.push_back(std::make_unique<CMyQuarnDoc>());
        docs.back()->TakeOver(parsed, DocEnvironment{});
        ++reloads;
    }
    std::vector<std::unique_ptr<CMyQuarnDoc>> docs;
    int reloads = 0;
};

}  // namespace

TEST(Retrieval, ListReplies) {
    std::string many;
    for (int i = 0; i < 250; ++i)
        many += (i ? ",\"T" : "\"T") + std::to_string(i) + "\"";
    EXPECT_EQ(ParseTraceList(many).size(), 200u);
    EXPECT_EQ(ParseTraceList(many)[199], "T199");
    EXPECT_TRUE(ParseTraceList("\"\"").empty());
    EXPECT_TRUE(ParseTraceList("0\r\n").empty());
    // An empty instrument answers two quotes and CR LF: four bytes, but no name.
    EXPECT_TRUE(ParseTraceList("\"\"\r\n").empty());
    EXPECT_EQ(ParseTraceList("\"A, B,,C\"\r\n"), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(ParseTraceList("\"A\",\"B\"\r\n"), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(SelectionText({"A", "B"}), "\"A\"\"B\"");
    EXPECT_EQ(SelectionText({"A"}), "A");
}

TEST(Retrieval, EverySampleUploadsAsItsFileReads) {
    test::TempDir dir;
    SimLink link;
    ASSERT_TRUE(link.connected);
    std::vector<std::string> names;
    ASSERT_EQ(ListSavedTraces(link.channel, names), ListStatus::Ok);
    EXPECT_EQ(names.size(), sim::AllSampleTraces().size());
    DocSink sink;
    TraceRetrieval r(link.channel, sink);
    r.programFolder = dir.path();
    ASSERT_TRUE(r.TraceUpload(names));
    ASSERT_EQ(sink.docs.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        s_parsed.m_nMinMaxA = s_parsed.m_nMinMaxB = 0;
        CMyQuarnDoc fromFile;
        ASSERT_TRUE(fromFile.LoadBytes(test::ReadFile(test::SamplePath(names[i] + ".qtr"))).ok());
        const CMyQuarnDoc& d = *sink.docs[i];
        EXPECT_EQ(d.m_strTraceName, names[i]);
        EXPECT_EQ(d.GetTitle(), names[i]);
        EXPECT_TRUE(d.m_strPathName.empty());
        EXPECT_EQ(d.m_arrTraceA, fromFile.m_arrTraceA) << names[i];
        EXPECT_EQ(d.m_dCenter, fromFile.m_dCenter) << names[i];
        EXPECT_EQ(d.m_arrUserStateA, fromFile.m_arrUserStateA) << names[i];
    }
    // The last upload's lines are kept in test_in.txt.
    const auto lines = test::SplitLines(test::ReadFile(dir / "test_in.txt"), "\r\n");
    EXPECT_EQ(lines, sim::SampleTraceByName(names.back()).lines);
    EXPECT_TRUE(link.prompts.messages.empty());
}

TEST(Retrieval, DisplayActiveTraceNamesItAndCleansUp) {
    test::TempDir dir;
    SimLink link;
    DocSink sink;
    TraceRetrieval r(link.channel, sink);
    r.programFolder = dir.path();
    r.flags.displayMode = true;
    ASSERT_TRUE(r.DisplayActiveTrace());
    ASSERT_EQ(sink.docs.size(), 1u);
    EXPECT_EQ(sink.docs[0]->m_strTraceName, "active 23.03.2026  12:35:19");
    std::vector<std::string> names;
    ListSavedTraces(link.channel, names);
    EXPECT_EQ(std::count(names.begin(), names.end(), kTempTraceName), 0);
    r.flags.liveRunning = true;
    ASSERT_TRUE(r.DisplayActiveTrace());
    EXPECT_EQ(sink.docs[1]->m_strTraceName, "Live Trace");
}

TEST(Retrieval, FaultsGiveClearMessagesAndNoPartialDocument) {
    struct Case {
        sim::FaultKind fault;
        bool uploadResult;
        std::string message;  // empty: none
    };
    const Case cases[] = {
        {sim::FaultKind::Error, true, ""},  // a refused trace is skipped silently
        {sim::FaultKind::Silence, false, "Receive timeout ERROR"},
        // the connection ends mid-upload: the link is gone, and the message says how
        {sim::FaultKind::Drop, false,
         "The connection to the instrument was lost.\nReceive ERROR #104\nThe instrument closed the "
         "connection."},
        {sim::FaultKind::Endless, false, "Reply too long ERROR"},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        SimLink link;
        ASSERT_TRUE(link.connected);
        link.port.m_nTcpReceiveWaitMs = 300;
        link.server->SetFault(c.fault);
        DocSink sink;
        TraceRetrieval r(link.channel, sink);
        r.programFolder = dir.path();
        auto t0 = Clock::now();
        EXPECT_EQ(r.TraceUpload({"SPECTRUM"}), c.uploadResult);
        EXPECT_LT(Clock::now() - t0, std::chrono::seconds(5));
        EXPECT_TRUE(sink.docs.empty());
        if (c.message.empty())
            EXPECT_TRUE(link.prompts.messages.empty());
        else
            EXPECT_EQ(link.prompts.messages.back(), c.message);
    }
}

TEST(Retrieval, GarbageNeverCrashes) {
    SimLink link;
    link.port.m_nTcpReceiveWaitMs = 300;
    link.server->SetFault(sim::FaultKind::Garbage);
    DocSink sink;
    TraceRetrieval r(link.channel, sink);
    test::TempDir dir;
    r.programFolder = dir.path();
    std::vector<std::string> names;
    ListSavedTraces(link.channel, names);
    // Endless garbage lines: the upload gives up after a few of them instead of reading forever.
    auto t0 = Clock::now();
    EXPECT_FALSE(r.TraceUpload({"SPECTRUM"}));
    EXPECT_LT(Clock::now() - t0, std::chrono::seconds(3));
    EXPECT_EQ(link.prompts.messages.back(), kGarbageText);
    EXPECT_TRUE(sink.docs.empty());
    std::vector<double> trace;
    std::string reply;
    link.channel.Transact("SENSe:TRACe:DATa? A", reply);
    LiveTraceParse(reply, trace);
    EXPECT_EQ(trace.size(), 1002u);
}

TEST(Retrieval, NoDataModesShowAMessage) {
    SimLink link;
    link.server->AddTrace("SIGGEN",
                          {"# TRACE SIGGEN;   created: 2026/03/05 10:00:00", "INSTrument:SELect SGENerator"});
    link.server->AddTrace("EMPTY", {});
    DocSink sink;
    TraceRetrieval r(link.channel, sink);
    test::TempDir dir;
    r.programFolder = dir.path();
    ASSERT_TRUE(r.TraceUpload({"SIGGEN"}));
    EXPECT_TRUE(sink.docs.empty());
    EXPECT_EQ(link.prompts.messages.back(), "No data available.   \nSelect another mode.");
    // A trace whose first reply is "0" still makes a document, of the reading defaults.
    ASSERT_TRUE(r.TraceUpload({"EMPTY"}));
    ASSERT_EQ(sink.docs.size(), 1u);
    EXPECT_EQ(sink.docs[0]->m_strTraceName, "EMPTY");
    EXPECT_EQ(sink.docs[0]->m_arrTraceA[0], -999.0);
}

TEST(LiveTrace, ParseForms) {
    std::string hex;
    for (int i = 0; i < 1002; ++i)
        hex += i < 501 ? "7D0" : "000";
    std::vector<double> t;
    ParseRecord plain;
    LiveTraceParse("MINM," + hex + "\r\n", t, plain);
    EXPECT_EQ(t[0], 0.0);
    EXPECT_EQ(t[1], -200.0);
    EXPECT_EQ(t[1000], 0.0);
    EXPECT_EQ(t[1001], -200.0);
    LiveTraceParse("\"POS,7D0000\"", t, plain);
    EXPECT_EQ(t[0], 0.0);
    EXPECT_EQ(t[1], 0.0);
    EXPECT_EQ(t[2], -200.0);
    EXPECT_EQ(t[3], -200.0);
    EXPECT_EQ(t[4], 0.0);  // later points keep their values
    ParseRecord trans;
    trans.m_strMode = "TRANsmission";
    trans.m_strTransRefUnit = "DB";
    trans.m_dGenLevel = -10;
    LiveTraceParse("SAMP,7D0\r\n", t, trans);
    EXPECT_EQ(t[0], 10.0);
}

TEST(LiveTrace, SaveNames) {
    EXPECT_EQ(LiveSavePath("/out", "Trace", 0, 1), "/out/TRACE001.QTM");
    EXPECT_EQ(LiveSavePath("/out", "Trace", 1, 2), "/out/Trace002.txt");
    EXPECT_EQ(LiveSavePath("/out", "site", 10, 3), "/out/site003.tga");
    EXPECT_EQ(LiveSavePath("live/", "Trace", 0, 4), "live/TRACE004.QTM");
    EXPECT_EQ(LiveFileTypes().size(), 11u);
    // Saving continues after the highest file of the same name and type, whatever its case.
    struct Case {
        std::vector<std::string> present;
        int type;
        int first;
    };
    const Case cases[] = {
        {{}, 0, 1},
        {{"Trace002.QTM"}, 0, 3},
        {{"TRACE001.QTM", "trace017.qtm", "Trace999.txt"}, 0, 18},
        {{"Trace017.QTM", "Trace3.QTM", "TraceX01.QTM", "Other005.QTM"}, 1, 1},  // other type, no 3 digits
        {{"Trace1000.txt", "Trace002.txt"}, 1, 1001},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        for (const auto& name : c.present)
            test::WriteFile(dir / name, "");
        EXPECT_EQ(FirstFreeLiveNumber(dir.path(), "Trace", c.type), c.first)
            << ::testing::PrintToString(c.present);
    }
}

TEST(LiveTrace, OnlyTraceDataCountsAsAnUpdate) {
    const struct {
        const char* reply;
        bool data;
    } cases[] = {
        {"MINM,7d07d17d2\r\n", true},
        {"\"POS,7D0\"\r\n", true},
        {"", false},         // silence on a serial line
        {"ERR\r\n", false},  // refused
        {"-9999\r\n", false},
        {"MINM,\r\n", false},             // no level at all
        {"MINM,7d07x1\r\n", false},       // not hex
        {",7d0\r\n", false},              // no detector
        {"7d07d17d2\r\n", false},         // no comma
        {"MINM,7d0\x01\x02\r\n", false},  // noise
        {"MINM,7d07d1", false},           // cut off before its line end
    };
    for (const auto& c : cases)
        EXPECT_EQ(LiveDataProblem(c.reply).empty(), c.data) << c.reply;
    EXPECT_NE(LiveDataProblem("ERR\r\n").find("refused"), std::string::npos);
}

TEST(LiveTrace, CountedRunAndResultQueries) {
    SimLink link;
    ASSERT_TRUE(link.connected);
    MeasurementFlags flags;
    flags.Update("INSTrument:SELect CPOWer");
    std::vector<LiveUpdate> updates;
    std::mutex m;
    LiveTraceWorker worker(link.channel, flags);
    LiveSettings s;
    s.counted = true;
    s.count = 4;
    bool ended = false;
    worker.Start(
        s,
        [] {
            return LiveViewState{std::vector<double>(1002, -999.0), {}, false, 5};
        },
        [&](const LiveUpdate& u) {
            std::lock_guard lock(m);
            updates.push_back(u);
        },
        [&] { ended = true; });
    worker.Join();
    ASSERT_EQ(updates.size(), 3u);  // the first transfer is the fetch before the worker
    EXPECT_EQ(updates[0].number, 2);
    EXPECT_EQ(updates[2].number, 4);
    EXPECT_TRUE(ended);
    EXPECT_EQ(updates[0].result, LiveUpdate::Result::Measure);
    EXPECT_DOUBLE_EQ(updates[0].acprLower, -45.2);
    EXPECT_DOUBLE_EQ(updates[0].cpower, -21.4);
    EXPECT_DOUBLE_EQ(updates[0].obw, 246000);
    EXPECT_NE(updates[0].traceA[1], -999.0);
}

TEST(LiveTrace, StopsWithinAFractionOfASecondEvenInARead) {
    SimLink link;
    ASSERT_TRUE(link.connected);
    link.server->SetFault(sim::FaultKind::Silence);  // every data query hangs for the full wait
    MeasurementFlags flags;
    LiveTraceWorker worker(link.channel, flags);
    LiveSettings s;  // continuous
    int count = 0;
    worker.Start(
        s,
        [] {
            return LiveViewState{std::vector<double>(1002, -999.0), {}, false, 5};
        },
        [&](const LiveUpdate&) { ++count; }, {});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(worker.Running());
    link.server->SetFault(sim::FaultKind::None);
    auto t0 = Clock::now();
    worker.Stop();
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(500));
    EXPECT_FALSE(worker.Running());
    EXPECT_TRUE(link.prompts.messages.empty()) << link.prompts.messages[0];
    // The link is usable again after the resynchronisation.
    std::string reply;
    ASSERT_TRUE(link.channel.Transact("*IDN?", reply));
    EXPECT_EQ(reply, "ZARNELL, Quarn2, 100742, 2.31\r\n");
}

// A faulty instrument on a serial line: the upload ends within seconds with `message` and makes nothing.
void ExpectSerialUploadEnds(sim::FaultKind fault, int simBaud, const char* message) {
    SimLink link({}, true, true);
    ASSERT_TRUE(link.connected);
    link.port.SetTimeouts(25, 2, 300, 0, 1000);
    link.server->SetBaud(simBaud);
    link.server->SetFault(fault);
    DocSink sink;
    TraceRetrieval r(link.channel, sink);
    test::TempDir dir;
    r.programFolder = dir.path();
    const auto t0 = Clock::now();
    EXPECT_FALSE(r.TraceUpload({"SPECTRUM"}));
    EXPECT_LT(Clock::now() - t0, std::chrono::seconds(3));
    EXPECT_TRUE(sink.docs.empty());
    ASSERT_FALSE(link.prompts.messages.empty());
    EXPECT_EQ(link.prompts.messages.back(), message);
}

TEST(Retrieval, AFaultyInstrumentOnASerialLineEndsTheUploadWithinSeconds) {
    // A silent read over a serial line ends empty instead of failing: the first empty reply ends it.
    ExpectSerialUploadEnds(sim::FaultKind::Silence, 0, kSilentInstrumentText);
    // Garbage at the pace of a real line ends after a few replies, not after 5000 lines.
    ExpectSerialUploadEnds(sim::FaultKind::Garbage, 57600, kGarbageText);
}

TEST(Retrieval, Quarn1SerialFramingAndSlowBytes) {
    // Quarn1 reads byte by byte up to each line feed.
    sim::SimOptions o;
    o.model = "Quarn1";
    o.firmware = "2.30";
    SimLink link(o, true, true);
    ASSERT_TRUE(link.connected);
    DocSink sink;
    TraceRetrieval r(link.channel, sink);
    test::TempDir dir;
    r.programFolder = dir.path();
    ASSERT_TRUE(r.TraceUpload({"SPEC_Q1"}));
    ASSERT_EQ(sink.docs.size(), 1u);
    CMyQuarnDoc file;
    ASSERT_TRUE(file.Load(test::SamplePath("SPEC_Q1.qtr")).ok());
    EXPECT_EQ(sink.docs[0]->m_arrTraceA, file.m_arrTraceA);
    // Slow bytes (a few milliseconds apart) still make whole replies.
    link.server->AddTrace(
        "SHORT", {"# TRACE SHORT;   created: 2026/03/05 10:00:00", "SENSe:FREQuency:CENTer 1000000"});
    link.server->SetFault(sim::FaultKind::Slow);
    ASSERT_TRUE(r.TraceUpload({"SHORT"}));
    ASSERT_EQ(sink.docs.size(), 2u);
    EXPECT_EQ(sink.docs[1]->m_dCenter, 1000000.0);
    EXPECT_TRUE(link.prompts.messages.empty());
    link.channel.Disconnect();
}
