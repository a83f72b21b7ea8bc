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
        // A bare name is compared with the file name part only; case matters.
        {"/usr/bin/editor", "editor", true},
        {"/usr/bin/Editor", "editor", false},
        {"/usr/bin/editor", "EDITOR", false},
        {"/usr/bin/editor-gtk", "editor", false},
        {"/usr/bin/editor", "bin/editor", false},
        // A full path is compared with the whole exe name, case and all.
        {"/usr/bin/editor", "/usr/bin/editor", true},
        {"/usr/bin/editor", "/USR/BIN/Editor", false},
        {"/opt/x/CaseTest", "/opt/x/casetest", false},
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
    /// A process with this argument vector, run from `folder` (hidden when empty).
    void AddCommandLine(int pid, const std::vector<std::string>& arguments,
                        const std::string& folder = {}) {
        std::string text;
        for (const std::string& argument : arguments) {
            text += argument;
            text.push_back('\0');
        }
        test::WriteFileOrDie(MakeFolder(pid) + "/cmdline", text);
        if (!folder.empty()) {
            ASSERT_EQ(::symlink(folder.c_str(), (MakeFolder(pid) + "/cwd").c_str()), 0);
        }
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
        {"Editor", 100},       {"/usr/bin/Editor", 100},    {"sshd", 101},
        {"editor", 0},         {"/usr/bin/EDITOR", 0},  // another program on Linux
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

TEST_F(FakeProc, FindsAScriptByTheArgumentItsInterpreterRuns) {
    TempDir files;
    for (const char* name : {"tool.sh", "tool.py", "other.sh", "linked.sh", "hidden.sh"}) {
        test::WriteFileOrDie(files.File(name), "#!/bin/sh\n");
    }
    test::WriteFileOrDie(files.File("program"),
                         "\x7f"
                         "ELF");
    ::mkdir(files.File("bin").c_str(), 0755);
    ASSERT_EQ(::symlink("../linked.sh", files.File("bin/linked.sh").c_str()), 0);

    AddExe(200, "/usr/bin/dash");
    AddCommandLine(200, {"/bin/sh", files.File("tool.sh")});
    AddExe(201, "/usr/bin/python3.11");
    AddCommandLine(201, {"python3", "-u", "tool.py", "--verbose"}, files.Path());
    AddExe(202, "/usr/bin/dash");
    AddCommandLine(202, {"sh", "-e", "--", "bin/../other.sh"}, files.Path());
    AddExe(203, "/usr/bin/gdb");
    AddCommandLine(203, {"gdb", files.File("program")});
    AddExe(204, "/usr/bin/dash");
    AddCommandLine(204, {"/bin/sh", files.File("bin/linked.sh")});
    AddExe(205, "/usr/bin/dash");
    AddCommandLine(205, {"sh", "hidden.sh"});  // another user's: its folder cannot be read

    ProcessList list(m_root.Path(), MakeNullWindowList());
    ASSERT_TRUE(list.Refresh());
    EXPECT_EQ(EntryOf(list, 201)->scriptPath, files.File("tool.py"));
    struct Case {
        std::string path;
        int pid;  // 0: none
    };
    const Case cases[] = {
        {files.File("tool.sh"), 200},   {files.File("tool.py"), 201},  // relative, after an option
        {files.File("other.sh"), 202},   // after "--", its folder resolved
        {files.File("linked.sh"), 204},  // started through a link
        {files.File("program"), 0},      // not a script: an argument is not the program
        {files.File("hidden.sh"), 0},   {files.File("TOOL.sh"), 0},
    };
    for (const Case& c : cases) {
        const ProcessEntry* found = list.Find(c.path);
        EXPECT_EQ(found ? found->processId : 0, c.pid) << c.path;
    }
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
    for (const std::string& path : {probe, std::string("Probe Copy"), link}) {
        const ProcessEntry* found = list.Find(path);
        ASSERT_NE(found, nullptr) << path;
        EXPECT_EQ(found->processId, running.Pid()) << path;
    }
    EXPECT_FALSE(list.IsRunning("probe copy"));
    EXPECT_FALSE(list.IsRunning(dir.File("probe copy")));
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
