#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ov {

/// A file at the top of a language pack's resource bundle (the binary format Qt's resource
/// compiler writes), read without Qt: a program that wants only the pack's texts need not
/// bring up Qt's resource system, locale and file engines for them.
///
/// Answers only what it is sure of: the file stored uncompressed, once, for every locale, in a
/// bundle whose header and tables are whole. Anything else (a compressed or locale-bound
/// file, another format version, a damaged or unreadable bundle) is nothing, and the caller
/// asks Qt, which reads the rest and words the errors.
std::optional<std::string> ReadPlainBundleFile(const std::string& bundlePath,
                                               std::string_view name);

/// The same over a bundle's bytes.
std::optional<std::string> PlainBundleFile(std::string_view bundle, std::string_view name);

}  // namespace ov
