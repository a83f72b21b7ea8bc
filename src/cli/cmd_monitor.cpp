#include <pthread.h>

#include <csignal>
#include <cstdlib>
#include <thread>

#include "cli/cli.h"
#include "cli/loop_timers.h"
#include "cli/startup_settings.h"
#include "limits/metering_host.h"
#include "monitor/connection_monitor.h"
#include "platform/message_loop.h"
#include "platform/ras/ras_factory.h"
#include "platform/text_util.h"

namespace ov::cli {

namespace {

constexpr std::string_view kUsage =
    "usage: orvanta-cli monitor\n"
    "Watches the dial-up connections until SIGINT or SIGTERM and prints one line per event:\n"
    "TIME<TAB>EVENT<TAB>DETAIL. With ShowEvnWnd set it meters each call and applies the limit\n"
    "rule; SIGUSR1 cancels a pending hang-up countdown.\n";

int Run(Context& ctx, Args args);

const Command kCommand{"monitor", "watch the connections headless, printing events", kUsage, Run};

/// Asks the window to cancel the hang-up countdown of an open limit notification.
constexpr std::uint32_t WM_CANCEL_COUNTDOWN = WM_APP + 1100;

/// The window that receives the monitor's notifications, prints them as event lines and
/// meters the calls with the limit rule.
class EventPrinter final : public MessageWindow {
public:
    EventPrinter(MessageLoop& loop, Context& ctx, const Clock& clock)
        : MessageWindow(loop), m_ctx(ctx), m_clock(clock) {}

    /// Metering from here on, by `host` over `timers` (both outlive the printer's messages).
    void SetMetering(MeteringHost* host, const LoopTimers* timers) {
        m_host = host;
        m_timers = timers;
    }

    std::intptr_t HandleMessage(std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) override {
        const auto* record = reinterpret_cast<const ConnectionRecord*>(lParam);
        switch (message) {
            case WM_MONITOR_STARTED:
                Event("monitor-started", m_providerName);
                break;
            case WM_MONITOR_STOPPED:
                Event("monitor-stopped", "");
                break;
            case WM_CONN_DIALING:
                Event("dialing", record->entryName);
                if (m_host != nullptr) {
                    m_host->OnDialing(record->entryName, record->startTime);
                }
                break;
            case WM_CONN_CONNECTED:
                Event("connected", record->entryName);
                if (m_host != nullptr) {
                    m_host->OnConnected(record->entryName, record->startTime);
                }
                break;
            case WM_CONN_ENDED:
                Event("ended", record->entryName);
                if (m_host != nullptr) {
                    m_host->OnEnded();
                }
                break;
            case WM_TIMER:
                // An expiry posted just before its timer was killed is dropped.
                if (m_host != nullptr && m_timers->IsSet(static_cast<unsigned>(wParam))) {
                    m_host->OnTimer(static_cast<unsigned>(wParam));
                }
                break;
            case WM_CANCEL_COUNTDOWN:
                if (m_host != nullptr) {
                    m_host->CancelNotification();
                }
                break;
            default:
                break;
        }
        return 0;
    }

    /// Named in the monitor-started line, so a log tells which dial-up service was watched.
    void SetProviderName(std::string name) { m_providerName = std::move(name); }

    void Event(std::string_view event, std::string_view detail) {
        WriteLine(m_ctx, {FormatLocalTime(m_clock.Now()), event, detail});
    }

private:
    Context& m_ctx;
    const Clock& m_clock;
    std::string m_providerName;
    MeteringHost* m_host = nullptr;
    const LoopTimers* m_timers = nullptr;
};

/// Hangs up every current connection of the provider, with a `hangup` event for each. Nobody
/// can answer a question here, so a hang-up that would ask first hangs up nothing, as a "no"
/// does.
class ProviderHangUp final : public HangUpService {
public:
    ProviderHangUp(RasProvider& provider, EventPrinter& printer)
        : m_provider(provider), m_printer(printer) {}

    void HangUpAll(bool ask) override {
        std::vector<RasConnection> connections;
        if (ask || m_provider.EnumConnections(connections) != 0) {
            return;
        }
        for (const RasConnection& connection : connections) {
            if (m_provider.HangUp(connection.handle) == 0) {
                m_printer.Event("hangup", connection.entryName);
            }
        }
    }

private:
    RasProvider& m_provider;
    EventPrinter& m_printer;
};

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
    sigaddset(&signals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    const SystemClock clock;
    MessageLoop loop;
    EventPrinter printer(loop, ctx, clock);

    std::string error;
    auto provider = MakeRasProvider(
        [&printer](const std::string& message) { printer.Event("error", message); }, &error);
    if (!provider) {
        return Fail(ctx, error);
    }
    printer.SetProviderName(provider->Name());
    RasApi ras(*provider);

    const std::unique_ptr<Settings> settings = LoadStartupSettings(SettingsTexts());
    LoopTimers timers(printer);
    ProviderHangUp hangUp(*provider, printer);
    MeteringHost::Hooks hooks;
    hooks.limit = [&printer](const std::string& message) { printer.Event("limit", message); };
    // As the live display does when it closes: the totals are kept with the event settings.
    hooks.saveEvents = [&settings] { settings->ExchangeEvents(true); };
    MeteringHost metering(*settings, clock, timers, hangUp, std::move(hooks));
    printer.SetMetering(&metering, &timers);

    ConnectionMonitor::Options options;
    options.pollPeriod = PollPeriod();
    ConnectionMonitor monitor(ras, clock, options);

    std::thread signalWaiter([&loop, &printer, signals] {
        for (;;) {
            int received = 0;
            sigwait(&signals, &received);
            if (received != SIGUSR1) {
                break;
            }
            loop.Post(printer, WM_CANCEL_COUNTDOWN);
        }
        loop.PostQuit(0);
    });

    if (!monitor.Start(&printer)) {
        printer.Event("error", "the poll thread cannot be started");
        pthread_kill(signalWaiter.native_handle(), SIGTERM);
        signalWaiter.join();
        return kExitFailure;
    }
    loop.Run();
    monitor.Stop();
    signalWaiter.join();
    printer.SetMetering(nullptr, nullptr);
    return kExitOk;
}

}  // namespace

const Command& MonitorCommand() {
    return kCommand;
}

}  // namespace ov::cli
