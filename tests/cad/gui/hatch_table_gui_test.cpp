// Hatches and a drawing table on the graphics window (offscreen), grabbed
// to build/artifacts/cad_hatch_table.png: a square at 45 degrees, a
// concave outline, 135 and 90 degrees, and a table with a header and rows.
#include "cad/cad_device.h"
#include "cad/cad_output.h"
#include "cad/cad_settings.h"
#include "cad/drawing_table.h"
#include "cad/hatch.h"
#include "foundation/gui/gui_helpers.h"
#include "foundation/printer_settings.h"
#include "foundation/private_temp.h"
#include "foundation/scratch_dir.h"
#include "foundation/settings.h"
#include "foundation/ui_headless.h"
#include "graphics/graph_settings.h"
#include "graphics/gui/fvelmgra.h"

#include <gtest/gtest.h>

namespace kt4 {
namespace {

using namespace cad;

void Outline(std::initializer_list<std::pair<Real, Real>> points)
{
    HatchBegin();
    for (auto [x, y] : points)
        HatchAddPoint(x, y);
}

TEST(CadHatchGui, HatchesAndATableOnTheGraphicsWindow)
{
    kt4::testing::ScratchDir dir;
    settings::InitSettings();
    graphics::InitGraphSettings();
    printer::InitPrinterSettings();
    InitCadSettings();
    UseHeadlessUi().quiet = true;
    settings::TempDir = dir.Path();
    settings::CurrentFileName = "hatch";
    graphics::TFvelmgra w;
    w.resize(960, 720);
    w.show();

    c_begin(cmScreen);
    c_setlayer(0);
    c_header(0, 0, 160, 120, 0);
    c_blocks();
    c_endblocks();
    c_entities();
    c_setlayer(0);
    Outline({{10, 70}, {40, 70}, {40, 100}, {10, 100}});
    HatchPolygon(0, 0, 45);
    Outline({{50, 70}, {90, 70}, {90, 100}, {70, 85}, {50, 100}}); // a notch, its vertex on a hatch line
    HatchPolygon(0, 3, 45);
    Outline({{100, 70}, {150, 70}, {150, 100}, {100, 100}});
    HatchPolygon(0, 3, 135);
    HatchRectangle(10, 15, 50, 55, 0, 90);
    TAusTabelle table;
    table.Init(65, 55, 3, {7, 5, 7, 7}, {"Load", "", "1", "2"});
    table.AddRow({"Fr", "N", "1200", "800"});
    table.AddRow({"Fa", "N", "0", "150"});
    table.AddRow({"n", "1/min", "1500", "88"});
    table.Done();
    c_endblocks();
    c_end();
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(settings::MessageCount, 0);

    const auto& list = w.DisplayList();
    std::vector<std::string> records(list.begin(), list.end());
    auto count = [&](const std::string& prefix) {
        return std::count_if(records.begin(), records.end(), [&](const std::string& r) { return r.rfind(prefix, 0) == 0; });
    };
    EXPECT_GT(count("4;"), 60) << "outlines, hatch lines and table lines";
    auto text = [&](const std::string& cell) {
        return std::any_of(records.begin(), records.end(), [&](const std::string& r) {
            return r.rfind("6;", 0) == 0 && r.size() > cell.size() && r.compare(r.size() - cell.size(), cell.size(), cell) == 0;
        });
    };
    for (const char* cell : {"; Load", "; Fr", "; 1/min", "; 150"})
        EXPECT_TRUE(text(cell)) << cell;
    QImage img = w.DrawingArea()->grab().toImage();
    ASSERT_TRUE(img.save(kt4::testing::ArtifactPath("cad_hatch_table.png")));
    RemovePrivateTempDir();
}

} // namespace
} // namespace kt4
