#include "foundation/linefile.h"
#include "foundation/settings.h"

#include "scratch_dir.h"

#include <gtest/gtest.h>


using namespace kt4;
using kt4::testing::ScratchDir;

class LineFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings::InitSettings();
        settings::ProgramTitle = "Exzentergetriebe  KT4";
        settings::ProgramVersion = "1.1";
        settings::BaseName = "kt4";
    }
    ScratchDir dir;
};

TEST_F(LineFiles, FileNumbersHaveSevenDecimalsAndAPoint)
{
    EXPECT_EQ(FileRealStr(1), "1.0000000");
    EXPECT_EQ(FileRealStr(1500), "1500.0000000");
    EXPECT_EQ(FileRealStr(0.25L), "0.2500000");
    EXPECT_EQ(FileRealStr(0), "0");
    EXPECT_EQ(FileRealStr(-3), "-3");
    EXPECT_EQ(FileRealStr(-0.5L), "-0.5000000");
    EXPECT_EQ(FileRealStr(-1234.5L), "-1234.5000000");
    EXPECT_EQ(FileRealStr(1E-12L), "0");
    // the display setting does not touch stored numbers
    settings::Decimals = 0;
    EXPECT_EQ(FileRealStr(0.25L), "0.2500000");
    EXPECT_EQ(FileRealStr(-3), "-3");
    settings::Decimals = -4;
    EXPECT_EQ(FileRealStr(1500), "1500.0000000");
}

TEST_F(LineFiles, WrittenBytesAndHeaders)
{
    settings::RemarkLines = {"Kunde A", "Projekt \x81" "bersetzung", "x\ry"};
    ASSERT_TRUE(ReportFile.OpenWrite(dir.File("a.kt4")));
    WriteFileHeader();
    WriteReportInt(-42);
    WriteReportReal(0.25L);
    WriteReportBool(true);
    WriteReportFields4("a", "b\r\n", "", "d");
    // a text value is one line; a composed line keeps its tabs
    WriteReportLine(std::string("1\r\n2\n3\r\r4\t\x1A\x7F\0" "5", 14));
    ReportFile.WriteLine("a\tb");
    WriteReportText("no end");
    ASSERT_TRUE(ReportFile.Close());
    std::string rule(65, '-');
    EXPECT_EQ(dir.Get("a.kt4"), rule + "\r\nExzentergetriebe  KT4   V 1.1\r\nVersion 1.1\r\n" + rule +
                                    "\r\nKunde A\r\nProjekt \x81" "bersetzung\r\nx|y\r\n-42\r\n0.2500000\r\n"
                                    "TRUE\r\na|b|||d|\r\n1|2|3||4    5\r\na\tb\r\nno end");

    ASSERT_TRUE(ReportFile.OpenWrite(dir.File("b.qov")));
    WriteFileHeaderShort();
    ASSERT_TRUE(ReportFile.Close());
    EXPECT_EQ(dir.Get("b.qov"), rule + "\r\nExzentergetriebe  KT4  V 1.1\r\nVersion 1.1\r\n" + rule +
                                    "\r\nKunde A\r\nProjekt \x81" "bersetzung\r\n");
    EXPECT_FALSE(settings::AbortFlag);
}

TEST_F(LineFiles, WrittenValuesReadBack)
{
    LineFile f;
    ASSERT_TRUE(f.OpenWrite(dir.File("v.txt")));
    const Real values[] = {0, 1, -3, 0.25L, 1500, 123456.789L, 3.14159265358979L, -0.001L};
    for (Real v : values)
        f.WriteReal(v);
    f.WriteInt(70000);
    f.WriteBool(false);
    f.WriteLine("Text mit \x84");
    ASSERT_TRUE(f.Close());

    ASSERT_TRUE(f.OpenRead(dir.File("v.txt")));
    for (Real v : values)
        EXPECT_NEAR(static_cast<double>(f.ReadReal()), static_cast<double>(v), 5e-8) << static_cast<double>(v);
    EXPECT_EQ(f.ReadInt(), 70000);
    bool b = true;
    f.ReadBool(b);
    EXPECT_FALSE(b);
    EXPECT_EQ(f.ReadLine(), "Text mit \x84");
    EXPECT_TRUE(f.Eof());
    EXPECT_FALSE(settings::AbortFlag);
    f.Close();
}

TEST_F(LineFiles, ReadersAcceptCommaAndAnyLineEnd)
{
    dir.Put("r.txt", "1,5\nabc\r\ntrue\r\rFALSE\n a|b|\n7\n70000\n\nlast");
    LineFile f;
    ASSERT_TRUE(f.OpenRead(dir.File("r.txt")));
    EXPECT_EQ(f.ReadReal(), 1.5L);
    EXPECT_EQ(f.ReadReal(), 0); // no number: 0, no AbortFlag
    EXPECT_FALSE(settings::AbortFlag);
    bool b = false;
    f.ReadBool(b);
    EXPECT_TRUE(b);
    b = false;
    f.ReadBoolDefTrue(b); // empty line (lone CR before it)
    EXPECT_TRUE(b);
    f.ReadBoolDefTrue(b);
    EXPECT_FALSE(b);
    std::string A = "x", B, C = "x", D = "x";
    f.ReadFields(A, B, C, D);
    EXPECT_EQ(A, " a");
    EXPECT_EQ(B, "b");
    EXPECT_EQ(C, "");
    EXPECT_EQ(D, "");
    EXPECT_EQ(f.ReadWord(), 7);
    EXPECT_EQ(f.ReadWord(), 0); // beyond a Word
    EXPECT_EQ(f.ReadChar(), ' ');
    EXPECT_EQ(f.ReadLine(), "last");
    EXPECT_TRUE(f.Eof());
    EXPECT_FALSE(settings::AbortFlag);

    // reading past the end
    b = true;
    f.ReadBool(b);
    EXPECT_TRUE(b);
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(f.IoError(), IoReadPastEnd);
    f.Close();
}

TEST_F(LineFiles, OpenFailuresAndMisuseSetAbortFlag)
{
    LineFile f;
    EXPECT_FALSE(f.OpenRead(dir.File("missing.txt")));
    EXPECT_EQ(f.IoError(), IoFileNotFound);
    EXPECT_TRUE(settings::AbortFlag);

    settings::AbortFlag = false;
    EXPECT_FALSE(f.OpenWrite(dir.File("no/such/folder.txt")));
    EXPECT_TRUE(settings::AbortFlag);

    settings::AbortFlag = false;
    EXPECT_FALSE(f.OpenRead(dir.Path()));
    EXPECT_TRUE(settings::AbortFlag);

    settings::AbortFlag = false;
    f.WriteLine("nowhere");
    EXPECT_EQ(f.IoError(), IoNotOpen);
    EXPECT_TRUE(settings::AbortFlag);
}

TEST_F(LineFiles, RewriteReplacesWholeOrNotAtAll)
{
    dir.Put("p.kt4", "old content\r\n");
    LineFile f;
    ASSERT_TRUE(f.OpenWrite(dir.File("p.kt4")));
    f.WriteLine("new");
    EXPECT_EQ(dir.Get("p.kt4"), "old content\r\n"); // not yet in place
    f.Discard();
    EXPECT_EQ(dir.Get("p.kt4"), "old content\r\n");
    EXPECT_EQ(dir.Count(), 1u); // no temporary file left

    ASSERT_TRUE(f.OpenAppend(dir.File("p.kt4")));
    f.WriteLine("more");
    ASSERT_TRUE(f.Close());
    EXPECT_EQ(dir.Get("p.kt4"), "old content\r\nmore\r\n");
    EXPECT_EQ(dir.Count(), 1u);
}

// A disk that takes fewer bytes than written: the old file stays whole.
TEST_F(LineFiles, FailedWriteLeavesOldFileAndSetsAbortFlag)
{
    dir.Put("p.kt4", "old content\r\n");
    kt4::testing::FileSizeLimit limit(1000);
    ASSERT_TRUE(limit.Active());
    LineFile f;
    bool opened = f.OpenWrite(dir.File("p.kt4"));
    for (int k = 0; k < 20000; ++k)
        f.WriteLine("line " + std::to_string(k));
    bool closed = f.Close();
    limit.Lift();

    ASSERT_TRUE(opened);
    EXPECT_FALSE(closed);
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(f.IoError(), IoWriteFailed);
    EXPECT_EQ(dir.Get("p.kt4"), "old content\r\n");
    EXPECT_EQ(dir.Count(), 1u);
}

TEST_F(LineFiles, DevicesAreWrittenDirectly)
{
    LineFile f;
    ASSERT_TRUE(f.OpenWrite("/dev/null"));
    f.WriteLine("to the printer");
    EXPECT_TRUE(f.Close());
}
