#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ov {

/// One argument of a desktop entry's command line: in double quotes (with `"`, `` ` ``, `$` and
/// `\` escaped inside) when it holds a reserved character, and `%` doubled so that no field
/// code is taken from a path.
std::string DesktopExecQuote(std::string_view argument);

/// A command line of such arguments, separated by blanks; the launcher splits it back into
/// exactly `argv`.
std::string DesktopExecLine(const std::vector<std::string>& argv);

/// One argument of a desktop entry's Exec key: DesktopExecQuote, then escaped as a desktop
/// entry value.
std::string DesktopExecArgument(std::string_view argument);

/// Makes the desktop's autostart folder `folder` (ProgramPaths::autostartFolder) the registry's Run
/// key of the local machine: each value one .desktop file of ours there. Every program calls it
/// at start, before the registry is used.
void UseDesktopAutostart(const std::string& folder);

}  // namespace ov
