// Writes views of a project as CAD files through the view dispatcher, with
// no dialog, for the peer checks and for reviewers.
//
// Usage: draw_views PROJECT.kt4 MODE OUTDIR VIEW...
// Each view goes to OUTDIR/<project>_<view>.<ext> (two-digit view). One
// line per view on the standard output: "<view> written <file>" or
// "<view> refused". Exit 0 when every view was either written or refused
// with nothing written, 1 otherwise, 2 on a usage error.
#include "cad/cad_settings.h"
#include "drawings/view_dispatcher.h"
#include "drive/drive_calc.h"
#include "drive/projectfile.h"
#include "foundation/environment.h"
#include "foundation/paths.h"
#include "foundation/private_temp.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "shell/identity.h"
#include "shell/modules.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace kt4;
namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: draw_views PROJECT.kt4 MODE OUTDIR VIEW...\n");
        return 2;
    }
    shell::InitModules();
    shell::SetProgramIdentity();
    UseHeadlessUi().quiet = true;
    environment::CommandLineParams = {argv[0], argv[1], argv[2]}; // no written file is opened
    const std::string project = fs::absolute(argv[1]).string();
    const int mode = std::atoi(argv[2]);
    const std::string out = fs::absolute(argv[3]).string();
    settings::TempDir = out;
    if (!project::ReadDataFile(project)) {
        std::fprintf(stderr, "%s cannot be read\n", project.c_str());
        return 1;
    }
    drive::CalcDrive();
    const std::string base = FileBaseName(project);
    int failures = 0;
    for (int k = 4; k < argc; ++k) {
        const int view = std::atoi(argv[k]);
        char number[8];
        std::snprintf(number, sizeof number, "%02d", view);
        settings::CurrentFileName = AddBackslash(out) + base + "_" + number;
        settings::AbortFlag = false;
        cad::CadBatchMode = true;
        drawings::DrawView(static_cast<Word>(view), static_cast<Word>(mode));
        cad::CadBatchMode = false;
        bool written = false;
        for (const char* ext : {"dxf", "igs", "txt", "stl", "stp"})
            if (fs::exists(settings::CurrentFileName + "." + ext)) {
                std::printf("%d written %s.%s\n", view, settings::CurrentFileName.c_str(), ext);
                written = true;
            }
        if (!written) {
            std::printf("%d refused\n", view);
            if (!settings::AbortFlag)
                ++failures;
        } else if (settings::AbortFlag) {
            ++failures;
        }
    }
    RemovePrivateTempDir();
    return failures == 0 ? 0 : 1;
}
