#pragma once

#include <cstdint>
#include <string>

#include "limits/window_timer.h"
#include "settings/settings.h"

namespace ov {

/// The limit notification without its window: the hang-up countdown shown on the OK button
/// and the outcome. The dialog that shows the message drives it from its own events.
class LimitNotifyDialog {
public:
    static constexpr unsigned kTimerId = 32826;
    static constexpr unsigned kTickMs = 1000;

    /// How the notification ended; the numbers are the dialog results of the two buttons.
    enum class Result : int { Open = 0, Ok = 1, Cancel = 2 };

    /// Takes auto-hang-up from HangUpAutomatically and the countdown from HangUpTimeout.
    /// `timer` and `hangUp` must outlive the dialog.
    LimitNotifyDialog(const SettingsValues& settings, WindowTimer& timer, HangUpService& hangUp);
    ~LimitNotifyDialog();
    LimitNotifyDialog(const LimitNotifyDialog&) = delete;
    LimitNotifyDialog& operator=(const LimitNotifyDialog&) = delete;

    /// The dialog is shown: keeps the OK button's caption and starts the countdown.
    void OnInitDialog(std::string okCaption);
    /// One second of the countdown: the caption shows what is left, then one is taken off;
    /// below 0 every connection is hung up without asking and the dialog ends with OK.
    void OnTimer();
    /// OK or Cancel pressed: the countdown stops and the dialog ends with that button.
    void OnButton(Result button);
    /// The window goes away: the countdown, if still running, stops.
    void OnDestroy();

    bool autoHangUp() const { return m_autoHangUp; }
    std::int32_t remaining() const { return m_remaining; }
    /// The OK button's caption as it reads now.
    const std::string& okText() const { return m_okText; }
    Result result() const { return m_result; }
    bool ended() const { return m_result != Result::Open; }

private:
    void ShowRemaining();
    void StopCountdown();

    WindowTimer& m_timer;
    HangUpService& m_hangUp;
    std::int32_t m_autoHangUp;
    std::int32_t m_remaining;
    std::string m_okCaption;  // as the template gave it
    std::string m_okText;
    bool m_timerSet = false;
    Result m_result = Result::Open;
};

/// Opens the notification: no rule is evaluated until FinishLimitNotification.
void BeginLimitNotification();
/// Closes it: rules are evaluated again. True when `result` asks for ID_HANGUP_ALL to follow.
bool FinishLimitNotification(LimitNotifyDialog::Result result);

}  // namespace ov
