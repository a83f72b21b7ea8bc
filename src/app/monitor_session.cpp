#include "app/monitor_session.h"

#include <algorithm>

namespace ov {

MonitorSession::MonitorSession(MessageLoop& loop, Settings& settings, CallLogWriter& writer,
                               const AppPaths& appPaths, ProcessList& processes)
    : MessageWindow(loop),
      m_settings(settings),
      m_writer(writer),
      m_appPaths(appPaths),
      m_processes(processes) {}

MonitorSession::~MonitorSession() = default;

void MonitorSession::AddObserver(MonitorObserver* observer) {
    m_observers.push_back(observer);
}

void MonitorSession::RemoveObserver(MonitorObserver* observer) {
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer),
                      m_observers.end());
}

std::intptr_t MonitorSession::HandleMessage(std::uint32_t message, std::uintptr_t /*wParam*/,
                                            std::intptr_t lParam) {
    const auto* connection = reinterpret_cast<const ConnectionRecord*>(lParam);
    switch (message) {
        case WM_MONITOR_STARTED:
            Tell([](MonitorObserver& o) { o.OnMonitorStarted(); });
            m_writer.AppendCallRecord(KindMonitorStart, nullptr);
            break;
        case WM_CONN_DIALING:
            if (connection != nullptr) {
                Tell([connection](MonitorObserver& o) { o.OnDialing(*connection); });
            }
            break;
        case WM_CONN_CONNECTED:
            if (connection != nullptr) {
                Tell([connection](MonitorObserver& o) { o.OnConnected(*connection); });
            }
            StartConnectionPrograms(
                m_settings.Programs, m_appPaths, m_processes, m_launched,
                [this](const ProgramStartFailure& failure) {
                    Tell([&failure](MonitorObserver& o) { o.OnProgramNotStarted(failure); });
                });
            break;
        case WM_CONN_ENDED:
            Tell([connection](MonitorObserver& o) { o.OnEnded(connection); });
            // The call is logged before its programs are ended.
            if (connection != nullptr) {
                m_writer.AppendCallRecord(KindConnected, connection);
            }
            CloseConnectionPrograms(m_settings.Programs, m_appPaths, m_launched);
            break;
        case WM_MONITOR_STOPPED:
            Tell([](MonitorObserver& o) { o.OnMonitorStopped(); });
            m_writer.AppendCallRecord(KindMonitorStop, nullptr);
            break;
        default:
            return 0;
    }
    return 0;
}

void MonitorSession::Exit(ConnectionMonitor& monitor) {
    monitor.Stop();
    m_writer.WritePendingAtExit();
    m_settings.Exchange(true);
    m_launched.clear();  // launchers made without close-on-destroy: their programs keep running
    WaitForEndingPrograms();
}

}  // namespace ov
