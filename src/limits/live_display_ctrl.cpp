#include "limits/live_display_ctrl.h"

#include <cstdio>

#include "tariff/price_format.h"

namespace ov {

namespace {

/// Blanks after each price: they overwrite the tail of a longer text drawn before.
constexpr const char* kPriceTail = "      ";

/// The bar's margins inside the control, in pixels.
constexpr int kBarLeft = 2;
constexpr int kBarMargins = 4;
/// At this filled length or less the bar shows the bar-end colour.
constexpr int kBarEndLength = 15;

}  // namespace

std::string DisplayTimeText(std::int32_t seconds) {
    const std::int32_t hours = seconds / 3600;
    const std::int32_t minutes = seconds % 3600 / 60;
    char text[48];
    if (hours < 100) {
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", hours, minutes, seconds % 60);
    } else if (hours < 10000) {
        std::snprintf(text, sizeof text, "%02d:%02d", hours, minutes);
    } else {
        std::snprintf(text, sizeof text, "%02d", hours);
    }
    return text;
}

LiveDisplayCtrl::LiveDisplayCtrl(SettingsValues& settings, const TextSource& texts,
                                 const Clock& clock, WindowTimer& timer,
                                 std::function<void()> notify)
    : m_settings(settings),
      m_texts(texts),
      m_timer(timer),
      m_notify(std::move(notify)),
      m_meter(clock),
      m_current(settings),
      m_total(settings),
      m_textColour(settings.EventColors[kEventValueText]),
      m_backgroundColour(settings.EventColors[kEventBackground]),
      m_priceCaption(settings.CurrentTariff.CurrShort) {}

LiveDisplayCtrl::~LiveDisplayCtrl() {
    StopMetering();
}

void LiveDisplayCtrl::StartMetering(const std::string& connectionName, Time32 startTime) {
    m_connectionName = connectionName;
    m_meter.Start(m_settings.CurrentTariff, startTime);
    m_current.Init(&m_meter, 0, 0.0f);
    m_total.Init(&m_meter, m_settings.EventTotTime, m_settings.EventTotPrice);
    if (m_timer.SetTimer(kTimerId, kTickMs)) {
        m_running = true;
    }
}

void LiveDisplayCtrl::StopMetering() {
    if (m_running) {
        m_running = false;
        m_timer.KillTimer(kTimerId);
    }
}

DisplayTick LiveDisplayCtrl::Tick() {
    DisplayTick tick;
    tick.newUnit = m_meter.Tick();
    LimitMessage.clear();
    // The price changes only when a unit begins, so a price rule is looked at only then.
    if (tick.newUnit) {
        tick.fired = EvaluatePriceRule();
    }
    if (!tick.fired) {
        tick.fired = EvaluateTimeRule();
    }
    if (tick.fired && m_notify) {
        m_notify();
    }
    return tick;
}

bool LiveDisplayCtrl::EvaluatePriceRule() {
    if (limitChecksSuspended || m_settings.EventType < 2) {
        return false;
    }
    const auto kind = static_cast<LimitKind>(m_settings.EventType);
    LimitTracker* tracker = nullptr;
    if (kind == LimitKind::CurrentPrice) {
        tracker = &m_current;
    } else if (kind == LimitKind::TotalPrice) {
        tracker = &m_total;
    } else {
        return false;  // no rule of that number
    }
    if (!tracker->CheckPrice(m_settings.EventPrice)) {
        return false;
    }
    const std::string price = FormatPrice(m_settings.CurrentTariff, m_settings.EventPrice);
    if (kind == LimitKind::TotalPrice) {
        // The total counts again from here; the call-log writer adds the whole call later.
        m_settings.EventTotTime = 0;
        m_settings.EventTotPrice = 0.0f;
    }
    LimitMessage = PriceLimitMessage(m_texts, kind, price);
    return true;
}

bool LiveDisplayCtrl::EvaluateTimeRule() {
    if (limitChecksSuspended || m_settings.EventType > 1 || m_settings.EventType < 0) {
        return false;
    }
    const auto kind = static_cast<LimitKind>(m_settings.EventType);
    const TimeUnit unit = TimeUnitOf(m_settings.EventValueType);
    if (kind == LimitKind::CurrentTime) {
        if (!m_current.CheckTime(m_settings.EventTime, unit)) {
            return false;
        }
    } else {
        if (!m_total.CheckTime(m_settings.EventTime, unit)) {
            return false;
        }
        m_settings.EventTotTime = 0;
        m_settings.EventTotPrice = 0.0f;
    }
    LimitMessage = TimeLimitMessage(m_texts, kind, m_settings.EventTime, unit);
    return true;
}

std::string LiveDisplayCtrl::PriceText(float price) const {
    return FormatNumber(m_settings.CurrentTariff, price) + kPriceTail;
}

std::string LiveDisplayCtrl::CurrentTimeText() const {
    return m_running ? DisplayTimeText(m_current.TrackedTime()) : kBlankTime;
}

std::string LiveDisplayCtrl::TotalTimeText() const {
    return m_running ? DisplayTimeText(m_total.TrackedTime()) : kBlankTime;
}

UnitBar LiveDisplayCtrl::Bar(int width) const {
    const std::int32_t length = m_meter.unitSeconds();
    const std::int32_t elapsed = m_meter.elapsedInUnit();
    const int inner = width - kBarMargins;
    UnitBar bar;
    if (length != 0 && inner > 0) {
        const double left = static_cast<double>(length - elapsed) * inner / length;
        // A tick that came late can leave more than a unit elapsed: the bar is then empty,
        // never a rectangle turned inside out.
        bar.filled = left <= 0.0 ? 0 : left >= inner ? inner : static_cast<int>(left);
    }
    bar.filledRight = kBarLeft + bar.filled;
    bar.restRight = width - kBarLeft;
    bar.filledColour =
        bar.filled > kBarEndLength ? m_settings.EventColors[kEventBar] : kBarEndColour;
    return bar;
}

}  // namespace ov
