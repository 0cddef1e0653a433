// The STEP writer: the one-line drawing against its golden, names in the
// file's own encoding, the page without lines, the two entity passes,
// blocks replayed from block files, and lines of no length.
#include "cad/step_writer.h"
#include "cad_fixture.h"
#include "file_readers.h"

#include <algorithm>

namespace kt4::cadtest {
namespace {

using namespace cad;

class Step : public GoldenClockTest {
protected:
    // The file of a whole two-pass job, the scratch folder left out of
    // the names.
    std::string Write(const std::function<void(int pass)>& entities, const std::function<void()>& blocks = {},
                      const std::string& name = "part")
    {
        CadBatchMode = true;
        settings::CurrentFileName = dir.File(name);
        c_begin(cmStep);
        EXPECT_FALSE(settings::AbortFlag);
        c_setlayer(0);
        c_header_default();
        c_tables(2);
        c_blocks();
        if (blocks)
            blocks();
        c_endblocks();
        passes = 0;
        do {
            c_entities();
            entities(++passes);
            c_endblocks();
        } while (!c_pass_done());
        c_end();
        std::string text = dir.Get(name + ".stp");
        const std::string folder = dir.File("");
        for (std::size_t p; (p = text.find(folder)) != std::string::npos;)
            text.erase(p, folder.size());
        return text;
    }
    int passes = 0;
};

TEST_F(Step, OneLineMatchesItsGolden)
{
    std::string text = Write([](int) { c_line(0, 0, 10, 0); });
    ExpectGolden(text, "one_line.stp");
    EXPECT_EQ(passes, 2);
    auto r = StepRecords(text);
    EXPECT_EQ(r[25], "SHAPE_REPRESENTATION('',(#11,#26),#34);");
    EXPECT_EQ(r[27], "TRIMMED_CURVE('',#28,(#32,PARAMETER_VALUE(0.E+000)),(#33,PARAMETER_VALUE(1.00000E+001)),.T.,"
                     ".PARAMETER.);");
    EXPECT_EQ(r[31], "DIRECTION('',(1.00000E+000,0.00000E+000,0.00000E+000));");
    EXPECT_EQ(r[34].substr(0, 38), "( GEOMETRIC_REPRESENTATION_CONTEXT(3) ");
    EXPECT_EQ(r[53], "STYLED_ITEM('color',(#54),#26);");
    EXPECT_EQ(r.rbegin()->first, 62);
    EXPECT_NE(text.find("FILE_NAME('part.stp','2026-03-14T09:26:53',(''),(''),"), std::string::npos);
}

TEST_F(Step, NumbersAndNamesInTheFilesOwnForms)
{
    const std::pair<Real, const char*> numbers[] = {{100, "1.00000E+002"}, {-0.25L, "-2.50000E-001"},
                                                    {0, "0.00000E+000"},   {-0.0L, "0.00000E+000"},
                                                    {123456789, "1.23457E+008"}, {1e-200L, "1.00000E-200"}};
    for (auto [x, want] : numbers)
        EXPECT_EQ(StepNum(x), want);
    EXPECT_EQ(StepString("it's a\\b \xC3\x9C\xC3\xA4 \x01\x7F x \xF0\x9F\x98\x80"),
              "it''s a\\\\b \\X2\\00DC00E4\\X0\\    x \\X4\\0001F600\\X0\\");

    // a name with ', \ and Ü: the file is 7-bit ASCII, the product is the name
    const std::string name = "it's a\\b \xC3\x9C";
    std::string text = Write([](int) { c_line(0, 0, 0, -5); }, {}, name);
    EXPECT_TRUE(std::all_of(text.begin(), text.end(),
                            [](char c) { return (c >= 0x20 && c < 0x7F) || c == '\r' || c == '\n'; }));
    EXPECT_NE(text.find("FILE_NAME('it''s a\\\\b \\X2\\00DC\\X0\\.stp',"), std::string::npos);
    EXPECT_NE(text.find("PRODUCT('it''s a\\\\b \\X2\\00DC\\X0\\','it''s a\\\\b \\X2\\00DC\\X0\\','',"),
              std::string::npos);
    // a vertical line points straight down
    EXPECT_NE(text.find("DIRECTION('',(0.00000E+000,-1.00000E+000,0.00000E+000));"), std::string::npos);
}

TEST_F(Step, APageWithoutLinesKeepsItsProductTree)
{
    // a job of circles only writes nothing and keeps the older file
    dir.Put("part.stp", "older");
    EXPECT_EQ(Write([](int) { c_circle(0, 0, 5); }), "older");
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_TRUE(CadJobBlank());
    EXPECT_TRUE(Logged("error").empty()) << "the caller names the drawing";
    // the writer asked directly writes the page's tree
    StepWriter w;
    ASSERT_TRUE(w.Open(dir.File("part.stp")));
    w.Header(dir.File("part.stp"));
    w.Entities();
    w.Line(1, 1, 1, 1); // no length: no line
    ASSERT_TRUE(w.Close());
    auto r = StepRecords(dir.Get("part.stp"));
    EXPECT_EQ(r[25], "SHAPE_REPRESENTATION('',(#11),#26);");
    EXPECT_EQ(r[31], "SHAPE_DEFINITION_REPRESENTATION(#32,#25);");
    EXPECT_EQ(r[39].substr(0, 44), "( REPRESENTATION_RELATIONSHIP('','',#25,#10)");
    EXPECT_EQ(r[43], "PRODUCT_TYPE('part',$,(#35));");
    EXPECT_EQ(r.rbegin()->first, 43) << "no style without a curve";
}

TEST_F(Step, TheFirstPassMakesTheFileAndBlocksAreReplayed)
{
    // a second pass that differed would not change the file
    std::string text = Write(
        [](int pass) {
            c_insert("pair", 5, 5, 0, 2, 2);
            c_line(1, 1, 1, 1); // no length
            if (pass == 2)
                c_line(0, 0, 50, 50);
        },
        [] {
            c_block("PAIR");
            c_line(0, 0, 10, 0);
            c_circle(0, 0, 3); // nothing of it in STEP
            c_line(0, 0, 0, 10);
            c_endblock();
        });
    auto r = StepRecords(text);
    EXPECT_EQ(r[25], "SHAPE_REPRESENTATION('',(#11,#26,#34),#42);");
    // the first line of the block, moved and doubled
    EXPECT_EQ(r[33], "CARTESIAN_POINT('',(2.50000E+001,5.00000E+000,0.E+000));");
    // header, DATA, skeleton, shape, two lines, closing (one record on
    // three lines), end
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 7 + 1 + 24 + 1 + 2 * 8 + 29 + 2 + 2);
    EXPECT_EQ(text.find("ENTITIES"), std::string::npos) << "no DXF in the STEP file";
}

} // namespace
} // namespace kt4::cadtest
