// The application window over a real monitor on a fake dial-up service, the shipped English
// pack, real month files and an offscreen tray: what the tray shows at each notification and
// what lands in the call log, the commands of the tray menu, the first run and the exit.
#include "app/ui/app_window.h"

#include "app/call_log_writer.h"
#include "app/ui/pack_ui_resources.h"
#include "calllog/call_log_file.h"
#include "launcher/app_paths.h"
#include "launcher/process_list.h"
#include "launcher/window_list.h"
#include "limits/metering_host.h"
#include "limits/ui/live_display_window.h"
#include "limits/ui/metering_windows.h"
#include "limits/ui/qt_window_timer.h"
#include "monitor/connection_monitor.h"
#include "platform/registry/registry.h"
#include "settings/registry_key.h"
#include "settings/settings.h"
#include "sysint/ras_library.h"

#include "support/bratislava_time.h"
#include "support/fake_ras.h"
#include "support/qt_application.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMenu>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

namespace ov {
namespace {

using namespace std::chrono_literals;

constexpr Time32 kT0 = 1'710'331'200;  // 2024-03-13 13:00:00 in Bratislava

const auto* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::QtApplicationEnvironment<QApplication>);

class EnglishStore final : public LanguageSettingsStore {
public:
    std::optional<std::uint32_t> ReadCurrentLng() const override { return kPackEnglish; }
    bool WriteCurrentLng(std::uint32_t) override { return true; }
    std::uint32_t SystemLanguage() const override { return kPackEnglish; }
    std::string LanguageName(std::uint32_t) const override { return "English"; }
};

/// One journal for everything the user would see or the program would do, in order.
using Events = std::vector<std::string>;

class FakeDesktop final : public AppDesktop {
public:
    explicit FakeDesktop(Events& events) : m_events(events) {}
    void ShowMessage(const std::string& text, Icon icon) override {
        m_events.push_back(std::string(icon == Icon::Information ? "information: " : "warning: ") +
                           text);
    }
    bool AskYesNo(const std::string& text) override {
        m_events.push_back("ask: " + text);
        return answer;
    }
    void ShowAbout(const std::string& text) override { m_events.push_back("about: " + text); }
    bool OpenDocument(const QUrl& url) override {
        m_events.push_back("open: " + url.fragment().toStdString());
        return opens;
    }
    void SetWaitCursor(bool on) override { m_events.push_back(on ? "wait" : "no wait"); }

    bool answer = false;
    bool opens = true;

private:
    Events& m_events;
};

class FakeDisplay final : public DisplayWindow {
public:
    bool IsVisible() const override { return visible; }
    void SetVisible(bool v) override { visible = v; }
    bool visible = true;
};

class NoHangUp final : public HangUpService {
public:
    void HangUpAll(bool) override {}
};

class FailingMessages final : public CallLogMessages {
public:
    void ShowWriteFailure(const std::string& text) override { ADD_FAILURE() << text; }
};

/// Notes the tray after the application window handled each notification, and how many
/// records the month file held then.
class TrayJournal final : public MonitorObserver {
public:
    TrayJournal(Events& events, std::function<std::string()> tray)
        : m_events(events), m_tray(std::move(tray)) {}
    void OnMonitorStarted() override { Note("started"); }
    void OnDialing(const ConnectionRecord&) override { Note("dialing"); }
    void OnConnected(const ConnectionRecord&) override { Note("connected"); }
    void OnEnded(const ConnectionRecord*) override { Note("ended"); }
    void OnMonitorStopped() override { Note("stopped"); }

private:
    void Note(const std::string& what) { m_events.push_back(what + " " + m_tray()); }
    Events& m_events;
    std::function<std::string()> m_tray;
};

ConnectionMonitor::Options FastPolls() {
    ConnectionMonitor::Options options;
    options.pollPeriod = 20ms;
    options.idlePriority = false;
    return options;
}

class AppWindowTest : public test::BratislavaTime {
protected:
    AppWindowTest() {
        m_packs.AddStandardPacks();
        EXPECT_TRUE(m_packs.ChooseAtStartup()) << m_packs.LastError();
        m_loop.SetWakeHook([this] {
            QMetaObject::invokeMethod(
                qApp, [this] { m_loop.ProcessPending(); }, Qt::QueuedConnection);
        });
    }
    ~AppWindowTest() override {
        if (m_window && !m_window->Exited()) {
            m_monitor.Stop();
        }
        m_window.reset();
    }

    /// The window as start-up makes it, the first run behind it unless `firstRun`.
    void Create(bool firstRun = false) {
        if (!firstRun) {
            MarkFirstRun();
        }
        AppWindow::Hooks hooks;
        hooks.openOptions = [this] { m_events.push_back("options"); };
        hooks.openMainFrame = [this] { m_events.push_back("main frame"); };
        hooks.quit = [this] { m_events.push_back("quit"); };
        hooks.displayWindow = [this]() -> DisplayWindow* { return m_display.get(); };
        m_window =
            std::make_unique<AppWindow>(AppWindow::Parts{m_packs, m_settings, m_monitor, m_session,
                                                         &m_entries, &m_metering, m_desktop},
                                        std::move(hooks));
        m_window->SetExitPause(0);
        m_session.AddObserver(&m_journal);
        ASSERT_TRUE(m_window->Create());
        ASSERT_TRUE(HandleUntil([&] { return Records().size() == 1; }));
        // Offscreen there is no tray: the main frame was opened so the program can be reached.
        EXPECT_EQ(m_events.front(), "main frame");
        m_events.erase(m_events.begin());
    }

    std::string Tray() const {
        return std::to_string(m_window->Tray().IconNumber()) + " " +
               m_window->Tray().Tip().toStdString();
    }
    std::vector<int> Kinds() const {
        std::vector<int> kinds;
        for (const CallRecord& r : Records()) {
            kinds.push_back(r.kind);
        }
        return kinds;
    }
    std::vector<CallRecord> Records() const {
        std::vector<CallRecord> records;
        LoadMonth(m_home.File("LogData"), 2024, 2,
                  [&](const CallRecord& r) { records.push_back(r); });
        return records;
    }
    bool HandleUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(2ms);
        }
        return true;
    }
    QAction* MenuItem(unsigned command) {
        m_window->UpdateMenu();
        return m_window->Tray().Menu().findChild<QAction*>(QStringLiteral("id%1").arg(command));
    }
    bool Seen(const std::string& event) const {
        return std::find(m_events.begin(), m_events.end(), event) != m_events.end();
    }

    test::TempHome m_home;
    EnglishStore m_store;
    LanguagePacks m_packs{m_store};
    Settings m_settings{m_packs};
    ManualClock m_clock{kT0};
    FailingMessages m_messages;
    CallLogWriter m_writer{m_settings, m_packs, m_clock, m_messages, m_home.File("LogData"),
                           "alice"};
    PathSearchAppPaths m_appPaths;
    ProcessList m_processes{"/proc", MakeNullWindowList()};
    MessageLoop m_loop;
    MonitorSession m_session{m_loop, m_settings, m_writer, m_appPaths, m_processes};
    test::FakeRasProvider m_ras;
    RasApi m_rasApi{m_ras};
    RasLibrary m_entries{&m_rasApi};
    ConnectionMonitor m_monitor{m_rasApi, m_clock, FastPolls()};
    QtWindowTimer m_timers{[this](unsigned id) { m_metering.OnTimer(id); }};
    NoHangUp m_hangUp;
    MeteringHost m_metering{m_settings, m_packs, m_clock, m_timers, m_hangUp, {}};
    Events m_events;
    FakeDesktop m_desktop{m_events};
    std::unique_ptr<FakeDisplay> m_display;
    std::unique_ptr<AppWindow> m_window;
    TrayJournal m_journal{m_events, [this] { return Tray(); }};
};

TEST_F(AppWindowTest, ACallShowsItsIconAndTipFromDialingToTheEnd) {
    Create();
    const HRASCONN line = m_ras.Add("Work ISP", RASCS_Authenticate);
    ASSERT_TRUE(HandleUntil([&] { return Seen("dialing 129 Orvanta - dialing"); }));
    EXPECT_NE(m_metering.display(), nullptr);  // ShowEvnWnd: the display meters the call
    m_ras.SetState(line, RASCS_Connected);
    ASSERT_TRUE(HandleUntil([&] { return m_events.size() == 3; }));
    EXPECT_EQ(m_window->Title(), "Orvanta - connected to Work ISP");
    m_clock.Advance(60);
    m_ras.Remove(line);
    ASSERT_TRUE(HandleUntil([&] { return Records().size() == 2; }));

    EXPECT_EQ(m_events,
              (Events{"started 128 Orvanta - watching connections", "dialing 129 Orvanta - dialing",
                      "connected 129 Orvanta - connected to Work ISP",
                      "ended 128 Orvanta - watching connections"}));
    EXPECT_EQ(m_window->Title(), "Orvanta - watching connections");
    // 128 at creation, 129, 128: an icon equal to the last one is not set again.
    EXPECT_EQ(m_window->Tray().IconChanges(), 3);
    EXPECT_EQ(Kinds(), (std::vector<int>{KindMonitorStart, KindConnected}));
    EXPECT_EQ(m_metering.display(), nullptr);
}

TEST_F(AppWindowTest, ACallFirstSeenConnectedGetsTheConnectedTipAndItsDisplayEveryTime) {
    Create();
    for (int call = 0; call < 2; ++call) {
        m_events.clear();
        const HRASCONN line = m_ras.Add("Work ISP", RASCS_Connected);
        ASSERT_TRUE(HandleUntil([&] { return !m_events.empty(); }));
        EXPECT_EQ(m_events, (Events{"connected 129 Orvanta - connected to Work ISP"})) << call;
        // The flag of an opened display is cleared at each call's end, so the second call
        // first seen connected gets its display too.
        EXPECT_NE(m_metering.display(), nullptr) << call;
        m_ras.Remove(line);
        ASSERT_TRUE(HandleUntil([&] { return m_events.size() == 2; }));
        EXPECT_EQ(m_metering.display(), nullptr) << call;
    }
}

TEST_F(AppWindowTest, StoppingWithAnOpenCallLogsTheCallThenTheMarker) {
    Create();
    m_ras.Add("Work ISP", RASCS_Connected);
    ASSERT_TRUE(HandleUntil([&] { return m_events.size() == 2; }));
    m_clock.Advance(30);
    m_events.clear();
    ASSERT_TRUE(m_window->OnCommand(ID_MONITOR_STOP));
    EXPECT_EQ(m_events, (Events{"ended 128 Orvanta - watching connections",
                                "stopped 315 Orvanta - monitor stopped"}));
    EXPECT_EQ(Kinds(), (std::vector<int>{KindMonitorStart, KindConnected, KindMonitorStop}));
}

TEST_F(AppWindowTest, TheMenuFollowsTheMonitorAndTheDisplay) {
    Create();
    ASSERT_NE(MenuItem(ID_OPEN_MAIN), nullptr);
    EXPECT_EQ(m_window->Tray().Menu().defaultAction(), MenuItem(ID_OPEN_MAIN));
    EXPECT_EQ(MenuItem(ID_MONITOR_TOGGLE)->text(), "&Stop monitor");
    // No live display: the item is greyed and the command is not handled.
    EXPECT_FALSE(MenuItem(ID_DISPLAY_TOGGLE)->isEnabled());
    EXPECT_FALSE(m_window->OnCommand(ID_DISPLAY_TOGGLE));

    // Start while running changes nothing; the toggle alternates.
    m_events.clear();
    m_window->OnCommand(ID_MONITOR_START);
    EXPECT_TRUE(m_events.empty());
    m_window->OnCommand(ID_MONITOR_TOGGLE);
    EXPECT_EQ(MenuItem(ID_MONITOR_TOGGLE)->text(), "&Start monitor");
    m_window->OnCommand(ID_MONITOR_TOGGLE);
    EXPECT_EQ(MenuItem(ID_MONITOR_TOGGLE)->text(), "&Stop monitor");
    EXPECT_EQ(Kinds(), (std::vector<int>{KindMonitorStart, KindMonitorStop, KindMonitorStart}));

    m_display = std::make_unique<FakeDisplay>();
    EXPECT_TRUE(MenuItem(ID_DISPLAY_TOGGLE)->isEnabled());
    EXPECT_EQ(MenuItem(ID_DISPLAY_TOGGLE)->text(), "Hide &live display");
    EXPECT_TRUE(m_window->OnCommand(ID_DISPLAY_TOGGLE));
    EXPECT_FALSE(m_display->visible);
    EXPECT_EQ(MenuItem(ID_DISPLAY_TOGGLE)->text(), "Show &live display");
}

TEST_F(AppWindowTest, AMenuItemRunsItsCommand) {
    Create();
    m_events.clear();
    MenuItem(ID_MONITOR_TOGGLE)->trigger();
    EXPECT_EQ(m_events, (Events{"stopped 315 Orvanta - monitor stopped"}));
}

TEST_F(AppWindowTest, ALongEntryNameIsCutInTheTipAndTheTitle) {
    Create();
    const std::string entry(60, 'x');
    m_ras.Add(entry, RASCS_Connected);
    ASSERT_TRUE(HandleUntil([&] { return m_events.size() == 2; }));
    const QString tip = m_window->Tray().Tip();
    EXPECT_EQ(tip.size(), 63);
    EXPECT_TRUE(tip.endsWith(QChar(0x2026)));
    EXPECT_TRUE(tip.startsWith("Orvanta - connected to xxx"));
    EXPECT_EQ(m_window->Title(), tip);
}

TEST_F(AppWindowTest, TheFirstRunWelcomesThenOpensTheOptionsThenStartsTheMonitor) {
    Create(true);
    ASSERT_GE(m_events.size(), 3u);
    EXPECT_EQ(m_events[0].rfind("information: Welcome to Orvanta.", 0), 0u) << m_events[0];
    EXPECT_EQ(m_events[1], "options");
    EXPECT_EQ(m_events[2], "started 128 Orvanta - watching connections");
    std::string maker;
    EXPECT_TRUE(RegistryKey(HKEY_CURRENT_USER, kProductKeyPath).ReadString("", maker));
    EXPECT_EQ(maker, "Belvarro");
    // Only once.
    EXPECT_FALSE(MarkFirstRun());
}

TEST_F(AppWindowTest, ExitWithAnOpenCallLogsItBeforeTheMarkerAndEndsTheLoop) {
    Create();
    m_ras.Add("Work ISP", RASCS_Connected);
    ASSERT_TRUE(HandleUntil([&] { return m_events.size() == 2; }));
    m_clock.Advance(120);
    m_events.clear();
    ASSERT_TRUE(m_window->OnCommand(ID_APP_EXIT));
    EXPECT_EQ(m_events, (Events{"wait", "ended 128 Orvanta - watching connections",
                                "stopped 315 Orvanta - monitor stopped", "no wait", "quit"}));
    EXPECT_EQ(Kinds(), (std::vector<int>{KindMonitorStart, KindConnected, KindMonitorStop}));
    EXPECT_FALSE(m_window->Tray().Visible());
    // Every group was saved: the running totals hold the call.
    Settings saved(m_packs);
    saved.Exchange(false);
    EXPECT_EQ(saved.EventTotTime, 120);
    // A second exit (the loop's own end) does nothing more.
    m_window->OnCommand(ID_CLOSE);
    EXPECT_EQ(m_events.back(), "quit");
    EXPECT_EQ(Records().size(), 3u);
}

TEST_F(AppWindowTest, CommandsOpenHelpAndPagesAndSayWhenThePageCannotOpen) {
    Create();
    m_events.clear();
    m_window->OnCommand(ID_HELP_CONTENTS);
    m_window->OnCommand(ID_HELP_TOPIC);
    m_window->OnCommand(ID_ABOUT);
    m_desktop.opens = false;
    m_window->OnCommand(ID_WEB_PAGE);
    ASSERT_EQ(m_events.size(), 5u);
    EXPECT_EQ(m_events[0], "open: ctx-20082");
    EXPECT_EQ(m_events[1], "open: ctx-20081");
    EXPECT_EQ(m_events[2].rfind("about: Orvanta\nDial-up", 0), 0u) << m_events[2];
    EXPECT_EQ(m_events[3], "open: ");
    EXPECT_EQ(m_events[4].rfind("warning: The web page cannot be opened", 0), 0u) << m_events[4];
    // Until their windows exist, the options and the main frame are the hooks' business.
    EXPECT_TRUE(m_window->OnCommand(ID_OPTIONS));
    EXPECT_TRUE(m_window->OnCommand(ID_OPEN_MAIN));
    EXPECT_EQ(m_events.back(), "main frame");
}

TEST_F(AppWindowTest, HangUpAllAsksUnlessTheSettingSaysNot) {
    m_ras.SetUserName("Work ISP", "bob");  // a phone-book entry
    Create();
    m_ras.Add("Work ISP", RASCS_Connected);
    ASSERT_TRUE(HandleUntil([&] { return m_events.size() == 2; }));
    m_events.clear();
    m_window->OnCommand(ID_HANGUP_ALL);  // answered No
    EXPECT_EQ(m_events, (Events{"ask: Hang up the connection Work ISP?"}));
    EXPECT_EQ(m_ras.EnumerationCalls() > 0, true);

    m_events.clear();
    m_settings.NotPromptHangUp = 1;
    m_window->OnCommand(ID_HANGUP_ALL);
    ASSERT_TRUE(HandleUntil([&] { return !m_events.empty(); }));
    EXPECT_EQ(m_events, (Events{"ended 128 Orvanta - watching connections"}));
}

TEST_F(AppWindowTest, AProgramThatCannotStartIsANotification) {
    const std::string missing = m_home.File("no-such-program");
    m_settings.Programs = {{missing, 0, 0}};
    Create();
    m_ras.Add("Work ISP", RASCS_Connected);
    ASSERT_TRUE(HandleUntil([&] { return m_events.size() == 2; }));
    EXPECT_EQ(m_window->Tray().LastNotification().toStdString(),
              "The program cannot be started.: " + missing + ": no such file");
}

TEST_F(AppWindowTest, AChangeOfLanguageRebuildsTheMenuTipListsAndShortcuts) {
    Create();
    m_ras.Add("Work ISP", RASCS_Connected);
    ASSERT_TRUE(HandleUntil([&] { return m_events.size() == 2; }));

    ASSERT_TRUE(m_packs.SwitchTo(kPackSlovak));
    m_window->OnLanguageChanged();
    EXPECT_EQ(MenuItem(ID_MONITOR_TOGGLE)->text(), "&Zastaviť sledovanie");
    EXPECT_EQ(m_window->Tray().Tip(), "Orvanta - pripojené k Work ISP");
    EXPECT_EQ(m_settings.ListUsers.items.at(0), "Všetci používatelia");
    // The applications menu is in the test's own XDG data folder.
    const std::string readme =
        test::ReadFileOrEmpty(m_home.File("data/applications/Orvanta/Readme.desktop"));
    EXPECT_NE(readme.find("Slovak/Citajma.txt"), std::string::npos) << readme;
}

/// The display's context-menu command that hangs up the connection it shows.
constexpr unsigned kHangUpShown = 3026;

/// The live display windows that exist now.
std::vector<LiveDisplayWindow*> DisplayWindows() {
    std::vector<LiveDisplayWindow*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* display = qobject_cast<LiveDisplayWindow*>(widget)) {
            windows.push_back(display);
        }
    }
    return windows;
}

TEST_F(AppWindowTest, TheLiveDisplayOpensWithACallTogglesAndClosesAtItsEnd) {
    m_ras.SetUserName("Work ISP", "bob");  // a phone-book entry, for the hang-up
    m_settings.ShowEvnWnd = 1;
    const PackUiResources resources(m_packs);
    MeteringWindows windows(m_settings, resources, m_metering, nullptr);
    Create();
    m_window->SetMeteringWindows(&windows);
    EXPECT_FALSE(MenuItem(ID_DISPLAY_TOGGLE)->isEnabled());

    const HRASCONN line = m_ras.Add("Work ISP", RASCS_Connected);
    ASSERT_TRUE(HandleUntil([&] { return windows.Display() != nullptr; }));
    ASSERT_EQ(DisplayWindows().size(), 1u);
    EXPECT_TRUE(DisplayWindows().front()->isVisible());
    EXPECT_TRUE(MenuItem(ID_DISPLAY_TOGGLE)->isEnabled());
    EXPECT_EQ(MenuItem(ID_DISPLAY_TOGGLE)->text(), "Hide &live display");

    // 3203 from the menu hides it and shows it again; the display keeps existing meanwhile.
    MenuItem(ID_DISPLAY_TOGGLE)->trigger();
    EXPECT_FALSE(windows.Display()->isVisible());
    EXPECT_EQ(MenuItem(ID_DISPLAY_TOGGLE)->text(), "Show &live display");
    EXPECT_TRUE(MenuItem(ID_DISPLAY_TOGGLE)->isEnabled());
    EXPECT_TRUE(m_window->OnCommand(ID_DISPLAY_TOGGLE));
    EXPECT_TRUE(windows.Display()->isVisible());
    EXPECT_EQ(MenuItem(ID_DISPLAY_TOGGLE)->text(), "Hide &live display");

    // The window's commands reach the application window; its hang-up of the shown
    // connection asks first (answered No here).
    m_events.clear();
    windows.Display()->ContextCommand(ID_OPEN_MAIN);
    windows.Display()->ContextCommand(kHangUpShown);
    ASSERT_TRUE(HandleUntil([&] { return m_events.size() == 2; }));
    EXPECT_EQ(m_events, (Events{"main frame", "ask: Hang up the connection Work ISP?"}));
    EXPECT_EQ(DisplayWindows().size(), 1u);

    // Without the question the shown connection is hung up and the display goes with the call.
    m_settings.NotPromptHangUp = 1;
    m_events.clear();
    windows.Display()->ContextCommand(kHangUpShown);
    ASSERT_TRUE(HandleUntil([&] { return DisplayWindows().empty(); }));
    EXPECT_EQ(windows.Display(), nullptr);
    EXPECT_EQ(m_events, (Events{"ended 128 Orvanta - watching connections"}));
    EXPECT_FALSE(MenuItem(ID_DISPLAY_TOGGLE)->isEnabled());
    EXPECT_FALSE(m_window->OnCommand(ID_DISPLAY_TOGGLE));
    (void)line;
}

TEST_F(AppWindowTest, TheEndOfACallClosesTheLiveDisplayAndTheNextOpensANewOne) {
    m_settings.ShowEvnWnd = 1;
    const PackUiResources resources(m_packs);
    MeteringWindows windows(m_settings, resources, m_metering, nullptr);
    Create();
    m_window->SetMeteringWindows(&windows);
    for (int call = 0; call < 2; ++call) {
        const HRASCONN line = m_ras.Add("Work ISP", RASCS_Connected);
        ASSERT_TRUE(HandleUntil([&] { return DisplayWindows().size() == 1; })) << call;
        m_ras.Remove(line);
        ASSERT_TRUE(HandleUntil([&] { return DisplayWindows().empty(); })) << call;
        EXPECT_FALSE(MenuItem(ID_DISPLAY_TOGGLE)->isEnabled()) << call;
    }
    m_window->SetMeteringWindows(nullptr);
}

}  // namespace
}  // namespace ov
