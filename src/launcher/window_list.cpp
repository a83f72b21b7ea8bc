#include "launcher/window_list.h"

#include <cstdlib>

namespace ov {

namespace {

class NullWindowList final : public WindowList {
public:
    std::vector<DesktopWindow> TopLevelWindows() override { return {}; }
};

}  // namespace

std::unique_ptr<WindowList> MakeNullWindowList() {
    return std::make_unique<NullWindowList>();
}

std::unique_ptr<WindowList> MakeWindowList() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        return MakeNullWindowList();
    }
    return MakeX11WindowList();
}

}  // namespace ov
