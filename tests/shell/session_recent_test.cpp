#include "shell_fixture.h"

#include "foundation/settings.h"
#include "shell/recent_files.h"
#include "shell/session_file.h"

#include <filesystem>

using namespace kt4;
using namespace kt4::shell;

namespace {

using settings::RecentFiles;

class Session : public shelltest::ShellTest {};

TEST_F(Session, WrittenAndReadBack)
{
    settings::DataDir = "/projekte/";
    RecentFiles[1] = "/projekte/a.kt4";
    RecentFiles[2] = "/projekte/Getriebe gro\xC3\x9F.kt4";
    WriteSessionFile();
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(dir.Get("kt4.cff"), "/projekte/ Session kt4\r\n/projekte/a.kt4\r\n"
                                  "/projekte/Getriebe gro\xE1.kt4\r\n\r\n\r\n");
    FreshStart();
    ReadSessionFile();
    EXPECT_EQ(RecentFiles[1], "/projekte/a.kt4");
    EXPECT_EQ(RecentFiles[2], "/projekte/Getriebe gro\xC3\x9F.kt4");
    EXPECT_EQ(RecentFiles[3], "");
    EXPECT_EQ(RecentFiles[4], "");
}

TEST_F(Session, WithoutRecentFilesNoFileIsWrittenAndAnOldOneStays)
{
    WriteSessionFile();
    EXPECT_FALSE(std::filesystem::exists(dir.File("kt4.cff")));
    dir.Put("kt4.cff", "old\r\n/x.kt4\r\n");
    WriteSessionFile();
    EXPECT_EQ(dir.Get("kt4.cff"), "old\r\n/x.kt4\r\n");
}

TEST_F(Session, MissingOrShortFile)
{
    RecentFiles[1] = "/stale.kt4";
    ReadSessionFile();
    EXPECT_EQ(RecentFiles[1], "");
    dir.Put("kt4.cff", "head\r\n/one.kt4\r\n");
    ReadSessionFile();
    EXPECT_EQ(RecentFiles[1], "/one.kt4");
    EXPECT_EQ(RecentFiles[2], "");
    EXPECT_FALSE(settings::AbortFlag);
}

TEST_F(Session, NameTheFileCannotHoldIsLeftOut)
{
    RecentFiles[1] = "/p/\xE5\x9B\xBE.kt4";
    RecentFiles[2] = "/p/b.kt4";
    WriteSessionFile();
    EXPECT_EQ(Lines(dir.Get("kt4.cff"))[1], "");
    EXPECT_EQ(Lines(dir.Get("kt4.cff"))[2], "/p/b.kt4");
}

class Recent : public shelltest::ShellTest {};

TEST_F(Recent, NewestFirstWithoutDuplicates)
{
    settings::DataDir = "/work/";
    AddRecentFile("a");
    AddRecentFile("b");
    AddRecentFile("c");
    EXPECT_EQ(RecentFiles[1], "/work/c.kt4");
    EXPECT_EQ(RecentFiles[3], "/work/a.kt4");
    AddRecentFile("A"); // the same file, case ignored: moves up
    EXPECT_EQ(RecentFiles[1], "/work/A.kt4");
    EXPECT_EQ(RecentFiles[2], "/work/c.kt4");
    EXPECT_EQ(RecentFiles[3], "/work/b.kt4");
    EXPECT_EQ(RecentFiles[4], "");
}

TEST_F(Recent, FifthEntryDropsTheOldest)
{
    settings::DataDir = "/w";
    for (const char* n : {"1", "2", "3", "4", "5"})
        AddRecentFile(n);
    EXPECT_EQ(RecentFiles[1], "/w/5.kt4");
    EXPECT_EQ(RecentFiles[4], "/w/2.kt4");
}

TEST_F(Recent, NamesWithExtensionOrFolderAreNotExtendedTwice)
{
    settings::DataDir = "/w/";
    AddRecentFile("/other/x.kt4");
    EXPECT_EQ(RecentFiles[1], "/other/x.kt4");
    AddRecentFile("y.KT4");
    EXPECT_EQ(RecentFiles[1], "/w/y.KT4");
    // the entry names the file as it is on disk; a dot is no extension
    settings::DataDir = dir.Path();
    dir.Put("PROJ.KT4", "x");
    AddRecentFile("PROJ");
    EXPECT_EQ(RecentFiles[1], dir.File("PROJ.KT4"));
    AddRecentFile("proj.v2");
    EXPECT_EQ(RecentFiles[1], dir.File("proj.v2.kt4"));
    // a project read from a file of another extension is saved there
    dir.Put("c.dxf", "x");
    settings::DataDir.clear();
    AddRecentFile(dir.File("c.dxf"));
    EXPECT_EQ(RecentFiles[1], dir.File("c.dxf"));
}

TEST_F(Recent, RemoveMovesTheRestUp)
{
    RecentFiles[1] = "a";
    RecentFiles[2] = "b";
    RecentFiles[3] = "c";
    RecentFiles[4] = "d";
    RemoveRecentFile(2);
    EXPECT_EQ(RecentFiles[2], "c");
    EXPECT_EQ(RecentFiles[3], "d");
    EXPECT_EQ(RecentFiles[4], "");
    RemoveRecentFile(0); // outside the list: nothing
    RemoveRecentFile(5);
    EXPECT_EQ(RecentFiles[1], "a");
}

TEST_F(Recent, ShortenPath)
{
    std::string p49 = "/home/user/projects/" + std::string(22, 'x') + "/ab.kt4";
    ASSERT_EQ(p49.size(), 49u);
    EXPECT_EQ(ShortenPath(p49), p49);
    std::string p50 = "/home/user/projects/" + std::string(23, 'x') + "/ab.kt4";
    EXPECT_EQ(ShortenPath(p50), "/.../ab.kt4");
    std::string oneSep = "/" + std::string(60, 'y');
    EXPECT_EQ(ShortenPath(oneSep), oneSep);
    EXPECT_EQ(ShortenPath("C:\\" + std::string(50, 'z') + "\\d.kt4"), "C:\\...\\d.kt4");
}

TEST_F(Recent, Captions)
{
    RecentFiles[2] = "/p/R&D.kt4";
    EXPECT_EQ(RecentFileCaption(1), "");
    EXPECT_EQ(RecentFileCaption(2), "&2 /p/R&&D.kt4");
}

} // namespace
