// The windows of the metering on the offscreen platform: the live display's drawing checked
// pixel by pixel on grabbed images, its position, the notification's countdown and its
// desktop notification on a private session bus.

#include "limits/ui/metering_windows.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QProcess>
#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>

#include "../limits_fakes.h"
#include "app/ui/pack_ui_resources.h"
#include "dialogs/ui/pack_menu.h"
#include "limits/metering_host.h"
#include "limits/ui/desktop_notifier.h"
#include "limits/ui/limit_notify_window.h"
#include "limits/ui/live_display_widget.h"
#include "limits/ui/live_display_window.h"
#include "limits/ui/qt_window_timer.h"
#include "notification_service.h"
#include "support/qt_application.h"

namespace ov {
namespace {

const auto* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::QtApplicationEnvironment<QApplication>);

class NoStore final : public LanguageSettingsStore {
public:
    std::optional<std::uint32_t> ReadCurrentLng() const override { return std::nullopt; }
    bool WriteCurrentLng(std::uint32_t) override { return true; }
    std::uint32_t SystemLanguage() const override { return 0; }
    std::string LanguageName(std::uint32_t) const override { return {}; }
};

/// Runs the event loop until `done` or two seconds have passed.
template <typename Condition>
bool WaitFor(Condition done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 2000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

const QColor kBackground(255, 255, 200);
const QColor kValues(83, 21, 6);
const QColor kBar(2, 62, 106);
const QColor kRed(255, 0, 0);

class MeteringWindowsTest : public test::LimitsTest {
protected:
    MeteringWindowsTest() : m_resources(m_packs) {
        m_packs.AddStandardPacks();
        EXPECT_TRUE(m_packs.SwitchTo(kPackEnglish));
        m_settings.EventWndX = 300;
        m_settings.EventWndY = 200;
        m_hooks.limit = [this](const std::string& message) { m_limits.push_back(message); };
        m_hooks.saveEvents = [this] {
            m_savedAt.emplace_back(m_settings.EventWndX, m_settings.EventWndY);
        };
    }

    /// One second on the clock and the expiries of the timers that are set.
    void Second(MeteringHost& host) {
        m_clock.Advance(1);
        const auto due = m_timer.set;
        for (const auto& [id, period] : due) {
            host.OnTimer(id);
        }
    }

    static QImage Grab(const MeteringWindows& windows) {
        return windows.Display()->Drawing()->grab().toImage();
    }

    /// The colour of the bar row's pixels from x 2 on, and how many there are.
    static std::pair<int, QColor> BarRun(const QImage& image) {
        int length = 0;
        QColor colour;
        for (int y = LiveDisplayWidget::kBarTop; y < LiveDisplayWidget::kBarBottom; ++y) {
            int row = 0;
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel == kBar || pixel == kRed) {
                    EXPECT_GE(x, 2) << "bar pixel left of its start";
                    colour = pixel;
                    ++row;
                }
            }
            if (y > LiveDisplayWidget::kBarTop) {
                EXPECT_EQ(row, length) << "row " << y;
            }
            length = row;
        }
        return {length, colour};
    }

    NoStore m_store;
    LanguagePacks m_packs{m_store};
    PackUiResources m_resources;
    MeteringHost::Hooks m_hooks;
    std::vector<std::string> m_limits;
    std::vector<std::pair<int, int>> m_savedAt;
};

TEST_F(MeteringWindowsTest, TheBarShrinksOverTheUnitAndTurnsRedAtFifteenPixels) {
    MeteringHost host(m_settings, m_packs, m_clock, m_timer, m_hangUp, m_hooks);
    MeteringWindows windows(m_settings, m_resources, host, nullptr);
    host.OnConnected("Demo ISP", kStart);
    ASSERT_NE(windows.Display(), nullptr);
    ASSERT_EQ(windows.Display()->Drawing()->width(), 104);  // the placeholder less its edge

    // A unit of 60 s over 100 pixels: n = (60 - elapsed) * 100 / 60, truncated.
    const struct {
        int second;
        int length;
        QColor colour;
    } cases[] = {{0, 100, kBar}, {1, 98, kBar}, {30, 50, kBar}, {50, 16, kBar},
                 {51, 15, kRed}, {59, 1, kRed}, {60, 100, kBar}};
    int now = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.second);
        while (now < c.second) {
            Second(host);
            ++now;
        }
        const QImage image = Grab(windows);
        const auto [length, colour] = BarRun(image);
        EXPECT_EQ(length, c.length);
        EXPECT_EQ(colour, c.colour);
        EXPECT_EQ(image.pixelColor(0, 0), kBackground);
        EXPECT_EQ(image.pixelColor(2 + c.length, LiveDisplayWidget::kBarTop), kBackground);
    }
}

TEST_F(MeteringWindowsTest, ValuesAndCaptionsAtTheirPlaces) {
    m_settings.EventUseNotification = 0;
    m_settings.EventTotTime = 3600;
    m_settings.EventTotPrice = 4.2f;
    MeteringHost host(m_settings, m_packs, m_clock, m_timer, m_hangUp, m_hooks);
    MeteringWindows windows(m_settings, m_resources, host, nullptr);
    host.OnConnected("Demo ISP", kStart);
    for (int s = 0; s < 83; ++s) {
        Second(host);
    }
    const QImage image = Grab(windows);
    if (const QString shots = qEnvironmentVariable("OV_SCREENSHOTS"); !shots.isEmpty()) {
        windows.Display()->grab().scaled(520, 160).save(shots +
                                                        QStringLiteral("/live-display.png"));
    }
    // Where each colour shows: values only right of x 30 and below y 10, captions in black.
    QRect values;
    QRect captions;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel == kValues) {
                values |= QRect(x, y, 1, 1);
            } else if (pixel == Qt::black) {
                captions |= QRect(x, y, 1, 1);
            }
        }
    }
    EXPECT_GE(values.left(), 30);
    EXPECT_GE(values.top(), 10);
    EXPECT_LT(values.bottom(), LiveDisplayWidget::kBarTop);
    EXPECT_GE(values.right(), 75);  // the prices too
    EXPECT_LE(captions.left(), 2);
    EXPECT_LE(captions.top(), 3);
    EXPECT_EQ(windows.Display()->Drawing()->accessibleName().toStdString(),
              "Now 00:01:23 2.00, Total 01:01:23 6.20");
}

TEST_F(MeteringWindowsTest, AHiddenDisplayKeepsMeteringAndTheWindowKeepsItsPlace) {
    MeteringHost host(m_settings, m_packs, m_clock, m_timer, m_hangUp, m_hooks);
    MeteringWindows windows(m_settings, m_resources, host, nullptr);
    host.OnDialing("Demo ISP", kStart);
    LiveDisplayWindow* window = windows.Display();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->pos(), QPoint(300, 200));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));

    EXPECT_TRUE(windows.ToggleDisplay());
    EXPECT_FALSE(window->isVisible());
    for (int s = 0; s < 5; ++s) {
        Second(host);
    }
    EXPECT_EQ(host.display()->currentTracker().TrackedTime(), 5);
    EXPECT_TRUE(windows.ToggleDisplay());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(BarRun(Grab(windows)).first, 91);  // 55 of 60 s left

    window->move(40, 50);
    host.OnEnded();
    EXPECT_EQ(windows.Display(), nullptr);
    // The position is kept before the event settings are saved.
    EXPECT_EQ(m_savedAt, (std::vector<std::pair<int, int>>{{40, 50}}));
    EXPECT_FALSE(windows.ToggleDisplay());
}

/// The regions of the paint events a widget gets.
class PaintRegions final : public QObject {
public:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            regions.push_back(static_cast<QPaintEvent*>(event)->region());
        }
        return false;
    }
    std::vector<QRegion> regions;
};

TEST_F(MeteringWindowsTest, EachTickRepaintsOnlyWhatChanged) {
    m_settings.EventUseNotification = 0;
    MeteringHost host(m_settings, m_packs, m_clock, m_timer, m_hangUp, m_hooks);
    MeteringWindows windows(m_settings, m_resources, host, nullptr);
    host.OnConnected("Demo ISP", kStart);
    QWidget* drawing = windows.Display()->Drawing();
    ASSERT_TRUE(WaitFor([&] { return windows.Display()->windowHandle()->isExposed(); }));
    QCoreApplication::processEvents();
    PaintRegions paints;
    drawing->installEventFilter(&paints);
    const QRegion timeAndBar = QRegion(30, 10, 49, 20) + QRegion(2, 31, 102, 4);
    const QRegion prices(75, 10, 29, 20);

    for (int s = 1; s <= 60; ++s) {
        paints.regions.clear();
        Second(host);
        SCOPED_TRACE(s);
        ASSERT_EQ(paints.regions.size(), 1u);  // at once, within the tick
        // The prices only when the second unit begins.
        EXPECT_EQ(paints.regions[0], s == 60 ? timeAndBar + prices : timeAndBar);
    }
    windows.ToggleDisplay();
    paints.regions.clear();
    Second(host);
    EXPECT_TRUE(paints.regions.empty());  // hidden: metered, not painted
}

TEST_F(MeteringWindowsTest, DraggedByItsBody) {
    MeteringHost host(m_settings, m_packs, m_clock, m_timer, m_hangUp, m_hooks);
    MeteringWindows windows(m_settings, m_resources, host, nullptr);
    host.OnDialing("Demo ISP", kStart);
    LiveDisplayWindow* window = windows.Display();
    QWidget* drawing = window->Drawing();
    const auto send = [&](QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(drawing->mapFromGlobal(global)), QPointF(global),
                          Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(drawing, &event);
    };
    // Offscreen the window system cannot move it: the window follows the mouse itself.
    send(QEvent::MouseButtonPress, {310, 210}, Qt::LeftButton);
    send(QEvent::MouseMove, {350, 260}, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {350, 260}, Qt::NoButton);
    send(QEvent::MouseMove, {400, 300}, Qt::NoButton);
    EXPECT_EQ(window->pos(), QPoint(340, 250));
}

TEST_F(MeteringWindowsTest, TheContextMenuIsThePacksWithItsTexts) {
    MeteringHost host(m_settings, m_packs, m_clock, m_timer, m_hangUp, m_hooks);
    MeteringWindows windows(m_settings, m_resources, host, nullptr);
    host.OnDialing("Demo ISP", kStart);
    const auto menu = windows.Display()->MakeContextMenu();
    ASSERT_TRUE(menu);
    ASSERT_NE(menu->defaultAction(), nullptr);
    EXPECT_EQ(menu->defaultAction()->data().toUInt(), 3211u);
    EXPECT_EQ(FindCommand(*menu, 3204)->text(), m_packs.Text(3337));
    EXPECT_EQ(FindCommand(*menu, 3203)->text(), m_packs.Text(3340));

    std::vector<unsigned> commands;
    QString hungUp;
    QObject::connect(&windows, &MeteringWindows::command,
                     [&](unsigned id) { commands.push_back(id); });
    QObject::connect(&windows, &MeteringWindows::hangUpEntry,
                     [&](const QString& name) { hungUp = name; });
    windows.Display()->ContextCommand(3026);
    windows.Display()->ContextCommand(3211);
    windows.Display()->ContextCommand(3203);
    EXPECT_TRUE(WaitFor([&] { return !commands.empty() && !hungUp.isEmpty(); }));
    EXPECT_EQ(hungUp, QStringLiteral("Demo ISP"));
    EXPECT_EQ(commands, std::vector<unsigned>{3211});
    EXPECT_FALSE(windows.Display()->isVisible());
}

class NotificationTest : public MeteringWindowsTest {
protected:
    NotificationTest() {
        // The current call's time over 2 seconds fires at the third second.
        m_settings.EventType = 1;
        m_settings.EventValueType = 2;
        m_settings.EventTime = 2;
        m_settings.HangUpTimeout = 3;
        m_settings.NotPromptHangUp = 1;
    }
    static QAbstractButton* Button(const MeteringWindows& windows, unsigned id) {
        return windows.Notification()->Window()->findChild<QAbstractButton*>(
            QStringLiteral("id%1").arg(id));
    }
};

TEST_F(NotificationTest, TheCountdownEndsInTheHangUp) {
    MeteringHost host(m_settings, m_packs, m_clock, m_timer, m_hangUp, m_hooks);
    MeteringWindows windows(m_settings, m_resources, host, nullptr);
    host.OnConnected("Demo ISP", kStart);
    for (int s = 0; s < 3; ++s) {
        Second(host);
    }
    ASSERT_NE(windows.Notification(), nullptr);
    QWidget* window = windows.Notification()->Window();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window->findChild<QLabel*>("id3386")->text().toStdString(),
              "Time of current connection is higher then 2 seconds");
    EXPECT_EQ(Button(windows, 1)->text(), QStringLiteral("OK"));
    for (const char* caption : {"OK=3", "OK=2", "OK=1", "OK=0"}) {
        EXPECT_TRUE(m_hangUp.calls.empty());
        Second(host);
        if (windows.Notification() != nullptr) {
            EXPECT_EQ(Button(windows, 1)->text().toStdString(), caption);
        }
    }
    // Below 0: everything hung up without a question, then the hang-up command.
    EXPECT_EQ(m_hangUp.calls, (std::vector<bool>{false, false}));
    EXPECT_EQ(windows.Notification(), nullptr);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(NotificationTest, CancelStopsTheCountdownAndOkHangsUp) {
    for (const unsigned button : {2u, 1u}) {
        SCOPED_TRACE(button);
        m_hangUp.calls.clear();
        m_settings.HangUpAutomatically = 1;
        MeteringHost host(m_settings, m_packs, m_clock, m_timer, m_hangUp, m_hooks);
        MeteringWindows windows(m_settings, m_resources, host, nullptr);
        host.OnConnected("Demo ISP", m_clock.Now());
        for (int s = 0; s < 4; ++s) {
            Second(host);
        }
        ASSERT_NE(windows.Notification(), nullptr);
        EXPECT_EQ(Button(windows, 1)->text(), QStringLiteral("OK=3"));
        Button(windows, button)->click();
        ASSERT_TRUE(WaitFor([&] { return windows.Notification() == nullptr; }));
        EXPECT_FALSE(m_timer.IsSet(LimitNotifyDialog::kTimerId));
        for (int s = 0; s < 5; ++s) {
            Second(host);
            if (windows.Notification() != nullptr) {
                break;  // the rule, re-armed, fires again
            }
        }
        EXPECT_EQ(m_hangUp.calls, button == 1 ? std::vector<bool>{false} : std::vector<bool>{});
        host.OnEnded();
    }
}

TEST_F(NotificationTest, WithoutTheCountdownTheWindowWaitsForItsAnswer) {
    m_settings.HangUpAutomatically = 0;
    MeteringHost host(m_settings, m_packs, m_clock, m_timer, m_hangUp, m_hooks);
    MeteringWindows windows(m_settings, m_resources, host, nullptr);
    host.OnConnected("Demo ISP", kStart);
    for (int s = 0; s < 10; ++s) {
        Second(host);
    }
    ASSERT_NE(windows.Notification(), nullptr);
    EXPECT_EQ(m_limits.size(), 1u);  // no rule while it is open
    EXPECT_EQ(Button(windows, 1)->text(), QStringLiteral("OK"));
    windows.Notification()->Window()->close();  // closing answers as Cancel
    ASSERT_TRUE(WaitFor([&] { return windows.Notification() == nullptr; }));
    EXPECT_TRUE(m_hangUp.calls.empty());
    EXPECT_FALSE(limitChecksSuspended);
}

// Each pack gives the windows its own texts; with OV_SCREENSHOTS set they are saved there to be
// looked at.
TEST_F(NotificationTest, EachPackGivesItsTexts) {
    const struct {
        std::uint32_t pack;
        const char* name;
        const char* cancel;
        const char* now;
        const char* message;
    } packs[] = {{kPackEnglish, "en", "Cancel", "Now",
                  "Time of current connection is higher then 2 seconds"},
                 {kPackSlovak, "sk", "Zrušiť", "Teraz", "Čas aktuálneho spojenia prekročil 2 s"}};
    const QString shots = qEnvironmentVariable("OV_SCREENSHOTS");
    m_settings.EventWndX = 600;  // top right, clear of the notification
    m_settings.EventWndY = 10;
    for (const auto& p : packs) {
        SCOPED_TRACE(p.name);
        ASSERT_TRUE(m_packs.SwitchTo(p.pack));
        MeteringHost host(m_settings, m_packs, m_clock, m_timer, m_hangUp, m_hooks);
        MeteringWindows windows(m_settings, m_resources, host, nullptr);
        host.OnConnected("Demo ISP", m_clock.Now());
        for (int s = 0; s < 4; ++s) {
            Second(host);
        }
        ASSERT_NE(windows.Notification(), nullptr);
        EXPECT_EQ(Button(windows, 2)->text(), QString::fromUtf8(p.cancel));
        // The message is the pack's, in the window and for the desktop notification.
        EXPECT_EQ(windows.Notification()->Window()->findChild<QLabel*>("id3386")->text(),
                  QString::fromUtf8(p.message));
        ASSERT_FALSE(m_limits.empty());
        EXPECT_EQ(m_limits.back(), p.message);
        EXPECT_TRUE(windows.Display()->Drawing()->accessibleName().startsWith(
            QString::fromUtf8(p.now) + u' '));
        EXPECT_FALSE(windows.Display()
                         ->findChild<QWidget*>(QStringLiteral("id3388"))
                         ->accessibleName()
                         .isEmpty());
        if (!shots.isEmpty()) {
            const QString prefix = shots + u'/' + QLatin1String(p.name);
            windows.Display()->grab().scaled(520, 160).save(prefix +
                                                            QStringLiteral("-display.png"));
            windows.Notification()->Window()->grab().save(prefix +
                                                          QStringLiteral("-notification.png"));
            WaitFor([] { return false; });  // let the window system show them
            if (QScreen* screen = QGuiApplication::primaryScreen()) {
                screen->grabWindow(0).save(prefix + QStringLiteral("-screen.png"));
            }
        }
        host.AnswerNotification(LimitNotifyDialog::Result::Cancel);
        host.OnEnded();
    }
}

TEST(QtWindowTimer, ExpiresWithItsIdentifierAndCanBeKilledFromItsOwnExpiry) {
    std::vector<unsigned> expired;
    QtWindowTimer* self = nullptr;
    QtWindowTimer timers([&](unsigned id) {
        expired.push_back(id);
        if (id == 7) {
            self->KillTimer(7);  // the countdown's end kills its timer from its own tick
        }
    });
    self = &timers;
    ASSERT_TRUE(timers.SetTimer(7, 10));
    ASSERT_TRUE(timers.SetTimer(8, 10));
    ASSERT_TRUE(WaitFor([&] { return std::count(expired.begin(), expired.end(), 8u) >= 3; }));
    EXPECT_EQ(std::count(expired.begin(), expired.end(), 7u), 1);
    EXPECT_FALSE(timers.IsSet(7));
    timers.KillTimer(8);
    const std::size_t seen = expired.size();
    WaitFor([] { return false; });
    EXPECT_EQ(expired.size(), seen);
}

/// A session bus of the test's own.
class PrivateBus {
public:
    PrivateBus() {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"),
                        QStringLiteral("--print-address=1")});
        if (m_daemon.waitForStarted(5000) && m_daemon.waitForReadyRead(5000)) {
            m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        }
    }
    ~PrivateBus() {
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }
    QString Address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};

TEST_F(NotificationTest, TheLimitIsAlsoADesktopNotification) {
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
    // ThreadSanitizer's runtime (clang 14) aborts in a child that QProcess clones from a
    // process running Qt's threads; the notification is checked in the other builds.
    GTEST_SKIP() << "no child processes from Qt's threads under ThreadSanitizer";
#endif
#endif
    PrivateBus bus;
    ASSERT_FALSE(bus.Address().isEmpty()) << "no dbus-daemon";
    QDBusConnection client = QDBusConnection::connectToBus(bus.Address(), QStringLiteral("client"));
    ASSERT_TRUE(client.isConnected());
    DesktopNotifier notifier(client);

    // First without a notification service: the limit shows as ever.
    {
        m_settings.HangUpAutomatically = 0;
        MeteringHost host(m_settings, m_packs, m_clock, m_timer, m_hangUp, m_hooks);
        MeteringWindows windows(m_settings, m_resources, host, &notifier);
        host.OnConnected("Demo ISP", m_clock.Now());
        for (int s = 0; s < 3; ++s) {
            Second(host);
        }
        EXPECT_NE(windows.Notification(), nullptr);
        host.AnswerNotification(LimitNotifyDialog::Result::Cancel);
        host.OnEnded();
    }

    QDBusConnection serviceBus =
        QDBusConnection::connectToBus(bus.Address(), QStringLiteral("service"));
    test::NotificationService service;
    ASSERT_TRUE(serviceBus.registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                          &service, QDBusConnection::ExportScriptableSlots));
    ASSERT_TRUE(serviceBus.registerService(QStringLiteral("org.freedesktop.Notifications")));

    MeteringHost host(m_settings, m_packs, m_clock, m_timer, m_hangUp, m_hooks);
    MeteringWindows windows(m_settings, m_resources, host, &notifier);
    host.OnConnected("Demo ISP", m_clock.Now());
    for (int s = 0; s < 3; ++s) {
        Second(host);
    }
    ASSERT_TRUE(WaitFor([&] { return !service.received.empty(); }));
    const auto& note = service.received.front();
    EXPECT_EQ(note.appName, QStringLiteral("Orvanta"));
    EXPECT_EQ(note.summary, QStringLiteral("Orvanta"));
    EXPECT_EQ(note.body.toStdString(), "Time of current connection is higher then 2 seconds");
    EXPECT_EQ(note.urgency, 2);
    QDBusConnection::disconnectFromBus(QStringLiteral("service"));
    QDBusConnection::disconnectFromBus(QStringLiteral("client"));
}

}  // namespace
}  // namespace ov
