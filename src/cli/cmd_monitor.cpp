#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "app/monitor_session.h"
#include "calllog/call_log_writer.h"
#include "cli/cli.h"
#include "cli/loop_timers.h"
#include "cli/startup_settings.h"
#include "launcher/process_list.h"
#include "launcher/registry_app_paths.h"
#include "limits/metering_host.h"
#include "monitor/connection_monitor.h"
#include "monitor/hang_up.h"
#include "platform/data_root_lock.h"
#include "platform/file_util.h"
#include "platform/message_loop.h"
#include "platform/paths.h"
#include "platform/ras/ras_factory.h"
#include "platform/text_util.h"
#include "sysint/ras_library.h"

namespace ov::cli {

namespace {

constexpr std::string_view kUsage =
    "usage: orvanta-cli monitor\n"
    "Watches the dial-up connections until SIGINT, SIGTERM or SIGHUP and prints one line per\n"
    "event:\n"
    "TIME<TAB>EVENT<TAB>DETAIL. Logs every call and the start and stop of monitoring in the\n"
    "call log, starts and ends the programs set to run on connect, and saves the settings at\n"
    "the end. With ShowEvnWnd set it meters each call and applies the limit rule; SIGUSR1\n"
    "cancels a pending hang-up countdown. One monitor at a time logs to a data root; a closed\n"
    "standard output stops the printing, not the logging.\n";

int Run(Context& ctx, Args args);

const Command kCommand{"monitor", "watch the connections headless, printing events", kUsage, Run};

/// Asks the metering window to cancel the hang-up countdown of an open limit notification.
constexpr std::uint32_t WM_CANCEL_COUNTDOWN = WM_APP + 1100;

/// Prints the monitor's notifications, and the call log's write failures, as event lines.
class EventPrinter final : public MonitorObserver, public CallLogMessages {
public:
    EventPrinter(Context& ctx, const Clock& clock) : m_ctx(ctx), m_clock(clock) {}

    /// Named in the monitor-started line, so a log tells which dial-up service was watched.
    void SetProviderName(std::string name) { m_providerName = std::move(name); }

    void OnMonitorStarted() override { Event("monitor-started", m_providerName); }
    void OnDialing(const ConnectionRecord& connection) override {
        Event("dialing", connection.entryName);
    }
    void OnConnected(const ConnectionRecord& connection) override {
        Event("connected", connection.entryName);
    }
    void OnEnded(const ConnectionRecord* connection) override {
        Event("ended", connection ? connection->entryName : std::string());
    }
    void OnMonitorStopped() override { Event("monitor-stopped", ""); }
    void ShowWriteFailure(const std::string& text) override { Error(text); }
    void OnProgramNotStarted(const ProgramStartFailure& failure) override {
        std::fprintf(m_ctx.err, "orvanta-cli: cannot start %s: %s\n", failure.path.c_str(),
                     failure.reason.c_str());
    }
    /// Damage moved aside and records lost are said on standard error as well: the user must
    /// hear of them even when the events go to a file nobody reads.
    void ShowNotice(const std::string& text) override {
        Event("error", text);
        std::fprintf(m_ctx.err, "orvanta-cli: %s\n", text.c_str());
    }

    /// An error event, on standard error too once the events are no longer printed.
    void Error(const std::string& text) {
        if (!Event("error", text)) {
            std::fprintf(m_ctx.err, "orvanta-cli: %s\n", text.c_str());
        }
    }

    /// False when the line was not printed. A reader that went away (a closed pipe) ends the
    /// printing, said once on standard error; the calls are still logged.
    bool Event(std::string_view event, std::string_view detail) {
        if (!m_printing.load()) {
            return false;
        }
        errno = 0;
        if (WriteLine(m_ctx, {FormatLocalTime(m_clock.Now()), event, detail})) {
            return true;
        }
        const int reason = errno;
        if (m_printing.exchange(false)) {
            std::fprintf(m_ctx.err,
                         "orvanta-cli: the events can no longer be printed (%s); monitoring "
                         "and logging go on\n",
                         reason != 0 ? std::strerror(reason) : "write error");
        }
        return false;
    }

private:
    Context& m_ctx;
    const Clock& m_clock;
    std::string m_providerName;
    std::atomic<bool> m_printing{true};  // errors of the provider arrive on its own thread
};

/// What the live display does without its window: meters each call with the limit rule. It
/// receives the timer and cancel messages of the metering on the window thread.
class MeteringWindow final : public MessageWindow, public MonitorObserver {
public:
    explicit MeteringWindow(MessageLoop& loop) : MessageWindow(loop) {}

    /// Metering from here on, by `host` over `timers` (both outlive the window's messages).
    void SetMetering(MeteringHost* host, const LoopTimers* timers) {
        m_host = host;
        m_timers = timers;
    }

    void OnDialing(const ConnectionRecord& connection) override {
        if (m_host != nullptr) {
            m_host->OnDialing(connection.entryName, connection.startTime);
        }
    }
    void OnConnected(const ConnectionRecord& connection) override {
        if (m_host != nullptr) {
            m_host->OnConnected(connection.entryName, connection.startTime);
        }
    }
    void OnEnded(const ConnectionRecord* /*connection*/) override {
        if (m_host != nullptr) {
            m_host->OnEnded();
        }
    }

    std::intptr_t HandleMessage(std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t /*lParam*/) override {
        if (m_host == nullptr) {
            return 0;
        }
        if (message == WM_TIMER && m_timers->IsSet(static_cast<unsigned>(wParam))) {
            // An expiry posted just before its timer was killed is dropped above.
            m_host->OnTimer(static_cast<unsigned>(wParam));
        } else if (message == WM_CANCEL_COUNTDOWN) {
            m_host->CancelNotification();
        }
        return 0;
    }

private:
    MeteringHost* m_host = nullptr;
    const LoopTimers* m_timers = nullptr;
};

/// The countdown's hang-up: every phone-book entry's connection, with a `hangup` event for
/// each. Nobody can answer a question here, so a hang-up that would ask first stops at once,
/// as a "no" does.
class EntryListHangUp final : public HangUpService {
public:
    EntryListHangUp(RasLibrary& entries, EventPrinter& printer)
        : m_entries(entries), m_printer(printer) {}

    void HangUpAll(bool ask) override {
        ov::HangUpAll(&m_entries, ask, nullptr,
                      [this](const std::string& entry, std::uint32_t result) {
                          if (result == 0) {
                              m_printer.Event("hangup", entry);
                          } else {
                              m_printer.Event(
                                  "error", entry + ": the hang-up failed: " + RasErrorText(result));
                          }
                      });
    }

private:
    RasLibrary& m_entries;
    EventPrinter& m_printer;
};

/// The texts when no language pack can be loaded: the settings' defaults and the write
/// failure message, in English, so that the monitor runs on a copy without its packs.
class BuiltInTexts final : public TextSource {
public:
    std::string String(unsigned resourceId) const override {
        if (resourceId == kWriteFailedString) {
            return "The call record cannot be written to the file\n%s\n"
                   "The call still shows in the call list.";
        }
        return SettingsTexts().String(resourceId);
    }
};

/// The pack's texts as the program chooses them at start-up; when there is no pack, the
/// built-in English texts, with one line on standard error saying why.
std::unique_ptr<TextSource> MonitorTexts(Context& ctx) {
    char* message = nullptr;
    std::size_t size = 0;
    std::FILE* capture = open_memstream(&message, &size);
    std::optional<FixedTextSource> pack;
    if (capture != nullptr) {
        Context quiet{ctx.out, capture, ctx.in};
        pack = LoadPackTexts(quiet, std::nullopt);
        std::fclose(capture);
    }
    std::unique_ptr<TextSource> texts;
    if (pack) {
        texts = std::make_unique<FixedTextSource>(std::move(*pack));
    } else {
        std::string why = message != nullptr ? std::string(message, size) : std::string();
        while (!why.empty() && why.back() == '\n') {
            why.pop_back();
        }
        std::fprintf(ctx.err, "%s; the built-in English texts are used\n",
                     why.empty() ? "orvanta-cli: no language pack" : why.c_str());
        texts = std::make_unique<BuiltInTexts>();
    }
    std::free(message);
    return texts;
}

/// The poll period: 2000 ms, or ORVANTA_POLL_MS for end-to-end tests that cannot wait.
std::chrono::milliseconds PollPeriod() {
    if (const char* text = std::getenv("ORVANTA_POLL_MS")) {
        if (const auto ms = ParseInteger(text); ms && *ms >= 10 && *ms <= 60000) {
            return std::chrono::milliseconds(*ms);
        }
    }
    return std::chrono::milliseconds(2000);
}

int Run(Context& ctx, Args args) {
    if (!args.empty()) {
        return UsageError(ctx, kCommand);
    }
    // Signals are taken by one thread of ours, so the rest never sees them: block them before
    // any other thread exists.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);  // a closed terminal: the calls are ended and logged as at SIGTERM
    sigaddset(&signals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    // A reader that went away must not end the monitor before the open calls are logged.
    std::signal(SIGPIPE, SIG_IGN);

    // Only one monitor logs to a data root: a second would log every call twice.
    std::string error;
    const std::string root = EnsureDataRoot(&error);
    if (root.empty()) {
        return Fail(ctx, error);
    }
    const auto rootLock = DataRootLock::Acquire(root, &error);
    if (!rootLock) {
        return Fail(ctx, error);
    }

    const SystemClock clock;
    MessageLoop loop;
    EventPrinter printer(ctx, clock);

    // As start-up: the pack's texts, the settings, the log folder (a folder that cannot be
    // made shows at the first write, as a failed write).
    const std::unique_ptr<TextSource> texts = MonitorTexts(ctx);
    const std::unique_ptr<Settings> settings = LoadStartupSettings(*texts);
    CallLogWriter writer(*settings, *texts, clock, printer);
    EnsureFolder(writer.Folder());
    const RegistryAppPaths appPaths;
    ProcessList processes;
    MonitorSession session(loop, *settings, writer, appPaths, processes);

    auto provider =
        MakeRasProvider([&printer](const std::string& message) { printer.Error(message); }, &error);
    if (!provider) {
        return Fail(ctx, error);
    }
    provider->SetCallRule(settings->CallRuleSetting());
    printer.SetProviderName(provider->Name());
    RasApi ras(*provider);
    RasLibrary entries(&ras);
    entries.Load();

    // The live display's metering and the limit rule, when ShowEvnWnd asks for them.
    MeteringWindow meteringWindow(loop);
    LoopTimers timers(meteringWindow);
    EntryListHangUp hangUp(entries, printer);
    MeteringHost::Hooks hooks;
    hooks.limit = [&printer](const std::string& message) { printer.Event("limit", message); };
    // As the live display does when it closes: the totals are kept with the event settings.
    hooks.saveEvents = [&settings] { settings->ExchangeEvents(true); };
    MeteringHost metering(*settings, clock, timers, hangUp, std::move(hooks));
    meteringWindow.SetMetering(&metering, &timers);
    // The display closes before the call is logged: the metering hears of an end first.
    session.AddObserver(&meteringWindow);
    session.AddObserver(&printer);

    ConnectionMonitor::Options options;
    options.pollPeriod = PollPeriod();
    ConnectionMonitor monitor(ras, clock, options);

    std::thread signalWaiter([&loop, &meteringWindow, signals] {
        for (;;) {
            int received = 0;
            sigwait(&signals, &received);
            if (received != SIGUSR1) {
                break;
            }
            loop.Post(meteringWindow, WM_CANCEL_COUNTDOWN);
        }
        loop.PostQuit(0);
    });

    if (!monitor.Start(&session)) {
        printer.Error("the poll thread cannot be started");
        pthread_kill(signalWaiter.native_handle(), SIGTERM);
        signalWaiter.join();
        return kExitFailure;
    }
    loop.Run();
    session.Exit(monitor);
    signalWaiter.join();
    meteringWindow.SetMetering(nullptr, nullptr);
    return kExitOk;
}

}  // namespace

const Command& MonitorCommand() {
    return kCommand;
}

}  // namespace ov::cli
