// The table engine as the program starts it: every module installed by
// InitModules, the access layer usable with no window, and the engine's own
// commands writing memo files that independent readers read back.
#include "shell_fixture.h"

#include "dbase/access/table_access.h"
#include "dbase/dataset/tzfds.h"
#include "dbase/dbase.h"
#include "dbase/memo/memo.h"
#include "dbase/peer_tools.h"
#include "shell/work_folders.h"

#include <filesystem>

using namespace kt4;
using namespace kt4::dbase;
using namespace kt4::dbase::test;

namespace {

class TableEngine : public shelltest::ShellTest {
protected:
    void SetUp() override
    {
        shelltest::ShellTest::SetUp();
        SetReportErrors(false);
    }
    void TearDown() override
    {
        DbfClose();
        ShutdownEngine();
        SetReportErrors(true);
        shelltest::ShellTest::TearDown();
    }
};

TEST_F(TableEngine, StartUpInstallsEveryModule)
{
    EXPECT_TRUE(ParserLinked());
    EXPECT_TRUE(IndexLinked());
    EXPECT_TRUE(MemoLinked());
    EXPECT_TRUE(VFilesLinked());
    ASSERT_NE(tzdbf, nullptr);
    EXPECT_FALSE(tzdbf->Active());
    // A catalogue pick with no window: open, index a bore, seek, read.
    settings::DbfDir = shell::ProgramCatalogueDir();
    settings::TempDir = dir.Path();
    settings::AbortFlag = false;
    DbfOpenTable("rikula");
    ASSERT_FALSE(settings::AbortFlag);
    DbfMakeIndex("DI", "rikula_di");
    DbfFindKey("20");
    EXPECT_TRUE(DbfFound());
    EXPECT_EQ(DbfFieldName(2), "DI");
    EXPECT_EQ(DbfFieldAsInteger("DI"), 20);
    DbfClose();
    EXPECT_FALSE(settings::AbortFlag);
}

TEST_F(TableEngine, EngineCommandsWriteMemosPeersRead)
{
    REQUIRE_PYTHON("dbfread", "python3-dbfread");
    const std::string src = dir.File("src.dbf");
    ASSERT_TRUE(SetCreateVersion(0x83));
    ASSERT_TRUE(CreateDbf(src, {{"NAME", 'C', 10, 0}, {"NOTE", 'M', 10, 0}}));
    ASSERT_TRUE(USE(src + " EXCLUSIVE"));
    const std::vector<std::string> notes = {"eins", std::string(700, 'z'), "drei\r\nZeilen"};
    for (std::size_t i = 0; i < notes.size(); ++i) {
        ClearRecord();
        Buffer().SetText(1, "n" + std::to_string(i + 1));
        Buffer().SetMemoRef(2, AddMemo(notes[i]));
        ASSERT_TRUE(Append());
    }
    USE("");
    const char* dump = R"(
import sys, dbfread
for r in dbfread.DBF(sys.argv[1]):
    print(r['NAME'], len(r['NOTE'] or ''), repr((r['NOTE'] or '')[:6]))
)";
    const char* xbase = R"(
my $t = new XBase $ARGV[0] or die XBase->errstr;
for my $i (0 .. $t->last_record) {
    my ($d, $name, $note) = $t->get_record($i, 'NAME', 'NOTE');
    my $head = substr($note, 0, 6);
    $head =~ s/\r/\\r/g;
    $head =~ s/\n/\\n/g;
    print "$name ", length($note), " '$head'\n";
}
)";
    for (std::uint8_t version : {0x83, 0x8B, 0xF5}) {
        const std::string dst = dir.File("dst" + std::to_string(version) + ".dbf");
        ASSERT_TRUE(SetCreateVersion(version));
        ASSERT_TRUE(CreateDbf(dst, {{"NAME", 'C', 10, 0}, {"NOTE", 'M', 10, 0}}));
        ASSERT_TRUE(USE(dst + " EXCLUSIVE"));
        ASSERT_EQ(AppendFrom(src), 3);
        GO(1);
        ASSERT_TRUE(DeleteRec());
        Pack();
        ASSERT_EQ(EngineErrorCode, 0) << LastErrorText();
        USE("");
        // dBase IV memo files are read by Perl's XBase (dbfread counts the
        // block header into their texts).
        ToolRun run = version == 0x8B ? RunProgram({"/usr/bin/perl", "-MXBase", "-e", xbase, dst})
                                      : Python(dump, {dst});
        ASSERT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(run.out, "n2 700 'zzzzzz'\nn3 12 'drei\\r\\n'\n") << int(version);
    }
}

} // namespace
