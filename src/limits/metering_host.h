#pragma once

#include <functional>
#include <memory>
#include <string>

#include "limits/limit_notify_dialog.h"
#include "limits/live_display_ctrl.h"
#include "limits/metering_view.h"
#include "limits/window_timer.h"
#include "platform/clock.h"
#include "settings/settings.h"

namespace ov {

/// What the application window does for the live display and the limit notification, for a
/// program without windows: opens the display (metering) on a connect event when ShowEvnWnd is
/// set, closes it on any ended call, forwards the timers, runs the notification with its
/// countdown when a rule fires, and hangs up as the notification's outcome asks.
class MeteringHost {
public:
    struct Hooks {
        /// A rule fired; called with its message as the notification opens.
        std::function<void(const std::string& message)> limit;
        /// The display closed: the event settings (totals included) are to be written.
        std::function<void()> saveEvents;
    };

    /// `settings`, `texts` (the current pack's: the limit messages), `clock`, `timer` and
    /// `hangUp` must outlive the host.
    MeteringHost(SettingsValues& settings, const TextSource& texts, const Clock& clock,
                 WindowTimer& timer, HangUpService& hangUp, Hooks hooks);
    ~MeteringHost();
    MeteringHost(const MeteringHost&) = delete;
    MeteringHost& operator=(const MeteringHost&) = delete;

    /// A call is being dialled: display start.
    void OnDialing(const std::string& entryName, Time32 startTime);
    /// A call is up: display start unless one was made for this call already.
    void OnConnected(const std::string& entryName, Time32 startTime);
    /// Any call ended: display end; the next call is displayed from its first event.
    void OnEnded();

    /// Opens the display (with ShowEvnWnd set) and (re)starts metering the connection.
    void DisplayStart(const std::string& entryName, Time32 startTime);
    /// Stops metering, closes the display and has the event settings saved.
    void DisplayEnd();

    /// An expiry of timer `id` of the host's window.
    void OnTimer(unsigned id);
    /// Ends an open notification as its Cancel button does: no hang-up follows.
    void CancelNotification();
    /// A button of the notification's window was pressed: OK hangs up, Cancel does not.
    void AnswerNotification(LimitNotifyDialog::Result button);

    /// The windows of the display and the notification from here on; null for none. The view
    /// must outlive the host or be taken away first.
    void SetView(MeteringView* view) { m_view = view; }

    /// The display, or null while there is none.
    const LiveDisplayCtrl* display() const { return m_display.get(); }
    /// The open notification, or null.
    const LimitNotifyDialog* notification() const { return m_notification.get(); }
    bool displayOpened() const { return m_displayOpened; }

private:
    void OpenNotification();
    void CloseNotificationIfEnded();

    SettingsValues& m_settings;
    const TextSource& m_texts;
    const Clock& m_clock;
    WindowTimer& m_timer;
    HangUpService& m_hangUp;
    Hooks m_hooks;
    MeteringView* m_view = nullptr;
    std::unique_ptr<LiveDisplayCtrl> m_display;
    std::unique_ptr<LimitNotifyDialog> m_notification;
    bool m_displayOpened = false;
    bool m_notifyPending = false;  // the tick asked for the notification
};

}  // namespace ov
