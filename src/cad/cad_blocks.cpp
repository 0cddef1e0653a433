// Sections, block definitions, inserts and the logo blocks.
#include "cad/cad_device.h"
#include "cad/cad_internal.h"
#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "foundation/files.h"
#include "foundation/printer_settings.h"
#include "foundation/settings.h"

namespace kt4::cad {

using detail::Dev;

namespace {

bool blockBegun = false; // c_block reached the device

// The optional logo templates, drawn on a 480 x 360 page into the lower
// and upper right corner of the frame.
void InsertLogos()
{
    if (printer::CadLogoMode == 2 || printer::CadLogoMode == 3)
        return;
    if (CadMode != cmScreen && CadMode != cmPlot)
        return;
    const Real sx = CadFrame.Width / 480, sy = CadFrame.Height / 360;
    const Real x = CadFrame.X0 + 0.91L * CadFrame.Width;
    if (FileReadable(FindFileNoCase(settings::TempDir, "$LOGO_2.dx$")))
        c_insert("LOGO_2", x, CadFrame.Y0 + 0.01L * CadFrame.Height, 0, sx, sy);
    if (FileReadable(FindFileNoCase(settings::TempDir, "$LOGO_3.dx$")))
        c_insert("LOGO_3", x, CadFrame.Y0 + 0.96L * CadFrame.Height, 0, sx, sy);
}

} // namespace

void c_blocks()
{
    CadInBlocks = true;
    Dev().Blocks();
}

void c_block(const std::string& name)
{
    if (settings::AbortFlag)
        return;
    blockBegun = true;
    Dev().Block(name);
}

void c_endblock()
{
    if (!blockBegun)
        return;
    blockBegun = false;
    Dev().EndBlock();
}

void c_endblocks()
{
    CadInBlocks = false;
    Dev().EndBlocks();
}

void c_entities()
{
    Dev().Entities();
    InsertLogos();
}

void c_insert(const std::string& name, Real x, Real y, Real rotation, Real sx, Real sy)
{
    if (detail::Finite({x, y, rotation, sx, sy}))
        Dev().Insert(name, x, y, rotation, sx, sy);
}

} // namespace kt4::cad
