#pragma once

#include <string>

namespace ov {

/// Makes the licence and read-me shortcuts of the program's group in the applications menu
/// point to the texts of the pack at `packIndex` (0 English, else Slovak) in `langsFolder`.
/// Nothing happens when the desktop names no applications folder.
void RecreateLanguageShortcuts(int packIndex, const std::string& langsFolder);

}  // namespace ov
