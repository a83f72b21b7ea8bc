#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry/hive.h"

namespace ov {

/// The values of the system's locale key: the system language, then every language the
/// locale table can report, by identifier.
std::vector<RegValue> LocaleValues();

/// The values of the language-name key: "tag;Display name" by four-digit identifier.
std::vector<RegValue> LanguageNameValues();

/// "tag;Display name" for a language identifier ("en-us;English (United States)"), or empty
/// for a language the table does not know.
std::string LanguageNameEntry(std::uint16_t langId);

}  // namespace ov
