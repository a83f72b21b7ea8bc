#include "platform/file_util.h"
#include "platform/data_root_lock.h"
#include "platform/paths.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

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

TEST(FileUtilTest, OnlyRegularFilesOfBoundedSizeAreRead) {
    test::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    test::WriteFileOrDie(dir.File("big"), std::string(100, 'x'));
    std::string error;
    EXPECT_FALSE(ReadWholeFile("/dev/zero", &error));
    EXPECT_EQ(error, "/dev/zero: not a regular file");
    EXPECT_FALSE(ReadWholeFile(dir.File("fifo"), &error));  // and does not wait for a writer
    EXPECT_EQ(error, dir.File("fifo") + ": not a regular file");
    EXPECT_FALSE(ReadWholeFile(dir.File("big"), &error, 99));
    EXPECT_EQ(error, dir.File("big") + ": larger than 99 bytes, not read");
    EXPECT_EQ(ReadWholeFile(dir.File("big"), &error, 100), std::string(100, 'x'));
}

/// The chosen folders of a test: the data root and the settings folder, each a link (as a
/// user's dotfiles make them) to a folder of `mode`.
class ChosenRootsTest : public ::testing::Test {
protected:
    void Link(const std::string& link, const std::string& target, mode_t mode) {
        ASSERT_TRUE(EnsureFolder(target));
        ASSERT_EQ(::chmod(target.c_str(), mode), 0);
        ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    }
    std::string Root() const { return m_dir.File("root"); }
    std::string Config() const { return m_dir.File("config/orvanta"); }

    /// The folders a program chooses with ORVANTA_HOME set to Root() or, `withHome` false,
    /// unset.
    void Choose(bool withHome) {
        UseChosenRoots(ProgramPaths::FromVariables(
                           [&](const char* name) -> std::string {
                               const std::string_view variable(name);
                               if (variable == "ORVANTA_HOME") {
                                   return withHome ? Root() : "";
                               }
                               if (variable == "XDG_CONFIG_HOME") {
                                   return m_dir.File("config");
                               }
                               return variable == "XDG_DATA_HOME" ? m_dir.File("data") : "";
                           },
                           m_dir.File("bin"), m_dir.Path())
                           .ChosenRoots());
    }
    void SetUp() override { Choose(true); }
    void TearDown() override { UseChosenRoots({}); }

    test::TempDir m_dir;
};

TEST_F(ChosenRootsTest, AChosenFolderMayBeALinkToAPrivateFolder) {
    Link(Root(), m_dir.File("disk/data"), 0700);
    ASSERT_TRUE(EnsureFolder(m_dir.File("config")));
    Link(Config(), m_dir.File("dotfiles"), 0700);
    std::string error;
    EXPECT_TRUE(EnsureFolder(Root(), &error)) << error;
    EXPECT_TRUE(EnsureFolder(Root() + "/LogData", &error)) << error;
    EXPECT_TRUE(std::filesystem::is_directory(m_dir.File("disk/data/LogData")));
    EXPECT_TRUE(WriteFileAtomically(Root() + "/machine.reg", "m", &error)) << error;
    EXPECT_EQ(ReadWholeFile(Root() + "/machine.reg"), "m");

    // ORVANTA_HOME unset: the settings folder is the chosen one.
    Choose(false);
    EXPECT_TRUE(EnsureFolder(Config(), &error)) << error;
    EXPECT_TRUE(WriteFileAtomically(Config() + "/user.reg", "u", &error)) << error;
    EXPECT_EQ(test::ReadFileOrEmpty(m_dir.File("dotfiles/user.reg")), "u");
}

TEST_F(ChosenRootsTest, ALinkToAFolderOthersCanWriteIsRefused) {
    Link(Root(), m_dir.File("shared"), 0777);
    std::string error;
    EXPECT_FALSE(EnsureFolder(Root(), &error));
    EXPECT_NE(error.find("not the user's own"), std::string::npos) << error;
    EXPECT_FALSE(WriteFileAtomically(Root() + "/machine.reg", "m"));
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("shared/machine.reg")));
}

TEST_F(ChosenRootsTest, NothingBelowAChosenFolderIsFollowed) {
    ASSERT_TRUE(EnsureFolder(Root()));
    ASSERT_TRUE(EnsureFolder(m_dir.File("elsewhere")));
    test::WriteFileOrDie(m_dir.File("elsewhere/OV2026_1.ovl"), "planted");
    ASSERT_EQ(::symlink(m_dir.File("elsewhere").c_str(), (Root() + "/LogData").c_str()), 0);
    const std::string inside = Root() + "/LogData/OV2026_1.ovl";
    const std::string named = Root() + "/LogData: a symbolic link, not followed";
    std::string error;
    EXPECT_FALSE(ReadWholeFile(inside, &error));
    EXPECT_EQ(error, named);
    EXPECT_EQ(OpenNoFollow(Root() + "/LogData/OV2026_2.ovl", O_RDWR | O_CREAT, 0600, true, &error),
              -1);
    EXPECT_EQ(error, named);
    EXPECT_FALSE(EnsureFolder(Root() + "/LogData/sub", &error));
    EXPECT_FALSE(WriteFileAtomically(Root() + "/LogData/x", "x", &error));
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("elsewhere/OV2026_2.ovl")));
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("elsewhere/x")));
}

TEST(DataRootLockTest, OneHolderAtATimeNamedToTheNext) {
    test::TempDir dir;
    std::string error;
    pid_t holder = -1;
    {
        const auto first = DataRootLock::Acquire(dir.Path(), &error, &holder);
        ASSERT_TRUE(first) << error;
        EXPECT_EQ(holder, 0);
        // A second claim, even from this process, finds it taken and says by whom.
        EXPECT_FALSE(DataRootLock::Acquire(dir.Path(), &error, &holder));
        EXPECT_EQ(holder, ::getpid());
        EXPECT_EQ(error.find("the data root " + dir.Path() + " is in use by process " +
                             std::to_string(::getpid())),
                  0u)
            << error;
    }
    EXPECT_TRUE(DataRootLock::Acquire(dir.Path(), &error, &holder)) << error;
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
