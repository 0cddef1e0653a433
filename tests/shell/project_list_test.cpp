// File > "Öffnen... (Tabelle)": the rows computed from each file, files
// that cannot be read or calculated, the open design untouched by the
// scan, opening a chosen row, and the grid's sort and search. Reading
// projects one after another: each gives what a fresh program gives.
#include "project_folder.h"
#include "shell_fixture.h"

#include "drive/bearing_types.h"
#include "drive/docu_data.h"
#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "drive/project_layout.h"
#include "foundation/numstr.h"
#include "shell/menu_commands.h"
#include "shell/preview_grid.h"
#include "shell/project_files.h"
#include "shell/project_list.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numeric>
#include <random>

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

// ---- Reading one project after another

// What a read project shows: every drive value and slot, the texts, and
// the calculation's messages.
struct Shown {
    drive::DriveSnapshot drive;
    std::array<std::string, 3> remarks;
    std::string texts;
    std::vector<std::string> messages;
    bool failed = false;
};

Shown NowShown()
{
    Shown s{drive::CaptureDrive(), RemarkLines, docu::ZeichNr + "|" + docu::ZeichName + "|" + docu::ZeichName2,
            {}, CalcErrorFlag};
    for (Word k = 1; k <= MessageCount; ++k)
        s.messages.push_back(MessageTexts[k]);
    return s;
}

// Equal to the last bit, or within Tolerance (relative) for the reals of
// the drive; slots are compared whole.
void ExpectSame(const Shown& a, const Shown& b, const std::string& what, Real tolerance = 0)
{
    ASSERT_EQ(a.drive.reals.size(), b.drive.reals.size());
    for (std::size_t k = 0; k < a.drive.reals.size(); ++k) {
        const Real x = a.drive.reals[k], y = b.drive.reals[k];
        if (tolerance == 0)
            EXPECT_EQ(x, y) << what << ": value " << k;
        else
            EXPECT_LE(std::fabs(x - y), tolerance * (1 + std::fabs(x))) << what << ": value " << k;
    }
    EXPECT_EQ(a.drive.integers, b.drive.integers) << what;
    if (tolerance == 0) {
        for (Word k = 1; k <= BearingSlotCount; ++k)
            EXPECT_TRUE(a.drive.bearingSlots[k] == b.drive.bearingSlots[k]) << what << ": slot " << k;
    }
    EXPECT_EQ(a.remarks, b.remarks) << what;
    EXPECT_EQ(a.texts, b.texts) << what;
    EXPECT_EQ(a.messages, b.messages) << what;
    EXPECT_EQ(a.failed, b.failed) << what;
}

class ReadSequence : public ProjectList {
protected:
    // A fresh program with the load-factor tables of the deep-groove
    // bearings.
    void FreshProgram()
    {
        FreshStart();
        DbfDir = KT4_DATA_DIR;
    }

    // The lines of two project files: texts equal, numbers within 1e-6.
    static void ExpectSameFile(const std::string& a, const std::string& b, const std::string& what)
    {
        auto la = Lines(a), lb = Lines(b);
        ASSERT_EQ(la.size(), lb.size()) << what;
        for (std::size_t k = 0; k < la.size(); ++k) {
            Real x = 0, y = 0;
            if (TryStrToReal(la[k], x) && TryStrToReal(lb[k], y))
                EXPECT_LE(std::fabs(x - y), 1e-6L * (1 + std::fabs(x))) << what << ": line " << k + 1;
            else
                EXPECT_EQ(la[k], lb[k]) << what << ": line " << k + 1;
        }
    }

    // Projects of every bearing type: the fixtures' fifteen catalogue
    // bearings shuffled over the slots of drives with random inputs, some
    // with a bored output shaft, some without bearing 3, some that the
    // calculation refuses; then the shipped examples.
    std::vector<std::string> WriteProjects(int Count)
    {
        const std::string fixtures = std::string(KT4_SOURCE_DIR) + "/tests/drawings/fixtures/";
        std::vector<WaelzLagerTyp> bearings;
        std::vector<project::ProjectState> bases;
        for (int f = 1; f <= 3; ++f) {
            project::ProjectState s;
            std::string version;
            EXPECT_TRUE(project::ReadProjectScratch(fixtures + "bearings_" + std::to_string(f) + ".kt4", s, version));
            bases.push_back(s);
            bearings.insert(bearings.end(), s.slots.begin(), s.slots.end());
        }
        std::mt19937 rnd(29);
        auto u = [&](Real lo, Real hi) { return lo + (hi - lo) * std::uniform_real_distribution<double>(0, 1)(rnd); };
        auto chance = [&](int inN) { return std::uniform_int_distribution<int>(1, inN)(rnd) == 1; };
        std::vector<std::string> names;
        for (int k = 0; k < Count; ++k) {
            using namespace drive;
            project::CommitProject(bases[static_cast<std::size_t>(k % 3)]);
            if (k >= 3) // the first three keep the fixtures' slots: every type once
                for (auto& slot : bearings::BearingSlots)
                    slot = bearings[std::uniform_int_distribution<std::size_t>(0, bearings.size() - 1)(rnd)];
            dH = std::round(u(30, 90));
            dp = chance(10) ? dH : dH - std::round(u(1, 6));
            if (chance(2)) { // bearing 3, the output shaft bored
                diLg3 = std::round(u(4, 10));
                deLg3 = diLg3 + std::round(u(4, 12));
                bLg3 = std::round(u(2, 8));
            } else {
                diLg3 = chance(2) ? 0 : std::round(u(10, 20));
                deLg3 = diLg3 > 0 ? diLg3 - 2 : 0;
            }
            d2 = std::round(u(12, 40));
            dlk = chance(12) ? 0 : std::round(u(20, 60));
            exz = chance(2) ? 0 : u(0.5L, 3);
            for (std::size_t s = 1; s <= 2; ++s) {
                P[s] = u(0.1L, 5);
                n[s] = u(10, 2000);
                T[s] = chance(10) ? -u(1, 100) : u(1, 100);
                FrShaft[s] = chance(2) ? 0 : u(10, 1000);
            }
            nTPMode = std::uniform_int_distribution<Integer>(0, 3)(rnd);
            sideMode = std::uniform_int_distribution<Integer>(1, 2)(rnd);
            docu::ZeichNr = "Nr " + std::to_string(k);
            RemarkLines = {"Projekt " + std::to_string(k), "", std::to_string(dH)};
            char name[16];
            std::snprintf(name, sizeof name, "r%02d.kt4", k);
            names.push_back(WriteDefaultProject(name));
        }
        for (const char* example : {"beispiel1.kt4", "beispiel2.kt4"}) {
            fs::copy_file(std::string(KT4_DATA_DIR) + "/" + example, dir.File(example));
            names.push_back(dir.File(example));
        }
        return names;
    }
};

TEST_F(ReadSequence, EachReadAndEachListRowIsWhatAFreshProgramGives)
{
    FreshProgram();
    const std::vector<std::string> files = WriteProjects(24);
    std::vector<Shown> fresh;
    std::vector<std::vector<std::string>> freshRows;
    for (const auto& file : files) {
        FreshProgram();
        ASSERT_TRUE(ReadProject(file)) << file;
        fresh.push_back(NowShown());
        // the list row of a folder with this file alone
        const fs::path alone = dir.File("alone") / fs::path(file).filename();
        fs::create_directories(alone.parent_path());
        fs::create_hard_link(file, alone);
        freshRows.push_back(ListProjectFiles(alone.parent_path().string()).at(1));
        fs::remove(alone);
    }

    FreshProgram();
    std::vector<std::size_t> order(files.size());
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(34));
    for (int round = 0; round < 2; ++round) // each file after another one
        for (std::size_t k : order) {
            for (auto& slot : bearings::BearingSlots) { // as a full-complement pick leaves them
                slot.Z = 24;
                slot.Rows = 2;
                slot.Dw = 3;
            }
            ASSERT_TRUE(ReadProject(files[k])) << files[k];
            ExpectSame(NowShown(), fresh[k], files[k]);
            if (round > 0)
                continue;
            // Save, then Open: the same design, to the file's precision
            const Shown saved = NowShown();
            ASSERT_TRUE(SaveFile(dir.File("saved.kt4")));
            ASSERT_TRUE(ReadProject(dir.File("saved.kt4")));
            ExpectSame(NowShown(), saved, files[k] + " saved", 1e-6L);
            ASSERT_TRUE(SaveFile(dir.File("again.kt4")));
            ExpectSameFile(dir.Get("saved.kt4"), dir.Get("again.kt4"), files[k] + " saved");
        }
    fs::remove(dir.File("saved.kt4"));
    fs::remove(dir.File("again.kt4"));

    // the list, scanned with some design open
    const auto rows = ListProjectFiles(dir.Path());
    ASSERT_EQ(rows.size(), files.size() + 1);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const auto at = std::find_if(files.begin(), files.end(), [&](const std::string& f) {
            return fs::path(f).filename() == rows[r][0];
        });
        ASSERT_NE(at, files.end()) << rows[r][0];
        EXPECT_EQ(rows[r], freshRows[static_cast<std::size_t>(at - files.begin())]);
    }
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
