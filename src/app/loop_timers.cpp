#include "app/loop_timers.h"

#include <algorithm>

namespace ov {

LoopTimers::LoopTimers(MessageWindow& window) : m_window(window), m_thread([this] { Run(); }) {}

LoopTimers::~LoopTimers() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

bool LoopTimers::SetTimer(unsigned id, unsigned periodMs) {
    const std::chrono::milliseconds period(periodMs == 0 ? 1 : periodMs);
    {
        const std::lock_guard lock(m_mutex);
        m_timers[id] = Timer{period, std::chrono::steady_clock::now() + period};
    }
    m_wake.notify_all();
    return true;
}

void LoopTimers::KillTimer(unsigned id) {
    const std::lock_guard lock(m_mutex);
    m_timers.erase(id);
}

bool LoopTimers::IsSet(unsigned id) const {
    const std::lock_guard lock(m_mutex);
    return m_timers.count(id) != 0;
}

void LoopTimers::Run() {
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        if (m_timers.empty()) {
            m_wake.wait(lock);
            continue;
        }
        // A copy: the timer may be killed, and its entry gone, while this waits.
        TimePoint due = TimePoint::max();
        for (const auto& [id, timer] : m_timers) {
            due = std::min(due, timer.due);
        }
        if (m_wake.wait_until(lock, due) != std::cv_status::timeout) {
            continue;  // woken: the timers may have changed
        }
        const auto now = std::chrono::steady_clock::now();
        for (auto& [id, timer] : m_timers) {
            if (timer.due <= now) {
                // Steady steps from the last due time, so the ticks do not drift.
                timer.due += timer.period;
                if (timer.due <= now) {
                    timer.due = now + timer.period;
                }
                m_window.Loop().Post(m_window, WM_TIMER, id, 0);
            }
        }
    }
}

}  // namespace ov
