#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "limits/limit_tracker.h"
#include "limits/window_commands.h"  // ID_HANGUP_ALL, ID_LIMIT_NOTIFY
#include "limits/window_timer.h"
#include "platform/clock.h"
#include "settings/settings.h"
#include "tariff/tariff_meter.h"

namespace ov {

/// The colour of the unit bar's last 15 pixels: pure red (COLORREF 0x00BBGGRR).
inline constexpr COLORREF kBarEndColour = 0x0000FF;

/// The filled part of the unit bar, in client pixels: from (2, 31) to (filledRight, 35) in
/// `filledColour`, the rest up to (restRight, 35) in the background colour.
struct UnitBar {
    int filled = 0;  // length of the filled part
    int filledRight = 2;
    int restRight = 2;
    COLORREF filledColour = 0;
};

/// What one tick changed, so that the window repaints only that.
struct DisplayTick {
    bool newUnit = false;  // a charging unit began: the prices changed
    bool fired = false;    // a limit rule fired
};

/// A number of seconds as the live display shows it: "hh:mm:ss" below 100 hours,
/// "hhh:mm" below 10000 hours, then the hours alone.
std::string DisplayTimeText(std::int32_t seconds);

/// The live display without its drawing: meters the connection shown with its TariffMeter,
/// tracks the current call and the running total with two LimitTrackers, ticks once a second
/// and evaluates the limit rule at each tick, and makes the texts and the bar the window draws.
class LiveDisplayCtrl {
public:
    static constexpr unsigned kTimerId = 32823;
    static constexpr unsigned kTickMs = 1000;
    /// Shown in place of each time while not running: it covers the longest value drawn.
    static constexpr const char* kBlankTime = "                      ";

    /// `settings` (the limit rule, the totals, the tariff and the colours), `texts` (the
    /// current pack's, for the limit messages), `clock` and `timer` must outlive the control.
    /// `notify` is called when a rule fired, after the tick's work, in place of posting
    /// ID_LIMIT_NOTIFY; it may be empty.
    LiveDisplayCtrl(SettingsValues& settings, const TextSource& texts, const Clock& clock,
                    WindowTimer& timer, std::function<void()> notify = {});
    ~LiveDisplayCtrl();
    LiveDisplayCtrl(const LiveDisplayCtrl&) = delete;
    LiveDisplayCtrl& operator=(const LiveDisplayCtrl&) = delete;

    /// Starts (or restarts) metering the connection `connectionName` that began at
    /// `startTime`: the current tracker from 0, the total tracker from the stored totals.
    void StartMetering(const std::string& connectionName, Time32 startTime);
    /// Stops the tick; the values stay as they were.
    void StopMetering();

    /// The once-a-second tick: meter, message cleared, the rule, then the notification.
    DisplayTick Tick();
    /// The active price rule, evaluated at ticks at which a unit began. Sets LimitMessage.
    bool EvaluatePriceRule();
    /// The active time rule. Sets LimitMessage.
    bool EvaluateTimeRule();

    bool running() const { return m_running; }
    const std::string& connectionName() const { return m_connectionName; }
    const TariffMeter& meter() const { return m_meter; }
    const LimitTracker& currentTracker() const { return m_current; }
    const LimitTracker& totalTracker() const { return m_total; }

    /// The fixed caption over the prices: the short currency name.
    const std::string& priceCaption() const { return m_priceCaption; }
    COLORREF textColour() const { return m_textColour; }
    COLORREF backgroundColour() const { return m_backgroundColour; }

    /// A price in the bare number format, followed by six blanks that overwrite the tail of
    /// a longer previous text.
    std::string PriceText(float price) const;
    /// The four values shown; the times are blank while not running.
    std::string CurrentTimeText() const;
    std::string TotalTimeText() const;
    std::string CurrentPriceText() const { return PriceText(m_current.TrackedPrice()); }
    std::string TotalPriceText() const { return PriceText(m_total.TrackedPrice()); }
    /// The unit bar of a control `width` pixels wide: full at the start of a unit, empty at
    /// its end, in the bar-end colour once 15 pixels or fewer are left.
    UnitBar Bar(int width) const;

private:
    SettingsValues& m_settings;
    const TextSource& m_texts;
    WindowTimer& m_timer;
    std::function<void()> m_notify;
    TariffMeter m_meter;
    LimitTracker m_current;
    LimitTracker m_total;
    std::string m_connectionName;
    COLORREF m_textColour;
    COLORREF m_backgroundColour;
    std::string m_priceCaption;
    bool m_running = false;
};

}  // namespace ov
