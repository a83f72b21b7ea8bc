#pragma once

#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>
#include <string>

#include "limits/metering_view.h"
#include "settings/settings.h"

namespace ov {

class DesktopNotifier;
class LimitNotifyWindow;
class LiveDisplayWindow;
class MeteringHost;
class UiResources;

/// The windows of the metering for the tray program: the live display window while a call is
/// metered and the limit notification's window with a desktop notification when a rule fires.
/// The host opens, updates and closes them; the tray program toggles the display, passes on a
/// change of pack and carries out the commands the windows send.
class MeteringWindows final : public QObject, public MeteringView {
    Q_OBJECT
public:
    /// `settings`, `resources` and `host` must outlive this; `notifier` may be null (no desktop
    /// notifications) and must outlive this otherwise. Sets itself as the host's view.
    MeteringWindows(SettingsValues& settings, const UiResources& resources, MeteringHost& host,
                    DesktopNotifier* notifier);
    ~MeteringWindows() override;

    /// The display window; null while there is none.
    LiveDisplayWindow* Display() const { return m_display; }
    /// The notification's window; null while none is open.
    LimitNotifyWindow* Notification() const { return m_notification.get(); }
    /// Shows the display when hidden, hides it when shown; false when there is no display.
    bool ToggleDisplay();
    /// The language pack changed: the display reloads its icons and draws again.
    void ReloadPack();

    void DisplayStarted(const LiveDisplayCtrl& display) override;
    void DisplayTicked(const DisplayTick& tick) override;
    void DisplayClosing() override;
    std::optional<std::string> NotificationOpened(const std::string& message) override;
    void NotificationChanged(const LimitNotifyDialog& notification) override;
    void NotificationClosed() override;

Q_SIGNALS:
    /// A command of the windows for the application window (ID_HANGUP_ALL, ID_OPEN_MAIN, ...),
    /// delivered from the event loop, never from inside a window's own handler.
    void command(unsigned id);
    /// The display's menu asks to hang up the connection it shows.
    void hangUpEntry(const QString& entryName);

private:
    SettingsValues& m_settings;
    const UiResources& m_resources;
    MeteringHost& m_host;
    DesktopNotifier* m_notifier;
    QPointer<LiveDisplayWindow> m_display;
    std::unique_ptr<LimitNotifyWindow> m_notification;
};

}  // namespace ov
