#include "printing/page_setup_fields.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace ov {

std::string PositionFieldText(int position) {
    char text[32];
    std::snprintf(text, sizeof text, "%d%s", position / 100, "mm");
    return text;
}

int ParsePositionField(std::string_view text) {
    long long millimetres = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        // Far past any paper: stop growing before the result could overflow.
        if (millimetres < 1'000'000) {
            millimetres = millimetres * 10 + (c - '0');
        }
    }
    const long long position = millimetres * 100;
    return position > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                      : static_cast<int>(position);
}

int ToDialogUnits(int hundredthsOfMillimetre, bool metric) {
    if (metric) {
        return hundredthsOfMillimetre;
    }
    return static_cast<int>(std::lround(hundredthsOfMillimetre * 1000.0 / 2540.0));
}

int FromDialogUnits(int value, bool metric) {
    if (metric) {
        return value;
    }
    return static_cast<int>(std::lround(value * 2540.0 / 1000.0));
}

}  // namespace ov
