// Speed of the trace data core: parsing trace text, reading and writing stored traces, the ASCII report.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "AsciiExport.h"
#include "CMyQuarnDoc.h"
#include "SampleTraces.h"
#include "TraceLineParser.h"

namespace {

// A full instrument trace text of about 150 lines with 1002 points, as a fetch delivers it.
std::vector<std::string> FullTraceLines() {
    std::vector<std::string> lines = fl::sim::SampleTraceByName("SPECTRUM").lines;
    const std::vector<std::string> extra = fl::sim::SampleTraceByName("RFL_VSWR").lines;
    size_t i = 0;
    while (lines.size() < 150) {
        const std::string& l = extra[i++ % extra.size()];
        if (l.find("SENSe:TRACe:DATa ") == std::string::npos) lines.insert(lines.begin() + 20, l);
    }
    return lines;
}

void BM_ParseTraceText(benchmark::State& state) {
    const auto lines = FullTraceLines();
    size_t bytes = 0;
    for (const auto& l : lines)
        bytes += l.size() + 1;
    fl::ParseRecord rec;
    for (auto _ : state) {
        fl::TraceLineParser parser(rec);
        parser.ResetDefaults();
        for (const auto& l : lines)
            parser.ParseLine(l);
        parser.Finish();
        benchmark::DoNotOptimize(rec.m_arrTraceA.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["lines"] = static_cast<double>(lines.size());
}
BENCHMARK(BM_ParseTraceText);

std::string StoredBytes() {
    fl::CMyQuarnDoc doc;
    doc.LoadBytes(fl::sim::LineContainerBytes(FullTraceLines()));
    return doc.SerializeStored();
}

void BM_ReadQtm(benchmark::State& state) {
    const std::string bytes = StoredBytes();
    for (auto _ : state) {
        fl::CMyQuarnDoc doc;
        benchmark::DoNotOptimize(doc.LoadBytes(bytes));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ReadQtm)->Unit(benchmark::kMicrosecond);

void BM_WriteQtm(benchmark::State& state) {
    fl::CMyQuarnDoc doc;
    doc.LoadBytes(StoredBytes());
    for (auto _ : state)
        benchmark::DoNotOptimize(doc.SerializeStored());
}
BENCHMARK(BM_WriteQtm)->Unit(benchmark::kMicrosecond);

void BM_AsciiReport(benchmark::State& state) {
    fl::CMyQuarnDoc doc;
    doc.LoadBytes(StoredBytes());
    doc.m_bShowTraceB = 1;  // both traces: 1002 rows
    doc.m_nTraceModeB = fl::MAXHold;
    for (auto _ : state)
        benchmark::DoNotOptimize(fl::AsciiReportText(doc, true));
}
BENCHMARK(BM_AsciiReport)->Unit(benchmark::kMicrosecond);

// The process's peak resident memory so far, in bytes (VmHWM).
double PeakResidentBytes() {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) * 1024.0;
    return 0;
}

// A line container at the 64 MiB cap holding nothing but empty lines (67 million of them): the target is
// at most 2 s a read and at most twice the file in memory ("peak_per_file_byte", measured as the growth of
// the process's peak while reading; the file itself is counted, so 1 is the least possible).
void BM_LineContainerOfEmptyLines(benchmark::State& state) {
    std::string bytes(fl::kMaxTraceFileSize, '\0');
    bytes[0] = 'a';
    const double before = PeakResidentBytes();
    for (auto _ : state) {
        fl::CMyQuarnDoc doc;
        benchmark::DoNotOptimize(doc.LoadBytes(bytes).ok());
    }
    state.counters["peak_per_file_byte"] =
        (PeakResidentBytes() - before) / static_cast<double>(bytes.size()) + 1;
}
BENCHMARK(BM_LineContainerOfEmptyLines)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
