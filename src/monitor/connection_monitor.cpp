#include "monitor/connection_monitor.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstring>
#include <system_error>

#include "platform/last_error.h"

namespace ov {

namespace {

/// Puts the calling thread at the bottom of the scheduler: polling must never take time from
/// the user's programs.
void LowerThreadPriority() {
    sched_param param{};
    if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &param) == 0) {
        return;
    }
    // Without SCHED_IDLE: the weakest nice value, for this thread alone.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
}

bool SameName(const char* a, const std::string& b) {
    return std::strcmp(a, b.c_str()) == 0;  // byte-wise, case counts
}

}  // namespace

ConnectionMonitor::ConnectionMonitor(RasApi& ras, const Clock& clock)
    : ConnectionMonitor(ras, clock, Options{}) {}

ConnectionMonitor::ConnectionMonitor(RasApi& ras, const Clock& clock, Options options)
    : m_ras(ras), m_clock(clock), m_options(options) {}

ConnectionMonitor::~ConnectionMonitor() {
    Stop();
}

void ConnectionMonitor::Notify(std::uint32_t message, std::intptr_t lParam) {
    if (m_window) {
        m_window->Loop().Send(*m_window, message, 0, lParam);
    }
}

void ConnectionMonitor::OnNewConnection(ConnectionRecord& record) {
    Notify(WM_CONN_DIALING, reinterpret_cast<std::intptr_t>(&record));
}

void ConnectionMonitor::OnConnected(ConnectionRecord& record) {
    Notify(WM_CONN_CONNECTED, reinterpret_cast<std::intptr_t>(&record));
}

void ConnectionMonitor::OnConnectionEnded(ConnectionRecord& record) {
    Notify(WM_CONN_ENDED, reinterpret_cast<std::intptr_t>(&record));
}

bool ConnectionMonitor::Start(MessageWindow* window) {
    m_window = window;
    m_stop = false;
    m_threadDone = false;
    try {
        m_thread = std::make_unique<std::thread>(&ConnectionMonitor::PollThread, this);
    } catch (const std::system_error&) {
        SetLastError(ERROR_TOO_MANY_TCBS);
        return false;
    }
    if (m_window) {
        Notify(WM_MONITOR_STARTED, 0);
    }
    return true;
}

bool ConnectionMonitor::Stop() {
    if (!m_thread) {
        return true;
    }
    {
        std::lock_guard lock(m_sleepMutex);
        m_stop = true;
    }
    m_sleepWake.notify_all();
    // The poll thread may be inside a notification to our own thread right now: keep handling
    // sent messages while waiting, or neither side could go on.
    if (m_window && m_window->Loop().IsOwnerThread()) {
        m_window->Loop().WaitUntil([this] { return m_threadDone.load(); });
    }
    m_thread->join();
    m_thread.reset();
    m_stop = false;

    for (std::size_t i = m_table.size(); i-- > 0;) {
        EndRecord(i);
    }
    Notify(WM_MONITOR_STOPPED, 0);
    return true;
}

void ConnectionMonitor::PollThread() {
    if (m_options.idlePriority) {
        LowerThreadPriority();
    }
    // Polls on a steady beat from the start: the time a poll takes is not added to the period,
    // and a late poll (a suspended machine) starts the beat again rather than catching up.
    auto due = std::chrono::steady_clock::now();
    while (!m_stop) {
        Poll();
        due += m_options.pollPeriod;
        const auto now = std::chrono::steady_clock::now();
        if (due <= now) {
            due = now + m_options.pollPeriod;
        }
        std::unique_lock lock(m_sleepMutex);
        m_sleepWake.wait_until(lock, due, [this] { return m_stop.load(); });
    }
    m_threadDone = true;
    if (m_window) {
        m_window->Loop().Wake();
    }
}

void ConnectionMonitor::Poll() {
    // The usual cases, no connection or one, need nothing but this one record.
    RASCONN single{};
    single.dwSize = sizeof(RASCONN);
    std::uint32_t bytes = sizeof(RASCONN);
    std::uint32_t count = 0;
    const std::uint32_t result = m_ras.RasEnumConnectionsA(&single, &bytes, &count);
    if (result == ERROR_SUCCESS) {
        Reconcile(count > 0 ? &single : nullptr, count);
        return;
    }
    if (result != ERROR_BUFFER_TOO_SMALL) {
        return;  // a failed enumeration ends no call
    }
    std::vector<RASCONN> many(count);
    if (many.empty()) {
        return;
    }
    many[0].dwSize = sizeof(RASCONN);
    bytes = static_cast<std::uint32_t>(many.size() * sizeof(RASCONN));
    if (m_ras.RasEnumConnectionsA(many.data(), &bytes, &count) != ERROR_SUCCESS) {
        return;
    }
    Reconcile(count > 0 ? many.data() : nullptr, count);
}

void ConnectionMonitor::EndRecord(std::size_t index) {
    ConnectionRecord& record = m_table[index];
    const Time32 now = m_clock.Now();
    if (record.connected) {
        record.connectedSeconds = now - record.connectTime;
    } else {
        record.dialingSeconds = now - record.startTime;
    }
    record.connected = 0;
    OnConnectionEnded(record);
    m_table.erase(m_table.begin() + static_cast<std::ptrdiff_t>(index));
}

ConnectionRecord ConnectionMonitor::MakeCandidate(const RASCONN& connection) {
    ConnectionRecord record;
    RASCONNSTATUS status{};
    status.dwSize = sizeof(RASCONNSTATUS);
    // A connection whose state cannot be had stays out until a later cycle can tell it: a
    // state below authentication keeps it out of the table.
    record.stateAtCreation = m_ras.RasGetConnectStatusA(connection.hrasconn, &status) == 0
                                 ? status.rasconnstate
                                 : RASCS_OpenPort;
    record.entryName = connection.szEntryName;
    record.deviceType = connection.szDeviceType;
    record.deviceName = connection.szDeviceName;
    record.connected = record.stateAtCreation == RASCS_Connected;

    RASDIALPARAMS params{};
    params.dwSize = sizeof(RASDIALPARAMS);
    CopyRasText(params.szEntryName, record.entryName);
    int passwordSaved = 0;
    if (m_ras.RasGetEntryDialParamsA(nullptr, &params, &passwordSaved) == 0) {
        record.userName = params.szUserName;
    }
    const Time32 now = m_clock.Now();
    if (record.connected) {
        record.connectTime = now;
        record.startTime = now;
    } else {
        record.startTime = now;
        record.connectTime = 0;
    }
    return record;
}

void ConnectionMonitor::Reconcile(const RASCONN* connections, std::uint32_t count) {
    // Connections RAS no longer lists, last admitted first.
    for (std::size_t i = m_table.size(); i-- > 0;) {
        bool listed = false;
        for (std::uint32_t k = 0; k < count && !listed; ++k) {
            listed = SameName(connections[k].szEntryName, m_table[i].entryName);
        }
        if (!listed) {
            EndRecord(i);
        }
    }

    // New connections, and tracked ones that have come up.
    for (std::uint32_t k = 0; k < count; ++k) {
        const RASCONN& connection = connections[k];
        ConnectionRecord* tracked = nullptr;
        for (auto& record : m_table) {
            if (SameName(connection.szEntryName, record.entryName)) {
                tracked = &record;
                break;
            }
        }
        if (!tracked) {
            ConnectionRecord candidate = MakeCandidate(connection);
            if (candidate.stateAtCreation < RASCS_Authenticate ||
                candidate.stateAtCreation == RASCS_Disconnected) {
                continue;  // looked at again next cycle
            }
            if (candidate.connected) {
                OnConnected(candidate);
            } else {
                OnNewConnection(candidate);
            }
            m_table.push_back(candidate);
            continue;
        }
        RASCONNSTATUS status{};
        status.dwSize = sizeof(RASCONNSTATUS);
        const std::int32_t state = m_ras.RasGetConnectStatusA(connection.hrasconn, &status) == 0
                                       ? status.rasconnstate
                                       : RASCS_OpenPort;
        if (state == RASCS_Connected && !tracked->connected) {
            const Time32 now = m_clock.Now();
            tracked->connectTime = now;
            tracked->dialingSeconds = now - tracked->startTime;
            tracked->connected = 1;
            OnConnected(*tracked);
        }
    }

    if (count > 0 || m_options.polledWithoutConnections) {
        Notify(WM_CONN_POLLED, reinterpret_cast<std::intptr_t>(count > 0 ? connections : nullptr));
    }
}

}  // namespace ov
