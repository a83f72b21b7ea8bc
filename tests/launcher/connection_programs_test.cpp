#include "launcher/connection_programs.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "launcher/registry_app_paths.h"
#include "settings/registry_key.h"
#include "support/probe.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

using test::FixedAppPaths;
using test::TempDir;

TEST(ResolveProgramPath, KeepsFullPathsAndLooksUpBareNames) {
    const FixedAppPaths appPaths({{"mail", "/opt/mail/bin/mail"}, {"", "/should/not/happen"}});
    struct Case {
        const char* path;
        const char* resolved;
    };
    const Case cases[] = {
        {"/usr/bin/mail", "/usr/bin/mail"},
        {"/", "/"},
        {"mail", "/opt/mail/bin/mail"},
        {"news", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResolveProgramPath(c.path, appPaths), c.resolved) << c.path;
    }
}

TEST(PathSearchAppPaths, FindsExecutablesInAbsoluteFoldersOnly) {
    TempDir first;
    TempDir second;
    TempDir relative;
    test::WriteFileOrDie(first.File("notes"), "data");  // not executable
    test::WriteFileOrDie(second.File("notes"), "#!/bin/true\n");
    ::chmod(second.File("notes").c_str(), 0755);
    ::mkdir(second.File("folder").c_str(), 0755);
    test::WriteFileOrDie(relative.File("tool"), "#!/bin/true\n");
    ::chmod(relative.File("tool").c_str(), 0755);
    // A relative folder (here the relative folder's path without its leading '/') is skipped.
    test::ScopedEnv path(
        "PATH", ":" + relative.Path().substr(1) + ":" + first.Path() + ":" + second.Path() + "/");
    const PathSearchAppPaths appPaths;
    EXPECT_EQ(appPaths.Lookup("notes"), second.File("notes"));
    EXPECT_EQ(appPaths.Lookup("folder"), "");
    EXPECT_EQ(appPaths.Lookup("tool"), "");
    EXPECT_EQ(appPaths.Lookup(""), "");
    EXPECT_EQ(appPaths.Lookup(".."), "");
    EXPECT_EQ(appPaths.Lookup(second.Path().substr(1) + "/notes"), "");
}

TEST(RegistryAppPaths, TheHiveKeyWinsOverThePathSearch) {
    test::TempHome home;
    TempDir bin;
    for (const char* name : {"mail", "news"}) {
        test::WriteFileOrDie(bin.File(name), "#!/bin/true\n");
        ::chmod(bin.File(name).c_str(), 0755);
    }
    test::ScopedEnv path("PATH", bin.Path());
    {
        RegistryKey key(HKEY_LOCAL_MACHINE, std::string(kAppPathsKey) + "\\mail");
        ASSERT_TRUE(key.Open(HKEY_LOCAL_MACHINE, key.Path(), KEY_WRITE));
        ASSERT_TRUE(key.WriteString("", "/opt/mail/bin/mail"));
    }
    const RegistryAppPaths appPaths;
    struct Case {
        std::string name;
        std::string found;
    };
    const Case cases[] = {
        {"mail", "/opt/mail/bin/mail"},  // registered: the key's value, whatever PATH holds
        {"news", bin.File("news")},      // not registered: found in PATH
        {"NEWS", ""},                    // file names keep their case
        {"weather", ""},
        {"", ""},
        {"App Paths\\mail", ""},  // a name is never a path into other keys
        {"../mail", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(appPaths.Lookup(c.name), c.found) << c.name;
    }
    EXPECT_EQ(ResolveProgramPath("news", appPaths), bin.File("news"));
}

/// Programs on connect against real processes: copies of the probe that wait for a signal.
class ConnectionPrograms : public ::testing::Test {
protected:
    ConnectionPrograms() : m_setup(m_dir.Path(), true) {}
    ~ConnectionPrograms() override {
        m_launched.clear();
        for (const pid_t pid : m_toKill) {
            ::kill(-pid, SIGKILL);  // a started program leads its own group
            ::kill(pid, SIGKILL);
        }
    }
    std::string Probe(const std::string& name) { return test::CopyProbe(m_dir.Path(), name); }
    void Connect(const std::vector<ProgramEntry>& programs) {
        StartConnectionPrograms(programs, m_appPaths, m_processes, m_launched);
        for (const auto& launcher : m_launched) {
            if (launcher->CommandLine().empty()) {
                continue;  // an unregistered bare name: never starts
            }
            ASSERT_TRUE(test::WaitFor([&] { return launcher->ProcessId() != 0; }));
            m_toKill.push_back(launcher->ProcessId());
        }
    }
    /// Ends the programs as a disconnect does and waits for those told to end to be gone.
    void Disconnect(const std::vector<ProgramEntry>& programs) {
        CloseConnectionPrograms(programs, m_appPaths, m_launched);
        WaitForEndingPrograms();
    }

    TempDir m_dir;
    test::ProbeSetup m_setup;
    FixedAppPaths m_appPaths{{}};
    ProcessList m_processes{"/proc", MakeNullWindowList()};
    LauncherList m_launched;
    std::vector<pid_t> m_toKill;
};

TEST_F(ConnectionPrograms, EndsOnlyWhatItStartedAndWhatIsMarkedToEnd) {
    struct Case {
        const char* name;
        int exit;
        bool userClosesFirst;
        bool runsAfterDisconnect;
    };
    const Case cases[] = {
        {"keeps", 0, false, true},
        {"ends", 1, false, false},
        {"user closed", 1, true, false},
    };
    std::vector<ProgramEntry> programs;
    for (const Case& c : cases) {
        programs.push_back({Probe(c.name), 1, c.exit});
    }
    Connect(programs);
    ASSERT_EQ(m_launched.size(), std::size(cases));
    std::vector<pid_t> pids;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        ProgramLauncher& launcher = *m_launched[i];
        EXPECT_EQ(launcher.CommandLine(), programs[i].path);
        EXPECT_EQ(launcher.ShowCommand(), kShowMinimized);
        pids.push_back(launcher.ProcessId());
        if (cases[i].userClosesFirst) {
            ::kill(launcher.ProcessId(), SIGTERM);
            ASSERT_TRUE(test::WaitFor([&] { return !launcher.HasProcess(); }));
        }
    }
    Disconnect(programs);
    EXPECT_TRUE(m_launched.empty());
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(test::IsAlive(pids[i]), cases[i].runsAfterDisconnect) << cases[i].name;
    }
}

TEST_F(ConnectionPrograms, AProgramAlreadyRunningIsNeitherStartedNorEnded) {
    const std::string path = Probe("already running");
    test::BackgroundProcess running({path});
    ASSERT_TRUE(test::ProbeReport(m_dir.Path(), running.Pid()).has_value());
    const std::vector<ProgramEntry> programs{{path, 0, 1}};
    Connect(programs);
    EXPECT_TRUE(m_launched.empty());
    Disconnect(programs);
    EXPECT_TRUE(test::IsAlive(running.Pid()));
}

TEST_F(ConnectionPrograms, ABareNameIsStartedFoundAndEndedByItsRegisteredPath) {
    const std::string path = Probe("registered tool");
    m_appPaths = FixedAppPaths({{"tool", path}});
    const std::vector<ProgramEntry> programs{{"tool", 2, 1}, {"unregistered", 0, 1}};
    Connect(programs);
    ASSERT_EQ(m_launched.size(), 2u);
    EXPECT_EQ(m_launched[0]->CommandLine(), path);
    EXPECT_EQ(m_launched[0]->ShowCommand(), kShowMaximized);
    EXPECT_EQ(m_launched[1]->CommandLine(), "");  // cannot start: nothing happens
    EXPECT_FALSE(m_launched[1]->HasProcess());
    const pid_t pid = m_launched[0]->ProcessId();
    m_processes.Refresh();
    EXPECT_TRUE(m_processes.IsRunning(path));
    Disconnect(programs);
    EXPECT_FALSE(test::IsAlive(pid));
}

TEST_F(ConnectionPrograms, ASecondConnectionAppendsItsOwnLaunchers) {
    const std::vector<ProgramEntry> programs{{Probe("first"), 1, 1}, {Probe("second"), 1, 1}};
    Connect(programs);
    ASSERT_EQ(m_launched.size(), 2u);
    const pid_t first = m_launched[0]->ProcessId();
    // The user ends the second program; the next connection starts it again and only it.
    ::kill(m_launched[1]->ProcessId(), SIGTERM);
    ASSERT_TRUE(test::WaitFor([&] { return !m_launched[1]->HasProcess(); }));
    Connect(programs);
    ASSERT_EQ(m_launched.size(), 3u);
    EXPECT_EQ(m_launched[2]->CommandLine(), programs[1].path);
    const pid_t again = m_launched[2]->ProcessId();
    EXPECT_TRUE(test::IsAlive(again));
    // Both running programs are ended, the restarted one too although an earlier launcher
    // of the same path comes first in the list.
    Disconnect(programs);
    EXPECT_FALSE(test::IsAlive(first));
    EXPECT_FALSE(test::IsAlive(again));
}

TEST_F(ConnectionPrograms, ScriptsAreStartedOnceOverThreeConnects) {
    test::ScopedEnv path("PATH", "/usr/bin:/bin");  // the system's python3 for env to find
    std::vector<ProgramEntry> programs{
        {test::WriteProgram(m_dir.File("tool.sh"), "#!/bin/sh\nwhile :; do sleep 1; done\n"), 1,
         0}};
    if (::access("/usr/bin/python3", X_OK) == 0) {
        programs.push_back({test::WriteProgram(m_dir.File("tool.py"),
                                               "#!/usr/bin/env python3\nimport signal\n"
                                               "signal.pause()\n"),
                            1, 0});
    }
    for (int connect = 0; connect < 3; ++connect) {
        Connect(programs);
        EXPECT_EQ(m_launched.size(), connect == 0 ? programs.size() : 0u) << connect;
        if (connect == 0) {
            // Running as the interpreter that reads it (env has handed over to python3).
            for (const ProgramEntry& program : programs) {
                EXPECT_TRUE(test::WaitFor([&] {
                    m_processes.Refresh();
                    return m_processes.IsRunning(program.path);
                })) << program.path;
            }
        }
        Disconnect(programs);
    }
}

TEST_F(ConnectionPrograms, PathsDifferingOnlyInCaseAreTwoPrograms) {
    const ProgramEntry upper{Probe("CaseTest"), 1, 1};
    const ProgramEntry lower{Probe("casetest"), 1, 1};
    Connect({upper});
    ASSERT_EQ(m_launched.size(), 1u);
    Connect({upper, lower});
    ASSERT_EQ(m_launched.size(), 2u);
    EXPECT_EQ(m_launched[1]->CommandLine(), lower.path);
}

TEST_F(ConnectionPrograms, AProgramsTextIsACommandLineUnlessItNamesAFile) {
    const std::string probe = Probe("probe");
    const std::string blank = Probe("with blank");  // there is no "with"
    m_appPaths = FixedAppPaths({{"tool", probe}});
    struct Case {
        std::string text;
        std::vector<std::string> arguments;  // as the program gets them
    };
    const Case cases[] = {
        {probe + " --flag \"two words\"", {probe, "--flag", "two words"}},
        {blank, {blank}},
        {"'" + blank + "' -x", {blank, "-x"}},
        {"tool --private-window", {probe, "--private-window"}},
        {probe + " '$(touch pwned)' ; x", {probe, "$(touch pwned)", ";", "x"}},
    };
    std::vector<ProgramEntry> programs;
    for (const Case& c : cases) {
        programs.push_back({c.text, 0, 1});
    }
    Connect(programs);
    ASSERT_EQ(m_launched.size(), std::size(cases));
    std::vector<pid_t> pids;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        pids.push_back(m_launched[i]->ProcessId());
        auto expected = cases[i].arguments;
        expected.emplace_back("show=1");
        EXPECT_EQ(test::ProbeReport(m_dir.Path(), pids.back()), expected) << cases[i].text;
    }
    EXPECT_NE(::access(m_dir.File("pwned").c_str(), F_OK), 0);
    // Each is found again by its program and arguments, and ended.
    Disconnect(programs);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_FALSE(test::IsAlive(pids[i])) << cases[i].text;
    }
}

TEST_F(ConnectionPrograms, AProgramThatCannotStartIsReportedAtEachConnect) {
    const std::string folder = m_dir.File("folder");
    ::mkdir(folder.c_str(), 0755);
    const std::string plain = m_dir.File("plain");
    test::WriteFileOrDie(plain, "data");
    const std::string noInterpreter =
        test::WriteProgram(m_dir.File("no interpreter"), "#!/nonexistent/sh -e\n");
    const std::string noHashBang = test::WriteProgram(m_dir.File("no hash-bang"), "true\n");
    const std::string starts = Probe("starts");
    const std::vector<ProgramEntry> programs{
        {m_dir.File("missing"), 0, 0},
        {folder, 0, 0},
        {plain, 0, 0},
        {starts, 0, 0},
        {noInterpreter, 0, 0},
        {noHashBang, 0, 0},
        {"unregistered --x", 0, 0},
    };
    const std::vector<ProgramStartFailure> expected{
        {m_dir.File("missing"), "no such file"},
        {folder, "a folder"},
        {plain, "not executable"},
        {noInterpreter, "its interpreter /nonexistent/sh cannot be found"},
        {noHashBang, "not a program the system can run (a script needs a #! line)"},
        {"unregistered --x", "not found in the search path"},
    };
    for (int connect = 0; connect < 2; ++connect) {
        std::vector<ProgramStartFailure> reported;
        StartConnectionPrograms(programs, m_appPaths, m_processes, m_launched,
                                [&](const ProgramStartFailure& f) { reported.push_back(f); });
        EXPECT_EQ(reported, expected) << connect;
        if (connect == 0) {
            ASSERT_EQ(m_launched.size(), programs.size());
            m_toKill.push_back(m_launched[3]->ProcessId());
        }
        Disconnect(programs);
    }
}

}  // namespace
}  // namespace ov
