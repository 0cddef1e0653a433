// Fuzz target of the DXF block reader: the input is stored as the block
// file of block "FUZZ" and inserted on the screen device (the window
// without screen records it), so it may insert itself, other blocks or
// the logo templates. No crash, no sanitizer report, no exit; afterwards
// the insert transform is back at rest and no job is left running.
#include "cad/block_reader.h"
#include "cad/cad_device.h"
#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "foundation/printer_settings.h"
#include "foundation/private_temp.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "graphics/graph_settings.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using namespace kt4;

namespace {

std::string& TempFolder()
{
    static std::string folder;
    return folder;
}

// The private folder inside it goes with it (its own clean-up at exit runs
// before this one).
void RemoveTempFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(TempFolder(), ec);
}

HeadlessUi* Setup()
{
    settings::InitSettings();
    graphics::InitGraphSettings();
    printer::InitPrinterSettings();
    cad::InitCadSettings();
    std::string tmpl = (std::filesystem::temp_directory_path() / "kt4fuzz.XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr)
        __builtin_trap();
    TempFolder() = tmpl;
    settings::TempDir = tmpl + "/";
    std::atexit(RemoveTempFolder);
    HeadlessUi* ui = &UseHeadlessUi();
    ui->quiet = true;
    return ui;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static HeadlessUi* ui = Setup();
    settings::AbortFlag = false;
    cad::c_begin(cad::cmScreen); // starts with an empty block folder
    {
        std::ofstream out(PrivateTempSubdir("blocks") + "$FUZZ.dx$", std::ios::binary);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    cad::c_header_default();
    cad::c_entities();
    cad::c_insert("FUZZ", 10, 20, 30, 2, 0.5L);
    settings::AbortFlag = false;
    cad::c_insert("fuzz", 0, 0, 0, 1, 1);
    cad::c_end();
    if (cad::CadJobRunning() || cad::CadBlockLevel != 0 || cad::CadInsScaleX != 1 || cad::CadInsScaleY != 1 ||
        cad::CadInsRotation != 0 || cad::CadInsBaseX != 0 || cad::CadInsBaseY != 0)
        __builtin_trap();
    ui->ClearLog();
    settings::ClearMessages();
    return 0;
}
