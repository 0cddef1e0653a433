// Drawings for the IGES, STEP and STL files: the sample drawing with a
// hatched concave outline, a table and a long text with commas; the
// revolved shaft, a closed solid; and the empty page.
#pragma once

#include "cad/cad_output.h"
#include "cad/drawing_table.h"
#include "cad/hatch.h"
#include "foundation/settings.h"
#include "sample_drawing.h"

#include <string>

namespace kt4::cadtest {

// 100 characters with commas, longer than a P line of an IGES file.
inline std::string LongText()
{
    std::string s;
    for (int k = 0; k < 6; ++k)
        s += "Lager 1, Kugel, ";
    return s + "Ende";
}

// The concave outline of the sample: a V notch from the top, its
// deepest point (80, 105) a reflex vertex.
inline void SampleOutline()
{
    cad::HatchBegin();
    for (auto [x, y] : {std::pair{60, 95}, {100, 95}, {100, 115}, {80, 105}, {60, 115}})
        cad::HatchAddPoint(x, y);
}

// What the IGES, STEP and STL files add to the sample drawing.
inline void SampleAdditions()
{
    using namespace cad;
    c_setz(0, 2); // the sample's profile leaves a flat range behind
    SampleOutline();
    HatchPolygon(0, 3, 45);
    TAusTabelle table;
    table.Init(10, 118, 2, {7, 5, 7, 7}, {"Load", "", "1", "2"});
    table.AddRow({"Fr", "N", "1200", "800"});
    table.AddRow({"Fa", "N", "0", "150"});
    table.Done();
    c_setlayer(18);
    c_text(5, 3, LongText());
}

inline void DrawSample(Word mode) { DrawSampleDrawing(mode, SampleAdditions); }

// The profile (z, r) of the revolved shaft, counter-clockwise, closed.
inline const std::vector<std::pair<Real, Real>>& ShaftProfile()
{
    static const std::vector<std::pair<Real, Real>> points = {
        {0, 0},     {300, 0},  {300, 19}, {299, 20}, {220, 20}, {220, 30}, {140, 30},
        {140, 40},  {60, 40},  {60, 25},  {1, 25},   {0, 24},   {0, 0}};
    return points;
}

// The volume of the revolved profile (Pappus: area times the path of its
// centroid).
inline Real ShaftVolume()
{
    const auto& p = ShaftProfile();
    Real moment6 = 0; // 6 A r_c of the polygon in (z, r)
    for (std::size_t k = 0; k + 1 < p.size(); ++k) {
        Real cross = p[k].first * p[k + 1].second - p[k + 1].first * p[k].second;
        moment6 += (p[k].second + p[k + 1].second) * cross;
    }
    return 2 * Pi * moment6 / 6;
}

// One job of mode with the given entities on the default page (no height
// question).
inline void DrawPage(Word mode, const std::function<void()>& entities)
{
    using namespace cad;
    c_begin(mode);
    if (settings::AbortFlag)
        return;
    c_setlayer(0);
    c_header(0, 0, 160, 120, 0);
    c_tables(2);
    c_blocks();
    c_endblocks();
    do {
        c_entities();
        c_setlayer(5);
        if (entities)
            entities();
        c_endblocks();
    } while (!c_pass_done());
    c_end();
}

inline void DrawShaft(Word mode)
{
    DrawPage(mode, [] {
        cad::c_profile_begin();
        for (auto [z, r] : ShaftProfile())
            cad::c_profile_point(z, r, 0);
    });
}

} // namespace kt4::cadtest
