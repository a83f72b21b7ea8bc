#pragma once

#include <string>

namespace ov {

/// Where a plugin of ours is: the program folder's `plugins` (a build tree or a portable copy),
/// else the installed ../lib/orvanta/plugins beside the program's bin folder. When neither
/// holds `file`, the program folder's path, so that an error names where the plugin belongs.
std::string PluginPath(const std::string& file);

}  // namespace ov
