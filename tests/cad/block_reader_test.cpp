// The DXF block reader: block files and templates replayed into the
// primitives with the insert's transform, nesting, the reader's failures,
// two files that ezdxf itself wrote, and files read again only when the
// program writes them or their time or size changes.
#include "cad_fixture.h"

#include "cad/block_file_device.h"
#include "cad/block_reader.h"
#include "foundation/maths.h"

#include <algorithm>
#include <chrono>
#include <fstream>

namespace kt4::cadtest {
namespace {

using namespace cad;

std::string N(Real x) { return graphics::DisplayNumStr(x); }

// Records what a replay draws (mode 9 as a device without blocks).
struct Replayed : TBlockFileDevice {
    static inline std::vector<std::string> calls;

protected:
    void DrawLine(Real x1, Real y1, Real x2, Real y2) override
    {
        calls.push_back("line " + N(x1) + " " + N(y1) + " " + N(x2) + " " + N(y2));
    }
    void DrawCircle(Real x, Real y, Real r, bool) override { calls.push_back("circle " + N(x) + " " + N(y) + " " + N(r)); }
    void DrawArcDir(Real x, Real y, Real a1, Real a2, Real r, Real s) override
    {
        calls.push_back("arc " + N(x) + " " + N(y) + " " + N(a1) + " " + N(a2) + " " + N(r) + " " + N(s));
    }
    void DrawText(Real x, Real y, const std::string& s) override
    {
        calls.push_back("text " + N(x) + " " + N(y) + " " + s + " h " + N(CadTextHeight) + " a " + N(CadTextAngle));
    }
    void DrawSolid(Real x1, Real y1, Real, Real, Real, Real, Real x4, Real y4) override
    {
        calls.push_back("solid " + N(x1) + " " + N(y1) + " " + N(x4) + " " + N(y4));
    }
    void DrawSetLayer(int n) override { calls.push_back("layer " + std::to_string(n)); }
};

class BlockReader : public CadTest {
protected:
    void SetUp() override
    {
        CadTest::SetUp();
        RegisterCadDevice(9, [] { return std::make_unique<Replayed>(); });
        c_begin(9);
        Replayed::calls.clear();
    }
    // A block file of our own: the pairs, then EOF unless told otherwise.
    static void PutBlock(const std::string& file, std::initializer_list<std::pair<int, const char*>> pairs,
                         bool eof = true)
    {
        std::ofstream out(PrivateTempSubdir("blocks") + file, std::ios::binary);
        for (auto [code, value] : pairs)
            out << code << "\r\n" << value << "\r\n";
        if (eof)
            out << "  0\r\nEOF\r\n";
    }
    static void CopyFixture(const std::string& fixture, const std::string& file)
    {
        std::filesystem::copy_file(std::string(KT4_SOURCE_DIR) + "/tests/cad/fixtures/" + fixture,
                                   PrivateTempSubdir("blocks") + file);
    }
    // What inserting name draws, without the layer calls.
    static std::vector<std::string> Drawn(const std::string& name, Real x = 0, Real y = 0, Real angle = 0,
                                          Real sx = 1, Real sy = 1)
    {
        Replayed::calls.clear();
        c_insert(name, x, y, angle, sx, sy);
        std::vector<std::string> out;
        for (const auto& c : Replayed::calls)
            if (c.rfind("layer ", 0) != 0)
                out.push_back(c);
        return out;
    }
};

TEST_F(BlockReader, TransformsOfNestedInserts)
{
    PutBlock("$INNER.dx$", {{0, "LINE"}, {8, "0"}, {10, "1"}, {20, "1"}, {11, "2"}, {21, "2"},
                            {0, "CIRCLE"}, {10, "0"}, {20, "0"}, {40, "1"}});
    PutBlock("$OUTER.dx$", {{0, "INSERT"}, {2, "INNER"}, {8, "0"}, {10, "0"}, {20, "0"}, {41, "2"}, {42, "1"}});
    EXPECT_EQ(Drawn("OUTER", 0, 0, 0, 1, 3), (std::vector<std::string>{"line 2 3 4 6", "circle 0 0 2"}));
    // turned and moved: the point (1, 0) of a block turned by 90 at (10, 20)
    PutBlock("$P.dx$", {{0, "LINE"}, {10, "1"}, {20, "0"}, {11, "1"}, {21, "0"}});
    EXPECT_EQ(Drawn("P", 10, 20, 90), std::vector<std::string>{"line 10 21 10 21"});
    EXPECT_EQ(CadBlockLevel, 0);
    EXPECT_EQ(CadInsRotation, 0);
}

TEST_F(BlockReader, ArcsTextsAndTheEndOfTheFile)
{
    PutBlock("$A.dx$", {{0, "ARC"}, {10, "0"}, {20, "0"}, {40, "5"}, {50, "350"}, {51, "10"},
                        {0, "ARC"}, {10, "0"}, {20, "0"}, {40, "5"}, {50, "350"}, {51, "10"}, {230, "-1"},
                        {0, "ARC"}, {10, "0"}, {20, "0"}, {40, "0"}, {50, "0"}, {51, "10"},
                        {0, "TEXT"}, {1, "T"}, {10, "1"}, {20, "2"}},
             false); // no EOF: read to the end
    EXPECT_EQ(Drawn("A"), (std::vector<std::string>{"arc 0 0 350 10 5 20", "arc 0 0 350 10 5 -340",
                                                    "text 1 2 T h 3.5 a 0"}));
    // inside a nested turned insert a text turns with every insert
    PutBlock("$T.dx$", {{0, "TEXT"}, {1, "x"}, {40, "2"}, {50, "10"}});
    PutBlock("$T2.dx$", {{0, "INSERT"}, {2, "T"}, {50, "45"}});
    EXPECT_EQ(Drawn("T2", 0, 0, 30, 1, 2), std::vector<std::string>{"text 0 0 x h 4 a 85"});
}

TEST_F(BlockReader, PolylinesClosedAndBulged)
{
    // closed by the bit of value 1 (129 too): three vertices, three segments
    PutBlock("$PL.dx$", {{0, "POLYLINE"}, {66, "1"}, {70, "129"}, {0, "VERTEX"}, {10, "0"}, {20, "0"},
                         {0, "VERTEX"}, {10, "10"}, {20, "0"}, {0, "VERTEX"}, {10, "10"}, {20, "10"},
                         {0, "SEQEND"}, {0, "LINE"}, {11, "1"}});
    EXPECT_EQ(Drawn("PL"), (std::vector<std::string>{"line 0 0 10 0", "line 10 0 10 10", "line 10 10 0 0",
                                                     "line 0 0 1 0"}));
    // A, B (bulge 1), C: a straight A-B and a half circle B-C
    PutBlock("$LW.dx$", {{0, "LWPOLYLINE"}, {8, "3"}, {100, "AcDbEntity"}, {100, "AcDbPolyline"}, {90, "3"},
                         {70, "0"}, {10, "0"}, {20, "0"}, {10, "10"}, {20, "0"}, {42, "1"}, {10, "10"}, {20, "10"}});
    Replayed::calls.clear();
    c_insert("LW", 0, 0, 0, 1, 1);
    EXPECT_EQ(Replayed::calls, (std::vector<std::string>{"layer 3", "line 0 0 10 0", "layer 3",
                                                         "arc 10 5 -90 90 5 180"}));
}

TEST_F(BlockReader, FilesWrittenByEzdxf)
{
    CopyFixture("r12.dxf", "$R12.dx$");
    CopyFixture("r2000.dxf", "$R2000.dx$");
    settings::ClearMessages();
    std::vector<std::string> want = {"line 0 0 10 0", "circle 5 5 2", "arc 0 0 350 10 4 20",
                                     "text 1 2 ezdxf h 2.5 a 30", "line 0 0 10 0", "arc 10 5 -90 90 5 180",
                                     "line 10 10 0 0"};
    EXPECT_EQ(Drawn("R12"), want);
    LayerNames[5] = "KONTUR"; // a renamed layer 5 keeps its layer
    Replayed::calls.clear();
    c_insert("r2000", 0, 0, 0, 1, 1);
    // the closing segment starts a clockwise half circle at (20, 10)
    want = {"layer 5", "line 0 0 20 0", "layer 5", "line 20 0 20 10", "layer 5",
            "arc 10 5 26.565051 206.56505 11.18034 -180"};
    EXPECT_EQ(Replayed::calls, want);
    EXPECT_EQ(settings::MessageCount, 0) << settings::MessageTexts[1];
    EXPECT_FALSE(settings::AbortFlag);
}

TEST_F(BlockReader, NamesWhateverTheirCaseAndNeverAPath)
{
    PutBlock("$EXZ.dx$", {{0, "CIRCLE"}, {40, "1"}});
    EXPECT_EQ(Drawn("exz"), std::vector<std::string>{"circle 0 0 1"});
    EXPECT_EQ(FindBlockFile("../EXZ"), "");
    EXPECT_EQ(FindBlockFile("a\nb"), "");
    settings::ClearMessages();
    EXPECT_TRUE(Drawn("nosuch").empty());
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(settings::MessageTexts[1], "Invalid temp directory");
    // a name that cannot be a file: no error until the drawing inserts it
    settings::AbortFlag = false;
    CadInBlocks = true;
    c_block("x/y");
    c_endblock();
    EXPECT_FALSE(settings::AbortFlag);
    // a user's Cancel stays
    c_block("ok");
    settings::AbortFlag = true;
    c_endblock();
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_NE(ReadBlock("ok").find("EOF"), std::string::npos) << "the block file is closed";
    CadInBlocks = false;
    c_insert("ok", 0, 0, 0, 1, 1);
    EXPECT_TRUE(Logged("error").empty()) << "a block written whole";
    c_insert("X/Y", 0, 0, 0, 1, 1); // any case
    c_end();
    EXPECT_EQ(Logged("error"),
              std::vector<std::string>{"error|Fehler : |file write error (Invalid argument): $x/y.dx$ wurde nicht geschrieben."});
}

TEST_F(BlockReader, FailuresEndTheReplayNotTheProgram)
{
    // a block that inserts itself stops at the fifth level
    PutBlock("$SELF.dx$", {{0, "LINE"}, {0, "INSERT"}, {2, "self"}, {10, "1"}});
    std::vector<std::string> d = Drawn("SELF");
    EXPECT_EQ(d.size(), 4u);
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(Logged("error"), std::vector<std::string>{"error|Fehler : |error blockno.5"});
    EXPECT_EQ(CadBlockLevel, 0);
    EXPECT_EQ(CadInsScaleX, 1);
    EXPECT_EQ(CadInsBaseX, 0);

    // a POLYLINE without VERTEX: its message, then on with the next entity
    settings::AbortFlag = false;
    ui->ClearLog();
    PutBlock("$BAD.dx$", {{0, "POLYLINE"}, {70, "1"}, {0, "LINE"}, {11, "1"}, {0, "POINT"}, {0, "LINE"}});
    settings::ClearMessages();
    EXPECT_EQ(Drawn("BAD"), std::vector<std::string>{"line 0 0 1 0"});
    EXPECT_EQ(Logged("error"), std::vector<std::string>{"error|Fehler : |Error in DXF File"});
    EXPECT_EQ(settings::MessageTexts[1], "Fehler : DXF: POINT") << "the rest of the file is skipped";
}

TEST_F(BlockReader, AFileIsReadAgainWhenWrittenOrChanged)
{
    // the program writes its block anew, of the same size
    for (Real x : {1, 2}) {
        CadInBlocks = true;
        c_block("B");
        c_line(0, 0, x, x);
        c_endblock();
        CadInBlocks = false;
        EXPECT_EQ(Drawn("B"), std::vector<std::string>{"line 0 0 " + N(x) + " " + N(x)});
    }
    // a template in TempDir that a user edits in place
    namespace fs = std::filesystem;
    const std::string logo = settings::TempDir + "$LOGO_2.dx$";
    const auto then = fs::file_time_type::clock::now() - std::chrono::hours(1);
    auto edit = [&](const char* x, fs::file_time_type time) {
        std::ofstream(logo, std::ios::binary) << "0\r\nLINE\r\n10\r\n" << x << "\r\n";
        fs::last_write_time(logo, time);
    };
    const std::pair<const char*, fs::file_time_type> edits[] = {
        {"1", then}, {"2", then}, {"3", then + std::chrono::seconds(1)}, {"45", then + std::chrono::seconds(1)}};
    const char* want[] = {"1", "1" /* time and size kept: not read again */, "3", "45"};
    for (int k = 0; k < 4; ++k) {
        edit(edits[k].first, edits[k].second);
        EXPECT_EQ(Drawn("LOGO_2"), std::vector<std::string>{"line " + std::string(want[k]) + " 0 0 0"}) << k;
    }
    // a file whose reading fails: told, and the replay ends
    fs::create_symlink("/proc/self/mem", PrivateTempSubdir("blocks") + "$MEM.dx$");
    EXPECT_TRUE(Drawn("MEM").empty());
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(Logged("error"), std::vector<std::string>{"error|Fehler : |Lesefehler"});
}

TEST_F(BlockReader, TemplatesWithSections)
{
    // a whole DXF file: only its ENTITIES section is replayed
    CadBatchMode = true;
    settings::CurrentFileName = dir.File("whole");
    c_end();
    Job(cmDxf, [] { c_line(1, 2, 3, 4); }, [] { c_block("X"); c_circle(0, 0, 9); c_endblock(); });
    c_begin(9); // a new job starts with no block files
    std::filesystem::copy_file(Path("dxf"), PrivateTempSubdir("blocks") + "$WHOLE.dx$");
    settings::ClearMessages();
    EXPECT_EQ(Drawn("whole"), std::vector<std::string>{"line 1 2 3 4"});
    EXPECT_EQ(settings::MessageCount, 0);
}

} // namespace
} // namespace kt4::cadtest
