// Get Trace of 20 traces over loopback TCP from the desktop program's demo instrument: on the GUI thread
// as the program did before it had an instrument session, and as a session job (the window stays alive).
// The job must take no longer than the old way; both figures are reported.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "CChildFrame.h"
#include "CMainFrame.h"
#include "Instrument.h"
#include "TraceRetrieval.h"

namespace {

std::vector<std::string> TwentyNames(fl::CMainFrame& w) {
    std::vector<std::string> names;
    fl::ListSavedTraces(w.Inst().Channel(), names);
    std::vector<std::string> twenty;
    for (size_t i = 0; !names.empty() && twenty.size() < 20; ++i)
        twenty.push_back(names[i % names.size()]);
    return twenty;
}

void CloseAll(fl::CMainFrame& w) {
    for (fl::CChildFrame* f : w.Frames()) {
        f->confirmClose = {};
        f->close();
        delete f;
    }
}

void GetTwentyTraces(benchmark::State& state, bool asJob) {
    fl::CMainFrame w;
    if (!w.Inst().StartDemo()) return state.SkipWithError("no demo instrument");
    const auto names = TwentyNames(w);
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        if (asJob)
            w.Inst().UploadTraces(names);
        else
            w.Inst().Retrieval().TraceUpload(names);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        state.PauseTiming();
        if (static_cast<size_t>(w.Frames().size()) != names.size())
            state.SkipWithError("not every trace came");
        CloseAll(w);
        state.ResumeTiming();
    }
}
void BM_GetTwentyTracesOnTheGuiThread(benchmark::State& state) {
    GetTwentyTraces(state, false);
}
void BM_GetTwentyTracesAsASessionJob(benchmark::State& state) {
    GetTwentyTraces(state, true);
}
BENCHMARK(BM_GetTwentyTracesOnTheGuiThread)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetTwentyTracesAsASessionJob)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // A data folder of its own: the program writes its profile there.
    std::string home = (std::filesystem::temp_directory_path() / "fieldlink-bench-XXXXXX").string();
    if (mkdtemp(home.data())) setenv("FIELDLINK_HOME", home.c_str(), 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
    return 0;
}
