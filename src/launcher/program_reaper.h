#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace ov {

/// How long a program told to end (and whatever it started) may take to save its work before
/// it is ended by force.
inline constexpr std::chrono::milliseconds kCloseGrace{2000};

/// Looks after started programs that no launcher waits for any more, on one thread of its own:
/// reaps each the moment it ends, so no zombie is left behind, and ends by force the process
/// group of a program that was told to end and is still there when its grace is over. There is
/// one for the whole process; it lives until the process ends.
class ProgramReaper {
public:
    static ProgramReaper& Instance();

    ProgramReaper(const ProgramReaper&) = delete;
    ProgramReaper& operator=(const ProgramReaper&) = delete;

    /// Takes over `pidfd`, the handle of the child `pid` not yet reaped, and reaps the child
    /// when it ends.
    void Adopt(pid_t pid, int pidfd);
    /// A child for which no handle could be had: reaped the next time the reaper looks.
    void AdoptWithoutHandle(pid_t pid);
    /// `leader` leads the process group of the same id and was told to end; `leaderFd` (taken
    /// over) is a handle of it. When the grace is over, the group and the leader are sent
    /// SIGKILL if anything of them is still there.
    void EndGroupAfterGrace(pid_t leader, int leaderFd);
    /// Waits until every group handed to EndGroupAfterGrace is gone or has been ended by force:
    /// at most the grace.
    void WaitForEndingGroups();

private:
    struct Child {
        pid_t pid = 0;
        int fd = -1;  // -1: no handle, looked at by its id
    };
    struct Group {
        pid_t id = 0;
        int leaderFd = -1;
        std::chrono::steady_clock::time_point deadline;
    };

    ProgramReaper();
    ~ProgramReaper() = default;  // never destroyed: its thread may run until the process ends

    void Run();
    void Wake();
    /// Reaps what has ended and ends the groups whose grace is over. With the mutex held.
    void Sweep();

    std::mutex m_mutex;
    std::condition_variable m_groupsGone;
    std::vector<Child> m_children;
    std::vector<Group> m_groups;
    int m_wake = -1;         // eventfd that tells the thread to look at the lists again
    bool m_running = false;  // without the thread, every call sweeps instead
};

}  // namespace ov
