#include "platform/clock.h"

#include <limits>

namespace ov {

Time32 SystemClock::Now() const {
    return static_cast<Time32>(std::time(nullptr));
}

const Clock& DefaultClock() {
    static const SystemClock clock;
    return clock;
}

bool ToLocalTime(Time32 t, std::tm& out) {
    const std::time_t wide = t;
    return localtime_r(&wide, &out) != nullptr;
}

Time32 FromLocalTime(std::tm local) {
    const std::time_t wide = std::mktime(&local);
    if (wide == static_cast<std::time_t>(-1) || wide > std::numeric_limits<Time32>::max() ||
        wide < std::numeric_limits<Time32>::min()) {
        return -1;
    }
    return static_cast<Time32>(wide);
}

}  // namespace ov
