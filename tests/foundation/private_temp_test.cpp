#include "foundation/private_temp.h"
#include "foundation/settings.h"
#include "scratch_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utility>
#include <unistd.h>

namespace kt4 {
namespace {

TEST(PrivateTemp, MadeOnNeedPrivateAndRemovedWhole)
{
    testing::ScratchDir dir;
    settings::TempDir = dir.Path();
    dir.Put("keep.txt", "other user");

    std::string folder = PrivateTempDir();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.rfind(dir.Path(), 0), 0u);
    EXPECT_EQ(PrivateTempDir(), folder); // the same folder while it lives
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    std::string blocks = PrivateTempSubdir("blocks");
    ASSERT_EQ(blocks, folder + "blocks/");
    EXPECT_TRUE(PrivateTempSubdir("../x").empty());
    EXPECT_TRUE(PrivateTempSubdir("a/b").empty());

    // A link inside is removed as a link; its target stays.
    ASSERT_EQ(::symlink(dir.File("keep.txt").c_str(), (blocks + "$x.dx$").c_str()), 0);
    EXPECT_TRUE(EmptyPrivateTempSubdir("blocks"));
    EXPECT_FALSE(std::filesystem::exists(blocks + "$x.dx$"));
    EXPECT_TRUE(std::filesystem::exists(blocks));

    // what is inside, by name
    const std::string bare = folder.substr(0, folder.size() - 1);
    const std::pair<std::string, bool> names[] = {
        {folder + "outwin.txt", true}, {blocks + "$x.dx$", true}, {folder + "./a/../b.txt", true},
        {bare, false}, {folder, false}, {folder + "../keep.txt", false}, {bare + "x/y.txt", false},
        {dir.File("keep.txt"), false}, {"", false},
    };
    for (const auto& [name, inside] : names)
        EXPECT_EQ(InPrivateTempDir(name), inside) << name;

    ASSERT_EQ(::symlink(dir.File("keep.txt").c_str(), (folder + "outwin.txt").c_str()), 0);
    RemovePrivateTempDir();
    EXPECT_FALSE(InPrivateTempDir(folder + "outwin.txt"));
    EXPECT_FALSE(PrivateTempDirExists());
    EXPECT_FALSE(std::filesystem::exists(folder));
    EXPECT_EQ(dir.Get("keep.txt"), "other user");

    std::string again = PrivateTempDir();
    EXPECT_NE(again, "");
    RemovePrivateTempDir();
    settings::TempDir.clear();
}

} // namespace
} // namespace kt4
