#pragma once

#include "limits/window_timer.h"

#include <QTimer>

#include <functional>
#include <map>
#include <memory>

namespace ov {

/// A window's timers on Qt's event loop: each expiry calls the receiver with the timer's
/// identifier on the window thread.
class QtWindowTimer final : public WindowTimer {
public:
    void SetReceiver(std::function<void(unsigned id)> receiver) {
        m_receiver = std::move(receiver);
    }

    bool SetTimer(unsigned id, unsigned periodMs) override {
        auto& timer = m_timers[id];
        if (!timer) {
            timer = std::make_unique<QTimer>();
            QObject::connect(timer.get(), &QTimer::timeout, [this, id] {
                if (m_receiver) {
                    m_receiver(id);
                }
            });
        }
        timer->start(static_cast<int>(periodMs));
        return true;
    }
    void KillTimer(unsigned id) override {
        if (auto it = m_timers.find(id); it != m_timers.end()) {
            it->second->stop();
        }
    }

private:
    std::function<void(unsigned)> m_receiver;
    std::map<unsigned, std::unique_ptr<QTimer>> m_timers;
};

}  // namespace ov
