#include "limits/metering_host.h"

#include "limits/limit_tracker.h"

namespace ov {

MeteringHost::MeteringHost(SettingsValues& settings, const TextSource& texts, const Clock& clock,
                           WindowTimer& timer, HangUpService& hangUp, Hooks hooks)
    : m_settings(settings),
      m_texts(texts),
      m_clock(clock),
      m_timer(timer),
      m_hangUp(hangUp),
      m_hooks(std::move(hooks)) {}

MeteringHost::~MeteringHost() {
    if (m_notification) {
        m_notification->OnDestroy();
        m_notification.reset();
        FinishLimitNotification(LimitNotifyDialog::Result::Cancel);
    }
}

void MeteringHost::OnDialing(const std::string& entryName, Time32 startTime) {
    DisplayStart(entryName, startTime);
}

void MeteringHost::OnConnected(const std::string& entryName, Time32 startTime) {
    if (!m_displayOpened) {
        DisplayStart(entryName, startTime);
    }
}

void MeteringHost::OnEnded() {
    DisplayEnd();
    // Each call gets its display, also one first seen when it was up already.
    m_displayOpened = false;
}

void MeteringHost::DisplayStart(const std::string& entryName, Time32 startTime) {
    if (m_settings.ShowEvnWnd == 0) {
        return;
    }
    m_displayOpened = true;
    if (!m_display) {
        m_display = std::make_unique<LiveDisplayCtrl>(m_settings, m_texts, m_clock, m_timer,
                                                      [this] { m_notifyPending = true; });
    }
    m_display->StartMetering(entryName, startTime);
    if (m_view != nullptr) {
        m_view->DisplayStarted(*m_display);
    }
}

void MeteringHost::DisplayEnd() {
    if (!m_display) {
        return;
    }
    m_display->StopMetering();
    if (m_view != nullptr) {
        m_view->DisplayClosing();  // the window's position goes with the event settings
    }
    m_display.reset();
    if (m_hooks.saveEvents) {
        m_hooks.saveEvents();
    }
}

void MeteringHost::OnTimer(unsigned id) {
    if (id == LiveDisplayCtrl::kTimerId) {
        if (!m_display || !m_display->running()) {
            return;  // an expiry queued before the display stopped
        }
        const DisplayTick tick = m_display->Tick();
        if (m_view != nullptr) {
            m_view->DisplayTicked(tick);
        }
        if (m_notifyPending) {
            m_notifyPending = false;
            OpenNotification();
        }
    } else if (id == LimitNotifyDialog::kTimerId && m_notification) {
        m_notification->OnTimer();
        if (m_view != nullptr) {
            m_view->NotificationChanged(*m_notification);
        }
        CloseNotificationIfEnded();
    }
}

void MeteringHost::CancelNotification() {
    AnswerNotification(LimitNotifyDialog::Result::Cancel);
}

void MeteringHost::AnswerNotification(LimitNotifyDialog::Result button) {
    if (m_notification) {
        m_notification->OnButton(button);
        if (m_view != nullptr) {
            m_view->NotificationChanged(*m_notification);
        }
        CloseNotificationIfEnded();
    }
}

void MeteringHost::OpenNotification() {
    if (m_notification) {
        return;  // rules are not evaluated while one is open, so this cannot normally happen
    }
    BeginLimitNotification();
    if (m_hooks.limit) {
        m_hooks.limit(LimitMessage);
    }
    m_notification = std::make_unique<LimitNotifyDialog>(m_settings, m_timer, m_hangUp);
    std::optional<std::string> okCaption;
    if (m_view != nullptr) {
        okCaption = m_view->NotificationOpened(LimitMessage);
    }
    m_notification->OnInitDialog(okCaption ? *okCaption : "OK");
    if (!okCaption && m_notification->autoHangUp() == 0) {
        // Without the countdown there is no one to press a button: the notification is
        // only the message, and rules are evaluated again at once.
        m_notification->OnButton(LimitNotifyDialog::Result::Cancel);
    }
    CloseNotificationIfEnded();
}

void MeteringHost::CloseNotificationIfEnded() {
    if (!m_notification || !m_notification->ended()) {
        return;
    }
    const auto result = m_notification->result();
    m_notification->OnDestroy();
    m_notification.reset();
    if (m_view != nullptr) {
        m_view->NotificationClosed();
    }
    if (FinishLimitNotification(result)) {
        // ID_HANGUP_ALL: asks before each connection unless NotPromptHangUp is set.
        m_hangUp.HangUpAll(m_settings.NotPromptHangUp == 0);
    }
}

}  // namespace ov
