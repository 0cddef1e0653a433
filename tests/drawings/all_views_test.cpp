// Every view of the fixture projects and of degenerate drives on every
// device: the job ends, nothing that is no number reaches a writer, and no
// writer has a message to add.
#include "drawings_fixture.h"

#include "drawings/part_drawings.h"

#include <filesystem>
#include <limits>

namespace kt4::drawtest {
namespace {

struct Project {
    const char* name;
    const char* fixture;
    void (*change)(); // applied after the calculation
};

const Project Projects[] = {
    {"default", "x", [] {}},
    {"catalogue", "y", [] {}},
    {"no housing", "y", [] { drive::dHe = 0; }},
    {"no stationary ratio", "y", [] { drive::i0 = 0; }},
    {"no output disk", "y", [] { drive::bs = 0; }},
    {"empty slots, no disk", "x", [] { drive::bs = 0; }},
    {"nothing finite", "y",
     [] {
         drive::Pw = std::numeric_limits<Real>::quiet_NaN();
         drive::T[3] = std::numeric_limits<Real>::infinity();
         drive::SigV[1] = std::numeric_limits<Real>::quiet_NaN();
     }},
};

class AllViews : public DrawingsTest {};

TEST_F(AllViews, EveryViewOnEveryDevice)
{
    cad::CadBatchMode = true;
    for (const Project& p : Projects) {
        LoadFixture(p.fixture);
        p.change();
        for (Word view = 0; view <= drawings::LastView; ++view) {
            const bool refused = !drawings::ViewRefusal(view, RecordMode).empty();
            // the calls themselves: every number finite
            Record(view);
            for (const Call& c : Calls())
                for (Real v : c.v)
                    ASSERT_TRUE(std::isfinite(v)) << p.name << " view " << view << " " << c.op;
            for (Word mode : {cad::cmDxf, cad::cmIges, cad::cmScreen, cad::cmTxt, cad::cmStl, cad::cmStep}) {
                const std::string tag = std::string(p.name) + " view " + std::to_string(view) + " mode " +
                                        std::to_string(mode);
                settings::ClearMessages();
                ui->ClearLog();
                settings::CurrentFileName = dir.File("v");
                drawings::DrawView(view, mode);
                EXPECT_FALSE(cad::CadJobRunning()) << tag;
                EXPECT_EQ(settings::MessageCount, 0) << tag << ": " << settings::MessageTexts[1];
                // a STEP of circles only is refused after its job, without a file
                const bool blank = cad::CadJobBlank();
                EXPECT_TRUE(!blank || (mode == cad::cmStep &&
                                       !std::filesystem::exists(dir.File("v.stp")))) << tag;
                if (refused || (view == 6 && mode == cad::cmStl) || blank) {
                    EXPECT_TRUE(settings::AbortFlag) << tag;
                    EXPECT_EQ(ui->Log().size(), 1u) << tag; // the refusal alone
                    continue;
                }
                EXPECT_FALSE(settings::AbortFlag) << tag;
                for (const auto& entry : ui->Log()) // the STL height question of the page views
                    EXPECT_EQ(entry.rfind("text|", 0), 0u) << tag << ": " << entry;
            }
            for (const char* ext : {"dxf", "igs", "txt", "stl", "stp"})
                std::filesystem::remove(dir.File(std::string("v.") + ext));
        }
    }
}

} // namespace
} // namespace kt4::drawtest
