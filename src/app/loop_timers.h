#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "limits/window_timer.h"
#include "platform/message_loop.h"

namespace ov {

/// Window timers for a window of a MessageLoop: a worker thread posts WM_TIMER to the window at
/// each expiry. An expiry posted just before KillTimer may still arrive; IsSet tells.
class LoopTimers final : public WindowTimer {
public:
    /// `window` must outlive the timers.
    explicit LoopTimers(MessageWindow& window);
    ~LoopTimers() override;
    LoopTimers(const LoopTimers&) = delete;
    LoopTimers& operator=(const LoopTimers&) = delete;

    bool SetTimer(unsigned id, unsigned periodMs) override;
    void KillTimer(unsigned id) override;
    bool IsSet(unsigned id) const;

private:
    using TimePoint = std::chrono::steady_clock::time_point;
    struct Timer {
        std::chrono::milliseconds period;
        TimePoint due;
    };
    void Run();

    MessageWindow& m_window;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::map<unsigned, Timer> m_timers;
    bool m_stop = false;
    std::thread m_thread;  // last: starts once the rest is made
};

}  // namespace ov
