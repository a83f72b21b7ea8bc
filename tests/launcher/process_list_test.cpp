#include "launcher/process_list.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "launcher/platform_kind.h"
#include "launcher/single_instance.h"
#include "support/probe.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

using test::TempDir;

TEST(ExeNameMatches, FollowsTheMatchingRules) {
    struct Case {
        const char* exeName;
        const char* path;
        bool matches;
    };
    const Case cases[] = {
        // A bare name is compared with the file name part only, without regard to case.
        {"/usr/bin/Editor", "editor", true},
        {"/usr/bin/editor", "EDITOR", true},
        {"/usr/bin/editor-gtk", "editor", false},
        {"/usr/bin/editor", "bin/editor", false},
        // A full path is compared with the whole exe name.
        {"/usr/bin/editor", "/USR/BIN/Editor", true},
        {"/opt/editor", "/usr/bin/editor", false},
        {"/usr/bin/editor", "/usr/bin", false},
        // A process listed by its command name only: a full path never finds it.
        {"editor", "editor", true},
        {"editor", "/usr/bin/editor", false},
        // An empty path finds nothing.
        {"/usr/bin/editor", "", false},
        {"", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExeNameMatches(c.exeName, c.path), c.matches)
            << c.exeName << " against '" << c.path << "'";
    }
}

/// Windows as a test gives them.
class FixedWindowList final : public WindowList {
public:
    explicit FixedWindowList(std::vector<DesktopWindow> windows) : m_windows(std::move(windows)) {}
    std::vector<DesktopWindow> TopLevelWindows() override { return m_windows; }

private:
    std::vector<DesktopWindow> m_windows;
};

/// A made-up /proc: processes whose executable is a link, or only a command name.
class FakeProc : public ::testing::Test {
protected:
    void AddExe(int pid, const std::string& target) {
        const std::string folder = MakeFolder(pid);
        ASSERT_EQ(::symlink(target.c_str(), (folder + "/exe").c_str()), 0);
    }
    void AddComm(int pid, const std::string& name) {
        test::WriteFileOrDie(MakeFolder(pid) + "/comm", name + "\n");
    }
    std::string MakeFolder(int pid) {
        const std::string folder = m_root.File(std::to_string(pid));
        ::mkdir(folder.c_str(), 0700);
        return folder;
    }
    const ProcessEntry* EntryOf(const ProcessList& list, int pid) {
        for (const ProcessEntry& entry : list.Entries()) {
            if (entry.processId == pid) {
                return &entry;
            }
        }
        return nullptr;
    }

    TempDir m_root;
};

TEST_F(FakeProc, ListsPathsOrCommandNamesAndFindsOthersOnly) {
    AddExe(100, "/usr/bin/Editor");
    AddComm(101, "sshd");  // another user's process: no readable exe
    AddExe(102, "/opt/app/tool (deleted)");
    AddExe(static_cast<int>(::getpid()), "/opt/orvanta/orvanta");
    MakeFolder(103);  // ended while the list was read
    ::mkdir(m_root.File("self").c_str(), 0700);
    ::mkdir(m_root.File("0104").c_str(), 0700);

    ProcessList list(m_root.Path(), MakeNullWindowList());
    ASSERT_TRUE(list.Refresh());
    EXPECT_EQ(list.Entries().size(), 4u);
    ASSERT_NE(EntryOf(list, 101), nullptr);
    EXPECT_EQ(EntryOf(list, 101)->exeName, "sshd");
    EXPECT_EQ(EntryOf(list, 102)->exeName, "/opt/app/tool");

    struct Case {
        const char* path;
        int pid;  // 0: none
    };
    const Case cases[] = {
        {"editor", 100},       {"/usr/bin/EDITOR", 100},    {"sshd", 101},
        {"/usr/sbin/sshd", 0}, {"/opt/app/tool", 102},      {"", 0},
        {"orvanta", 0},        {"/opt/orvanta/orvanta", 0},  // this process never counts
    };
    for (const Case& c : cases) {
        const ProcessEntry* found = list.Find(c.path);
        EXPECT_EQ(found ? found->processId : 0, c.pid) << c.path;
        EXPECT_EQ(list.IsRunning(c.path), c.pid != 0) << c.path;
    }
    const auto copy = FindRunningCopy(list, "/opt/orvanta/orvanta");
    EXPECT_FALSE(copy.has_value());
}

TEST_F(FakeProc, GivesEachProcessItsLastWindowAndATitle) {
    AddExe(100, "/usr/bin/editor");
    AddExe(101, "/usr/bin/viewer");
    AddExe(102, "/usr/bin/daemon");
    const std::string longTitle = std::string(61, 'x') + "éé";
    ProcessList list(m_root.Path(), std::make_unique<FixedWindowList>(std::vector<DesktopWindow>{
                                        {11, 100, "Editor - a.txt"},
                                        {12, 100, ""},  // later, untitled: its id, the old title
                                        {21, 101, longTitle},
                                        {99, 555, "of a process not listed"},
                                    }));
    ASSERT_TRUE(list.Refresh());
    EXPECT_EQ(EntryOf(list, 100)->window, 12u);
    EXPECT_EQ(EntryOf(list, 100)->title, "Editor - a.txt");
    EXPECT_EQ(EntryOf(list, 101)->window, 21u);
    EXPECT_EQ(EntryOf(list, 101)->title, std::string(61, 'x') + "é");
    EXPECT_EQ(EntryOf(list, 102)->window, 0u);
    EXPECT_EQ(EntryOf(list, 102)->title, "");
}

TEST(ProcessList, AMissingProcFolderGivesAnEmptyList) {
    ProcessList list("/nonexistent/proc", MakeNullWindowList());
    EXPECT_FALSE(list.Refresh());
    EXPECT_TRUE(list.Entries().empty());
}

TEST(ProcessList, FindsARunningProgramByPathNameAndLink) {
    TempDir dir;
    const std::string probe = test::CopyProbe(dir.Path(), "Probe Copy");
    const std::string link = dir.File("link-to-probe");
    ASSERT_EQ(::symlink(probe.c_str(), link.c_str()), 0);
    test::ProbeSetup setup(dir.Path(), true);
    test::BackgroundProcess running({probe});
    ASSERT_GT(running.Pid(), 0);
    ASSERT_TRUE(test::ProbeReport(dir.Path(), running.Pid()).has_value());

    ProcessList list;
    ASSERT_TRUE(list.Refresh());
    for (const std::string& path : {probe, std::string("probe copy"), link}) {
        const ProcessEntry* found = list.Find(path);
        ASSERT_NE(found, nullptr) << path;
        EXPECT_EQ(found->processId, running.Pid()) << path;
    }
    const auto copy = FindRunningCopy(list, probe);
    ASSERT_TRUE(copy.has_value());
    EXPECT_EQ(copy->processId, running.Pid());

    running.Signal(SIGKILL);
    running.Wait();
    EXPECT_FALSE(FindRunningCopy(list, probe).has_value());
}

TEST(PlatformKind, IsLinuxWithTheKernelVersion) {
    int major = -1;
    int minor = -1;
    EXPECT_EQ(GetPlatformKind(&major, &minor), PlatformKind::Linux);
    EXPECT_GE(major, 3);
    EXPECT_GE(minor, 0);
    EXPECT_EQ(static_cast<int>(GetPlatformKind()), 4);
}

}  // namespace
}  // namespace ov
