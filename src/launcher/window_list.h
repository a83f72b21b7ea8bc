#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ov {

/// A visible top-level window as the desktop reports it.
struct DesktopWindow {
    std::uint32_t id = 0;  // the desktop's window id; never 0
    std::int32_t processId = 0;
    std::string title;  // UTF-8, whole; may be empty
};

/// The desktop's visible top-level windows, for telling which process owns which window.
class WindowList {
public:
    virtual ~WindowList() = default;
    /// The windows in the desktop's order; empty when the desktop cannot say.
    virtual std::vector<DesktopWindow> TopLevelWindows() = 0;
};

/// The window list of the running desktop: X11 when DISPLAY is set, else one that is always
/// empty (a Wayland-only session does not tell other programs about its windows).
std::unique_ptr<WindowList> MakeWindowList();

/// A window list that reports nothing.
std::unique_ptr<WindowList> MakeNullWindowList();

/// The X11 window list: _NET_CLIENT_LIST when a window manager keeps one, else the viewable
/// children of the root window. Connects to the display of DISPLAY at every call.
std::unique_ptr<WindowList> MakeX11WindowList();

}  // namespace ov
