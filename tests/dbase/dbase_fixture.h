// Shared set-up of the engine tests: a fresh engine, a private folder, a
// fixed clock and errors that are recorded instead of ending the program.
#pragma once

#include "common/other_user.h"
#include "dbase/dbase.h"
#include "foundation/ui_headless.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace kt4::dbase::test {

inline std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseHeadlessUi().quiet = true;
        ResetEngine();
        SetLanguage(5); // German conventions: dd.mm.yy, "," in display texts
        SetTodayProvider([] { return Ymd{2024, 5, 17}; });
        CenturyStart = 1956;
        SetReportErrors(false);
        SetExceptionMode(false);
        SetErrorHandler(nullptr);
        // A folder another user may enter (tests run code as nobody); a
        // test that runs again in a child process (a death test, a run as
        // nobody) makes its folder inside the parent's, which goes with the
        // parent's test whether the child ends through TearDown or not.
        const char* parent = std::getenv(kDirVariable);
        outer_ = parent ? parent : "";
        dir_ = (outer_.empty() ? kt4::test::FolderOthersMayEnter() : std::filesystem::path(outer_)) /
               ("kt4dbase_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        ::setenv(kDirVariable, dir_.c_str(), 1);
    }
    void TearDown() override
    {
        SetReportErrors(false);
        ShutdownEngine();
        SetTodayProvider(nullptr);
        SetReportErrors(true);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
        if (outer_.empty())
            ::unsetenv(kDirVariable);
        else
            ::setenv(kDirVariable, outer_.c_str(), 1);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // A table PARTS with NAME C10, PRICE N8.2, QTY N5.0, OK L, DAY D.
    std::string MakeParts(const std::string& name = "PARTS")
    {
        EXPECT_TRUE(CreateDbf(Path(name), {{"NAME", 'C', 10, 0},
                                          {"PRICE", 'N', 8, 2},
                                          {"QTY", 'N', 5, 0},
                                          {"OK", 'L', 1, 0},
                                          {"DAY", 'D', 8, 0}}));
        return Path(name + ".DBF");
    }
    // Appends records "R1".."Rn" with PRICE i*1.5 and QTY i to the open table.
    void AddRows(int n, int from = 1)
    {
        ASSERT_TRUE(ALock());
        for (int i = from; i < from + n; ++i) {
            ClearRecord();
            TypedBuffer b = Buffer();
            b.SetText(1, "R" + std::to_string(i));
            b.SetNumber(2, i * 1.5);
            b.SetInteger(3, i);
            b.SetLogical(4, i % 2 == 0);
            b.SetText(5, "17.05.24");
            ASSERT_TRUE(Append()) << LastErrorText();
        }
        Unlock();
    }
    std::string Name() { return AllTrim(Buffer().Text(1)); }

    std::filesystem::path dir_;
    static inline int counter_ = 0;

private:
    static constexpr const char* kDirVariable = "KT4_TEST_TABLE_DIR";
    std::string outer_;
};

// A closed PARTS table of eight rows, table_ its file, for tests that open
// it from more than one area or process.
class PartsTableTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        table_ = MakeParts();
        ASSERT_TRUE(USE(table_));
        AddRows(8);
        USE("");
    }
    std::string table_;
};

} // namespace kt4::dbase::test
