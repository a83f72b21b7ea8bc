#pragma once

#include <cstdint>

namespace ov {

/// The window message of a timer's expiry; wParam is the timer's identifier.
inline constexpr std::uint32_t WM_TIMER = 0x0113;

/// The periodic timers of a window, by identifier, as the live display and the limit
/// notification set them. The window delivers each expiry back to its owner (WM_TIMER).
class WindowTimer {
public:
    virtual ~WindowTimer() = default;
    /// Sets (or sets again) timer `id` to expire every `periodMs`; false when it cannot be set.
    virtual bool SetTimer(unsigned id, unsigned periodMs) = 0;
    virtual void KillTimer(unsigned id) = 0;
};

/// Hangs up the connections that have a connection handle, asking before each one when `ask`
/// is set; any answer but yes stops the hang-up of that and the remaining connections.
class HangUpService {
public:
    virtual ~HangUpService() = default;
    virtual void HangUpAll(bool ask) = 0;
};

}  // namespace ov
