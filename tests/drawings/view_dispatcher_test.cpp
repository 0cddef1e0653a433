// The view dispatcher: one job per view, the frame by the view table, the
// blocks each view defines, the STEP passes, the refusals, and what a
// failed calculation or a cancelled dialog leaves.
#include "drawings_fixture.h"

#include "drawings/part_drawings.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

namespace kt4::drawtest {
namespace {

using drawings::DrawView;

class Dispatcher : public DrawingsTest {};

TEST_F(Dispatcher, FailedCalculationShowsItsMessagesAndOpensNoJob)
{
    drawings::DrawView(1, 3);
    const auto before = graphics::ActiveGraphWindow().DisplayList().Epoch();
    const std::size_t count = graphics::ActiveGraphWindow().DisplayList().Count();
    settings::CalcErrorFlag = true;
    EXPECT_TRUE(Record(1).empty());
    cad::CadBatchMode = true;
    DrawView(1, cad::cmDxf);
    DrawView(3, 3);
    EXPECT_FALSE(std::filesystem::exists(dir.File("part.dxf")));
    EXPECT_EQ(graphics::ActiveGraphWindow().DisplayList().Epoch(), before);
    EXPECT_EQ(graphics::ActiveGraphWindow().DisplayList().Count(), count);
    EXPECT_FALSE(cad::CadJobRunning());
}

TEST_F(Dispatcher, CancelledFormatDialogDrawsNothing)
{
    Calls().clear();
    DrawView(1, 0); // the CAD output dialog, cancelled by the headless answer
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_TRUE(Calls().empty());
    EXPECT_FALSE(cad::CadJobRunning());
}

TEST_F(Dispatcher, ScreenViewModeFiveRedrawsTheSectionAndAnyOtherTheOverview)
{
    auto overview = [] {
        for (const auto& r : graphics::ActiveGraphWindow().DisplayList())
            if (r.rfind("6;", 0) == 0 && r.size() > 5 && r.substr(r.size() - 5) == " Load")
                return true;
        return false;
    };
    for (Integer mode : {0, 1, 2, 3, 4, 5, 6, 99}) {
        settings::ScreenViewMode = mode;
        drawings::RedrawCurrentView();
        EXPECT_EQ(overview(), mode != 5) << mode;
        EXPECT_GT(graphics::ActiveGraphWindow().DisplayList().Count(), 100u) << mode;
    }
}

TEST_F(Dispatcher, FrameAndBlocksFollowTheViewTable)
{
    LoadFixture("y");
    const std::set<int> housing = {3, 8, 9, 13, 14, 15, 16, 19, 20, 22};
    const std::set<int> page = {0, 1, 4, 5, 21, 23, 100};
    for (int view : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 100}) {
        const auto& calls = Record(static_cast<Word>(view));
        const auto headers = Only(calls, "header");
        ASSERT_EQ(headers.size(), 1u) << view;
        const std::vector<Real>& h = headers[0].v;
        if (page.count(view)) {
            EXPECT_EQ(h, (std::vector<Real>{0, 0, 160, 120, 1})) << view;
        } else {
            const Real F = (housing.count(view) ? drive::dHe : drive::dH) / 2 + 1;
            EXPECT_EQ(h, (std::vector<Real>{-F, -F, F, F, 0})) << view;
        }
        std::vector<std::string> blocks;
        for (const Call& c : Only(calls, "block"))
            blocks.push_back(c.s);
        const std::vector<std::string> bearings = {"lager1", "lager2", "lager3", "lager4", "lager5"};
        std::vector<std::string> want;
        if (view == 1 || view == 3)
            want = bearings;
        if (view == 1)
            want.insert(want.end(), {"H", "W", "EXZ", "abtr", "SA"});
        EXPECT_EQ(blocks, want) << view;
        EXPECT_EQ(Only(calls, "entities").size(), 1u) << view;
        EXPECT_EQ(Only(calls, "layer").front().v[0], 0) << "the job starts on layer 0";
    }
}

TEST_F(Dispatcher, StepPassesRepeatTheSameCallsAndDefineTheBlocksOnce)
{
    LoadFixture("y");
    for (Word view : {1, 3, 11, 21}) {
        PassesLeft = 1;
        const auto calls = Record(view);
        std::vector<std::vector<Call>> passes(1);
        bool in = false;
        for (const Call& c : calls) {
            if (c.op == "entities") {
                if (in || !passes.back().empty())
                    passes.emplace_back();
                in = true;
            } else if (c.op == "endblocks") {
                in = false;
            } else if (in) {
                passes.back().push_back(c);
            }
        }
        ASSERT_EQ(passes.size(), 2u) << view;
        ASSERT_EQ(passes[0].size(), passes[1].size()) << view;
        for (std::size_t k = 0; k < passes[0].size(); ++k) {
            EXPECT_EQ(passes[0][k].op, passes[1][k].op) << view << " call " << k;
            EXPECT_EQ(passes[0][k].v, passes[1][k].v) << view << " call " << k;
            EXPECT_EQ(passes[0][k].s, passes[1][k].s) << view << " call " << k;
        }
        std::map<std::string, int> defined;
        for (const Call& c : Only(calls, "block"))
            ++defined[c.s];
        for (const auto& [name, n] : defined)
            EXPECT_EQ(n, 1) << name;
    }
}

TEST_F(Dispatcher, AStopInsideABlockEndsThatBlockOnly)
{
    LoadFixture("y");
    bool stopped = false;
    OnLayer = [&](int n) {
        if (n == 3 && !stopped)
            stopped = settings::AbortFlag = true; // the first hatch fails
    };
    const auto& calls = Record(3);
    EXPECT_TRUE(stopped);
    EXPECT_EQ(Only(calls, "block").size(), 5u);
    EXPECT_EQ(Only(calls, "endblock").size(), 5u);
    EXPECT_EQ(Only(Entities(calls), "insert").size(), 3u);
    EXPECT_FALSE(settings::AbortFlag);
}

TEST_F(Dispatcher, CadScaleAndDecimalsChangeTheDxfFileOnly)
{
    LoadFixture("y");
    cad::CadBatchMode = true;
    cad::DrawingFooter = true; // the page's footer without the time
    // the screen's view 1 and the files of view 3, which replay the bearing blocks
    auto outputs = [this] {
        DrawView(1, cad::cmScreen);
        std::vector<std::string> out(1);
        for (const auto& r : graphics::ActiveGraphWindow().DisplayList())
            out[0] += r + "\n";
        for (auto [mode, ext] : {std::pair<Word, const char*>{cad::cmStep, "stp"}, {cad::cmStl, "stl"},
                                 {cad::cmDxf, "dxf"}}) {
            settings::CurrentFileName = dir.File("s");
            DrawView(3, mode);
            out.push_back(dir.Get(std::string("s.") + ext));
            EXPECT_GT(out.back().size(), 1000u) << ext;
        }
        const std::size_t name = out[1].find("FILE_NAME("); // the STEP file's time
        out[1].erase(name, out[1].find('\n', name) - name);
        return out;
    };
    const auto standard = outputs();
    for (auto [scale, decimals] : {std::pair<Real, int>{2, 6}, {1, 1}, {1, 3}}) {
        cad::CadScale = scale;
        cad::CadDecimals = decimals;
        const auto o = outputs();
        const std::string tag = std::to_string(double(scale)) + " " + std::to_string(decimals);
        EXPECT_TRUE(o[0] == standard[0]) << "screen " << tag;
        EXPECT_TRUE(o[1] == standard[1]) << "STEP " << tag;
        EXPECT_TRUE(o[2] == standard[2]) << "STL " << tag;
        EXPECT_TRUE(o[3] != standard[3]) << "DXF " << tag;
    }
}

TEST_F(Dispatcher, ViewsThatCannotBeDrawnAreRefusedWithoutAFile)
{
    // x.kt4: the thin covers lack their bearing slot
    LoadFixture("x");
    struct Case {
        Word view;
        Word device;
        const char* message; // part of the message; nullptr: drawn
    };
    const Case cases[] = {
        {16, cad::cmDxf, "Lager 4 ist nicht belegt"},
        {19, cad::cmStl, "Lager 4 ist nicht belegt"},
        {20, cad::cmIges, "Lager 1 ist nicht belegt"},
        {18, cad::cmDxf, nullptr}, // the closed thin input cover needs no record
        {6, cad::cmStl, "STL > Abtriebswelle"},
        {6, cad::cmDxf, nullptr}, // the frame alone
        {7, cad::cmStl, nullptr},
        // STEP carries lines only: found by the job, named by the view
        {7, cad::cmStep, "Ansicht 7 (Rolle): keine Linie - STEP"},
        {2, cad::cmStep, "Ansicht 2: keine Linie"},
        {3, cad::cmStep, nullptr},
    };
    cad::CadBatchMode = true;
    for (const Case& c : cases) {
        ui->ClearLog();
        settings::AbortFlag = false;
        std::filesystem::remove_all(dir.File("out"));
        std::filesystem::create_directories(dir.File("out"));
        settings::CurrentFileName = dir.File("out/part");
        DrawView(c.view, c.device);
        const bool written = !std::filesystem::is_empty(dir.File("out"));
        if (c.message) {
            EXPECT_TRUE(settings::AbortFlag) << c.view;
            EXPECT_FALSE(written) << c.view;
            ASSERT_EQ(ui->Log().size(), 1u) << c.view; // the message and no dialog
            EXPECT_NE(ui->Log()[0].find(c.message), std::string::npos) << ui->Log()[0];
        } else {
            EXPECT_FALSE(settings::AbortFlag) << c.view;
            EXPECT_TRUE(written) << c.view;
        }
    }
    // the CAD output dialog's preset counts for device 0
    cad::CadMode = cad::cmStl;
    EXPECT_NE(drawings::ViewRefusal(6, cad::CadMode), "");
    EXPECT_EQ(drawings::ViewRefusal(6, cad::cmDxf), "");
    EXPECT_EQ(Entities(Record(6)).size(), 1u); // the layer, nothing else

    // a part of no thickness, a roller without wall
    struct Degenerate {
        Word view;
        Real* value;
        Real set;
    };
    LoadFixture("y");
    const Degenerate degenerate[] = {{16, &drive::bs, 0},   {18, &drive::bs, 0},   {13, &drive::bH, 0},
                                     {14, &drive::bsDist, -1}, {9, &drive::bLg1, 0}, {7, &drive::dR, 4},
                                     {7, &drive::bPOver, 0}, {12, &drive::bP, 0}};
    for (const Degenerate& d : degenerate) {
        const Real keep = *d.value;
        *d.value = d.set;
        if (d.view == 18)
            bearings::BearingSlots[1].B = 0;
        EXPECT_NE(drawings::PartRefusal(d.view), "") << d.view;
        EXPECT_TRUE(Record(d.view).empty()) << d.view;
        EXPECT_TRUE(settings::AbortFlag) << d.view;
        *d.value = keep;
        LoadFixture("y");
    }
    cad::FitClearanceShaft = 1;
    cad::FitClearanceBore = 1; // 6 - 1 <= 4 + 1
    EXPECT_NE(drawings::PartRefusal(7), "");
}

// The page stands from 0 to the height answered, the assembly section
// from 0 to 1 mm, whatever z range the blocks' parts or an STL of a part
// before left: the same file as in a fresh process.
TEST_F(Dispatcher, StlOfThePageAndTheSectionDependsOnNoEarlierExport)
{
    LoadFixture("y");
    cad::CadBatchMode = true;
    auto stl = [&](Word view) {
        if (view == 1)
            ui->Script("5"); // the height
        DrawView(view, cad::cmStl);
        EXPECT_FALSE(settings::AbortFlag) << view;
        return dir.Get("part.stl");
    };
    auto zRange = [](const std::string& bytes) {
        float lo = 1e9f, hi = -1e9f, z;
        for (std::size_t p = 84 + 20; p + 30 <= bytes.size(); p += 50)
            for (std::size_t v = 0; v < 3; ++v) {
                std::memcpy(&z, bytes.data() + p + 12 * v, 4);
                lo = std::min(lo, z);
                hi = std::max(hi, z);
            }
        return std::pair{lo, hi};
    };
    const std::string page = stl(1), section = stl(3);
    EXPECT_EQ(zRange(page), std::pair(0.0f, 5.0f));
    EXPECT_EQ(zRange(section), std::pair(0.0f, 1.0f));
    stl(10);
    EXPECT_TRUE(stl(1) == page);
    stl(10);
    EXPECT_TRUE(stl(3) == section);
}

} // namespace
} // namespace kt4::drawtest
