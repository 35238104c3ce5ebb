// The trace page renderer: one full landscape page (both traces, all panels, limit lines) into a
// 1920x1080 image, against drawing only the grid and the two 1002-point polylines.
#include <benchmark/benchmark.h>

#include <chrono>

#include <QImage>
#include <QPainter>

#include "CMyQuarnDoc.h"
#include "ImageCodec.h"
#include "MarkerEdit.h"
#include "PageImage.h"
#include "PageRenderer.h"
#include "SampleTraces.h"

namespace {

fl::CMyQuarnDoc FullDoc() {
    fl::CMyQuarnDoc d;
    d.LoadBytes(fl::sim::LineContainerBytes(fl::sim::SampleTraceByName("SPEC_TRACEB").lines));
    d.m_bShowLevelPanel = d.m_bShowStatusPanel = d.m_bShowTracePanel = d.m_bShowInstrumentPanel =
        d.m_bShowGpsPanel = d.m_bShowTraceB = d.m_bShowMarkersB = 1;
    d.m_strLimitState = "UPPLow";
    return d;
}

void BM_FullLandscapePage(benchmark::State& state) {
    const fl::CMyQuarnDoc d = FullDoc();
    QImage image(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        fl::RenderPage(p, QRectF(0, 0, 1920, 1080), d);
    }
}
BENCHMARK(BM_FullLandscapePage)->Unit(benchmark::kMillisecond);

// The Label All Peaks button: ten peak searches over 501 columns and the sort; it must feel instant.
void BM_LabelAllPeaks(benchmark::State& state) {
    fl::CMyQuarnDoc d = FullDoc();
    for (auto _ : state) {
        int selected = 1;
        benchmark::DoNotOptimize(fl::LabelAllPeaks(d, 'A', &selected));
    }
}
BENCHMARK(BM_LabelAllPeaks)->Unit(benchmark::kMicrosecond);

// A page with twenty marker labels, as the view repaints it while a marker is dragged.
void BM_PageWithMarkerLabels(benchmark::State& state) {
    fl::CMyQuarnDoc d = FullDoc();
    for (char t : {'A', 'B'})
        for (int n = 1; n <= 10; ++n) {
            (t == 'A' ? d.m_arrUserStateA : d.m_arrUserStateB)[n] = fl::NORMal;
            fl::PlaceMarker(d, t, n, 45 * n);
            (t == 'A' ? d.m_arrMarkerTextA : d.m_arrMarkerTextB)[n] = "feeder joint " + std::to_string(n);
            (t == 'A' ? d.m_arrMarkerFlagA : d.m_arrMarkerFlagB)[n] = 1;
        }
    QImage image(1920, 1080, QImage::Format_RGB32);
    fl::MarkerPlaces places;
    fl::RenderOptions o;
    o.places = &places;
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        fl::RenderPage(p, QRectF(0, 0, 1920, 1080), d, o);
    }
}
BENCHMARK(BM_PageWithMarkerLabels)->Unit(benchmark::kMillisecond);

// Grid and two traces drawn straight with QPainter: the floor that the full page is measured against.
void DrawGridAndPolylines(QImage& image, const fl::CMyQuarnDoc& d) {
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(192, 192, 192), 1, Qt::DotLine));
    for (int i = 1; i <= 9; ++i)
        p.drawLine(i * 150, 0, i * 150, 900);
    for (int k = 1; k <= 7; ++k)
        p.drawLine(0, k * 112, 1500, k * 112);
    // Each trace as its 1001 segments with the page's trace pen (about 16 pixels here, flat caps).
    for (const auto* t : {&d.m_arrTraceA, &d.m_arrTraceB}) {
        QVector<QLineF> segments;
        segments.reserve(1001);
        for (size_t i = 1; i < t->size(); ++i)
            segments.append(
                QLineF((i - 1) * 1.5, 900 - ((*t)[i - 1] + 100) * 9, i * 1.5, 900 - ((*t)[i] + 100) * 9));
        QPen pen(Qt::black, 16);
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        p.drawLines(segments);
    }
}

void BM_GridAndPolylines(benchmark::State& state) {
    const fl::CMyQuarnDoc d = FullDoc();
    QImage image(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state)
        DrawGridAndPolylines(image, d);
}
BENCHMARK(BM_GridAndPolylines)->Unit(benchmark::kMillisecond);

// The full page against the floor on the same machine: the target is at most 3 ("ratio") and 10 ms a page.
void BM_FullPageOverFloor(benchmark::State& state) {
    const fl::CMyQuarnDoc d = FullDoc();
    QImage image(1920, 1080, QImage::Format_RGB32);
    double page = 0, floor = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        image.fill(Qt::white);
        {
            QPainter p(&image);
            fl::RenderPage(p, QRectF(0, 0, 1920, 1080), d);
        }
        auto t1 = std::chrono::steady_clock::now();
        DrawGridAndPolylines(image, d);
        auto t2 = std::chrono::steady_clock::now();
        page += std::chrono::duration<double>(t1 - t0).count();
        floor += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["ratio"] = floor > 0 ? page / floor : 0;
    state.counters["page_ms"] = page * 1000 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_FullPageOverFloor)->Unit(benchmark::kMillisecond);

// Each image format's encode time for a 1920x1080 page.
void BM_EncodePage(benchmark::State& state, const char* extension) {
    const fl::CMyQuarnDoc d = FullDoc();
    const fl::Bitmap24 page = fl::ToBitmap24(fl::RenderPageImage(d, 1920, 1080));
    const int id = fl::ImageFormatFromName(std::string("x.") + extension);
    std::string bytes;
    for (auto _ : state)
        fl::EncodeImage(page, id, extension, bytes);
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK_CAPTURE(BM_EncodePage, bmp, "bmp")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EncodePage, jpg, "jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EncodePage, jp2, "jp2")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EncodePage, pcx, "pcx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EncodePage, png, "png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EncodePage, ppm, "ppm")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EncodePage, ras, "ras")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EncodePage, tga, "tga")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EncodePage, tif, "tif")->Unit(benchmark::kMillisecond);

}  // namespace
