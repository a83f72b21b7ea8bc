#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ov {

/// The string resources of one language pack, by number.
using StringTable = std::map<unsigned, std::string>;

/// Reads a pack's strings.tsv: one `number<TAB>text` per line, the text escaped with \n, \t,
/// \r and \\; empty lines and lines starting with '#' are skipped. Numbers are string
/// resource numbers (1-65535) and appear once. Nothing, with `error` naming the line, for
/// anything else.
std::optional<StringTable> ParseStringTable(std::string_view text, std::string* error = nullptr);

/// The printf conversions of a text used as a format, in order, each as its length modifier
/// and conversion letter ("s", "d", "ld", "f"); "%%" is no conversion. A '%' that starts no
/// valid conversion gives "?", so that a stray percent sign never passes for a clean text.
std::vector<std::string> PrintfConversions(std::string_view format);

}  // namespace ov
