// The survey report: 100 traces into one PDF (target: under 3 s), against one page into the PDF writer
// and one page into an image, so the cost per report page can be read off against a single render.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QPdfWriter>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>

#include "CMyQuarnDoc.h"
#include "PageRenderer.h"
#include "SampleTraces.h"
#include "SurveyReport.h"

namespace {

std::shared_ptr<fl::CMyQuarnDoc> Sample(const char* name) {
    auto d = std::make_shared<fl::CMyQuarnDoc>();
    d->LoadBytes(fl::sim::LineContainerBytes(fl::sim::SampleTraceByName(name).lines));
    d->m_bShowLevelPanel = d->m_bShowStatusPanel = d->m_bShowTracePanel = d->m_bShowInstrumentPanel = 1;
    d->m_strPathName = std::string("/survey/site/") + name + ".qtr";
    return d;
}

std::vector<fl::ReportItem> Items(int count) {
    const char* names[] = {"SPECTRUM", "ACPR", "CPOWER", "DTF_DB", "RFL_VSWR", "TRANS_ABS", "EMF", "OBW"};
    std::vector<fl::ReportItem> items;
    for (int i = 0; i < count; ++i) {
        auto d = Sample(names[i % 8]);
        items.push_back({d->m_strPathName, d, {}});
    }
    return items;
}

void BM_ReportOf100Traces(benchmark::State& state) {
    const auto items = Items(100);
    const std::string path = (std::filesystem::temp_directory_path() / "fieldlink-bench-report.pdf").string();
    fl::ReportResult r;
    double ms = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        r = fl::WriteSurveyReport(path, items, {});
        ms += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    }
    state.counters["pages"] = r.pages;
    state.counters["ms_per_page"] = ms / static_cast<double>(state.iterations()) / std::max(1, r.pages);
    std::filesystem::remove(path);
}
BENCHMARK(BM_ReportOf100Traces)->Unit(benchmark::kMillisecond);

// One trace page drawn into a PDF page, as the report draws each.
void BM_OnePdfPage(benchmark::State& state) {
    const auto d = Sample("SPECTRUM");
    for (auto _ : state) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        QPainter p(&writer);
        fl::RenderPrintPage(p, QRectF(0, 0, writer.width(), writer.height()), *d);
        p.end();
        benchmark::DoNotOptimize(bytes.size());
    }
}
BENCHMARK(BM_OnePdfPage)->Unit(benchmark::kMillisecond);

// The same page into a 1920 x 1080 image.
void BM_OneImagePage(benchmark::State& state) {
    const auto d = Sample("SPECTRUM");
    for (auto _ : state)
        benchmark::DoNotOptimize(fl::RenderPageImage(*d, 1920, 1080));
}
BENCHMARK(BM_OneImagePage)->Unit(benchmark::kMillisecond);

}  // namespace
