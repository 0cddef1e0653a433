// The spreadsheet link: CSV files in TempDir opened with the associated
// program (recorded by the headless backend, never run), and exports
// killed while they write.
#include "shell_fixture.h"

#include "common/no_opener.h"

#include "drive/drive_calc.h"
#include "drive/drive_data.h"
#include "foundation/codepage.h"
#include "foundation/numstr.h"
#include "foundation/report.h"
#include "shell/preview_grid.h"
#include "shell/spreadsheet_link.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

using namespace kt4;
using namespace kt4::shell;
using namespace settings;

namespace {

namespace fs = std::filesystem;

class Spreadsheet : public shelltest::ShellTest {
protected:
    void SetUp() override
    {
        shelltest::ShellTest::SetUp();
        writer_ = SpreadsheetPrintoutWriter();
    }
    void TearDown() override
    {
        SpreadsheetPrintoutWriter() = writer_;
        shelltest::ShellTest::TearDown();
    }

    // The files the opener was given.
    std::vector<std::string> Opened() const
    {
        std::vector<std::string> files;
        for (const auto& entry : Logged("opendoc"))
            files.push_back(entry.substr(entry.rfind('|') + 1));
        return files;
    }

    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // The CSV's lines after the byte-order mark.
    std::vector<std::string> CsvLines(const std::string& path)
    {
        std::string bytes = Read(path);
        EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
        return Lines(bytes.substr(3));
    }

    // A source line as the CSV under "German x,xx" holds it: its fields
    // (split at tabs) joined by ";", decimal numbers with a comma.
    static std::string German(const std::string& line)
    {
        std::string out;
        std::size_t start = 0;
        for (;;) {
            const std::size_t tab = line.find('\t', start);
            std::string field = line.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
            if (IsDecimalNumber(field))
                field[field.find('.')] = ',';
            out += field;
            if (tab == std::string::npos)
                return out;
            out += ';';
            start = tab + 1;
        }
    }

    std::size_t CsvFiles() const
    {
        std::size_t n = 0;
        for (const auto& e : fs::directory_iterator(dir.Path()))
            n += e.path().extension() == ".csv";
        return n;
    }

private:
    std::function<bool(int)> writer_;
};

TEST_F(Spreadsheet, StartNeedsASavedProject)
{
    CurrentFileName.clear();
    StartSpreadsheetCommand();
    EXPECT_TRUE(AbortFlag);
    EXPECT_FALSE(SpreadsheetStarted);
    ASSERT_EQ(Logged("message").size(), 1u);
    EXPECT_NE(Logged("message")[0].find(
                  "Zuerst müssen Sie Ihre Eingabedaten speichern (Menü \"Datei->Speichern\")"),
              std::string::npos);

    CurrentFileName = "saved";
    StartSpreadsheetCommand();
    EXPECT_FALSE(AbortFlag);
    EXPECT_TRUE(SpreadsheetStarted);
}

TEST_F(Spreadsheet, ProjectLinesInColumnOneAsDisplayText)
{
    fs::copy_file(std::string(KT4_DATA_DIR) + "/beispiel2.kt4", dir.File("beispiel2.kt4"));
    CurrentFileName = "beispiel2";
    DataModified = false;
    ExportToSpreadsheetCommand();
    EXPECT_FALSE(AbortFlag);
    ASSERT_EQ(Opened().size(), 1u);
    const std::string csv = Opened()[0];
    EXPECT_EQ(fs::path(csv).parent_path(), fs::path(dir.Path()).parent_path());
    EXPECT_EQ(fs::path(csv).filename().string().substr(0, 10), "beispiel2-");
    EXPECT_EQ(fs::path(csv).extension(), ".csv");

    std::vector<std::string> source = Lines(dir.Get("beispiel2.kt4"));
    std::vector<std::string> rows = CsvLines(csv);
    ASSERT_EQ(rows.size(), source.size());
    EXPECT_EQ(rows[4], "Beispiel: \xC3\x9C" "bersetzung -16, 150 W am Antrieb"); // "Ü" from CP850 0x9A
    for (std::size_t k = 0; k < rows.size(); ++k)
        EXPECT_EQ(rows[k], German(OemToDisplay(source[k]))) << k; // no field needs quotes here
}

TEST_F(Spreadsheet, UnsavedChangesAreSavedFirst)
{
    // unnamed: the save dialog; its Cancel writes no CSV
    CurrentFileName.clear();
    DataModified = true;
    ExportToSpreadsheetCommand();
    EXPECT_TRUE(AbortFlag);
    EXPECT_EQ(Logged("save").size(), 1u);
    EXPECT_TRUE(Opened().empty());
    EXPECT_EQ(CsvFiles(), 0u);

    CurrentFileName = "changed";
    drive::dp = 31;
    ExportToSpreadsheetCommand();
    EXPECT_FALSE(AbortFlag);
    EXPECT_FALSE(DataModified);
    ASSERT_EQ(Opened().size(), 1u);
    std::vector<std::string> saved = Lines(dir.Get("changed.kt4"));
    for (auto& line : saved)
        line = German(line);
    EXPECT_EQ(CsvLines(Opened()[0]), saved);
}

TEST_F(Spreadsheet, EmptyDataFileAndMissingName)
{
    dir.Put("empty.kt4", "");
    CopyTextFileToSpreadsheet("empty");
    ASSERT_EQ(Opened().size(), 1u);
    EXPECT_EQ(Read(Opened()[0]), "\xEF\xBB\xBF");

    CopyTextFileToSpreadsheet("");
    EXPECT_TRUE(AbortFlag);
    EXPECT_NE(Logged("message").back().find("File not found. Use \"File->Save\""), std::string::npos);
    EXPECT_EQ(Opened().size(), 1u);
}

// Under "German x,xx" every decimal number gets a decimal comma, under
// "English x.xx" the point stays; other texts go in unchanged.
TEST_F(Spreadsheet, SeparatorQuotingAndDecimalNumbers)
{
    const CsvRows rows = {{"a", "1,5", "x;y"},
                          {"say \"hi\"", "two\r\nlines", ""},
                          {},
                          {"0.925", "-9.874", "   18.14 ", "+1.5E-03", "2.0e7", "-17", "1.2.3", "v1.1", ".5", "5.",
                           "1.5E", "2024-05-17", "1 .5"}};
    struct Case {
        Word excelPoint;
        char separator;
        std::string text;
    };
    const Case cases[] = {
        {2, ';',
         "a;1,5;\"x;y\"\r\n\"say \"\"hi\"\"\";\"two\r\nlines\";\r\n\r\n"
         "0,925;-9,874;   18,14 ;+1,5E-03;2,0e7;-17;1.2.3;v1.1;.5;5.;1.5E;2024-05-17;1 .5\r\n"},
        {1, ',',
         "a,\"1,5\",x;y\r\n\"say \"\"hi\"\"\",\"two\r\nlines\",\r\n\r\n"
         "0.925,-9.874,   18.14 ,+1.5E-03,2.0e7,-17,1.2.3,v1.1,.5,5.,1.5E,2024-05-17,1 .5\r\n"},
    };
    for (const Case& c : cases) {
        ExcelDecimalPoint = c.excelPoint;
        EXPECT_EQ(CsvSeparator(), c.separator);
        EXPECT_EQ(CsvText(rows, CsvSeparator()), "\xEF\xBB\xBF" + c.text);
    }
}

TEST_F(Spreadsheet, PrintoutRowsAreItsLinesSplitAtTabs)
{
    TextDevice = 1;
    TextDeviceDialog = true;
    drive::CalcDrive();
    PrintoutToSpreadsheetCommand();
    EXPECT_FALSE(AbortFlag);
    EXPECT_EQ(TextDevice, 1);
    EXPECT_TRUE(TextDeviceDialog);
    ASSERT_EQ(Opened().size(), 1u);
    EXPECT_EQ(fs::path(Opened()[0]).filename().string().substr(0, 9), "printout-");

    std::vector<std::string> printout = Lines(Read(TxtDeviceCopyName(OutputFileCounter)));
    std::vector<std::string> rows = CsvLines(Opened()[0]);
    ASSERT_EQ(rows.size(), printout.size());
    bool tabs = false;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        tabs = tabs || printout[k].find('\t') != std::string::npos;
        if (printout[k].find_first_of(";\"") == std::string::npos) {
            EXPECT_EQ(rows[k], German(printout[k])) << k;
        }
    }
    EXPECT_TRUE(tabs);
}

TEST_F(Spreadsheet, PrintoutAfterAFailedCalculationShowsTheMessagesOnly)
{
    drive::dH = drive::dp;
    drive::CalcDrive();
    ASSERT_TRUE(CalcErrorFlag);
    const Integer counter = OutputFileCounter;
    PrintoutToSpreadsheetCommand();
    EXPECT_FALSE(Logged("radio").empty());
    EXPECT_EQ(OutputFileCounter, counter);
    EXPECT_TRUE(Opened().empty());
}

TEST_F(Spreadsheet, DeviceSettingsComeBackOnEveryWayOut)
{
    drive::CalcDrive();
    TextDevice = 3;
    TextDeviceDialog = true;

    // the printout cannot be written
    TempDir = dir.File("missing");
    PrintoutToSpreadsheetCommand();
    EXPECT_TRUE(AbortFlag);
    EXPECT_EQ(TextDevice, 3);
    EXPECT_TRUE(TextDeviceDialog);
    EXPECT_TRUE(Opened().empty());

    // the printout throws
    TempDir = dir.Path();
    SpreadsheetPrintoutWriter() = [](int) -> bool {
        EXPECT_EQ(TextDevice, 6);
        EXPECT_FALSE(TextDeviceDialog);
        throw std::runtime_error("printout");
    };
    EXPECT_THROW(PrintoutToSpreadsheetCommand(), std::runtime_error);
    EXPECT_EQ(TextDevice, 3);
    EXPECT_TRUE(TextDeviceDialog);
    EXPECT_TRUE(Opened().empty());
}

TEST_F(Spreadsheet, FailuresAreToldWithTheirNames)
{
    PreviewGrid grid;
    grid.Rows = {{"File", "Date"}, {"a.kt4", "2024-01-02"}};

    TempDir = dir.File("missing");
    EXPECT_EQ(WriteCsvFile("list", grid.Rows), "");
    EXPECT_TRUE(AbortFlag);
    ASSERT_EQ(Logged("error").size(), 1u);
    EXPECT_NE(Logged("error")[0].find(dir.File("missing") + "/list-XXXXXX.csv"), std::string::npos);

    TempDir = dir.Path();
    ui = kt4::testing::UseNoOpener();
    AbortFlag = false;
    ExportGridToSpreadsheet(grid);
    EXPECT_TRUE(AbortFlag);
    EXPECT_EQ(CsvFiles(), 1u); // left to be opened by hand: the box names it
    ASSERT_EQ(Opened().size(), 1u);
    EXPECT_EQ(Logged("error").back(),
              "error|Fehler : |Could not start Excel\nDatei " + Opened()[0] +
                  " wurde geschrieben; sie kann nicht zum Ansehen geöffnet werden.");

    AbortFlag = false;
    WriteDefaultProject("p.kt4");
    CopyTextFileToSpreadsheet("p");
    EXPECT_NE(Logged("error").back().find("Excel kann nicht gestartet werden\nDatei " + Opened()[1]),
              std::string::npos);
}

// Exports killed at random moments (real processes, kill -9) leave each
// CSV complete or not there, and nothing else.
TEST_F(Spreadsheet, KilledExportsLeaveOnlyCompleteFiles)
{
    TempDir = dir.File("exports");
    fs::create_directories(TempDir);
    CsvRows rows(10000, {"Zeile", "1.5", "Text mit ; und \""});
    const std::string complete = CsvText(rows, CsvSeparator());
    std::mt19937 rng(30);
    std::uniform_int_distribution<int> delay(0, 60000);
    int killedWithFiles = 0;
    for (int run = 0; run < 40; ++run) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;)
                WriteCsvFile("kill", rows);
        }
        // every other kill after a whole file is there (a minute only a hang takes)
        for (int k = 0; run % 2 == 0 && k < 60000 && fs::is_empty(TempDir); ++k)
            ::usleep(1000);
        ::usleep(static_cast<useconds_t>(delay(rng)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        int files = 0;
        for (const auto& e : fs::directory_iterator(TempDir)) {
            ++files;
            EXPECT_EQ(e.path().extension(), ".csv") << e.path();
            EXPECT_TRUE(Read(e.path().string()) == complete) << e.path() << " is incomplete";
            fs::remove(e.path());
        }
        killedWithFiles += files > 0;
    }
    EXPECT_GT(killedWithFiles, 0); // the kills came while files were written
}

} // namespace
