#pragma once

#include <string>

namespace ov {

/// The most characters a tray tip shows.
inline constexpr std::size_t kTrayTipMaxChars = 63;

/// A tip as the tray shows it: a text longer than 63 characters keeps its first 62 and ends
/// with "…", so a long entry name never loses the tip's end silently. Counts UTF-8 characters
/// and never cuts one in two.
std::string TrayTip(const std::string& text);

/// A tip made from a pack's format ("%s - connected to %s") and its texts; a "%%" stays one
/// "%", and a format with fewer "%s" than texts takes what it has.
std::string FormatTip(const std::string& format, const std::string& first,
                      const std::string& second = {});

}  // namespace ov
