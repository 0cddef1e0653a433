// File > "Öffnen... (Tabelle)": the rows computed from each file, files
// that cannot be read or calculated, the open design untouched by the
// scan, opening a chosen row, and the grid's sort and search.
#include "project_folder.h"
#include "shell_fixture.h"

#include "drive/docu_data.h"
#include "drive/drive_calc.h"
#include "shell/menu_commands.h"
#include "shell/preview_grid.h"
#include "shell/project_list.h"

#include <cmath>
#include <filesystem>

using namespace kt4;
using namespace kt4::shell;
using namespace settings;

namespace {

namespace fs = std::filesystem;

class ProjectList : public shelltest::ShellTest {
protected:
    void TearDown() override
    {
        FormServices().preview = nullptr;
        shelltest::ShellTest::TearDown();
    }

    // The list shown by the command: each showing runs the next step.
    using Step = std::function<void(PreviewGrid&)>;
    void OnShow(std::vector<Step> steps)
    {
        steps_ = std::move(steps);
        shown_ = 0;
        FormServices().preview = [this](PreviewGrid& g) {
            if (shown_ < steps_.size())
                steps_[shown_](g);
            else
                AbortFlag = true;
            ++shown_;
        };
    }

    static Real Number(const std::string& cell) { return std::stold(cell); }

    std::vector<Step> steps_;
    std::size_t shown_ = 0;
};

TEST_F(ProjectList, EveryRowIsComputedFromItsOwnFileAndTheOpenDesignStays)
{
    const std::string folder = dir.File("many");
    auto projects = shelltest::WriteProjectFolder(folder, 1500);

    // an open design with results and messages of its own
    drive::dp = 40;
    drive::dH = 43;
    drive::CalcDrive();
    AddMessage("Warnung: offen");
    docu::ZeichNr = "OPEN-1";
    CurrentFileName = "open";
    DataDir = folder;
    DataModified = false;
    const OpenDesign before = CaptureOpenDesign();
    const Real iBefore = drive::i;

    std::vector<std::vector<std::string>> rows;
    OnShow({[&](PreviewGrid& g) {
        rows = g.Rows;
        AbortFlag = true; // closed without a choice
    }});
    OpenTableCommand();

    EXPECT_TRUE(CaptureOpenDesign() == before);
    EXPECT_EQ(drive::i, iBefore);
    EXPECT_EQ(docu::ZeichNr, "OPEN-1");
    EXPECT_EQ(MessageTexts[MessageCount], "Warnung: offen");
    ASSERT_EQ(rows.size(), 1501u);
    EXPECT_EQ(rows[0], ProjectListHeader());
    for (std::size_t k = 0; k < projects.size(); ++k) {
        const auto& row = rows[k + 1];
        const auto& p = projects[k];
        ASSERT_EQ(row.size(), 17u);
        ASSERT_EQ(row[0], p.name);
        EXPECT_EQ(row[1].size(), 10u);
        EXPECT_EQ(row[2], "1.1");
        const Real i = p.dp / (p.dp - p.dH);
        EXPECT_LE(std::fabs(Number(row[10]) - i), 0.5L) << p.name;
        EXPECT_LE(std::fabs(Number(row[9]) - std::fabs(i)), 0.5L) << p.name;
        EXPECT_LE(std::fabs(Number(row[15]) - p.n2), 0.05L) << p.name;
        EXPECT_LE(std::fabs(Number(row[16]) - p.dH), 0.5L) << p.name;
    }
}

TEST_F(ProjectList, FilesThatCannotBeReadOrCalculated)
{
    EXPECT_EQ(ListProjectFiles(dir.Path()), std::vector<std::vector<std::string>>{ProjectListHeader()});

    const std::string good = WriteDefaultProject("good.kt4");
    const std::string bytes = dir.Get("good.kt4");
    std::vector<std::string> lines = Lines(bytes);
    dir.Put("trunc.kt4", bytes.substr(0, bytes.size() / 2));
    lines[12] = "abc"; // dH
    std::string garbage;
    for (const auto& l : lines)
        garbage += l + "\r\n";
    dir.Put("garbage.kt4", garbage);
    drive::dH = drive::dp;
    WriteDefaultProject("same.kt4");
    fs::copy_file(good, dir.File("Y.KT4"));
    fs::create_directory(dir.File("x.kt4"));
    dir.Put("notes.txt", "x");

    auto rows = ListProjectFiles(dir.Path());
    ASSERT_EQ(rows.size(), 6u);
    std::vector<std::string> names;
    for (std::size_t r = 1; r < rows.size(); ++r)
        names.push_back(rows[r][0]);
    EXPECT_EQ(names, (std::vector<std::string>{"Y.KT4", "garbage.kt4", "good.kt4", "same.kt4",
                                               "trunc.kt4"}));
    for (std::size_t r : {2u, 5u}) {
        const auto& row = rows[r];
        EXPECT_EQ(row[4], "nicht lesbar") << row[0];
        EXPECT_EQ(row[1].size(), 10u);
        for (std::size_t c = 2; c < row.size(); ++c)
            if (c != 4) {
                EXPECT_EQ(row[c], "") << row[0] << " column " << c;
            }
    }
    const auto& same = rows[4];
    for (std::size_t c : {9u, 10u, 12u, 15u})
        EXPECT_EQ(same[c], "---") << c;
    EXPECT_NE(same[16], "---");
    EXPECT_EQ(Number(rows[3][10]), -17);
    EXPECT_EQ(rows[1][10], rows[3][10]);
    EXPECT_TRUE(Logged("error").empty());
    EXPECT_TRUE(Logged("yesnocancel").empty());
}

TEST_F(ProjectList, AChosenRowIsOpenedAndTheListShowsAgain)
{
    for (auto [name, dp] : {std::pair{"a33.kt4", 33}, {"b30.kt4", 30}, {"c32.kt4", 32}}) {
        drive::dp = dp;
        WriteDefaultProject(name);
    }
    drive::InitDriveData();
    DataModified = false;

    std::vector<std::vector<std::string>> sorted;
    OnShow({
        [&](PreviewGrid& g) {
            g.SortByColumn(10); // "i sc" as texts: "    -5", "    -8", "   -11"
            sorted = g.Rows;
            g.SelectedRow = g.Row = 1;
            AbortFlag = false;
        },
        [&](PreviewGrid& g) {
            EXPECT_EQ(g.Rows, sorted);
            EXPECT_EQ(g.SelectedRow, 1);
            fs::remove(dir.File(g.Cell(0, 2)));
            g.SelectedRow = 2;
            AbortFlag = false;
        },
        [&](PreviewGrid& g) {
            EXPECT_EQ(g.SelectedRow, 1); // the failed choice is not kept
            AbortFlag = true;
        },
    });
    OpenTableCommand();
    EXPECT_EQ(shown_, 3u);
    ASSERT_EQ(sorted.size(), 4u);
    EXPECT_EQ(sorted[1][0], "b30.kt4");
    EXPECT_EQ(sorted[3][0], "a33.kt4");
    // the first choice is the open project, calculated; the deleted one
    // changed nothing
    EXPECT_EQ(CurrentFileName, "b30");
    EXPECT_EQ(drive::dp, 30);
    EXPECT_EQ(drive::i, -5);
    EXPECT_FALSE(DataModified);
    EXPECT_EQ(Logged("error").size(), 1u);
}

TEST_F(ProjectList, CancelInTheSaveQuestionStopsBeforeTheScan)
{
    WriteDefaultProject("a.kt4");
    CurrentFileName = "a";
    DataModified = true;
    ui->Script("<cancel>");
    OnShow({});
    OpenTableCommand();
    EXPECT_TRUE(AbortFlag);
    EXPECT_EQ(shown_, 0u);
    EXPECT_TRUE(DataModified);
}

TEST_F(ProjectList, WithoutTheFormRowsArePickedFromAChoice)
{
    drive::dp = 32;
    WriteDefaultProject("b.kt4");
    DataModified = false;
    ui->Script("1");
    OpenTableCommand();
    EXPECT_EQ(CurrentFileName, "b");
    EXPECT_EQ(drive::i, -8);
    EXPECT_EQ(Logged("list").size(), 2u); // shown again after the choice, then cancelled
}

PreviewGrid Grid(std::vector<std::vector<std::string>> rows)
{
    PreviewGrid g;
    g.Rows = std::move(rows);
    return g;
}

TEST(PreviewGridTest, SortsAsTextAndCarriesRowsAndSelection)
{
    PreviewGrid g = Grid({{"File", "n"}, {"a", "10"}, {"b", "9"}, {"c", "100"}});
    g.Row = g.SelectedRow = 2; // "b"
    g.SortByColumn(1);
    EXPECT_EQ(g.Rows, (std::vector<std::vector<std::string>>{
                          {"File", "n"}, {"a", "10"}, {"c", "100"}, {"b", "9"}}));
    EXPECT_EQ(g.Row, 3);
    EXPECT_EQ(g.SelectedRow, 3);

    // more rows than the old fixed work arrays held
    PreviewGrid big;
    big.Rows.push_back({"File"});
    for (int k = 1500; k >= 1; --k)
        big.Rows.push_back({std::to_string(100000 + k)});
    big.SortByColumn(0);
    ASSERT_EQ(big.RowCount(), 1501);
    for (int r = 1; r <= 1500; ++r)
        EXPECT_EQ(big.Cell(0, r), std::to_string(100000 + r));
}

TEST(PreviewGridTest, FindsRowByRowAndStopsAfterTheLastHit)
{
    PreviewGrid g = Grid({{"Name", "Text"}, {"Rad", "rad rad"}, {"x", "Rad"}, {"y", "Rad Rad"}});
    g.SearchText = "Rad";
    EXPECT_TRUE(g.FindNext()); // the header row is not searched
    EXPECT_EQ(g.Row, 1);
    EXPECT_EQ(g.Col, 0);
    EXPECT_TRUE(g.FindNext());
    EXPECT_EQ(g.Row, 2);
    EXPECT_EQ(g.Col, 1);
    EXPECT_TRUE(g.FindNext());
    EXPECT_EQ(g.Row, 3); // one hit per row
    EXPECT_FALSE(g.FindNext());
    EXPECT_EQ(g.Row, 3);
    EXPECT_EQ(g.SearchRow, 3);

    g.SearchText = "rAD"; // case-sensitive
    g.SearchRow = 0;
    EXPECT_FALSE(g.FindNext());
}

} // namespace
