#pragma once

#include <cstdint>
#include <string_view>

namespace ov {

/// A Windows language identifier: primary language in the low 10 bits, sub-language above.
using LangId = std::uint16_t;

inline constexpr LangId kLangEnglishUS = 0x0409;  // 1033
inline constexpr LangId kLangSlovak = 0x041B;     // 1051

/// The language identifier of a POSIX locale name such as "sk_SK.UTF-8" or "en_GB@euro".
/// "C", "POSIX", an empty or an unknown name give US English.
LangId LanguageIdFromLocale(std::string_view locale);

/// The system language, from LC_ALL, LC_MESSAGES or LANG (the first that is set).
LangId SystemLanguageId();

}  // namespace ov
