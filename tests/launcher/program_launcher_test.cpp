#include "launcher/program_launcher.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <random>
#include <thread>

#include "launcher/program_reaper.h"
#include "support/probe.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

using namespace std::chrono_literals;
using test::TempDir;

/// Records the commands it gets on the window thread.
class CommandWindow final : public MessageWindow {
public:
    using MessageWindow::MessageWindow;
    std::intptr_t HandleMessage(std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t) override {
        if (message == WM_COMMAND) {
            commands.push_back(static_cast<int>(wParam));
        }
        return 0;
    }
    std::vector<int> commands;
};

/// Handles the loop's messages until `done` holds; false on a time-out.
bool PumpUntil(MessageLoop& loop, const std::function<bool()>& done,
               std::chrono::milliseconds timeout = 10s) {
    return test::WaitFor(
        [&] {
            loop.ProcessPending();
            return done();
        },
        timeout);
}

/// Whether the process has ended and been reaped, so no zombie is left. Reaps nothing itself.
bool Reaped(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

TEST(ProgramLauncher, OddPathsAndTheShowCommandReachTheProgramUnchanged) {
    struct Case {
        const char* name;
        int style;
        const char* show;
    };
    const Case cases[] = {
        {"with space", 0, "1"},    {"double\"quote", 1, "6"},   {"single'quote", 2, "3"},
        {"semi;colon", 3, "1"},    {"$(touch pwned)", -1, "1"}, {"`touch pwned`", 1, "6"},
        {"-leading-dash", 1, "6"}, {"star*and?glob", 1, "6"},   {"new\nline", 1, "6"},
    };
    TempDir dir;
    std::vector<std::string> paths;
    for (const Case& c : cases) {
        paths.push_back(test::CopyProbe(dir.Path(), c.name));
    }
    test::ProbeSetup setup(dir.Path(), false);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        ProgramLauncher launcher(nullptr, paths[i], 0, false, ShowCommandForStyle(c.style));
        ASSERT_TRUE(test::WaitFor([&] { return launcher.ProcessId() != 0; })) << c.name;
        const auto report = test::ProbeReport(dir.Path(), launcher.ProcessId());
        ASSERT_TRUE(report.has_value()) << c.name;
        EXPECT_EQ(*report, (std::vector<std::string>{paths[i], std::string("show=") + c.show}))
            << c.name;
    }
    EXPECT_NE(::access(dir.File("pwned").c_str(), F_OK), 0);
    EXPECT_NE(::access("pwned", F_OK), 0);
}

TEST(ProgramLauncher, AProgramGetsNullStandardStreamsAndASessionOfItsOwn) {
    TempDir dir;
    const std::string probe = test::CopyProbe(dir.Path(), "probe");
    test::ProbeSetup setup(dir.Path(), true);
    ProgramLauncher launcher(nullptr, probe, 0, false, kShowNormal);
    ASSERT_TRUE(test::WaitFor([&] { return launcher.ProcessId() != 0; }));
    const pid_t pid = launcher.ProcessId();
    ASSERT_TRUE(test::ProbeReport(dir.Path(), pid).has_value());  // done writing its report
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd/";
    for (const char* fd : {"0", "1", "2"}) {
        EXPECT_EQ(std::filesystem::read_symlink(fds + fd).string(), "/dev/null") << fd;
    }
    EXPECT_NE(::access((fds + "3").c_str(), F_OK), 0);
    EXPECT_EQ(::getsid(pid), pid);
    EXPECT_EQ(::getpgid(pid), pid);
    EXPECT_FALSE(launcher.Close());
}

TEST(ProgramLauncher, ACtrlCInTheMonitorsTerminalLeavesItsProgramsRunning) {
    TempDir dir;
    const std::string probe = test::CopyProbe(dir.Path(), "stays after Ctrl-C");
    test::ProbeSetup setup(dir.Path(), true);
    test::BackgroundProcess monitor({OV_LAUNCH_IN_GROUP, probe});
    bool ok = false;
    const std::string line = monitor.ReadLine(10s, &ok);
    ASSERT_TRUE(ok);
    const auto program = static_cast<pid_t>(std::stol(line));
    ASSERT_GT(program, 0);
    ASSERT_TRUE(test::ProbeReport(dir.Path(), program).has_value());
    // The terminal's SIGINT goes to the foreground group, which the stand-in leads.
    ASSERT_EQ(::getpgid(monitor.Pid()), monitor.Pid());
    ASSERT_NE(::getpgid(monitor.Pid()), ::getpgrp());
    ASSERT_EQ(::kill(-monitor.Pid(), SIGINT), 0);
    EXPECT_EQ(monitor.Wait(), 0);
    EXPECT_TRUE(test::IsAlive(program));
    EXPECT_NE(::getpgid(program), monitor.Pid());
    ::kill(program, SIGKILL);
}

TEST(ProgramLauncher, CloseEndsTheProgramsGroupAndForcesWhatOutstaysTheGrace) {
    TempDir dir;
    const std::string probe = test::CopyProbe(dir.Path(), "probe");
    struct Case {
        const char* name;
        const char* script;  // runs the probe and waits for it, as a wrapper script does
        bool forced;
    };
    const Case cases[] = {
        {"wrapper", "#!/bin/sh\n\"$OV_CHILD\"\n", false},
        {"ignores SIGTERM", "#!/bin/sh\ntrap '' TERM\n\"$OV_CHILD\"\n", true},
    };
    for (const Case& c : cases) {
        TempDir reports;
        const std::string script = test::WriteProgram(dir.File(c.name), c.script);
        test::ProbeSetup setup(reports.Path(), true);
        test::ScopedEnv child("OV_CHILD", probe);
        ProgramLauncher launcher(nullptr, script, 0, false, kShowNormal);
        pid_t probePid = 0;
        ASSERT_TRUE(test::WaitFor([&] { return (probePid = test::ReportedProbe(reports.Path())); }))
            << c.name;
        const pid_t pid = launcher.ProcessId();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(launcher.Close()) << c.name;
        EXPECT_TRUE(test::WaitFor([&] { return Reaped(pid) && !test::IsAlive(probePid); }, 10s))
            << c.name;
        const auto took = std::chrono::steady_clock::now() - start;
        if (c.forced) {
            EXPECT_GE(took, kCloseGrace - 100ms) << c.name;
        } else {
            EXPECT_LT(took, kCloseGrace) << c.name;
        }
        EXPECT_FALSE(launcher.HasProcess()) << c.name;
    }
}

TEST(ProgramLauncher, AProgramLeftRunningIsReapedTheMomentItEnds) {
    TempDir dir;
    const std::string probe = test::CopyProbe(dir.Path(), "probe");
    test::ProbeSetup setup(dir.Path(), true);
    pid_t pid = 0;
    {
        ProgramLauncher launcher(nullptr, probe, 0, false, kShowNormal);
        ASSERT_TRUE(test::WaitFor([&] { return launcher.ProcessId() != 0; }));
        pid = launcher.ProcessId();
    }
    EXPECT_TRUE(test::IsAlive(pid));
    ::kill(pid, SIGTERM);
    // No zombie waits for the next program to be started.
    EXPECT_TRUE(test::WaitFor([&] { return Reaped(pid); }));
}

TEST(ProgramLauncher, TellsTheWindowWhenTheProgramEndsOrCannotStart) {
    TempDir dir;
    const std::string probe = test::CopyProbe(dir.Path(), "probe");
    test::ProbeSetup setup(dir.Path(), false);
    struct Case {
        std::string path;
        bool starts;
        int error;
    };
    const Case cases[] = {{probe, true, 0},
                          {dir.File("missing"), false, ENOENT},
                          {"", false, ENOENT},
                          {dir.Path(), false, EACCES}};
    for (const Case& c : cases) {
        MessageLoop loop;
        CommandWindow window(loop);
        ProgramLauncher launcher(&window, c.path, 4242, false, kShowDefault);
        ASSERT_TRUE(PumpUntil(loop, [&] { return !window.commands.empty(); })) << c.path;
        EXPECT_EQ(window.commands, std::vector<int>{4242}) << c.path;
        EXPECT_FALSE(launcher.HasProcess()) << c.path;
        EXPECT_EQ(launcher.ProcessId() != 0, c.starts) << c.path;
        EXPECT_EQ(launcher.StartError(0ms), c.error) << c.path;
        if (c.starts) {
            EXPECT_TRUE(Reaped(launcher.ProcessId()));
        }
        EXPECT_TRUE(launcher.Close()) << "nothing left to end";
    }
}

TEST(ProgramLauncher, CloseEndsTheProgramAndTheWorkerLetsGoOfIt) {
    TempDir dir;
    const std::string probe = test::CopyProbe(dir.Path(), "probe");
    test::ProbeSetup setup(dir.Path(), true);
    MessageLoop loop;
    CommandWindow window(loop);
    ProgramLauncher launcher(&window, probe, 7, false, kShowNormal);
    ASSERT_TRUE(test::WaitFor([&] { return launcher.HasProcess(); }));
    const pid_t pid = launcher.ProcessId();
    EXPECT_TRUE(test::IsAlive(pid));
    EXPECT_FALSE(launcher.Close());
    ASSERT_TRUE(PumpUntil(loop, [&] { return !window.commands.empty(); }));
    EXPECT_FALSE(launcher.HasProcess());
    EXPECT_TRUE(Reaped(pid));
    EXPECT_TRUE(launcher.Close());
    EXPECT_EQ(launcher.ProcessId(), pid);
}

TEST(ProgramLauncher, GoingEndsTheProgramOnlyWhenAskedAndSendsNothing) {
    TempDir dir;
    const std::string probe = test::CopyProbe(dir.Path(), "probe");
    test::ProbeSetup setup(dir.Path(), true);
    for (const bool closeOnDestroy : {true, false}) {
        MessageLoop loop;
        CommandWindow window(loop);
        pid_t pid = 0;
        {
            ProgramLauncher launcher(&window, probe, 9, closeOnDestroy, kShowNormal);
            ASSERT_TRUE(test::WaitFor([&] { return launcher.HasProcess(); }));
            pid = launcher.ProcessId();
        }
        loop.ProcessPending();
        EXPECT_TRUE(window.commands.empty()) << closeOnDestroy;
        if (closeOnDestroy) {
            // Told to end as the launcher went; reaped the moment it ends.
            EXPECT_TRUE(test::WaitFor([&] { return Reaped(pid); }));
        } else {
            EXPECT_TRUE(test::IsAlive(pid));
            ::kill(pid, SIGKILL);
        }
    }
}

// Launchers go while their programs start, run and end, on the window thread and on others;
// the sanitizers watch the shared state. Kept modest: the machine has few cores.
TEST(ProgramLauncher, LaunchersAndWorkersOutliveEachOtherSafely) {
    TempDir dir;
    const std::string quick = test::CopyProbe(dir.Path(), "quick");
    const std::string staying = test::CopyProbe(dir.Path(), "staying");
    test::ProbeSetup setup(dir.Path(), false);
    MessageLoop loop;
    CommandWindow window(loop);
    std::mt19937 random(12345);
    std::vector<pid_t> closed;
    for (int round = 0; round < 25; ++round) {
        auto a = std::make_unique<ProgramLauncher>(&window, quick, round, false, kShowNormal);
        std::unique_ptr<ProgramLauncher> b;
        {
            test::ScopedEnv stay("OV_PROBE_STAY", "1");  // read when the launcher is made
            b = std::make_unique<ProgramLauncher>(&window, staying, 1000 + round, true,
                                                  kShowMinimized);
        }
        auto c = std::make_unique<ProgramLauncher>(nullptr, quick, 0, round % 2 == 0, kShowNormal);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        loop.ProcessPending();
        const pid_t closing = b->ProcessId();
        if (closing != 0) {
            closed.push_back(closing);
        }
        if (round % 3 == 0) {
            // Going on another thread while the window thread goes on handling messages.
            std::atomic<bool> gone{false};
            std::thread other([&] {
                a.reset();
                b.reset();
                gone = true;
                loop.Wake();
            });
            loop.WaitUntil([&] { return gone.load(); });
            other.join();
        } else {
            b.reset();
            a.reset();
        }
        c.reset();
    }
    loop.ProcessPending();
    // A program ended with its launcher is gone and reaped soon after.
    for (const pid_t pid : closed) {
        EXPECT_TRUE(test::WaitFor([&] { return Reaped(pid); })) << pid;
    }
    // Only programs that ended on their own while their launcher lived were reported.
    for (const int command : window.commands) {
        EXPECT_LT(command, 25);
    }
}

}  // namespace
}  // namespace ov
