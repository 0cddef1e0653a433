#include "shell/screen_defaults.h"

#include "foundation/printer_settings.h"
#include "foundation/settings.h"

#include <algorithm>
#include <cmath>

namespace kt4::shell {

namespace {
ScreenMetrics metrics;
std::function<void()> clientResize;

kt4::Word ClampWord(int v) { return static_cast<kt4::Word>(std::clamp(v, 0, 65535)); }

void ResizeClient()
{
    if (clientResize)
        clientResize();
}
} // namespace

void SetScreenMetrics(const ScreenMetrics& m) { metrics = m; }
const ScreenMetrics& Screen() { return metrics; }
void SetClientResizeHook(std::function<void()> hook) { clientResize = std::move(hook); }
const std::function<void()>& ClientResizeHook() { return clientResize; }

void DefaultScreenResolution()
{
    using namespace settings;
    if (ScreenResX == 0 || ScreenResX == 65535)
        ScreenResX = ClampWord(metrics.width - 9);
    if (ScreenResY == 0 || ScreenResY == 65535)
        ScreenResY = ClampWord(metrics.height - 91);
}

void DefaultTextWindowRect()
{
    using printer::TextWindowRect;
    TextWindowRect[1] = 20;
    TextWindowRect[2] = 40;
    int width = printer::PrintFontSize * 700 / 10 * metrics.ppi / 96;
    TextWindowRect[3] = std::min(width, metrics.width);
    TextWindowRect[4] = static_cast<int>(std::lround(metrics.height * 0.95)) - 40;
}

void ApplyScreenDefaults()
{
    using namespace settings;
    // The drawing area (ScreenResX + 1 by ScreenResY + 1) within the
    // screen less what the window adds around it.
    int w = std::max(2, metrics.width - std::max(0, metrics.frameWidth));
    int h = std::max(2, metrics.height - std::max(0, metrics.frameHeight));
    if (ScreenSizeCode == 1) {
        // the largest 4:3 area (integer arithmetic as the screen counts)
        if (w * 3 > h * 4)
            w = h / 3 * 4;
        else if (w * 3 < h * 4)
            h = w / 4 * 3;
    }
    if (ScreenSizeCode == 1 || ScreenSizeCode == 2) {
        ScreenResX = ClampWord(w - 1);
        ScreenResY = ClampWord(h - 1);
        ResizeClient();
    }
    if (DialogWindowSizeCode == 1) {
        if (metrics.windowHeight > 0 && metrics.clientHeight < metrics.windowHeight - 58)
            InputWindowScale =
                metrics.windowHeight * 100 * metrics.ppi / (metrics.clientHeight + 58) / 96 + 2;
        else
            InputWindowScale = metrics.ppi * 100 / 96;
        DialogElementScale = 100;
    }
}

} // namespace kt4::shell
