#pragma once

#include <QObject>

#include <functional>
#include <map>
#include <memory>

#include "limits/window_timer.h"

class QTimer;

namespace ov {

/// Window timers on Qt's event loop: each expiry is handed to `expired` with its identifier.
class QtWindowTimer final : public QObject, public WindowTimer {
    Q_OBJECT
public:
    explicit QtWindowTimer(std::function<void(unsigned id)> expired, QObject* parent = nullptr);
    ~QtWindowTimer() override;

    bool SetTimer(unsigned id, unsigned periodMs) override;
    void KillTimer(unsigned id) override;
    bool IsSet(unsigned id) const { return m_timers.contains(id); }

private:
    std::function<void(unsigned id)> m_expired;
    std::map<unsigned, std::unique_ptr<QTimer>> m_timers;
};

}  // namespace ov
