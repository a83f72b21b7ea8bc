#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/message_loop.h"
#include "platform/ras/ras.h"

namespace ov {

// The monitor's notifications to its window (WM_APP + 1001 to + 1006), always sent
// synchronously. lParam carries a ConnectionRecord* valid only while the message is handled.
inline constexpr std::uint32_t WM_APP = 0x8000;
inline constexpr std::uint32_t WM_CONN_CONNECTED = WM_APP + 1001;   // 33769
inline constexpr std::uint32_t WM_CONN_ENDED = WM_APP + 1002;       // 33770
inline constexpr std::uint32_t WM_CONN_DIALING = WM_APP + 1003;     // 33771
inline constexpr std::uint32_t WM_CONN_POLLED = WM_APP + 1004;      // 33772, lParam: RASCONN*
inline constexpr std::uint32_t WM_MONITOR_STARTED = WM_APP + 1005;  // 33773
inline constexpr std::uint32_t WM_MONITOR_STOPPED = WM_APP + 1006;  // 33774

/// One tracked dial-up connection; becomes a call record when it ends.
struct ConnectionRecord {
    std::string entryName;  // the key that matches a connection from one poll to the next
    std::string deviceName;
    std::string deviceType;
    std::string userName;    // from the entry's dial parameters; empty when unknown
    Time32 connectTime = 0;  // when it was seen connected; 0 while not connected
    Time32 startTime = 0;    // when it was admitted
    std::int32_t connected = 0;
    std::int32_t connectedSeconds = 0;
    std::int32_t dialingSeconds = 0;
    std::int32_t stateAtCreation = 0;  // only decides admission
};

/// Watches the dial-up connections from a poll thread and reports every change to its window.
class ConnectionMonitor {
public:
    struct Options {
        std::chrono::milliseconds pollPeriod{2000};
        /// Run the poll thread at the lowest priority the system gives (SCHED_IDLE, else
        /// nice 19). Tests that must not be starved by a busy machine turn it off.
        bool idlePriority = true;
        /// Send WM_CONN_POLLED also after a cycle that found no connection. A window that has no
        /// use for it turns it off, so that an idle monitor wakes no thread but its own.
        bool polledWithoutConnections = true;
    };

    ConnectionMonitor(RasApi& ras, const Clock& clock);
    ConnectionMonitor(RasApi& ras, const Clock& clock, Options options);
    virtual ~ConnectionMonitor();
    ConnectionMonitor(const ConnectionMonitor&) = delete;
    ConnectionMonitor& operator=(const ConnectionMonitor&) = delete;

    /// Starts the poll thread and sends WM_MONITOR_STARTED. On a thread that cannot be made,
    /// returns false with last error 155 and sends nothing. Call on a stopped monitor only.
    bool Start(MessageWindow* window);
    /// Ends the poll thread, then every tracked connection (last admitted first), then sends
    /// WM_MONITOR_STOPPED. Returns at once on a stopped monitor. Call on the window thread.
    bool Stop();
    bool IsRunning() const { return m_thread != nullptr; }

    /// Sets the window without starting the poll thread, for driving Poll by hand.
    void SetWindow(MessageWindow* window) { m_window = window; }

    /// One enumeration cycle. The poll thread runs it; tests call it directly.
    void Poll();

    /// The tracked connections, in order of admission. Only while stopped, or from the poll
    /// thread and the handlers of its notifications.
    const std::vector<ConnectionRecord>& Table() const { return m_table; }

protected:
    virtual void OnNewConnection(ConnectionRecord& record);
    virtual void OnConnected(ConnectionRecord& record);
    virtual void OnConnectionEnded(ConnectionRecord& record);
    virtual void Reconcile(const RASCONN* connections, std::uint32_t count);

    /// Sends one of the notifications to the window, when there is one.
    void Notify(std::uint32_t message, std::intptr_t lParam);

private:
    void PollThread();
    ConnectionRecord MakeCandidate(const RASCONN& connection);
    void EndRecord(std::size_t index);

    RasApi& m_ras;
    const Clock& m_clock;
    Options m_options;

    std::vector<ConnectionRecord> m_table;
    std::unique_ptr<std::thread> m_thread;
    std::atomic<bool> m_stop{false};
    MessageWindow* m_window = nullptr;

    // Lets Stop cut the poll thread's sleep short and learn when the thread has finished.
    std::mutex m_sleepMutex;
    std::condition_variable m_sleepWake;
    std::atomic<bool> m_threadDone{false};
};

}  // namespace ov
