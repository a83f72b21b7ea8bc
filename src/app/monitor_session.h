#pragma once

#include <cstdint>
#include <vector>

#include "app/call_log_writer.h"
#include "launcher/app_paths.h"
#include "launcher/connection_programs.h"
#include "launcher/process_list.h"
#include "monitor/connection_monitor.h"
#include "platform/message_loop.h"
#include "settings/settings.h"

namespace ov {

/// What else happens on the monitor's notifications: the tray icon and tip, the live display
/// with its metering and the limit rules, an event printer. Each hook runs on the window
/// thread before the session's own work for the same notification, as the display and the
/// icon change before the call is logged. The record is valid only during the call.
class MonitorObserver {
public:
    virtual ~MonitorObserver() = default;
    virtual void OnMonitorStarted() {}
    /// A connection is being set up: the metering starts here.
    virtual void OnDialing(const ConnectionRecord& /*connection*/) {}
    /// A connection came up (the metering starts here when it was first seen connected).
    virtual void OnConnected(const ConnectionRecord& /*connection*/) {}
    /// A connection ended (null when the monitor gives no record): the metering stops here.
    virtual void OnEnded(const ConnectionRecord* /*connection*/) {}
    virtual void OnMonitorStopped() {}
    /// A program to start on connect cannot be started. Told while the connection's programs
    /// are started, after OnConnected; once per program and connect.
    virtual void OnProgramNotStarted(const ProgramStartFailure& /*failure*/) {}
};

/// The part of the application window that needs no window: it receives the connection
/// monitor's notifications and logs the calls and the monitoring markers, starts the programs
/// configured for a connection and ends those marked to end with it. The tray program and
/// orvanta-cli monitor both use it, each adding its own observers. Window thread only.
class MonitorSession final : public MessageWindow {
public:
    /// Everything given must outlive the session.
    MonitorSession(MessageLoop& loop, Settings& settings, CallLogWriter& writer,
                   const AppPaths& appPaths, ProcessList& processes);
    ~MonitorSession() override;

    /// Observers are told in the order they were added. An observer must stay alive while
    /// added.
    void AddObserver(MonitorObserver* observer);
    void RemoveObserver(MonitorObserver* observer);

    std::intptr_t HandleMessage(std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) override;

    /// The program's exit without its window: stops `monitor` (open connections are ended and
    /// logged, their programs closed, the stop marker written), writes what a failed write
    /// kept (saying how many it still cannot write), saves every settings group and lets go of the
    /// remaining launchers without ending their programs; then waits for the programs being ended
    /// to be gone (at most their grace).
    void Exit(ConnectionMonitor& monitor);

    /// The launchers made at the connects since the last end of a connection.
    const LauncherList& LaunchedPrograms() const { return m_launched; }

private:
    template <typename Hook>
    void Tell(Hook hook) {
        for (MonitorObserver* observer : m_observers) {
            hook(*observer);
        }
    }

    Settings& m_settings;
    CallLogWriter& m_writer;
    const AppPaths& m_appPaths;
    ProcessList& m_processes;
    LauncherList m_launched;
    std::vector<MonitorObserver*> m_observers;
};

}  // namespace ov
