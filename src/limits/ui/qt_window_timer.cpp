#include "limits/ui/qt_window_timer.h"

#include <QTimer>

namespace ov {

QtWindowTimer::QtWindowTimer(std::function<void(unsigned id)> expired, QObject* parent)
    : QObject(parent), m_expired(std::move(expired)) {}

QtWindowTimer::~QtWindowTimer() = default;

bool QtWindowTimer::SetTimer(unsigned id, unsigned periodMs) {
    auto& timer = m_timers[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        timer->setTimerType(Qt::PreciseTimer);  // a second of the countdown is a second
        connect(timer.get(), &QTimer::timeout, this, [this, id] {
            // The handler may kill this very timer; it is looked up again each time.
            if (IsSet(id)) {
                m_expired(id);
            }
        });
    }
    timer->start(static_cast<int>(periodMs));
    return timer->isActive();
}

void QtWindowTimer::KillTimer(unsigned id) {
    const auto it = m_timers.find(id);
    if (it != m_timers.end()) {
        it->second->stop();
        // Deleted later: the kill may come from inside this timer's own expiry.
        it->second.release()->deleteLater();
        m_timers.erase(it);
    }
}

}  // namespace ov
