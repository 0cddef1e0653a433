#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/settings.h"

#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kt4;
using kt4::testing::ScratchDir;

TEST(Paths, AddAndStripSeparator)
{
    EXPECT_EQ(AddBackslash("/data "), "/data/");
    EXPECT_EQ(AddBackslash("/data/"), "/data/");
    EXPECT_EQ(AddBackslash("C:\\data\\"), "C:\\data\\");
    EXPECT_EQ(AddBackslash("   "), "");
    // endings that once got no separator
    for (const char* d : {"/x/a-", "/x/a+", "/x/a,", "/x/a.", "/x/a}", "/x/a~", "/x/Gr\xC3\xBC"})
        EXPECT_EQ(AddBackslash(d), std::string(d) + "/") << d;
    EXPECT_EQ(AddBackslashColon("C:"), "C:/");
    EXPECT_EQ(StripBackslash(" /data/ "), "/data");
    EXPECT_EQ(StripBackslash("/"), "/");
}

TEST(Paths, NamePartsLookAtTheFilePartOnly)
{
    EXPECT_EQ(FileBaseName("/x/gear.kt4"), "gear");
    EXPECT_EQ(FileBaseName("C:\\x\\gear.kt4"), "gear");
    EXPECT_EQ(FileBaseName("C:\\my.dir\\file"), "file");
    EXPECT_EQ(FileBaseName("/home/u/.config/x.kt4"), "x");
    EXPECT_EQ(FileBaseName("gear."), "gear.");
    EXPECT_EQ(FileBaseName(".hidden"), ".hidden");
    EXPECT_EQ(FileExtAfterDot("a.b.c"), "b.c");
    EXPECT_EQ(FileExtAfterDot("/home/u/.config/x.kt4"), "kt4");
    EXPECT_EQ(FileExtAfterDot("/my.dir/file"), "");
    EXPECT_TRUE(NameHasDot("beispiel.kt4"));
    EXPECT_FALSE(NameHasDot("./projekte/beispiel"));
    EXPECT_FALSE(NameHasDot("/home/u/.config/beispiel"));
    EXPECT_TRUE(NameHasExt("PROJ.KT4", "kt4"));
    EXPECT_TRUE(NameHasExt("/a/proj.v2.kt4", "kt4"));
    EXPECT_FALSE(NameHasExt("proj.v2", "kt4"));
    EXPECT_FALSE(NameHasExt("/a.kt4/proj", "kt4"));
    EXPECT_FALSE(NameHasExt(".kt4", "kt4"));
    EXPECT_EQ(NameWithoutThisExt("/a/proj.v2.KT4", "kt4"), "/a/proj.v2");
    EXPECT_EQ(NameWithoutThisExt("proj.v2", "kt4"), "proj.v2");
    EXPECT_EQ(FilePathPart("C:\\x\\gear.kt4"), "C:\\x\\");
    EXPECT_EQ(FilePathPart("/x/gear.kt4"), "/x/");
    EXPECT_EQ(FilePathPart("gear.kt4"), "");
    EXPECT_EQ(PathWithoutExt("/a.b/gear.kt4"), "/a.b/gear");
    EXPECT_EQ(NameWithoutExt("/a.b/gear.x.kt4"), "gear.x");
}

class Files : public ::testing::Test {
protected:
    void SetUp() override { settings::InitSettings(); }
    ScratchDir dir;
};

TEST_F(Files, FolderTests)
{
    EXPECT_TRUE(DirReadable(dir.Path()));  // empty, yet readable
    EXPECT_FALSE(DirReadable(dir.File("missing")));
    EXPECT_TRUE(DirExists(dir.Path()));
    EXPECT_FALSE(DirExists(dir.File("missing")));
    dir.Put("x.$$$", "the user's own file");
    EXPECT_TRUE(DirWritable(dir.Path()));
    EXPECT_EQ(dir.Get("x.$$$"), "the user's own file"); // the probe has its own name
    EXPECT_EQ(dir.Count(), 1u);
    EXPECT_FALSE(DirWritable(dir.File("missing")));
    EXPECT_FALSE(FileReadable(dir.Path()));
    EXPECT_TRUE(CreateExclusive(dir.File("$OUT1.TMP")));
    EXPECT_FALSE(CreateExclusive(dir.File("$OUT1.TMP"))); // taken
    EXPECT_FALSE(CreateExclusive(dir.File("x.$$$")));
    EXPECT_TRUE(FileReadable(dir.File("x.$$$")));
}

TEST_F(Files, EraseByNameAndMask)
{
    for (const char* n : {"$a.dx$", "$B.DX$", "c.dx$", "$LOGO.txt"})
        dir.Put(n, "x");
    std::filesystem::create_directory(dir.File("$sub.dx$"));
    EXPECT_EQ(EraseFiles(dir.Path(), "$*.dx$"), 2);
    EXPECT_TRUE(FileReadable(dir.File("c.dx$")));
    EXPECT_TRUE(EraseFile(dir.File("c.dx$")));
    EXPECT_FALSE(EraseFile(dir.File("c.dx$")));
    EXPECT_EQ(dir.Count(), 2u); // $LOGO.txt and the folder
}

TEST_F(Files, CopyOpensTheSourceFirst)
{
    dir.Put("target.dbh", "keep me");
    EXPECT_FALSE(CopyFileTo(dir.File("missing.dbh"), dir.File("target.dbh")));
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(dir.Get("target.dbh"), "keep me");

    settings::AbortFlag = false;
    dir.Put("src.dbh", std::string(20000, 'q'));
    ASSERT_TRUE(CopyFileTo(dir.File("src.dbh"), dir.File("target.dbh")));
    EXPECT_EQ(dir.Get("target.dbh"), std::string(20000, 'q'));

    std::filesystem::create_directory(dir.File("sub"));
    ASSERT_TRUE(CopyFileTo(dir.File("src.dbh"), dir.File("sub")));
    EXPECT_EQ(dir.Get("sub/src.dbh").size(), 20000u);
    ASSERT_TRUE(CopyFileToDir(dir.File("src.dbh"), dir.File("sub/other.name")));
    EXPECT_FALSE(settings::AbortFlag);
}

TEST_F(Files, ShortWriteKeepsTheOldTarget)
{
    dir.Put("big", std::string(100000, 'n'));
    dir.Put("target", "old");
    kt4::testing::FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.Active());
    bool ok = BlockCopyFile(dir.File("big"), dir.File("target"));
    limit.Lift();
    EXPECT_FALSE(ok);
    EXPECT_TRUE(settings::AbortFlag);
    EXPECT_EQ(dir.Get("target"), "old");
    EXPECT_EQ(dir.Count(), 2u);
}

TEST_F(Files, CopyFilesByMask)
{
    dir.Put("a.plt", "1");
    dir.Put("b.plt", "2");
    dir.Put("c.txt", "3");
    dir.Put("RIKULA.PLT", "4"); // masks match whatever the case
    std::filesystem::create_directory(dir.File("out"));
    EXPECT_TRUE(CopyFiles("*.plt", dir.Path(), dir.File("out")));
    EXPECT_FALSE(settings::AbortFlag);
    EXPECT_EQ(dir.Get("out/b.plt"), "2");
    EXPECT_EQ(dir.Get("out/RIKULA.PLT"), "4");
    EXPECT_FALSE(FileReadable(dir.File("out/c.txt")));
    EXPECT_FALSE(CopyFiles("*.none", dir.Path(), dir.File("out")));
    EXPECT_TRUE(settings::AbortFlag);
}

TEST_F(Files, DataFilesAreFoundWhateverTheCase)
{
    dir.Put("RIKULA_N.HDF", "x");
    dir.Put("kt4.hlp", "y");
    EXPECT_EQ(FindFileNoCase(dir.Path(), "rikula_n.hdf"), dir.File("RIKULA_N.HDF"));
    EXPECT_EQ(FindFileNoCase(dir.File("KT4.HLP")), dir.File("kt4.hlp"));
    EXPECT_EQ(FindFileNoCase(dir.Path(), "kt4.hlp"), dir.File("kt4.hlp"));
    EXPECT_EQ(FindFileNoCase(dir.Path(), "null.kt4"), "");
}

TEST_F(Files, Attributes)
{
    dir.Put("r.dbf", "x");
    std::filesystem::permissions(dir.File("r.dbf"), std::filesystem::perms::owner_read);
    EXPECT_TRUE(HasAttr(dir.File("r.dbf"), AttrReadOnly | AttrArchive));
    EXPECT_FALSE(HasAttr(dir.File("r.dbf"), AttrDirectory));
    EXPECT_TRUE(HasAttr(dir.Path(), AttrDirectory));
    EXPECT_FALSE(HasAttr(dir.File("none"), 0));
}
