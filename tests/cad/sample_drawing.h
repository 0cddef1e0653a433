// The sample drawing that every CAD device is tested with: each primitive,
// arcs both ways, two blocks (the second inserts the first scaled and
// turned), texts at angles (among them "Mäße 20°"), a solid, a closed
// polyline with a bulge, a rounded rectangle, a cone profile, colour
// layers. Written as one whole job on any mode.
#pragma once

#include "cad/cad_output.h"
#include "foundation/codepage.h"
#include "foundation/maths.h"
#include "foundation/settings.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace kt4::cadtest {

// The text with umlauts, degree sign and "ß" (stored as OEM).
inline std::string SampleText() { return DisplayToOem("M\u00e4\u00dfe 20\u00b0"); }

// The arcs the sample's entity pass draws, counter-clockwise as a DXF
// reader sees them: centre, radius, start and end angle (degrees).
struct SampleArc {
    double x, y, r, start, end;
};
inline std::vector<SampleArc> SampleEntityArcs()
{
    return {{40, 30, 8, 350, 10}, {40, 30, 12, 0, 90}};
}

inline void SampleBlocks()
{
    using namespace cad;
    c_block("BOLT");
    c_setlayer(3);
    c_circle(0, 0, 3);
    c_line(-4, 0, 4, 0);
    c_line(0, -4, 0, 4);
    c_arc_dir(0, 0, 90, 0, 5, -90); // clockwise
    c_settextstyle(2, 0, 2, 1.4L);
    c_text(4, 4, "B");
    c_endblock();

    c_block("FLANGE");
    c_setlayer(17);
    c_rectangle(-10, -6, 10, 6);
    c_arc(0, 0, 180, 0, 6); // counter-clockwise lower half
    c_insert("bolt", 6, 0, 30, 0.5L, 0.5L); // nested, scaled and turned; any case
    c_endblock();
}

inline void SampleEntities()
{
    using namespace cad;
    c_setlayer(1);
    c_line(10, 10, 60, 10);
    c_setlayer(2);
    c_circle(20, 30, 5);
    c_circle_cw(20, 30, 2);
    c_setlayer(4);
    c_arc(40, 30, 350, 10, 8);          // through 0
    c_arc_dir(40, 30, 90, 0, 12, -90);  // clockwise: 0..90 for a reader
    c_setlayer(16);
    c_solid(70, 10, 80, 10, 70, 20, 80, 20);
    c_setlayer(18);
    c_settextstyle(2, 30, 3.5L, 2.5L);
    c_text(90, 20, SampleText());
    c_settextstyle(2, 90, 2.5L, 0);
    c_settextjustify(1, 0);
    c_text(150, 20, "vertical");
    c_settextjustify(0, 0);
    c_setlayer(5);
    c_polyline_begin(1); // a closed outline with one bulged segment
    c_poly(100, 40, 0);
    c_poly(120, 40, Pi / 2);
    c_poly(120, 60, 0);
    c_poly(100, 60, 0);
    c_poly(100, 40, 0);
    c_polyline_end();
    c_roundrect(false, 150, 60, 130, 40, 4); // corners given the wrong way round
    c_setlayer(30);
    c_profile_begin();
    c_profile_point(0, 10, 0);
    c_profile_point(20, 10, 0);
    c_profile_point(20, 5, 0);
    c_setlayer(19);
    c_insert("FLANGE", 40, 80, 45, 1.5L, 1.5L);
    c_insert("BOLT", 120, 90, 0, 1, 1);
}

// One whole job of the sample drawing on mode (0 asks); more draws after
// the sample's entities.
inline void DrawSampleDrawing(Word mode, const std::function<void()>& more = {})
{
    using namespace cad;
    c_begin(mode);
    if (settings::AbortFlag)
        return;
    c_setlayer(0);
    c_header_default();
    c_tables(2);
    c_blocks();
    c_setlayer(5);
    SampleBlocks();
    c_endblocks();
    do {
        c_entities();
        c_setlayer(5);
        SampleEntities();
        if (more)
            more();
        c_endblocks();
    } while (!c_pass_done());
    c_end();
}

} // namespace kt4::cadtest
