#include <pthread.h>

#include <csignal>
#include <cstdlib>
#include <thread>

#include "cli/cli.h"
#include "monitor/connection_monitor.h"
#include "platform/message_loop.h"
#include "platform/ras/ras_factory.h"
#include "platform/text_util.h"

namespace ov::cli {

namespace {

constexpr std::string_view kUsage =
    "usage: orvanta-cli monitor\n"
    "Watches the dial-up connections until SIGINT or SIGTERM and prints one line per event:\n"
    "TIME<TAB>EVENT<TAB>DETAIL.\n";

int Run(Context& ctx, Args args);

const Command kCommand{"monitor", "watch the connections headless, printing events", kUsage, Run};

/// The window that receives the monitor's notifications and prints them as event lines.
class EventPrinter final : public MessageWindow {
public:
    EventPrinter(MessageLoop& loop, Context& ctx, const Clock& clock)
        : MessageWindow(loop), m_ctx(ctx), m_clock(clock) {}

    std::intptr_t HandleMessage(std::uint32_t message, std::uintptr_t /*wParam*/,
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
                break;
            case WM_CONN_CONNECTED:
                Event("connected", record->entryName);
                break;
            case WM_CONN_ENDED:
                Event("ended", record->entryName);
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
    ConnectionMonitor::Options options;
    options.pollPeriod = PollPeriod();
    ConnectionMonitor monitor(ras, clock, options);

    std::thread signalWaiter([&loop, signals] {
        int received = 0;
        sigwait(&signals, &received);
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
    return kExitOk;
}

}  // namespace

const Command& MonitorCommand() {
    return kCommand;
}

}  // namespace ov::cli
