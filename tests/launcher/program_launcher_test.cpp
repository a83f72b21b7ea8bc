#include "launcher/program_launcher.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <random>
#include <thread>

#include "support/probe.h"
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

/// Whether the process has ended and been reaped, so no zombie is left.
bool Reaped(pid_t pid) {
    return ::waitpid(pid, nullptr, WNOHANG) < 0 && errno == ECHILD;
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

TEST(ProgramLauncher, TellsTheWindowWhenTheProgramEndsOrCannotStart) {
    TempDir dir;
    const std::string probe = test::CopyProbe(dir.Path(), "probe");
    test::ProbeSetup setup(dir.Path(), false);
    struct Case {
        std::string path;
        bool starts;
    };
    const Case cases[] = {
        {probe, true}, {dir.File("missing"), false}, {"", false}, {dir.Path(), false}};
    for (const Case& c : cases) {
        MessageLoop loop;
        CommandWindow window(loop);
        ProgramLauncher launcher(&window, c.path, 4242, false, kShowDefault);
        ASSERT_TRUE(PumpUntil(loop, [&] { return !window.commands.empty(); })) << c.path;
        EXPECT_EQ(window.commands, std::vector<int>{4242}) << c.path;
        EXPECT_FALSE(launcher.HasProcess()) << c.path;
        EXPECT_EQ(launcher.ProcessId() != 0, c.starts) << c.path;
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
            EXPECT_TRUE(Reaped(pid));
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
    // A program ended with its launcher is gone and reaped by the time the launcher is.
    for (const pid_t pid : closed) {
        EXPECT_TRUE(Reaped(pid)) << pid;
    }
    // Only programs that ended on their own while their launcher lived were reported.
    for (const int command : window.commands) {
        EXPECT_LT(command, 25);
    }
}

}  // namespace
}  // namespace ov
