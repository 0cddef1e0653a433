// Our IGES, STEP and STL files read by independent readers: OCCT (our
// small read-back tool) and admesh. The files come from the reviewers'
// tool cad_sample. A missing reader fails under ./test and CI and is
// skipped with a message under a plain ctest run (tests/cad/packages.txt
// installs them).
#include "cad_fixture.h"
#include "common/run_program.h"
#include "file_readers.h"
#include "sample_solids.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace kt4::cadtest {
namespace {

using kt4::test::ToolRun;

ToolRun RunProgram(const std::vector<std::string>& argv) { return kt4::test::RunProgram(argv, true); }

#define REQUIRE_TOOL(path, package)                                                                  \
    do {                                                                                             \
        if (std::string(path).empty() || !std::filesystem::exists(path)) {                           \
            if (kt4::test::PeersRequired())                                                          \
                FAIL() << "missing " << (path) << ": install " << package;                           \
            GTEST_SKIP() << "missing " << (path) << ": install " << package                          \
                         << " (tests/cad/packages.txt) and configure again";                         \
        }                                                                                            \
    } while (0)

const std::string OcctRead = KT4_OCCT_READ;
const std::string AdmeshPath = "/usr/bin/admesh";

class Readback : public CadTest {
protected:
    // A drawing written by cad_sample; the file's path.
    std::string Sample(int mode, const std::string& drawing, std::vector<std::string> options = {})
    {
        std::string name = dir.File(drawing + std::to_string(mode) + (options.empty() ? "" : "x"));
        std::vector<std::string> argv = {KT4_CAD_SAMPLE, std::to_string(mode), name, drawing};
        argv.insert(argv.end(), options.begin(), options.end());
        ToolRun run = RunProgram(argv);
        EXPECT_EQ(run.status, 0) << run.out;
        return Lines(run.out).empty() ? "" : Lines(run.out)[0];
    }
    static bool Has(const std::vector<std::string>& facts, const std::string& f)
    {
        return std::find(facts.begin(), facts.end(), f) != facts.end();
    }
    static std::string Fact(const std::vector<std::string>& facts, const std::string& key)
    {
        for (const auto& f : facts)
            if (f.rfind(key + " ", 0) == 0)
                return f.substr(key.size() + 1);
        return "";
    }
    static void ExpectBox(const std::string& bbox, std::vector<double> want)
    {
        std::istringstream in(bbox);
        for (double w : want) {
            double v = 1e99;
            in >> v;
            EXPECT_NEAR(v, w, 1e-3) << bbox;
        }
    }
    // admesh's report: the first column of the line that begins with key.
    static double Value(const std::string& report, const std::string& key)
    {
        std::size_t p = report.find(key);
        if (p == std::string::npos)
            return -1;
        p = report.find(':', p);
        return std::strtod(report.c_str() + p + 1, nullptr);
    }
};

// The edges OCCT makes of our IGES file: the curves outside blocks and in
// every instance.
int IgesEdges(const IgesFile& f, const IgesEntity& e)
{
    switch (e.Type()) {
    case 110:
    case 100:
        return 1;
    case 106:
        return std::stoi(e.params[2]) - 1;
    case 408: {
        const IgesEntity* def = f.At(std::stoi(e.params[1]));
        int n = 0;
        for (std::size_t k = 4; k < def->params.size(); ++k)
            n += IgesEdges(f, *f.At(std::stoi(def->params[k])));
        return n;
    }
    default:
        return 0;
    }
}

TEST_F(Readback, IgesSampleInOcct)
{
    REQUIRE_TOOL(OcctRead, "libocct-data-exchange-dev and libtbb-dev");
    std::string file = Sample(2, "sample");
    ToolRun run = RunProgram({OcctRead, file});
    std::vector<std::string> facts = Lines(run.out);
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(Fact(facts, "load"), "ok");
    EXPECT_EQ(Fact(facts, "fail"), "");
    for (const char* type : {"110 0", "100 0", "106 11", "212 0", "308 0", "408 0", "124 0"})
        EXPECT_TRUE(Has(facts, std::string("entity ") + type)) << type;
    EXPECT_TRUE(Has(facts, "text " + OemToCp1252(SampleText())));
    EXPECT_TRUE(Has(facts, "text " + LongText()));
    EXPECT_TRUE(Has(facts, "text  Load")) << "a table cell";
    // the scaled inserts as instances of scale 1 of scaled definitions
    EXPECT_TRUE(Has(facts, "scale 1.0000"));
    for (const auto& fact : facts)
        EXPECT_TRUE(fact.rfind("scale ", 0) != 0 || fact == "scale 1.0000") << fact;

    IgesFile f = ReadIges(ReadFileBytes(file));
    int edges = 0;
    for (const auto& e : f.entities)
        if (e.Field(9) == "00000000")
            edges += IgesEdges(f, e);
    EXPECT_EQ(Fact(facts, "edges"), std::to_string(edges));
    // from the cone circles about the origin (radius 10) to the rounded
    // rectangle (x 150) and the table (y 118)
    ExpectBox(Fact(facts, "bbox"), {-10, -10, 0, 150, 118, 0});
}

TEST_F(Readback, StepSampleAndEmptyPageInOcct)
{
    REQUIRE_TOOL(OcctRead, "libocct-data-exchange-dev and libtbb-dev");
    std::string file = Sample(7, "sample");
    ToolRun run = RunProgram({OcctRead, file});
    std::vector<std::string> facts = Lines(run.out);
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(Fact(facts, "load"), "ok");
    EXPECT_EQ(facts[1], "node 0 ASSEMBLY assembly");
    EXPECT_EQ(facts[2], "node 1 sample7");
    // every line we wrote, each of some length
    std::string text = ReadFileBytes(file);
    std::size_t lines = 0;
    for (std::size_t p = 0; (p = text.find("TRIMMED_CURVE(", p)) != std::string::npos; ++p)
        ++lines;
    EXPECT_GT(lines, 500u);
    EXPECT_EQ(Fact(facts, "edges"), std::to_string(lines));
    ExpectBox(Fact(facts, "bbox"), {10, 10, 0, 150, 118, 0});

    run = RunProgram({OcctRead, Sample(7, "empty")});
    facts = Lines(run.out);
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(facts, (std::vector<std::string>{"load ok", "node 0 ASSEMBLY assembly", "node 1 empty7", "edges 0"}));
}

TEST_F(Readback, StlSampleInAdmesh)
{
    REQUIRE_TOOL(AdmeshPath, "admesh");
    std::vector<double> counts;
    for (auto options : {std::vector<std::string>{}, std::vector<std::string>{"--ascii"}}) {
        std::string file = Sample(6, "sample", options);
        std::string bytes = ReadFileBytes(file);
        std::string report = RunProgram({AdmeshPath, file}).out;
        counts.push_back(Value(report, "Number of facets"));
        if (options.empty()) {
            std::uint32_t n = 0;
            std::memcpy(&n, bytes.data() + 80, 4);
            EXPECT_EQ(counts[0], n);
            EXPECT_EQ(bytes.size(), 84 + 50 * std::size_t(n));
        }
        // exact edges, stored normals against the vertex order, nothing turned
        report = RunProgram({AdmeshPath, "-e", "-v", file}).out;
        EXPECT_EQ(Value(report, "Degenerate facets"), 0) << report;
        EXPECT_EQ(Value(report, "Normals fixed"), 0) << report;
    }
    EXPECT_GT(counts[0], 1000);
    EXPECT_EQ(counts[0], counts[1]) << "binary and ASCII";
}

TEST_F(Readback, RevolvedShaftIsAClosedSolidInAdmesh)
{
    REQUIRE_TOOL(AdmeshPath, "admesh");
    std::string report = RunProgram({AdmeshPath, Sample(6, "shaft")}).out;
    EXPECT_GT(Value(report, "Number of facets"), 30000);
    for (const char* key : {"Total disconnected facets", "Facets added", "Facets reversed", "Backwards edges",
                            "Edges fixed", "Degenerate facets"})
        EXPECT_EQ(Value(report, key), 0) << key << "\n" << report;
    EXPECT_NEAR(Value(report, "Volume"), double(ShaftVolume()), 0.005 * double(ShaftVolume()));

    std::string inverted = Sample(6, "shaft", {"--invert"});
    report = RunProgram({AdmeshPath, inverted}).out;
    EXPECT_EQ(Value(report, "Facets reversed"), Value(report, "Number of facets"));
    report = RunProgram({AdmeshPath, "-e", "-v", inverted}).out;
    EXPECT_EQ(Value(report, "Normals fixed"), 0);
}

} // namespace
} // namespace kt4::cadtest
