// Fuzz target: any bytes as the tour script. The steps read one after the
// other end at the end of the script, and every step's commands and text
// come from its own lines.
#include "common/fuzz_support.h"
#include "foundation/settings.h"
#include "foundation/tour.h"

#include <climits>
#include <string>

using namespace kt4;
using kt4::fuzz::Check;

namespace {

std::string Missing(int step) { return "Demotext Nr." + std::to_string(step) + " nicht vorhanden !"; }

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    settings::InitSettings();
    settings::BaseName = "kt4";
    settings::PltDir = fuzz::ScratchSubdir("tour");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::WriteInput("tour/kt4.dem", data, size);
    const std::string script(reinterpret_cast<const char*>(data), size);
    std::size_t lineEnds = 0;
    for (char c : script)
        lineEnds += c == '\n' || c == '\r' ? 1 : 0;
    const bool abort = settings::AbortFlag;

    // steps out of any script
    for (int step : {INT_MIN, -1, 0, INT_MAX}) {
        char c1 = 'x', c2 = 'x';
        std::string text;
        ReadDemoStep(step, c1, c2, text);
        Check(c1 == '0' && c2 == '0' && text == Missing(step));
    }
    // the steps in order, as the tour plays them
    int step = 1;
    for (;; ++step) {
        Check(static_cast<std::size_t>(step) <= lineEnds / 4 + 2);
        char c1 = 'x', c2 = 'x';
        std::string text;
        ReadDemoStep(step, c1, c2, text);
        if (c1 == '0' && c2 == '0' && text == Missing(step))
            break;
        Check(text.size() <= size);
        Check(text.find_first_of("\r\n") == std::string::npos);
        for (char c : {c1, c2})
            Check(c == ' ' || script.find(c) != std::string::npos);
    }
    Check(settings::AbortFlag == abort);
    return 0;
}
