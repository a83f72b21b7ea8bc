#include "launcher/program_reaper.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <system_error>
#include <thread>

// This C library's header declares the pidfd functions without C linkage.
extern "C" {
#include <sys/pidfd.h>
}

namespace ov {

namespace {

/// How often groups in their grace are looked at: they give no sign when their last member goes.
constexpr std::chrono::milliseconds kGroupCheck{50};
/// How often a child without a handle is looked at.
constexpr std::chrono::milliseconds kChildCheck{1000};

bool HasEnded(int pidfd) {
    pollfd item{pidfd, POLLIN, 0};
    return ::poll(&item, 1, 0) > 0 && (item.revents & POLLIN) != 0;
}

/// Reaps the ended child behind `pidfd`; true when it is reaped (by us or someone else).
bool ReapEnded(int pidfd) {
    siginfo_t info{};
    while (::waitid(P_PIDFD, static_cast<id_t>(pidfd), &info, WEXITED | WNOHANG) != 0) {
        if (errno != EINTR) {
            return errno == ECHILD;
        }
    }
    return info.si_pid != 0;
}

}  // namespace

ProgramReaper& ProgramReaper::Instance() {
    // Made on first use and never destroyed, so a launcher that goes late in the process's exit
    // still finds it.
    static auto* const reaper = new ProgramReaper;
    return *reaper;
}

ProgramReaper::ProgramReaper() : m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (m_wake < 0) {
        return;
    }
    try {
        std::thread([this] { Run(); }).detach();
        m_running = true;
    } catch (const std::system_error&) {
        // Without the thread, each call sweeps: ended programs are reaped at the next start.
    }
}

void ProgramReaper::Adopt(pid_t pid, int pidfd) {
    std::lock_guard lock(m_mutex);
    m_children.push_back({pid, pidfd});
    Wake();
}

void ProgramReaper::AdoptWithoutHandle(pid_t pid) {
    std::lock_guard lock(m_mutex);
    m_children.push_back({pid, -1});
    Wake();
}

void ProgramReaper::EndGroupAfterGrace(pid_t leader, int leaderFd) {
    std::lock_guard lock(m_mutex);
    m_groups.push_back({leader, leaderFd, std::chrono::steady_clock::now() + kCloseGrace});
    Wake();
}

void ProgramReaper::WaitForEndingGroups() {
    std::unique_lock lock(m_mutex);
    if (m_running) {
        m_groupsGone.wait(lock, [this] { return m_groups.empty(); });
        return;
    }
    while (!m_groups.empty()) {
        lock.unlock();
        std::this_thread::sleep_for(kGroupCheck);
        lock.lock();
        Sweep();
    }
}

void ProgramReaper::Wake() {
    if (m_running) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_wake, &one, sizeof one);
    } else {
        Sweep();
    }
}

void ProgramReaper::Sweep() {
    std::erase_if(m_children, [](const Child& child) {
        const bool reaped = child.fd >= 0 ? HasEnded(child.fd) && ReapEnded(child.fd)
                                          : ::waitpid(child.pid, nullptr, WNOHANG) != 0;
        if (reaped && child.fd >= 0) {
            ::close(child.fd);
        }
        return reaped;
    });
    const auto now = std::chrono::steady_clock::now();
    std::erase_if(m_groups, [now](const Group& group) {
        // While the leader is not reaped, or any member of its group is left, no other process
        // can have the group's id, so the signals reach only what we started.
        const bool gone = HasEnded(group.leaderFd) && ::kill(-group.id, 0) != 0 && errno == ESRCH;
        if (!gone && now < group.deadline) {
            return false;
        }
        if (!gone) {
            ::kill(-group.id, SIGKILL);
            // The leader may have left its group for one of its own.
            ::pidfd_send_signal(group.leaderFd, SIGKILL, nullptr, 0);
        }
        ::close(group.leaderFd);
        return true;
    });
    if (m_groups.empty()) {
        m_groupsGone.notify_all();
    }
}

void ProgramReaper::Run() {
    std::vector<pollfd> items;
    for (;;) {
        int timeout = -1;
        {
            std::lock_guard lock(m_mutex);
            items.assign(1, {m_wake, POLLIN, 0});
            bool withoutHandle = false;
            for (const Child& child : m_children) {
                if (child.fd >= 0) {
                    items.push_back({child.fd, POLLIN, 0});
                } else {
                    withoutHandle = true;
                }
            }
            if (!m_groups.empty()) {
                timeout = static_cast<int>(kGroupCheck.count());
            } else if (withoutHandle) {
                timeout = static_cast<int>(kChildCheck.count());
            }
        }
        // Only this thread closes the descriptors polled here, so they stay valid meanwhile.
        // Whatever poll says (an ended child, a wake, a time-out or an interruption), the lists
        // are looked at again.
        ::poll(items.data(), items.size(), timeout);
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t read = ::read(m_wake, &count, sizeof count);
        std::lock_guard lock(m_mutex);
        Sweep();
    }
}

}  // namespace ov
