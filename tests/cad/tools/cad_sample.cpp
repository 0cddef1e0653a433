// Writes one of the test drawings as a CAD file, with no dialog, for
// reviewers and for the read-back tests:
//   cad_sample MODE FILE [sample|shaft|empty] [--ascii] [--invert]
// MODE is 1 DXF, 2 IGES, 5 TXT, 6 STL or 7 STEP; FILE gets the mode's
// extension. --ascii writes ASCII STL, --invert turns every STL facet.
// Exit 0 when the file was written.
#include "cad/cad_device.h"
#include "cad/cad_settings.h"
#include "cad/step_writer.h"
#include "foundation/paths.h"
#include "foundation/private_temp.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "graphics/graph_settings.h"
#include "foundation/printer_settings.h"
#include "sample_solids.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace kt4;

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: cad_sample MODE FILE [sample|shaft|empty] [--ascii] [--invert]\n");
        return 2;
    }
    const int mode = std::atoi(argv[1]);
    if (mode != 1 && mode != 2 && mode != 5 && mode != 6 && mode != 7) {
        std::fprintf(stderr, "cad_sample: MODE is 1, 2, 5, 6 or 7\n");
        return 2;
    }
    std::string drawing = "sample";
    settings::InitSettings();
    graphics::InitGraphSettings();
    printer::InitPrinterSettings();
    cad::InitCadSettings();
    HeadlessUi& ui = UseHeadlessUi();
    ui.quiet = true;
    for (int k = 3; k < argc; ++k) {
        if (std::strcmp(argv[k], "--ascii") == 0)
            cad::StlFileType = 1;
        else if (std::strcmp(argv[k], "--invert") == 0)
            cad::StlInvert = true;
        else
            drawing = argv[k];
    }
    if (drawing != "sample" && drawing != "shaft" && drawing != "empty") {
        std::fprintf(stderr, "cad_sample: the drawing is sample, shaft or empty\n");
        return 2;
    }
    settings::ProductName = "KT4";
    settings::ProgramVersion = "1.1";
    cad::CadBatchMode = true;
    settings::CurrentFileName = PathWithoutExt(argv[2]);
    const Word m = static_cast<Word>(mode);
    if (drawing == "sample")
        cadtest::DrawSample(m);
    else if (drawing == "shaft")
        cadtest::DrawShaft(m);
    else if (m == cad::cmStep) {
        // a job refuses a STEP page without lines: the writer is asked directly
        cad::StepWriter step;
        cad::CadFileName = settings::CurrentFileName + ".stp";
        settings::AbortFlag = !step.Open(cad::CadFileName);
        step.Header(cad::CadFileName);
        step.Entities();
        settings::AbortFlag = !step.Close() || settings::AbortFlag;
    } else
        cadtest::DrawPage(m, {});
    RemovePrivateTempDir();
    if (settings::AbortFlag) {
        std::fprintf(stderr, "cad_sample: nothing written\n");
        return 1;
    }
    std::printf("%s\n", cad::CadFileName.c_str());
    for (Word i = 1; i <= settings::MessageCount; ++i)
        std::printf("message %s\n", settings::MessageTexts[i].c_str());
    return 0;
}
