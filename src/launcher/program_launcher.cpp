#include "launcher/program_launcher.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <system_error>
#include <vector>

// This C library's header declares the pidfd functions without C linkage.
extern "C" {
#include <sys/pidfd.h>
}

extern char** environ;

namespace ov {

namespace {

/// Started programs whose launcher went while they ran. Nobody waits for them any more, so
/// they are reaped here, at the next start of a program, instead of lingering as zombies.
class AbandonedPrograms {
public:
    void Add(pid_t pid) {
        std::lock_guard lock(m_mutex);
        m_pids.push_back(pid);
    }
    void Reap() {
        std::lock_guard lock(m_mutex);
        // A child not yet reaped keeps its id, so waiting by id can never reach another process.
        std::erase_if(m_pids, [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
    }

private:
    std::mutex m_mutex;
    std::vector<pid_t> m_pids;
};

AbandonedPrograms& Abandoned() {
    static AbandonedPrograms programs;
    return programs;
}

/// True when the program behind `pidfd` ended, false when `stopEvent` was signalled first.
bool WaitForEndOrStop(int pidfd, int stopEvent) {
    pollfd fds[2] = {{pidfd, POLLIN, 0}, {stopEvent, POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) >= 0) {
            return (fds[0].revents & POLLIN) != 0;
        }
        if (errno != EINTR) {
            return false;
        }
    }
}

bool Reap(int pidfd, int flags) {
    siginfo_t info{};
    for (;;) {
        if (::waitid(P_PIDFD, static_cast<id_t>(pidfd), &info, WEXITED | flags) == 0) {
            return info.si_pid != 0;
        }
        if (errno != EINTR) {
            return errno == ECHILD;  // reaped already: nothing left to wait for
        }
    }
}

std::vector<std::string> EnvironmentWithShowCommand(int showCommand) {
    const std::string prefix = std::string(kShowCommandVariable) + "=";
    std::vector<std::string> environment;
    for (char** item = environ; item != nullptr && *item != nullptr; ++item) {
        if (!std::string_view(*item).starts_with(prefix)) {
            environment.emplace_back(*item);
        }
    }
    environment.push_back(prefix + std::to_string(showCommand));
    return environment;
}

}  // namespace

struct ProgramLauncher::State {
    // Fixed before the worker starts.
    std::string path;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
    MessageWindow* notifyWindow = nullptr;
    int notifyCommand = 0;
    int stopEvent = -1;  // eventfd, written once when the launcher goes

    std::mutex mutex;
    int pidfd = -1;  // the launcher's process handle; the descriptor itself is the worker's
    pid_t pid = 0;
    bool stopping = false;        // the launcher is going: no notify command any more
    bool closeRequested = false;  // ... and ends its program: start none
    bool killSent = false;        // the program was told to end, so its end is certain
    std::atomic<bool> finished{false};

    ~State() {
        if (stopEvent >= 0) {
            ::close(stopEvent);
        }
    }

    pid_t Spawn() {
        // The path and the arguments given are the whole argument vector: nothing in them is
        // split or interpreted.
        std::vector<char*> argv{path.data()};
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        std::vector<char*> envp;
        envp.reserve(environment.size() + 1);
        for (std::string& item : environment) {
            envp.push_back(item.data());
        }
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        // The program inherits none of our descriptors beyond the standard three.
        posix_spawn_file_actions_addclosefrom_np(&actions, 3);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &all);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

        pid_t child = 0;
        const int rc =
            posix_spawn(&child, path.c_str(), &actions, &attributes, argv.data(), envp.data());
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        return rc == 0 ? child : 0;
    }

    void Run() {
        int fd = -1;
        pid_t child = 0;
        {
            // Held across the start, so that Close either finds the handle or finds that the
            // launcher is going and nothing is started.
            std::lock_guard lock(mutex);
            if (!closeRequested) {
                child = Spawn();
            }
            if (child > 0) {
                pid = child;
                fd = ::pidfd_open(child, 0);
                if (fd >= 0) {
                    pidfd = fd;
                } else {
                    Abandoned().Add(child);  // cannot be watched; reaped later
                }
            }
        }
        if (fd >= 0) {
            bool reap = WaitForEndOrStop(fd, stopEvent);
            if (!reap) {
                std::lock_guard lock(mutex);
                reap = killSent;
            }
            if (!(reap ? Reap(fd, 0) : Reap(fd, WNOHANG))) {
                Abandoned().Add(child);
            }
        }
        bool notify = false;
        {
            std::lock_guard lock(mutex);
            pidfd = -1;
            if (fd >= 0) {
                ::close(fd);
            }
            notify = !stopping && notifyWindow != nullptr;
        }
        if (notify) {
            notifyWindow->Loop().Send(*notifyWindow, WM_COMMAND,
                                      static_cast<std::uintptr_t>(notifyCommand), 0);
        }
        finished = true;
        if (notifyWindow != nullptr) {
            notifyWindow->Loop().Wake();  // a launcher going on the window thread waits for this
        }
    }
};

ProgramLauncher::ProgramLauncher(MessageWindow* notifyWindow, std::string commandLine,
                                 int notifyCommand, bool closeOnDestroy, int showCommand,
                                 std::vector<std::string> arguments)
    : m_commandLine(std::move(commandLine)),
      m_showCommand(showCommand),
      m_closeOnDestroy(closeOnDestroy),
      m_notifyWindow(notifyWindow),
      m_state(std::make_shared<State>()) {
    Abandoned().Reap();
    m_state->path = m_commandLine;
    m_state->arguments = std::move(arguments);
    m_state->environment = EnvironmentWithShowCommand(showCommand);
    m_state->notifyWindow = notifyWindow;
    m_state->notifyCommand = notifyCommand;
    m_state->stopEvent = ::eventfd(0, EFD_CLOEXEC);
    if (m_state->stopEvent < 0) {
        return;  // a worker that could not be stopped is never started
    }
    try {
        m_worker = std::thread([state = m_state] { state->Run(); });
    } catch (const std::system_error&) {
        // Like a program that cannot be started: the launcher simply has no process.
    }
}

ProgramLauncher::~ProgramLauncher() {
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
        m_state->closeRequested = m_closeOnDestroy;
    }
    if (m_closeOnDestroy) {
        Close();
    }
    if (!m_worker.joinable()) {
        return;
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_state->stopEvent, &one, sizeof one);
    // A notify command already on its way waits for this thread; keep delivering it.
    if (m_notifyWindow != nullptr && m_notifyWindow->Loop().IsOwnerThread()) {
        m_notifyWindow->Loop().WaitUntil([this] { return m_state->finished.load(); });
    }
    m_worker.join();
}

bool ProgramLauncher::Close() {
    std::lock_guard lock(m_state->mutex);
    if (m_state->pidfd < 0) {
        return true;
    }
    if (::pidfd_send_signal(m_state->pidfd, SIGKILL, nullptr, 0) == 0 || errno == ESRCH) {
        // Told to end, or ended already: the worker sees it go and clears the handle.
        m_state->killSent = true;
        return false;
    }
    // The program cannot be reached: let go of it. The worker still owns the descriptor.
    m_state->pidfd = -1;
    return true;
}

bool ProgramLauncher::HasProcess() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->pidfd >= 0;
}

pid_t ProgramLauncher::ProcessId() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->pid;
}

int ShowCommandForStyle(int style) {
    switch (style) {
        case 1:
            return kShowMinimized;
        case 2:
            return kShowMaximized;
        default:
            return kShowNormal;
    }
}

}  // namespace ov
