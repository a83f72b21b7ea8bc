#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ov {

/// A text field for a TAB-separated line: TAB, LF, CR and backslash become \t, \n, \r, \\.
std::string EscapeField(std::string_view text);

/// The inverse of EscapeField; nothing when an escape is unknown or cut off.
std::optional<std::string> UnescapeField(std::string_view field);

/// Splits a line at every TAB (an empty line gives one empty field).
std::vector<std::string_view> SplitFields(std::string_view line);

/// ASCII case-insensitive equality, as the registry and the phone book compare names.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

/// `format` with its first "%s" replaced by `argument` and "%%" by "%". Any other '%' is kept
/// as it is: a language pack's text is never handed to printf, so a stray conversion in it
/// cannot read past the one argument.
std::string FormatWithText(std::string_view format, std::string_view argument);

/// A whole decimal number that fits `long long`; nothing for anything else.
std::optional<long long> ParseInteger(std::string_view text);

}  // namespace ov
