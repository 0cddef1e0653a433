// The IGES writer: a small drawing against its golden with the format's
// anchors, and the rules for blocks and inserts, colours, texts, long
// parameters, control characters and lines of no length.
#include "cad/iges_writer.h"
#include "cad_fixture.h"
#include "file_readers.h"
#include "sample_solids.h"

namespace kt4::cadtest {
namespace {

using namespace cad;

class Iges : public GoldenClockTest {
protected:
    IgesFile Write(const std::function<void()>& entities, const std::function<void()>& blocks = {})
    {
        Job(cmIges, entities, blocks);
        EXPECT_FALSE(settings::AbortFlag);
        written = dir.Get("part.igs");
        return ReadIges(written);
    }
    static std::vector<std::string> Params(const IgesFile& f, int type)
    {
        auto e = f.OfType(type);
        return e.empty() ? std::vector<std::string>{} : e.front()->params;
    }
    std::string written;
};

void GoldenBlocks()
{
    c_block("BEARINGS1"); // 9 characters
    c_setlayer(3);
    for (int k = 0; k < 13; ++k)
        c_line(k, 0, k, 10);
    c_endblock();
}

void GoldenEntities()
{
    c_setlayer(1);
    c_line(10, 10, 60, 10);
    c_setlayer(2);
    c_circle(20, 30, 5);
    c_setlayer(4);
    c_arc(40, 30, 350, 10, 8);
    c_setlayer(16);
    c_solid(70, 10, 80, 10, 70, 20, 80, 20);
    c_setlayer(18);
    c_settextstyle(2, 30, 3.5L, 2.5L);
    c_text(90, 20, SampleText());
    c_settextstyle(2, 0, 2, 1.5L);
    c_text(5, 3, LongText());
    c_setlayer(5);
    c_insert("bearings1", 100, 50, 90, 1, 1);
}

TEST_F(Iges, SmallDrawingMatchesItsGoldenWithTheAnchorsOfTheFormat)
{
    IgesFile f = Write(GoldenEntities, GoldenBlocks);
    ExpectGolden(written, "small.igs");

    // the first entity: directory entry 1, parameter pointer 1
    ASSERT_FALSE(f.entities.empty());
    EXPECT_EQ(f.entities[0].de, 1);
    EXPECT_EQ(f.entities[0].Field(2), "1");
    EXPECT_EQ(f.entities[1].Field(2), std::to_string(1 + std::stoi(f.entities[0].Field(14))));
    // the long text goes on over P lines, each with its DE number
    auto notes = f.OfType(212);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[1]->params.back(), LongText());
    EXPECT_GE(notes[1]->lines.size(), 3u);
    EXPECT_EQ(notes[0]->params.back(), OemToCp1252(SampleText()));
    // the block, written where it is inserted: 13 members, twelve on one
    // line; the name cut in the label only
    auto def = f.OfType(308);
    ASSERT_EQ(def.size(), 1u);
    EXPECT_EQ(def[0]->Field(18), "BEARINGS");
    EXPECT_EQ(def[0]->params[2], "BEARINGS1");
    EXPECT_EQ(def[0]->params[3], "13");
    ASSERT_EQ(def[0]->lines.size(), 3u);
    EXPECT_EQ(def[0]->lines[1].substr(0, 37), "13,15,17,19,21,23,25,27,29,31,33,35, ");
    EXPECT_EQ(def[0]->lines[2].substr(0, 3), "37;");
    // the 90-degree insert: a matrix, then the instance with zero offsets
    auto matrix = f.OfType(124);
    ASSERT_EQ(matrix.size(), 1u);
    EXPECT_EQ(matrix[0]->params, (std::vector<std::string>{"124", "0.000000", "-1.000000", "0.0", "100.0000", "1.000000",
                                                            "0.000000", "0.0", "50.0000", "0.0", "0.0", "1.0", "0.0"}));
    auto instance = f.OfType(408);
    ASSERT_EQ(instance.size(), 1u);
    EXPECT_EQ(instance[0]->params, (std::vector<std::string>{"408", std::to_string(def[0]->de), "0.0", "0.0", "0.0",
                                                              "1.0000"}));
    EXPECT_EQ(instance[0]->Field(7), std::to_string(matrix[0]->de));
    // the date of 2026 with its two-digit year, the fixed time
    EXPECT_NE(f.Data('G').find("13H260314.140920,"), std::string::npos);
    EXPECT_EQ(f.Data('T').substr(0, 32), "S0000002G0000005D" + std::to_string(10000000 + f.sections['D'].size()).substr(1) +
                                             "P" + std::to_string(10000000 + f.sections['P'].size()).substr(1));
}

TEST_F(Iges, BlocksAreFoundWhateverTheCaseAndUnknownOnesWriteNothing)
{
    IgesFile f = Write(
        [] {
            c_insert("exz", 0, 0, 0, 1, 1);
            c_insert("nosuch", 0, 0, 90, 1, 1);
            c_insert("EMPTY", 5, 5, 0, 1, 1);
        },
        [] {
            c_block("EXZ");
            c_line(0, 0, 1, 1);
            c_endblock();
            c_block("EMPTY");
            c_endblock();
        });
    auto instances = f.OfType(408);
    ASSERT_EQ(instances.size(), 2u);
    EXPECT_EQ(instances[0]->params[1], "3");
    EXPECT_TRUE(f.OfType(124).empty()) << "no matrix for the unknown block";
    bool told = false;
    for (Word i = 1; i <= settings::MessageCount; ++i)
        told = told || settings::MessageTexts[i] == "Blockname nosuch not found !";
    EXPECT_TRUE(told);
    // an empty block ends its parameters all the same
    EXPECT_EQ(f.OfType(308)[1]->lines[0].substr(0, 17), "308,0,5HEMPTY,0; ");
}

TEST_F(Iges, ManyBlocksNestedDepthsAndMemberLists)
{
    IgesFile f = Write(
        [] {
            c_insert("OUTER", 0, 0, 0, 1, 1);
            c_insert("B3000", 0, 0, 0, 1, 1);
        },
                       [] {
                           c_block("INNER");
                           c_line(0, 0, 1, 0);
                           c_endblock();
                           c_block("MIDDLE");
                           c_insert("INNER", 0, 0, 45, 1, 1); // a matrix, then the member
                           c_endblock();
                           c_block("OUTER");
                           c_insert("MIDDLE", 0, 0, 0, 1, 1);
                           c_circle(0, 0, 1);
                           c_endblock();
                           for (int k = 0; k <= 3000; ++k) {
                               c_block("B" + std::to_string(k));
                               c_endblock();
                           }
                       });
    // only the blocks inserted, the inner ones first
    auto defs = f.OfType(308);
    ASSERT_EQ(defs.size(), 4u);
    EXPECT_EQ(defs[0]->params[1], "0");
    EXPECT_EQ(defs[1]->params[1], "1");
    EXPECT_EQ(defs[2]->params[1], "2");
    for (const auto* d : {defs[0], defs[1], defs[2]})
        EXPECT_EQ(d->Field(9), "00000200");
    // the matrix belongs to the instance, not to the block
    EXPECT_EQ(defs[1]->params[3], "1");
    EXPECT_EQ(f.At(std::stoi(defs[1]->params[4]))->Type(), 408);
    EXPECT_EQ(f.At(std::stoi(defs[1]->params[4]))->Field(9), "00010000");
    // the 3001st block is found
    EXPECT_EQ(f.OfType(408).back()->params[1], std::to_string(defs[3]->de));
    EXPECT_EQ(defs[3]->params[2], "B3000");
    for (const auto& e : f.entities)
        EXPECT_EQ(e.Field(3), "0") << "structure field";
}

// The line member of the definition an instance points to: its end x.
std::string MemberEnd(const IgesFile& f, const IgesEntity& instance)
{
    const IgesEntity* def = f.At(std::stoi(instance.params[1]));
    return f.At(std::stoi(def->params[4]))->params[4];
}

TEST_F(Iges, InsertScalesAndMirrors)
{
    struct Case {
        Real angle, sx, sy;
        const char* matrix; // the four terms, or "" for a plain instance
        const char* form;
        const char* end; // of the line (0, 0)-(1, 0) at the definition's scale
    };
    const Case cases[] = {
        {0, 2, 2, "", "", "2.0000"},
        {0, -1, -1, "-1.000000 0.000000 0.000000 -1.000000", "0", "1.0000"}, // turned by 180 degrees
        {0, 1, -1, "1.000000 0.000000 0.000000 -1.000000", "1", "1.0000"},   // mirrored
        {90, -0.5L, 0.5L, "0.000000 -1.000000 -1.000000 0.000000", "1", "0.5000"},
        {30, 1.5L, 1.5L, "0.866025 -0.500000 0.500000 0.866025", "0", "1.5000"},
    };
    auto block = [] {
        c_block("P");
        c_line(0, 0, 1, 0);
        c_endblock();
    };
    for (const Case& c : cases) {
        settings::ClearMessages();
        IgesFile f = Write([&] { c_insert("P", 3, 4, c.angle, c.sx, c.sy); }, block);
        auto instance = f.OfType(408);
        ASSERT_EQ(instance.size(), 1u);
        EXPECT_EQ(instance[0]->params[5], "1.0000") << "the scale is in the definition";
        EXPECT_EQ(MemberEnd(f, *instance[0]), c.end);
        auto matrix = f.OfType(124);
        if (*c.matrix == 0) {
            EXPECT_TRUE(matrix.empty());
            EXPECT_EQ(instance[0]->params[2], "3.0000");
            continue;
        }
        ASSERT_EQ(matrix.size(), 1u) << c.matrix;
        const auto& p = matrix[0]->params;
        EXPECT_EQ(p[1] + " " + p[2] + " " + p[5] + " " + p[6], c.matrix);
        EXPECT_EQ(p[4] + " " + p[8], "3.0000 4.0000");
        EXPECT_EQ(matrix[0]->Field(15), c.form);
        EXPECT_EQ(settings::MessageCount, 0);
    }
    // unequal scales: |sx| and a warning that names the block
    IgesFile f = Write([] { c_insert("P", 0, 0, 0, 2, 3); }, block);
    EXPECT_EQ(MemberEnd(f, *f.OfType(408)[0]), "2.0000");
    EXPECT_EQ(settings::MessageTexts[1], "Warnung: IGES-Block P ungleich skaliert");
}

TEST_F(Iges, OneDefinitionPerScaleWithDependentMembers)
{
    IgesFile f = Write(
        [] {
            c_insert("Q", 0, 0, 0, 2, 2);
            c_insert("Q", 5, 5, 90, 2, 2);
            c_insert("Q", 0, 0, 0, 1, 1);
        },
        [] {
            c_block("P");
            c_line(0, 0, 1, 0);
            c_endblock();
            c_block("Q");
            c_insert("P", 1, 0, 0, 0.5L, 0.5L);
            c_endblock();
            c_block("UNUSED");
            c_line(0, 0, 9, 9);
            c_endblock();
        });
    // P at 2 x 0.5, Q at 2, P at 0.5, Q at 1; nothing of UNUSED
    auto defs = f.OfType(308);
    ASSERT_EQ(defs.size(), 4u);
    const char* names[] = {"P", "Q", "P", "Q"};
    for (std::size_t k = 0; k < 4; ++k)
        EXPECT_EQ(defs[k]->params[2], names[k]) << k;
    EXPECT_EQ(f.OfType(110).size(), 2u);
    for (const auto* i : f.OfType(408))
        EXPECT_EQ(i->params[5], "1.0000");
    auto top = f.OfType(408);
    ASSERT_EQ(top.size(), 5u);
    // members of Q at 2 and at 1: P's instance at (2, 0) and at (1, 0)
    EXPECT_EQ(top[0]->params[2] + " " + MemberEnd(f, *top[0]), "2.0000 1.0000");
    EXPECT_EQ(top[3]->params[2] + " " + MemberEnd(f, *top[3]), "1.0000 0.5000");
    // the two inserts at 2 share their definition
    EXPECT_EQ(top[1]->params[1], std::to_string(defs[1]->de));
    EXPECT_EQ(top[2]->params[1], std::to_string(defs[1]->de));
    EXPECT_EQ(top[4]->params[1], std::to_string(defs[3]->de));
    // members are dependent, instances outside blocks are not
    for (const auto* d : defs)
        for (std::size_t k = 4; k < d->params.size(); ++k)
            EXPECT_EQ(f.At(std::stoi(d->params[k]))->Field(9), "00010000");
    for (const auto* i : {top[1], top[2], top[4]})
        EXPECT_EQ(i->Field(9), "00000000");
}

TEST_F(Iges, ColoursOfCadColoursAndLayers)
{
    const std::pair<Integer, int> table[] = {{0, 0}, {1, 2}, {7, 0}, {8, 8}, {9, 3}, {10, 7}, {11, 2}, {12, 6},
                                             {13, 2}, {14, 8}, {15, 1}, {16, 0}, {25, 3}, {-1, 0}};
    for (auto [cad, iges] : table)
        EXPECT_EQ(IgesColorOf(cad), iges) << cad;
    ColorLayerColors[20] = 12;
    LayerColors[1] = 10;
    IgesFile f = Write([] {
        c_setlayer(20);
        c_line(0, 0, 1, 0);
        c_setlayer(1);
        c_line(0, 0, 2, 0);
        c_setcolorscheme(1);
        c_setlayer(3); // CAD colour 4
        c_line(0, 0, 3, 0);
    });
    auto lines = f.OfType(110);
    ASSERT_EQ(lines.size(), 3u);
    const char* want[][3] = {{"6", "6", "1"}, {"7", "7", "4"}, {"7", "7", "4"}}; // level, colour, line font
    for (std::size_t k = 0; k < 3; ++k)
        EXPECT_EQ(lines[k]->Field(5) + lines[k]->Field(13) + lines[k]->Field(4),
                  std::string(want[k][0]) + want[k][1] + want[k][2])
            << k;
}

TEST_F(Iges, ParametersBreakOnlyBetweenParametersAndTextsStayWhole)
{
    // commas inside a text that runs over the line end; control characters
    const std::string text = "a,b,\tc" + std::string(70, ',') + "\x01z";
    IgesFile f = Write([&] {
        c_settextstyle(2, 0, 123456.75L, 1.5L);
        c_text(1234567.25L, 7654321.5L, text);
        c_text(1, 1, "x");
    });
    auto notes = f.OfType(212);
    ASSERT_EQ(notes.size(), 2u);
    std::string cleaned = text;
    for (char& c : cleaned)
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    EXPECT_EQ(notes[0]->params.back(), cleaned);
    EXPECT_EQ(notes[0]->params[2], std::to_string(text.size()));
    // no line ends inside a number: every line but a text's ends with a delimiter
    for (const auto* n : notes)
        for (const auto& l : n->lines) {
            std::string data = l.substr(0, 64);
            data.erase(data.find_last_not_of(' ') + 1);
            bool inText = l.find('H') != std::string::npos || data.size() == 64;
            EXPECT_TRUE(inText || data.back() == ',' || data.back() == ';') << l;
        }
    // the Global section holds a long file name shortened to 30 bytes
    settings::CurrentFileName = dir.File("a very long name of a project file with \xC3\xBC in it");
    CadBatchMode = true;
    c_begin(cmIges);
    c_header_default();
    c_end();
    IgesFile g = ReadIges(dir.Get("a very long name of a project file with \xC3\xBC in it.igs"));
    std::vector<std::string> global = IgesParams(g.Data('G'));
    ASSERT_GE(global.size(), 24u);
    EXPECT_LE(global[3].size(), 30u);
    EXPECT_EQ(global[3].substr(0, 6), "a very");
    EXPECT_EQ(global[3], global[11]);
    EXPECT_EQ(global[20] + global[21], "") << "author and organisation";
    EXPECT_EQ(global[5], "1.1") << "the preprocessor version";
}

TEST_F(Iges, LinesOfNoLengthAreLeftOut)
{
    IgesFile f = Write([] {
        c_line(5, 5, 5, 5);
        c_line(5, 5, 5.00001L, 5);
        c_line(5, 5, 6, 5);
        c_circle(1, 1, 0);
    });
    EXPECT_EQ(f.OfType(110).size(), 1u);
    EXPECT_TRUE(f.OfType(100).empty());
}

} // namespace
} // namespace kt4::cadtest
