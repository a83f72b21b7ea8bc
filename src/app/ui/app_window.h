#pragma once

#include "app/monitor_session.h"
#include "app/qt/language_packs.h"
#include "app/ui/tray_icon.h"
#include "limits/live_display_ctrl.h"
#include "limits/window_commands.h"  // ID_HANGUP_ALL, ID_OPEN_MAIN and the toggles

#include <QObject>
#include <QUrl>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ov {

class ConnectionMonitor;
class MeteringHost;
class MeteringWindows;
class RasLibrary;
class Settings;

/// Messages and commands of the application window; those it shares with the metering's
/// windows are in limits/window_commands.h.
inline constexpr std::uint32_t WM_LANGUAGE_CHANGED = 32826;
inline constexpr unsigned ID_CLOSE = 8;
inline constexpr unsigned ID_APP_EXIT = 57665;
inline constexpr unsigned ID_OPTIONS = 3200;
inline constexpr unsigned ID_MONITOR_START = 3201;
inline constexpr unsigned ID_MONITOR_STOP = 3202;
inline constexpr unsigned ID_ABOUT = 3205;
inline constexpr unsigned ID_HELP_CONTENTS = 3208;
inline constexpr unsigned ID_HELP_TOPIC = 3210;
inline constexpr unsigned ID_WEB_PAGE = 3212;

/// Icons of the tray: watching, a connection being set up or up, monitoring stopped.
inline constexpr unsigned kIconWatching = 128;
inline constexpr unsigned kIconConnection = 129;
inline constexpr unsigned kIconStopped = 315;

/// The tray menu and the pack's strings the application window shows.
inline constexpr unsigned kTrayMenu = 200;
inline constexpr unsigned kTipDialing = 3315;
inline constexpr unsigned kTipConnected = 3332;
inline constexpr unsigned kTipWatching = 3333;
inline constexpr unsigned kTipStopped = 3334;
inline constexpr unsigned kTextShowDisplay = 3331;
inline constexpr unsigned kTextStartMonitor = 3336;
inline constexpr unsigned kTextStopMonitor = 3337;
inline constexpr unsigned kTextHideDisplay = 3340;
inline constexpr unsigned kWelcomeMessage = 3342;
inline constexpr unsigned kWebPageFailed = 3302;
inline constexpr unsigned kProgramNotStarted = 3348;
/// Text table: the product name and the About box's text.
inline constexpr unsigned kProductName = 3316;
inline constexpr unsigned kAboutText = 3318;

/// The maker's web page (command 3212).
inline constexpr const char* kWebPageUrl = "https://orvanta.example.org/";

/// What the application window asks of the desktop: message boxes, questions and documents.
/// Tests give a fake that records them.
class AppDesktop {
public:
    enum class Icon { Information, Warning };
    virtual ~AppDesktop() = default;
    virtual void ShowMessage(const std::string& text, Icon icon) = 0;
    /// A Yes/No question with a warning icon; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    virtual void ShowAbout(const std::string& text) = 0;
    /// Opens a document or web page in the desktop's program for it; false when that fails.
    virtual bool OpenDocument(const QUrl& url) = 0;
    /// The wait cursor on (true) and off during the exit.
    virtual void SetWaitCursor(bool on) = 0;
};

/// The live display window as the application window sees it while it exists.
class DisplayWindow {
public:
    virtual ~DisplayWindow() = default;
    virtual bool IsVisible() const = 0;
    virtual void SetVisible(bool visible) = 0;
};

/// The hidden application window: owns the tray icon and shows by it what the monitor does,
/// opens and closes the live display with each call, and carries out the commands of the tray
/// menu. It observes the monitor session, which logs the calls and runs the programs after it.
/// Window thread only.
class AppWindow final : public QObject, public MonitorObserver {
    Q_OBJECT
public:
    /// The windows other parts of the program make and the exit's last steps; an empty hook
    /// does nothing.
    struct Hooks {
        std::function<void()> openMainFrame;     // 3211: opens or raises the main frame
        std::function<void()> openOptions;       // 3200: the options sheet, modal
        std::function<void()> destroyMainFrame;  // exit: the main frame goes first
        std::function<void()> languageChanged;   // main frame rebuilt, live display told
        std::function<void()> quit;              // ends the event loop
        /// The exit's monitoring part (open calls ended and logged, the stop marker, every
        /// group saved, the programs let go); empty: the session's own exit.
        std::function<void()> exitMonitoring;
        /// A displayed call starts and ends here: opens or closes the live display window.
        std::function<DisplayWindow*()> displayWindow;
    };

    struct Parts {
        LanguagePacks& packs;
        Settings& settings;
        ConnectionMonitor& monitor;
        MonitorSession& session;
        RasLibrary* entries;  // the phone book for the hang-up; may be null
        /// The live display's metering, told of each call here; null where the application
        /// core tells it itself (or there is none).
        MeteringHost* metering;
        AppDesktop& desktop;
    };

    AppWindow(Parts parts, Hooks hooks, QObject* parent = nullptr);
    ~AppWindow() override;

    /// The window's creation: phone book loaded, the tray icon, the first run, the monitor
    /// started. False when the monitor cannot be started.
    bool Create();

    /// Carries out a command; false when it is not handled here.
    bool OnCommand(unsigned command);
    /// The exit sequence, up to the end of the event loop. Runs once.
    void Exit();
    bool Exited() const { return m_exited; }
    /// After the options sheet switched the pack.
    void OnLanguageChanged();

    // The monitor's notifications.
    void OnMonitorStarted() override;
    void OnDialing(const ConnectionRecord& connection) override;
    void OnConnected(const ConnectionRecord& connection) override;
    void OnEnded(const ConnectionRecord* connection) override;
    void OnMonitorStopped() override;
    /// Said as a desktop notification and on standard error: a tray program has no console
    /// anyone reads, and a modal box would hold the call's other programs back.
    void OnProgramNotStarted(const ProgramStartFailure& failure) override;

    /// The window text, which follows the tip.
    const QString& Title() const { return m_title; }
    TrayIcon& Tray() { return m_tray; }
    /// Sets the menu's texts and states for the monitor and the display as they are now.
    void UpdateMenu();

    /// The live display and limit notification windows of the metering: their display is
    /// toggled by 3203 and followed by the menu, their commands come here, their hang-up of
    /// the shown connection asks first unless NotPromptHangUp, and a new pack reaches them.
    /// `windows` must outlive this window or be unset (null) before it goes.
    void SetMeteringWindows(MeteringWindows* windows);

    /// The pause between saving and destroying the windows at exit.
    void SetExitPause(int ms) { m_exitPauseMs = ms; }

private:
    void SetTray(unsigned icon, unsigned tipString, const std::string& entryName = {});
    void BuildMenu();
    void OnTrayActivated(QSystemTrayIcon::ActivationReason reason);
    void OpenMainFrame() const;
    void HangUpAll();
    void HangUpEntry(const std::string& entryName);
    /// The live display window while there is one; null otherwise.
    DisplayWindow* CurrentDisplay();
    std::string ProductName() const;
    std::string Text(unsigned resourceId) const;

    Parts m_parts;
    Hooks m_hooks;
    TrayIcon m_tray;
    MeteringWindows* m_meteringWindows = nullptr;
    std::unique_ptr<DisplayWindow> m_meteringDisplay;  // over m_meteringWindows' display
    std::vector<QMetaObject::Connection> m_meteringConnections;
    QString m_title;
    unsigned m_tipString = 0;  // the tip shown and its entry name, to show again in a new language
    std::string m_tipEntry;
    bool m_statusNotifier = false;
    bool m_noTraySaid = false;
    bool m_exited = false;
    int m_exitPauseMs = 800;
};

/// Whether this is the first run for the user: the product key under HKEY_CURRENT_USER is
/// missing. It is then made with the maker's name as its unnamed value; true only then.
bool MarkFirstRun();

}  // namespace ov
