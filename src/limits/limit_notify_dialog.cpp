#include "limits/limit_notify_dialog.h"

#include <cstdio>

#include "limits/limit_tracker.h"

namespace ov {

LimitNotifyDialog::LimitNotifyDialog(const SettingsValues& settings, WindowTimer& timer,
                                     HangUpService& hangUp)
    : m_timer(timer),
      m_hangUp(hangUp),
      m_autoHangUp(settings.HangUpAutomatically),
      m_remaining(settings.HangUpTimeout) {}

LimitNotifyDialog::~LimitNotifyDialog() {
    OnDestroy();
}

void LimitNotifyDialog::OnInitDialog(std::string okCaption) {
    m_okCaption = std::move(okCaption);
    m_okText = m_okCaption;
    if (m_autoHangUp != 0) {
        m_timerSet = m_timer.SetTimer(kTimerId, kTickMs);
    }
}

void LimitNotifyDialog::OnTimer() {
    if (m_autoHangUp == 0 || ended()) {
        return;  // an expiry queued before the countdown stopped
    }
    ShowRemaining();
    --m_remaining;
    if (m_remaining < 0) {
        m_autoHangUp = 0;
        StopCountdown();
        m_hangUp.HangUpAll(false);
        m_result = Result::Ok;
    }
}

void LimitNotifyDialog::OnButton(Result button) {
    if (ended() || button == Result::Open) {
        return;
    }
    if (m_autoHangUp != 0) {
        ShowRemaining();
        StopCountdown();
    }
    m_result = button;
}

void LimitNotifyDialog::OnDestroy() {
    if (m_autoHangUp != 0) {
        StopCountdown();
    }
}

void LimitNotifyDialog::ShowRemaining() {
    char number[16];
    std::snprintf(number, sizeof number, "=%d", m_remaining);
    m_okText = m_okCaption + number;
}

void LimitNotifyDialog::StopCountdown() {
    if (m_timerSet) {
        m_timerSet = false;
        m_timer.KillTimer(kTimerId);
    }
}

void BeginLimitNotification() {
    limitChecksSuspended = true;
}

bool FinishLimitNotification(LimitNotifyDialog::Result result) {
    limitChecksSuspended = false;
    return result == LimitNotifyDialog::Result::Ok;
}

}  // namespace ov
