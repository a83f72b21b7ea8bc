#pragma once

#include <string>
#include <string_view>

namespace ov {

/// ~/.config/autostart (in XDG_CONFIG_HOME), where the desktop keeps its autostart list.
std::string AutostartFolder();

/// One argument of a desktop entry's Exec key: quoted when it holds a reserved character, with
/// `%` doubled (no field code), then escaped as a desktop entry value.
std::string DesktopExecArgument(std::string_view argument);

/// Makes the desktop's autostart folder the registry's Run key of the local machine: each
/// value one .desktop file of ours there. Every program calls it at start, before the
/// registry is used.
void UseDesktopAutostart();

}  // namespace ov
