#include "launcher/program_launcher.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <vector>

#include "launcher/program_reaper.h"

// This C library's header declares the pidfd functions without C linkage.
extern "C" {
#include <sys/pidfd.h>
}

extern char** environ;

namespace ov {

namespace {

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

/// Reaps the child behind `pidfd`, which has ended.
void Reap(int pidfd) {
    siginfo_t info{};
    while (::waitid(P_PIDFD, static_cast<id_t>(pidfd), &info, WEXITED) != 0 && errno == EINTR) {
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
    std::condition_variable startKnown;
    int pidfd = -1;  // the launcher's process handle; the descriptor itself is the worker's
    pid_t pid = 0;
    std::optional<int> startError;  // set once the start was tried: 0 or why it failed
    bool stopping = false;          // the launcher is going: no notify command any more
    bool closeRequested = false;    // ... and ends its program: start none
    bool closing = false;           // the program was told to end
    std::atomic<bool> finished{false};

    ~State() {
        if (stopEvent >= 0) {
            ::close(stopEvent);
        }
    }

    void SetStartError(int error) {
        {
            std::lock_guard lock(mutex);
            startError = error;
        }
        startKnown.notify_all();
    }

    /// Starts the program; 0, or the error number that says why it could not be started.
    int Spawn(pid_t& child) {
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
        // The program gets none of our descriptors: what it reads is empty and what it writes
        // is dropped, so it never writes into our output nor holds our pipes open.
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &all);
        // A session of its own: a Ctrl-C or a hang-up of our terminal does not reach it, and its
        // process group holds the program with everything it starts, to be ended as one.
        posix_spawnattr_setflags(
            &attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);

        const int error =
            posix_spawn(&child, path.c_str(), &actions, &attributes, argv.data(), envp.data());
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        return error;
    }

    void Run() {
        int fd = -1;
        pid_t child = 0;
        {
            // Held across the start, so that Close either finds the handle or finds that the
            // launcher is going and nothing is started.
            std::lock_guard lock(mutex);
            startError = closeRequested ? ECANCELED : Spawn(child);
            if (*startError == 0) {
                pid = child;
                fd = ::pidfd_open(child, 0);
                if (fd >= 0) {
                    pidfd = fd;
                } else {
                    ProgramReaper::Instance().AdoptWithoutHandle(child);  // cannot be watched
                }
            }
        }
        startKnown.notify_all();
        if (fd >= 0) {
            const bool ended = WaitForEndOrStop(fd, stopEvent);
            // Reaped or handed over with the mutex held: a Close meanwhile signals only a
            // process that is certainly ours.
            std::lock_guard lock(mutex);
            if (ended) {
                Reap(fd);
                ::close(fd);
            } else {
                // Nobody waits here any more; it is reaped the moment it ends.
                ProgramReaper::Instance().Adopt(child, fd);
            }
            pidfd = -1;
        }
        bool notify = false;
        {
            std::lock_guard lock(mutex);
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
      m_arguments(std::move(arguments)),
      m_showCommand(showCommand),
      m_closeOnDestroy(closeOnDestroy),
      m_notifyWindow(notifyWindow),
      m_state(std::make_shared<State>()) {
    m_state->path = m_commandLine;
    m_state->arguments = m_arguments;
    m_state->environment = EnvironmentWithShowCommand(showCommand);
    m_state->notifyWindow = notifyWindow;
    m_state->notifyCommand = notifyCommand;
    m_state->stopEvent = ::eventfd(0, EFD_CLOEXEC);
    if (m_state->stopEvent < 0) {
        m_state->SetStartError(errno);  // a worker that could not be stopped is never started
        return;
    }
    try {
        m_worker = std::thread([state = m_state] { state->Run(); });
    } catch (const std::system_error& error) {
        // Like a program that cannot be started: the launcher simply has no process.
        m_state->SetStartError(error.code().value());
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
    if (m_state->closing) {
        return false;  // told already; its grace runs
    }
    if (::pidfd_send_signal(m_state->pidfd, SIGTERM, nullptr, 0) != 0 && errno != ESRCH) {
        // The program cannot be reached: let go of it. The worker still owns the descriptor.
        m_state->pidfd = -1;
        return true;
    }
    // The program leads its own process group (it was started in a session of its own): the
    // group is the program with what it started, such as a wrapper script's child. Until the
    // worker has reaped the program, no other group can have its id.
    ::kill(-m_state->pid, SIGTERM);
    m_state->closing = true;
    const int leaderFd = ::fcntl(m_state->pidfd, F_DUPFD_CLOEXEC, 0);
    if (leaderFd >= 0) {
        ProgramReaper::Instance().EndGroupAfterGrace(m_state->pid, leaderFd);
    } else {
        // Nothing could watch the grace: end it by force now.
        ::kill(-m_state->pid, SIGKILL);
        ::pidfd_send_signal(m_state->pidfd, SIGKILL, nullptr, 0);
    }
    // Told to end, or ended already: the worker sees it go and clears the handle.
    return false;
}

std::optional<int> ProgramLauncher::StartError(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_state->mutex);
    if (!m_state->startKnown.wait_for(lock, timeout,
                                      [this] { return m_state->startError.has_value(); })) {
        return std::nullopt;
    }
    return m_state->startError;
}

bool ProgramLauncher::HasProcess() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->pidfd >= 0;
}

pid_t ProgramLauncher::ProcessId() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->pid;
}

void WaitForEndingPrograms() {
    ProgramReaper::Instance().WaitForEndingGroups();
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
