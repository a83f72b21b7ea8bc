#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>

#include "app/loop_timers.h"
#include "app/monitor_app.h"
#include "cli/cli.h"
#include "platform/clock.h"

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

/// The monitor's front end on a terminal: prints the monitor's notifications, the call log's
/// write failures and the limit rule's messages and hang-ups as event lines.
class EventPrinter final : public MonitorObserver, public MonitorFrontEnd {
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
        (void)std::fprintf(m_ctx.err, "orvanta-cli: cannot start %s: %s\n", failure.path.c_str(),
                           failure.reason.c_str());
    }
    /// Damage moved aside and records lost are said on standard error as well: the user must
    /// hear of them even when the events go to a file nobody reads.
    void ShowNotice(const std::string& text) override {
        Event("error", text);
        (void)std::fprintf(m_ctx.err, "orvanta-cli: %s\n", text.c_str());
    }

    const TextSource* Texts(std::string* why) override {
        m_pack = LoadPackTexts(std::nullopt, why);
        return m_pack ? &*m_pack : nullptr;
    }
    /// One line on standard error: the monitor runs on a copy without its packs.
    void OnBuiltInTexts(const std::string& why) override {
        (void)std::fprintf(m_ctx.err, "orvanta-cli: %s; the built-in English texts are used\n",
                           why.empty() ? "no language pack" : why.c_str());
    }
    std::unique_ptr<WindowTimer> MakeTimer(MessageWindow& window) override {
        return std::make_unique<LoopTimers>(window);
    }
    void OnProviderError(const std::string& message) override { Error(message); }
    void OnLimit(const std::string& message) override { Event("limit", message); }
    void OnHungUp(const std::string& entryName) override { Event("hangup", entryName); }
    void OnHangUpFailed(const std::string& entryName, const std::string& reason) override {
        Error(entryName + ": the hang-up failed: " + reason);
    }

    /// An error event, on standard error too once the events are no longer printed.
    void Error(const std::string& text) {
        if (!Event("error", text)) {
            (void)std::fprintf(m_ctx.err, "orvanta-cli: %s\n", text.c_str());
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
            (void)std::fprintf(m_ctx.err,
                               "orvanta-cli: the events can no longer be printed (%s); monitoring "
                               "and logging go on\n",
                               reason != 0 ? std::strerror(reason) : "write error");
        }
        return false;
    }

private:
    Context& m_ctx;
    const Clock& m_clock;
    std::optional<FixedTextSource> m_pack;
    std::string m_providerName;
    std::atomic<bool> m_printing{true};  // errors of the provider arrive on its own thread
};

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
    (void)std::signal(SIGPIPE, SIG_IGN);

    const SystemClock clock;
    EventPrinter printer(ctx, clock);
    MonitorApp app(printer, clock, ctx.paths, ctx.pollPeriod);
    std::string error;
    if (!app.Start(&error)) {
        return Fail(ctx, error);
    }
    printer.SetProviderName(app.ProviderName());
    app.AddObserver(&printer);

    std::thread signalWaiter([&app, signals] {
        for (;;) {
            int received = 0;
            sigwait(&signals, &received);
            if (received != SIGUSR1) {
                break;
            }
            app.CancelCountdown();
        }
        app.Quit();
    });

    if (!app.StartMonitor()) {
        printer.Error("the poll thread cannot be started");
        pthread_kill(signalWaiter.native_handle(), SIGTERM);
        signalWaiter.join();
        return kExitFailure;
    }
    app.Run();
    app.Exit();
    signalWaiter.join();
    return kExitOk;
}

}  // namespace

const Command& MonitorCommand() {
    return kCommand;
}

}  // namespace ov::cli
