#include "viewer/call_columns.h"

namespace ov {

std::vector<std::int16_t> VisibleColumnsFrom(const std::array<std::int32_t, kColumnCount>& flags) {
    std::vector<std::int16_t> visible{ColKind};
    for (int id = ColStart; id < kColumnCount; ++id) {
        if (flags[static_cast<std::size_t>(id)] != 0) {
            visible.push_back(static_cast<std::int16_t>(id));
        }
    }
    return visible;
}

}  // namespace ov
