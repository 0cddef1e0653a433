// A full repaint of a large drawing: 100,000 lines and 10,000 texts
// replayed from the display list into an offscreen image of the window's
// size, as paint does it. Also the list alone (parsing and mapping, no
// pixels) to see where the time goes, and the printout of the drawing
// onto a PDF page (with the size of the file).
#include "foundation/settings.h"
#include "graphics/graph_settings.h"
#include "graphics/graph_window.h"
#include "graphics/gui/painter_canvas.h"
#include "graphics/replay.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPrinter>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace kt4;
using namespace kt4::graphics;

namespace {

void EnsureApp()
{
    static int argc = 1;
    static char name[] = "bench_graphics";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(argc, argv);
}

// A drawing page with short lines and labels spread over it, colour and
// style changes now and then, as a busy assembly drawing has them.
void BuildDrawing(TGraphWindow& w, int lines = 100000, int texts = 10000)
{
    settings::InitSettings();
    InitGraphSettings();
    w.Clear();
    w.Header(0, 0, 160, 120);
    std::uint32_t seed = 12345;
    auto rnd = [&seed](double range) {
        seed = seed * 1664525u + 1013904223u;
        return range * double(seed >> 8) / double(1u << 24);
    };
    for (int k = 0; k < lines; ++k) {
        if (k % 1000 == 0) {
            w.SetColor(1 + (k / 1000) % 15);
            w.SetLineStyle(Word((k / 1000) % 4));
        }
        const double x = rnd(150), y = rnd(110);
        w.line(x, y, x + rnd(10), y + rnd(10));
    }
    for (int k = 0; k < texts; ++k) {
        if (k % 100 == 0) {
            w.SetColor(1 + (k / 100) % 15);
            w.SetTextStyle(2, (k % 300 == 0) ? 90 : 0, 2.5, 1.8);
        }
        w.OutTextXY(rnd(150), rnd(115), "Lager " + std::to_string(k % 97));
    }
}

class NullCanvas : public GraphCanvas {
public:
    void SetPenColor(GraphColor) override {}
    void SetPenStyle(PenStyle) override {}
    void SetPenWidth(Integer) override {}
    void Line(PixelPoint a, PixelPoint b) override { sum += a.x + b.y; }
    void Ellipse(PixelPoint, PixelPoint) override {}
    void Arc(PixelPoint, PixelPoint, PixelPoint, PixelPoint) override {}
    void Polygon(const PixelPoint (&)[4], GraphColor) override {}
    void Text(PixelPoint a, std::string_view, const TextFont&, GraphColor) override { sum += a.x; }
    long sum = 0;
};

void BM_RepaintIntoImage(benchmark::State& state)
{
    EnsureApp();
    TGraphWindow w;
    BuildDrawing(w, int(state.range(0)), int(state.range(1)));
    QImage image(641, 481, QImage::Format_RGB32);
    QPainterCanvas canvas;
    for (auto _ : state) {
        image.fill(Qt::black);
        QPainter p(&image);
        canvas.SetPainter(&p);
        DisplayReplay(w, canvas).RunAll();
        canvas.SetPainter(nullptr);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(w.DisplayList().Count()));
}
// the full drawing, then its lines alone and its texts alone
BENCHMARK(BM_RepaintIntoImage)
    ->Args({100000, 10000})
    ->Args({100000, 0})
    ->Args({1000, 10000})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

void BM_ReplayWithoutPixels(benchmark::State& state)
{
    TGraphWindow w;
    BuildDrawing(w);
    NullCanvas canvas;
    for (auto _ : state) {
        DisplayReplay(w, canvas).RunAll();
        benchmark::DoNotOptimize(canvas.sum);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(w.DisplayList().Count()));
}
BENCHMARK(BM_ReplayWithoutPixels)->Unit(benchmark::kMillisecond);

// What the print form's OK does: the replay onto the window's picture and
// a landscape PDF page with the border, in colour.
void BM_PrintOntoPdfPage(benchmark::State& state)
{
    EnsureApp();
    TGraphWindow w;
    BuildDrawing(w);
    settings::WindowsPrintMode = 2;
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("kt4bench_" + std::to_string(::getpid()) + ".pdf"))
                                 .string();
    QImage image(641, 481, QImage::Format_RGB32);
    QPainterCanvas screen, page;
    double bytes = 0;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(path));
        printer.setPageOrientation(QPageLayout::Landscape);
        image.fill(Qt::black);
        QPainter onImage(&image), onPage(&printer);
        screen.SetPainter(&onImage);
        page.SetPainter(&onPage);
        const QRect r = printer.pageRect(QPrinter::DevicePixel).toRect();
        PrintTarget target{&page, r.width(), r.height(), 1.0, 1.0, 0, 0, true};
        DisplayReplay(w, screen, &target).RunAll();
        screen.SetPainter(nullptr);
        page.SetPainter(nullptr);
        onPage.end();
        bytes = double(QFileInfo(QString::fromStdString(path)).size());
    }
    state.counters["pdf_bytes"] = bytes;
    std::filesystem::remove(path);
}
BENCHMARK(BM_PrintOntoPdfPage)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
