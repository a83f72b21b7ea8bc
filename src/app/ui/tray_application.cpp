#include "app/ui/tray_application.h"

#include "app/monitor_app.h"
#include "app/qt/language_packs.h"
#include "app/ui/app_window.h"
#include "app/ui/main_frame.h"
#include "app/ui/options_sheet.h"
#include "app/ui/pack_ui_resources.h"
#include "app/ui/qt_desktop.h"
#include "launcher/single_instance.h"
#include "limits/ui/desktop_notifier.h"
#include "limits/ui/live_display_window.h"
#include "limits/ui/metering_windows.h"
#include "limits/ui/qt_window_timer.h"
#include "platform/instance_channel.h"
#include "sysint/install_log.h"
#include "viewer/call_list.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QMetaObject>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

namespace ov {

namespace {

/// A second copy waits this long for the running one to answer.
constexpr std::chrono::milliseconds kAskTimeout{1500};

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

/// The hang-up question as a message box.
class DesktopQuestion final : public HangUpQuestion {
public:
    explicit DesktopQuestion(AppDesktop& desktop) : m_desktop(desktop) {}
    int Ask(const std::string& text, const std::string& /*entryName*/) override {
        return m_desktop.AskYesNo(text) ? IDYES : IDNO;
    }

private:
    AppDesktop& m_desktop;
};

/// What the tray program gives the application core: the pack's texts, timers on Qt's event
/// loop, questions and call log messages as message boxes, the service's problems on
/// standard error.
class TrayFrontEnd final : public MonitorFrontEnd {
public:
    TrayFrontEnd(LanguagePacks& packs, AppDesktop& desktop)
        : m_packs(packs), m_desktop(desktop), m_question(desktop) {}

    const TextSource* Texts(std::string* why) override {
        if (m_packs.Loaded()) {
            return &m_packs;
        }
        *why = m_packs.LastError();
        return nullptr;
    }
    void OnBuiltInTexts(const std::string& why) override {
        (void)std::fprintf(stderr,
                           "orvanta: no language pack can be loaded%s%s; the built-in "
                           "English texts are used\n",
                           why.empty() ? "" : ": ", why.c_str());
    }
    std::unique_ptr<WindowTimer> MakeTimer(MessageWindow& window) override {
        return std::make_unique<QtWindowTimer>(
            [&window](unsigned id) { window.HandleMessage(WM_TIMER, id, 0); });
    }
    HangUpQuestion* Question() override { return &m_question; }
    const ScreenMetrics* Screen() override { return &m_screen; }
    void OnProviderError(const std::string& message) override {
        (void)std::fprintf(stderr, "orvanta: %s\n", message.c_str());
    }
    void ShowWriteFailure(const std::string& text) override {
        m_desktop.ShowMessage(text, AppDesktop::Icon::Warning);
    }
    void ShowNotice(const std::string& text) override {
        (void)std::fprintf(stderr, "orvanta: %s\n", text.c_str());
        m_desktop.ShowMessage(text, AppDesktop::Icon::Warning);
    }

private:
    LanguagePacks& m_packs;
    AppDesktop& m_desktop;
    DesktopQuestion m_question;
    QtScreenMetrics m_screen;
};

}  // namespace

int RunTrayProgram(const ProgramPaths& paths, std::chrono::milliseconds pollPeriod) {
    // Single instance: a copy of this program that runs already is asked to come forward.
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

    // The language packs and the text table; without one the program runs on in English.
    RegistryLanguageSettingsStore languageStore;
    LanguagePacks packs(languageStore);
    packs.AddStandardPacks();
    packs.ChooseAtStartup();

    // The installation record, at every start (it does nothing once registered).
    {
        InstallLog installLog("Quorvex", "Orvanta", OV_VERSION,
                              InstallPaths::ForThisProgram(paths));
        RecordInstalledFiles(installLog, LangsFolder(), packs.Texts().String(kProductName));
    }

    // The application core: the data root claimed, the settings loaded, the call log, the
    // phone book, the metering. Its message layer runs inside Qt's event loop.
    QtDesktop desktop;
    TrayFrontEnd frontEnd(packs, desktop);
    const SystemClock clock;
    MonitorApp app(frontEnd, clock, paths, pollPeriod);
    MessageLoop& loop = app.Loop();
    loop.SetWakeHook([&loop] {
        QMetaObject::invokeMethod(
            qApp, [&loop] { loop.ProcessPending(); }, Qt::QueuedConnection);
    });
    if (!app.Start(&error)) {
        return Fail(error);
    }

    // The main frame, while it is open, over the core's settings and call log.
    const PackUiResources resources(packs);
    AppWindow* appWindow = nullptr;
    MainFrameHost mainFrame([&] {
        return MainFrame::Parts{app.settings(),
                                packs,
                                resources,
                                app.writer().Folder(),
                                &app.writer(),
                                [&app] { return app.monitor().IsRunning(); },
                                [&appWindow](unsigned command) {
                                    if (appWindow != nullptr) {
                                        appWindow->OnCommand(command);
                                    }
                                }};
    });

    AppWindow::Hooks hooks;
    hooks.openMainFrame = [&mainFrame] { mainFrame.Open(); };
    hooks.destroyMainFrame = [&mainFrame] { mainFrame.Destroy(); };
    // Built again from the new pack, where it was.
    hooks.languageChanged = [&mainFrame] { mainFrame.Rebuild(); };
    hooks.quit = [] { QCoreApplication::exit(0); };
    // 3200: the options sheet over the live settings; the switch of language reaches the
    // application window as its message does, after the sheet's command has returned.
    hooks.openOptions = [&] {
        OptionsSheetHooks sheetHooks;
        // The open main frame's list: its rows go, its columns follow the new settings,
        // and it is read again.
        sheetHooks.reloadCallList = [&mainFrame] {
            if (MainFrame* frame = mainFrame.Frame()) {
                frame->List().RebuildColumns(true);
                frame->List().Reload();
            }
        };
        sheetHooks.languageChanged = [&appWindow] {
            QMetaObject::invokeMethod(
                appWindow, [&appWindow] { appWindow->OnLanguageChanged(); }, Qt::QueuedConnection);
        };
        RunOptionsSheet({packs, resources, app.settings(), &app.entries(), &loop},
                        std::move(sheetHooks));
    };
    hooks.exitMonitoring = [&app] { app.Exit(); };
    // The core meters the calls itself, before the window hears of them.
    AppWindow window(
        {packs, app.settings(), app.monitor(), app.session(), &app.entries(), nullptr, desktop},
        std::move(hooks));
    appWindow = &window;

    // The live display with each call and the limit notification with its desktop
    // notification, over the core's metering.
    DesktopNotifier notifier;
    MeteringWindows meteringWindows(app.settings(), resources, app.metering(), &notifier);
    window.SetMeteringWindows(&meteringWindows);

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
    mainFrame.Destroy();
    window.SetMeteringWindows(nullptr);
    signalNotifier.reset();
    // The packs go last, storing the chosen language.
    packs.Release();
    return status;
}

}  // namespace ov
