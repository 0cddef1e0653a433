// Fuzz target: any bytes as a plot file, drawn as a help picture is. The
// display list holds only finite numbers, grows at most with the size of
// the input, and replays onto a canvas.
#include "common/fuzz_support.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "graphics/display_list.h"
#include "graphics/graph_device.h"
#include "graphics/graph_settings.h"
#include "graphics/graph_window.h"
#include "graphics/hpgl.h"
#include "graphics/recording_canvas.h"
#include "graphics/replay.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

using namespace kt4;
using namespace kt4::graphics;
using kt4::fuzz::Check;

namespace {

// The numeric fields of a record (the text field of a label excepted) are
// plain finite numbers.
void CheckRecord(std::string_view line)
{
    const DisplayRecord r = ParseDisplayLine(line);
    for (double v : r.v)
        Check(std::isfinite(v));
    std::size_t fields = line.size();
    if (r.op == int(TDisplayOp::doText)) {
        // op;x;y;text
        std::size_t p = line.find(';');
        for (int k = 0; k < 2 && p != std::string_view::npos; ++k)
            p = line.find(';', p + 1);
        fields = p == std::string_view::npos ? line.size() : p;
    }
    std::size_t start = 0;
    while (start < fields) {
        std::size_t end = std::min(line.find(';', start), fields);
        std::string_view f = line.substr(start, end - start);
        double v = 0;
        auto res = std::from_chars(f.data(), f.data() + f.size(), v);
        Check(res.ec == std::errc() && res.ptr == f.data() + f.size() && std::isfinite(v));
        start = end + 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    settings::InitSettings();
    InitGraphSettings();
    UseHeadlessUi().quiet = true;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    InitHpgl();
    TGraphWindow window;
    TGraphDevice device(window);
    device.Clear();
    device.Header(0, 0, 160, 120);
    const std::size_t head = window.DisplayList().Count();
    PlotHpglData(std::string_view(reinterpret_cast<const char*>(data), size), device);

    const TDisplayList& list = window.DisplayList();
    Check(list.Count() <= head + 2 * size);
    std::size_t bytes = 0;
    for (const auto& line : list) {
        CheckRecord(line);
        bytes += line.size();
    }
    Check(bytes <= 256 + 128 * size);
    RecordingCanvas canvas;
    DisplayReplay(window, canvas).RunAll();
    return 0;
}
