#include "app/ui/tray_application.h"

#include "app/monitor_session.h"
#include "app/qt/language_packs.h"
#include "app/ui/app_window.h"
#include "app/ui/qt_desktop.h"
#include "app/ui/qt_window_timer.h"
#include "calllog/call_log_writer.h"
#include "launcher/process_list.h"
#include "launcher/registry_app_paths.h"
#include "launcher/single_instance.h"
#include "limits/metering_host.h"
#include "monitor/connection_monitor.h"
#include "monitor/hang_up.h"
#include "platform/data_root_lock.h"
#include "platform/file_util.h"
#include "platform/instance_channel.h"
#include "platform/message_loop.h"
#include "platform/paths.h"
#include "platform/ras/ras_factory.h"
#include "platform/text_util.h"
#include "sysint/install_log.h"
#include "sysint/ras_library.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QMetaObject>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

namespace ov {

namespace {

/// A second copy waits this long for the running one to answer.
constexpr std::chrono::milliseconds kAskTimeout{1500};

/// The poll period: 2000 ms, or ORVANTA_POLL_MS for end-to-end tests that cannot wait.
std::chrono::milliseconds PollPeriod() {
    if (const char* text = std::getenv("ORVANTA_POLL_MS")) {
        if (const auto ms = ParseInteger(text); ms && *ms >= 10 && *ms <= 60000) {
            return std::chrono::milliseconds(*ms);
        }
    }
    return std::chrono::milliseconds(2000);
}

/// SIGINT, SIGTERM and SIGHUP turned into bytes on a pipe that the event loop reads, so the
/// exit sequence runs on the window thread. A handler rather than blocked signals: a blocked
/// mask would be inherited by the programs the desktop starts for us (the browser of the help).
class SignalPipe {
public:
    SignalPipe() = default;
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;
    ~SignalPipe() {
        if (s_writeFd < 0) {
            return;
        }
        for (const int signal : kSignals) {
            (void)std::signal(signal, SIG_DFL);
        }
        close(s_writeFd);
        close(m_readFd);
        s_writeFd = -1;
    }

    bool Open() {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
            return false;
        }
        m_readFd = fds[0];
        s_writeFd = fds[1];
        struct sigaction action {};
        action.sa_handler = &SignalPipe::Handle;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        for (const int signal : kSignals) {
            sigaction(signal, &action, nullptr);
        }
        return true;
    }
    int ReadFd() const { return m_readFd; }
    void Drain() const {
        char bytes[16];
        while (read(m_readFd, bytes, sizeof(bytes)) > 0) {
        }
    }

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    static void Handle(int /*signal*/) {
        const int saved = errno;
        const char byte = 1;
        (void)!write(s_writeFd, &byte, 1);
        errno = saved;
    }

    // The one handler's pipe: a signal handler reaches nothing else.
    static inline int s_writeFd = -1;
    int m_readFd = -1;
};

int Fail(const std::string& text) {
    (void)std::fprintf(stderr, "orvanta: %s\n", text.c_str());
    return 1;
}

/// Call log failures shown as message boxes, notices as well.
class DesktopCallLogMessages final : public CallLogMessages {
public:
    explicit DesktopCallLogMessages(AppDesktop& desktop) : m_desktop(desktop) {}
    void ShowWriteFailure(const std::string& text) override {
        m_desktop.ShowMessage(text, AppDesktop::Icon::Warning);
    }
    void ShowNotice(const std::string& text) override {
        (void)std::fprintf(stderr, "orvanta: %s\n", text.c_str());
        m_desktop.ShowMessage(text, AppDesktop::Icon::Warning);
    }

private:
    AppDesktop& m_desktop;
};

/// The hang-up of the limit notification's countdown, asking through the desktop.
class DesktopHangUp final : public HangUpService {
public:
    DesktopHangUp(RasLibrary& entries, AppDesktop& desktop, const TextSource& texts)
        : m_entries(entries), m_desktop(desktop), m_texts(texts) {}
    void HangUpAll(bool ask) override {
        struct Question final : HangUpQuestion {
            explicit Question(AppDesktop& desktop) : desktop(desktop) {}
            int Ask(const std::string& text, const std::string& /*entryName*/) override {
                return desktop.AskYesNo(text) ? IDYES : IDNO;
            }
            AppDesktop& desktop;
        } question(m_desktop);
        const HangUpAsker asker{question, m_texts};
        ov::HangUpAll(&m_entries, ask, &asker);
    }

private:
    RasLibrary& m_entries;
    AppDesktop& m_desktop;
    const TextSource& m_texts;
};

}  // namespace

int RunTrayProgram() {
    // 1. Single instance: a copy of this program that runs already is asked to come forward.
    std::string error;
    const std::string instanceFolder = InstanceFolder(&error);
    if (instanceFolder.empty()) {
        return Fail(error);
    }
    const std::string channel = InstanceChannelName(CurrentProgramPath());
    bool busy = false;
    std::optional<InstanceServer> instance =
        InstanceServer::Claim(instanceFolder, channel, &busy, &error);
    if (!instance) {
        if (!busy) {
            return Fail(error);
        }
        AskRunningCopy(instanceFolder, channel, kAskTimeout);
        return 0;
    }

    // Only one monitor logs to a data root: orvanta-cli monitor may hold it.
    const std::string root = EnsureDataRoot(&error);
    if (root.empty()) {
        return Fail(error);
    }
    const auto rootLock = DataRootLock::Acquire(root, &error);
    if (!rootLock) {
        return Fail(error);
    }

    // 2. Language packs; without one the program runs on without its texts.
    RegistryLanguageSettingsStore languageStore;
    LanguagePacks packs(languageStore);
    packs.AddStandardPacks();
    if (!packs.ChooseAtStartup()) {
        (void)std::fprintf(stderr, "orvanta: no language pack can be loaded: %s\n",
                           packs.LastError().c_str());
    }

    // 4. The installation record, at every start (it does nothing once registered).
    {
        InstallLog installLog("Quorvex", "Orvanta", OV_VERSION);
        RecordInstalledFiles(installLog, LangsFolder(), packs.Texts().String(kProductName));
    }

    // 5. Phone book, then the settings: defaults, the tariff for the system language, every
    // group loaded.
    auto provider = MakeRasProvider(
        [](const std::string& message) {
            (void)std::fprintf(stderr, "orvanta: %s\n", message.c_str());
        },
        &error);
    if (!provider) {
        return Fail(error);
    }
    RasApi ras(*provider);
    RasLibrary entries(&ras);
    Settings settings(packs, &entries);
    settings.PickTariffForSystemLanguage();
    settings.Exchange(false);

    // The window thread's message layer runs inside Qt's event loop.
    MessageLoop loop;
    loop.SetWakeHook([&loop] {
        QMetaObject::invokeMethod(
            qApp, [&loop] { loop.ProcessPending(); }, Qt::QueuedConnection);
    });

    QtDesktop desktop;
    DesktopCallLogMessages logMessages(desktop);
    const SystemClock clock;
    CallLogWriter writer(settings, packs, clock, logMessages);
    EnsureFolder(writer.Folder());
    const RegistryAppPaths appPaths;
    ProcessList processes;
    MonitorSession session(loop, settings, writer, appPaths, processes);

    QtWindowTimer timers;
    DesktopHangUp countdownHangUp(entries, desktop, packs);
    MeteringHost::Hooks meteringHooks;
    meteringHooks.saveEvents = [&settings] { settings.ExchangeEvents(true); };
    MeteringHost metering(settings, clock, timers, countdownHangUp, std::move(meteringHooks));
    timers.SetReceiver([&metering](unsigned id) { metering.OnTimer(id); });

    ConnectionMonitor::Options options;
    options.pollPeriod = PollPeriod();
    ConnectionMonitor monitor(ras, clock, options);

    AppWindow::Hooks hooks;
    hooks.quit = [] { QCoreApplication::exit(0); };
    AppWindow window({packs, settings, monitor, session, &entries, &metering, desktop},
                     std::move(hooks));

    // A later copy asks over the channel: the main frame is opened or raised.
    QSocketNotifier raiseRequests(instance->Fd(), QSocketNotifier::Read);
    QObject::connect(&raiseRequests, &QSocketNotifier::activated, &window, [&] {
        if (instance->AcceptRequest()) {
            window.OnCommand(ID_OPEN_MAIN);
        }
    });

    // Leaving the session: the signals and the session manager's quit end the program as its
    // exit command does, so a call open at logout is logged before the stop marker.
    SignalPipe signalPipe;
    std::optional<QSocketNotifier> signalNotifier;
    if (signalPipe.Open()) {
        signalNotifier.emplace(signalPipe.ReadFd(), QSocketNotifier::Read);
        QObject::connect(&*signalNotifier, &QSocketNotifier::activated, &window, [&] {
            signalPipe.Drain();
            window.Exit();
        });
    }
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &window, [&window] { window.Exit(); });
    QGuiApplication::setQuitOnLastWindowClosed(false);

    if (!window.Create()) {
        return Fail("the poll thread cannot be started");
    }
    const int status = window.Exited() ? 0 : QApplication::exec();
    window.Exit();  // the event loop may also end without the exit command
    signalNotifier.reset();
    // 8. The packs go last, storing the chosen language.
    packs.Release();
    return status;
}

}  // namespace ov
