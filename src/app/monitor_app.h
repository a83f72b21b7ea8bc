#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "app/call_log_writer.h"
#include "app/monitor_session.h"
#include "launcher/process_list.h"
#include "launcher/registry_app_paths.h"
#include "limits/metering_host.h"
#include "limits/window_timer.h"
#include "monitor/connection_monitor.h"
#include "monitor/hang_up.h"
#include "platform/clock.h"
#include "platform/data_root_lock.h"
#include "platform/message_loop.h"
#include "platform/paths.h"
#include "platform/ras/ras.h"
#include "platform/ras/ras_provider.h"
#include "platform/text_source.h"
#include "settings/settings.h"
#include "sysint/ras_library.h"

namespace ov {

/// What a program showing the monitor gives it: the texts, the timers of the metering, the
/// hang-up question, where the call log's messages and the monitor's own reports go.
class MonitorFrontEnd : public CallLogMessages {
public:
    /// The texts of the language pack the program chose; they must outlive the monitor. Null,
    /// with the reason in `why`, when no pack can be had: the built-in English texts are used.
    virtual const TextSource* Texts(std::string* why) = 0;
    /// The built-in English texts are used for the reason `why` (possibly empty).
    virtual void OnBuiltInTexts(const std::string& /*why*/) {}
    /// The timers of the metering window `window`: each expiry comes to it as WM_TIMER with the
    /// timer's identifier, on the window thread.
    virtual std::unique_ptr<WindowTimer> MakeTimer(MessageWindow& window) = 0;
    /// Who asks before a hang-up that is to ask first. Null: nobody can answer, so such a
    /// hang-up stops at once, as a "no" does.
    virtual HangUpQuestion* Question() { return nullptr; }
    /// The primary screen, where the live display is placed and kept; it must outlive the
    /// monitor. Null for a program without windows: a stored position is then left as it is.
    virtual const ScreenMetrics* Screen() { return nullptr; }
    /// The dial-up service reported a problem (from its own thread).
    virtual void OnProviderError(const std::string& /*message*/) {}
    /// A limit rule fired, with its message, as the notification opens.
    virtual void OnLimit(const std::string& /*message*/) {}
    /// The connection of `entryName` was hung up by the countdown of a limit notification.
    virtual void OnHungUp(const std::string& /*entryName*/) {}
    /// The countdown's hang-up of this entry was refused by the dial-up service.
    virtual void OnHangUpFailed(const std::string& /*entryName*/, const std::string& /*reason*/) {}
};

/// The poll period of the connection monitor: 2000 ms, or the value of ORVANTA_POLL_MS
/// (`text`, null when unset; 10 to 60000) for end-to-end tests that cannot wait. A program's
/// main reads the variable and hands the period to MonitorApp.
std::chrono::milliseconds MonitorPollPeriod(const char* text);

/// The monitoring program without its windows: claims the data root, loads the texts and the
/// settings, makes the call log writer and the session, chooses the dial-up service, meters
/// the calls with the limit rule and watches the connections; at the end it stops in order.
/// The tray program and orvanta-cli monitor are its front ends. Made, started, run and exited
/// on the window thread (the thread of its MessageLoop).
class MonitorApp {
public:
    /// `frontEnd`, `clock` and `paths` must outlive the application; the monitor polls every
    /// `pollPeriod`.
    MonitorApp(MonitorFrontEnd& frontEnd, const Clock& clock, const ProgramPaths& paths,
               std::chrono::milliseconds pollPeriod = MonitorPollPeriod(nullptr));
    ~MonitorApp();
    MonitorApp(const MonitorApp&) = delete;
    MonitorApp& operator=(const MonitorApp&) = delete;

    /// Start-up up to the watching: false, with `error`, when the data root cannot be had or
    /// another monitor holds it, or no dial-up service can be chosen.
    bool Start(std::string* error);

    /// After Start: the name of the dial-up service watched.
    const std::string& ProviderName() const { return m_providerName; }
    /// After Start: observers are told after the metering, in the order they were added.
    void AddObserver(MonitorObserver* observer);

    /// Starts watching the connections; false when the poll thread cannot be started.
    bool StartMonitor();
    /// Handles the window messages until Quit.
    void Run() { m_loop.Run(); }
    /// The program's exit: ends and logs the open calls, closes their programs, writes what
    /// is left and saves the settings. After StartMonitor only.
    void Exit();

    /// Makes Run return. Any thread.
    void Quit() { m_loop.PostQuit(0); }
    /// Cancels the hang-up countdown of an open limit notification. Any thread.
    void CancelCountdown();

    MessageLoop& Loop() { return m_loop; }

    // What a front end with windows shows, after Start; window thread only.
    const TextSource& texts() const { return *m_texts; }
    Settings& settings() { return *m_settings; }
    CallLogWriter& writer() { return *m_writer; }
    MonitorSession& session() { return *m_session; }
    RasLibrary& entries() { return *m_entries; }
    MeteringHost& metering() { return *m_metering; }
    /// The monitor, for the commands that start and stop it.
    ConnectionMonitor& monitor() { return *m_monitor; }

private:
    class MeteringWindow;
    class EntryListHangUp;
    class TrackedTimer;

    MonitorFrontEnd& m_frontEnd;
    const Clock& m_clock;
    const ProgramPaths& m_paths;
    std::chrono::milliseconds m_pollPeriod;
    MessageLoop m_loop;
    std::optional<DataRootLock> m_rootLock;
    const TextSource* m_texts = nullptr;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<CallLogWriter> m_writer;
    RegistryAppPaths m_appPaths;
    ProcessList m_processes;
    std::unique_ptr<MonitorSession> m_session;
    std::unique_ptr<RasProvider> m_provider;
    std::string m_providerName;
    std::unique_ptr<RasApi> m_ras;
    std::unique_ptr<RasLibrary> m_entries;
    std::unique_ptr<MeteringWindow> m_meteringWindow;
    std::unique_ptr<TrackedTimer> m_timer;
    std::unique_ptr<EntryListHangUp> m_hangUp;
    std::unique_ptr<MeteringHost> m_metering;
    std::unique_ptr<ConnectionMonitor> m_monitor;
};

}  // namespace ov
