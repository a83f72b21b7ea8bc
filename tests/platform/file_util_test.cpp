#include "platform/file_util.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace ov {
namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

TEST(FileUtilTest, AtomicWriteReplacesWholeAndPrivate) {
    test::TempDir dir;
    const std::string path = dir.File("state");
    ASSERT_TRUE(WriteFileAtomically(path, "first"));
    ASSERT_TRUE(WriteFileAtomically(path, "second, longer"));
    EXPECT_EQ(ReadWholeFile(path), "second, longer");
    EXPECT_EQ(ModeOf(path), 0600u);
    // No temporary file is left behind.
    EXPECT_EQ(::access((path + ".tmp").c_str(), F_OK), -1);
}

TEST(FileUtilTest, AtomicWriteFailsInAMissingFolder) {
    test::TempDir dir;
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(dir.File("nope/state"), "x", &error));
    EXPECT_NE(error.find("nope"), std::string::npos);
}

TEST(FileUtilTest, FoldersAreMadePrivateAndLinksAreRefused) {
    test::TempDir dir;
    const std::string nested = dir.File("a/b/c");
    ASSERT_TRUE(EnsureFolder(nested));
    EXPECT_EQ(ModeOf(dir.File("a")), 0700u);
    EXPECT_EQ(ModeOf(nested), 0700u);
    EXPECT_TRUE(EnsureFolder(nested));  // again: nothing to do

    ASSERT_EQ(::symlink(dir.File("a").c_str(), dir.File("planted").c_str()), 0);
    EXPECT_FALSE(EnsureFolder(dir.File("planted")));
    // A link higher up the path is the user's layout and is followed.
    EXPECT_TRUE(EnsureFolder(dir.File("planted/b/d")));

    test::WriteFileOrDie(dir.File("file"), "x");
    EXPECT_FALSE(EnsureFolder(dir.File("file")));
}

TEST(FileUtilTest, ReadingDoesNotFollowALink) {
    test::TempDir dir;
    test::WriteFileOrDie(dir.File("real"), "secret");
    ASSERT_EQ(::symlink(dir.File("real").c_str(), dir.File("link").c_str()), 0);
    EXPECT_EQ(ReadWholeFile(dir.File("real")), "secret");
    EXPECT_FALSE(ReadWholeFile(dir.File("link")));
}

TEST(FileUtilTest, KeepAsideNeverReplacesAnEarlierCopy) {
    test::TempDir dir;
    const std::string path = dir.File("state");
    test::WriteFileOrDie(path, "one");
    const auto first = KeepAside(path, "damaged");
    ASSERT_TRUE(first);
    test::WriteFileOrDie(path, "two");
    const auto second = KeepAside(path, "damaged");
    ASSERT_TRUE(second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(test::ReadFileOrEmpty(*first), "one");
    EXPECT_EQ(test::ReadFileOrEmpty(*second), "two");
    EXPECT_EQ(::access(path.c_str(), F_OK), -1);
}

TEST(FileUtilTest, PathPieces) {
    EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
    EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(ParentFolder("/a/b"), "/a");
    EXPECT_EQ(ParentFolder("/b"), "/");
    EXPECT_EQ(ParentFolder("b"), ".");
}

}  // namespace
}  // namespace ov
