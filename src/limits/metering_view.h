#pragma once

#include <optional>
#include <string>

#include "limits/limit_notify_dialog.h"
#include "limits/live_display_ctrl.h"

namespace ov {

/// The windows of the metering, as the host opens, updates and closes them. The tray program
/// gives the host one; without it the host meters as a program without windows does.
class MeteringView {
public:
    virtual ~MeteringView() = default;

    /// The display was made for a connection, or its metering restarted for a new one: show
    /// it (making its window the first time) and draw it whole.
    virtual void DisplayStarted(const LiveDisplayCtrl& display) = 0;
    /// One tick of the display: repaint what `tick` says changed.
    virtual void DisplayTicked(const DisplayTick& tick) = 0;
    /// The display goes away: its window keeps its position in the settings and closes. The
    /// host saves the event settings after this.
    virtual void DisplayClosing() = 0;

    /// A rule fired: show `message` with the notification's OK and Cancel buttons. Gives the
    /// OK button's caption as its template has it when a window now shows them and its
    /// buttons answer the notification (MeteringHost::AnswerNotification); nothing when
    /// nobody can answer it.
    virtual std::optional<std::string> NotificationOpened(const std::string& message) = 0;
    /// The countdown moved: the OK button's caption is the notification's okText().
    virtual void NotificationChanged(const LimitNotifyDialog& notification) = 0;
    /// The notification ended (a button, the countdown, or the display going away).
    virtual void NotificationClosed() = 0;
};

}  // namespace ov
