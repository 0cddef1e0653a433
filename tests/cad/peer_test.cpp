// Our DXF files read by an independent reader: the sample drawing as DXF
// and as the plot program's file, audited and read strictly by ezdxf,
// with its version, code page, layers, line types, blocks, entities,
// arcs and texts as drawn. A missing ezdxf fails under ./test and CI and
// is skipped with a message under a plain ctest run
// (tests/cad/packages.txt installs it).
#include "cad_fixture.h"
#include "common/run_program.h"
#include "sample_drawing.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace kt4::cadtest {
namespace {

using namespace cad;

struct ToolRun {
    int status = -1;
    std::string out;
};

class Peer : public CadTest {
protected:
    ToolRun Python(const std::string& args)
    {
        std::string cmd = "/usr/bin/python3 " + args + " > '" + dir.File("py.out") + "' 2>&1";
        int status = std::system(cmd.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, dir.Get("py.out")};
    }
    bool HaveEzdxf() { return std::filesystem::exists("/usr/bin/python3") && Python("-c 'import ezdxf'").status == 0; }

    // Every check of one written file.
    void CheckFile(const std::string& path)
    {
        ToolRun audit = Python("-m ezdxf audit '" + path + "'");
        EXPECT_NE(audit.out.find("No errors found"), std::string::npos) << audit.out;
        ToolRun read = Python("'" + std::string(KT4_SOURCE_DIR) + "/tests/cad/check_dxf.py' '" + path + "'");
        ASSERT_EQ(read.status, 0) << read.out;
        std::vector<std::string> facts = Lines(read.out);
        auto has = [&](const std::string& f) { return std::find(facts.begin(), facts.end(), f) != facts.end(); };
        EXPECT_TRUE(has("version AC1009"));
        EXPECT_TRUE(has("encoding cp1252"));
        for (const char* layer : {"layer 0 1 CONTINUOUS", "layer 1 2 DASHDOT", "layer 2 2 DASHED",
                                  "layer 5 1 CONTINUOUS", "layer 16 1 CONTINUOUS", "layer 31 16 CONTINUOUS"})
            EXPECT_TRUE(has(layer)) << layer;
        EXPECT_EQ(std::count_if(facts.begin(), facts.end(),
                                [](const std::string& f) { return f.rfind("layer ", 0) == 0 && f.find("Defpoints") == std::string::npos; }),
                  22);
        for (const char* lt : {"linetype CONTINUOUS", "linetype DASHDOT", "linetype DASHED"})
            EXPECT_TRUE(has(lt)) << lt;
        EXPECT_TRUE(has("block BOLT ARC CIRCLE LINE LINE TEXT"));
        EXPECT_TRUE(has("block FLANGE ARC INSERT LINE LINE LINE LINE"));
        // entities as drawn; the calls without numbers left nothing
        for (const char* count : {"count LINE 1", "count CIRCLE 6", "count ARC 2", "count SOLID 1", "count TEXT 2",
                                  "count POLYLINE 2", "count INSERT 2"})
            EXPECT_TRUE(has(count)) << count;
        // every arc counter-clockwise from its start to its end
        for (const auto& a : SampleEntityArcs()) {
            char want[128];
            std::snprintf(want, sizeof want, "arc * %.4f %.4f %.4f %.4f %.4f", a.x, a.y, a.r, a.start, a.end);
            EXPECT_TRUE(has(want)) << want;
        }
        EXPECT_TRUE(has("arc BOLT 0.0000 0.0000 5.0000 0.0000 90.0000")) << "the clockwise arc of the block";
        EXPECT_TRUE(has("text * M\xC3\xA4\xC3\x9F" "e 20\xC2\xB0"));
    }
};

TEST_F(Peer, SampleDrawingAsDxfAndAsPlotFile)
{
    if (!HaveEzdxf()) {
        if (kt4::test::PeersRequired())
            FAIL() << "python3-ezdxf is missing";
        GTEST_SKIP() << "python3-ezdxf is missing: install it (tests/cad/packages.txt)";
    }
    CadBatchMode = true;
    settings::CurrentFileName = dir.File("part");
    DrawSampleDrawing(cmDxf);
    ASSERT_FALSE(settings::AbortFlag);
    CheckFile(Path("dxf"));

    CadBatchMode = false;
    CadPlotLines[1] = "/bin/true";
    DrawSampleDrawing(cmPlot);
    ASSERT_FALSE(settings::AbortFlag);
    CheckFile(cad::PlotFileName());
}

} // namespace
} // namespace kt4::cadtest
