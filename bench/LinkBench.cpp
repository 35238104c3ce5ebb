// Speed of the instrument link against quarn-sim: live updates over loopback TCP, and a trace upload over
// a paced pseudo-terminal compared with the time its bytes need on a real line.
#include <benchmark/benchmark.h>

#include <chrono>

#include "CommandChannel.h"
#include "LiveTrace.h"
#include "SampleTraces.h"
#include "ScreenDump.h"
#include "SimServer.h"
#include "TraceRetrieval.h"

namespace {

struct NullSink : fl::ITraceSink {
    void NewDocument(const fl::ParseRecord&) override { ++made; }
    void ReloadActive(const fl::ParseRecord&) override { ++made; }
    int made = 0;
};

struct Link {
    explicit Link(int baud = 0, bool serial = false, fl::sim::SimOptions options = {})
        : server(std::move(options)), channel(port, settings, state, prompts) {
        server.SetBaud(baud);
        if (serial) {
            settings.serialDevice = server.OpenPty();
            settings.baudRate = std::to_string(baud ? baud : 57600);
        } else {
            settings.tcpPort = server.ListenTcp();
            settings.ipAddress = "127.0.0.1";
        }
        server.Start();
        connected = channel.ConnectInstrument(serial ? 0 : 1);
    }
    fl::sim::SimServer server;
    fl::CPort port;
    fl::ConnectionSettings settings;
    fl::ConnectionState state;
    fl::StderrPrompts prompts;
    fl::CommandChannel channel;
    bool connected = false;
};

// One live update's exchange and decoding, without the worker's pacing wait.
void BM_LiveUpdateExchangeTcp(benchmark::State& state) {
    Link link;
    if (!link.connected) return state.SkipWithError("no connection");
    std::string reply;
    std::vector<double> trace;
    for (auto _ : state) {
        link.channel.Transact("SENSe:TRACe:DATa? A", reply);
        fl::LiveTraceParse(reply, trace);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LiveUpdateExchangeTcp)->Unit(benchmark::kMicrosecond);

// The live trace worker with an interval of 0: updates per second, its 10 ms pause included. The limit is
// one update per pause plus one bare data exchange (measured here first); "ratio" is the rate reached over
// that limit, and the checks on every reply must keep it at 0.95 or more.
void BM_LiveWorkerTcp(benchmark::State& state) {
    Link link;
    if (!link.connected) return state.SkipWithError("no connection");
    std::string reply;
    constexpr int kProbe = 50;
    const auto p0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kProbe; ++i)
        link.channel.Transact("SENSe:TRACe:DATa? A", reply);
    const double exchange =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - p0).count() / kProbe;
    const double limit = 1.0 / (0.010 + exchange);
    fl::MeasurementFlags flags;
    for (auto _ : state) {
        fl::LiveTraceWorker worker(link.channel, flags);
        fl::LiveSettings s;
        s.counted = true;
        s.count = 51;
        int updates = 0;
        auto t0 = std::chrono::steady_clock::now();
        worker.Start(
            s,
            [] {
                return fl::LiveViewState{std::vector<double>(1002, -999.0), {}, false, 5};
            },
            [&](const fl::LiveUpdate&) { ++updates; }, {});
        worker.Join();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.SetIterationTime(seconds);
        state.counters["updates_per_s"] = updates / seconds;
        state.counters["limit_per_s"] = limit;
        state.counters["ratio"] = updates / seconds / limit;
    }
}
BENCHMARK(BM_LiveWorkerTcp)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// A full trace upload over a pseudo-terminal paced at 57600 baud, against the wire time of the reply
// bytes plus the 25 ms of quiet line that ends every serial reply.
void BM_SerialUploadPaced57600(benchmark::State& state) {
    constexpr int kBaud = 57600;
    Link link(kBaud, true);
    if (!link.connected) return state.SkipWithError("no connection");
    const auto lines = fl::sim::SampleTraceByName("SPECTRUM").lines;
    double replyBytes = 3;  // the closing "0\r\n"
    double commandBytes = std::string("MMEM:UPL? TRAC,\"SPECTRUM\"\n").size();
    for (const auto& l : lines) {
        replyBytes += static_cast<double>(l.size()) + 2;
        commandBytes += std::string("MMEM:UPL? NEXT\n").size();
    }
    const double exchanges = static_cast<double>(lines.size()) + 1;
    const double expected = replyBytes * 10 / kBaud + exchanges * 0.025;
    NullSink sink;
    fl::TraceRetrieval retrieval(link.channel, sink);
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        retrieval.TraceUpload({"SPECTRUM"});
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.SetIterationTime(seconds);
        state.counters["measured_s"] = seconds;
        state.counters["wire_plus_quiet_s"] = expected;
        state.counters["ratio"] = seconds / expected;
        state.counters["with_commands_s"] = expected + commandBytes * 10 / kBaud;
    }
}
BENCHMARK(BM_SerialUploadPaced57600)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// Live data exchanges ("SENSe:TRACe:DATa? A", a reply of about 3 KB) over a pseudo-terminal paced at
// 57600 baud, against the least time the framing allows: for a Quarn1 the command goes a byte per
// millisecond and the reply is read to its line feed; for a Quarn2 the command goes in one piece and the
// reply ends after 25 ms of quiet line. "ratio" is that limit over the measured time (1.0 is the limit).
void SerialExchanges(benchmark::State& state, const char* model, bool pacedSim = true) {
    constexpr int kBaud = 57600;
    fl::sim::SimOptions o;
    o.model = model;
    if (std::string(model) == "Quarn1") o.firmware = "2.30";
    Link link(pacedSim ? kBaud : 0, true, o);
    if (!link.connected) return state.SkipWithError("no connection");
    const std::string command = "SENSe:TRACe:DATa? A";
    std::string reply;
    link.channel.Transact(command, reply);
    // Unpaced, the simulator's reply is there at once: the limit is the command and the framing alone.
    const double replyWire = pacedSim ? static_cast<double>(reply.size()) * 10 / kBaud : 0.0;
    const bool quarn1 = std::string(model) == "Quarn1";
    const double commandTime =
        quarn1 ? (command.size() + 1) * 0.001 : static_cast<double>(command.size() + 1) * 10 / kBaud;
    const double limit = commandTime + replyWire + (quarn1 ? 0.0 : 0.025);
    for (auto _ : state) {
        constexpr int kExchanges = 20;
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < kExchanges; ++i)
            link.channel.Transact(command, reply);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.SetIterationTime(seconds / kExchanges);
        state.counters["exchanges_per_s"] = kExchanges / seconds;
        state.counters["limit_per_s"] = 1 / limit;
        state.counters["ratio"] = limit * kExchanges / seconds;
    }
}
void BM_SerialExchangesQuarn1(benchmark::State& state) {
    SerialExchanges(state, "Quarn1");
}
void BM_SerialExchangesQuarn2(benchmark::State& state) {
    SerialExchanges(state, "Quarn2");
}
void BM_SerialExchangesQuarn1Unpaced(benchmark::State& state) {
    SerialExchanges(state, "Quarn1", false);
}
void BM_SerialExchangesQuarn2Unpaced(benchmark::State& state) {
    SerialExchanges(state, "Quarn2", false);
}
BENCHMARK(BM_SerialExchangesQuarn1)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SerialExchangesQuarn1Unpaced)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SerialExchangesQuarn2Unpaced)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SerialExchangesQuarn2)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

// A full screen dump over loopback TCP: 256 colour and 480 line exchanges.
void BM_ScreenDumpTcp(benchmark::State& state) {
    Link link;
    if (!link.connected) return state.SkipWithError("no connection");
    fl::ScreenDump dump(link.channel);
    dump.Open();
    for (auto _ : state)
        benchmark::DoNotOptimize(dump.ReadScreen());
    state.counters["exchanges"] = 736;
}
BENCHMARK(BM_ScreenDumpTcp)->Unit(benchmark::kMillisecond);

}  // namespace
