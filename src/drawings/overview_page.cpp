#include "drawings/overview_page.h"

#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "drive/docu_data.h"
#include "drive/drive_data.h"
#include "foundation/settings.h"

#include <cmath>

namespace kt4::drawings {

using namespace cad;

namespace {

constexpr Real TableTextHeight = 1.35L;

// c_textln, and an empty line advances the text position all the same.
void TextLine(const std::string& s)
{
    if (!s.empty())
        c_textln(s);
    else
        c_moveto(CadCurX, CadCurY - 1.6L * CadTextHeight * CadLineFeed);
}

} // namespace

Real OverviewScale()
{
    const Real s = 79 / drive::dHe;
    return drive::dHe > 0 && std::isfinite(s) ? s : 0;
}

void DrawOverviewPage()
{
    c_setlayer(19);
    c_settextstyle(0, 0, 1.2L, 0);
    c_moveto(1, 118);
    TextLine(docu::ZeichNr + " " + docu::ZeichName + " " + docu::ZeichName2);
    for (const std::string& line : settings::RemarkLines)
        TextLine(line);

    // The front view and the section, as blocks scaled to a 79 mm housing.
    if (const Real s = OverviewScale(); s > 0) {
        c_insert("H", 40, 78, 0, s, s);
        c_insert("W", 40 + drive::exz * s, 78, 0, s, s);
        c_insert("EXZ", 40, 78, 0, s, s);
        c_insert("abtr", 40, 78, 0, s, s);
        c_insert("SA", 94, 78, 0, s, s);
    }

    DrawLoadTable(2, 35, TableTextHeight);
    DrawCapacityTable(60, 35, TableTextHeight);
    DrawBearingTable(100, 35, TableTextHeight);
    DrawMainDimensionTable(35, 35, TableTextHeight);
    DrawDimensionTable(2, 15, TableTextHeight);
}

} // namespace kt4::drawings
