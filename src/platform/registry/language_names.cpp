#include "platform/registry/language_names.h"

#include <array>
#include <cstdio>

#include "platform/language.h"

namespace ov {

namespace {

struct LanguageName {
    std::uint16_t id;
    std::string_view tag;  // RFC 1766
    std::string_view name;
};

// Every language the locale table can report, named as the system's language list names them.
constexpr std::array kLanguageNames{
    LanguageName{0x0409, "en-us", "English (United States)"},
    LanguageName{0x0809, "en-gb", "English (United Kingdom)"},
    LanguageName{0x0C09, "en-au", "English (Australia)"},
    LanguageName{0x1009, "en-ca", "English (Canada)"},
    LanguageName{0x1409, "en-nz", "English (New Zealand)"},
    LanguageName{0x1809, "en-ie", "English (Ireland)"},
    LanguageName{0x041B, "sk", "Slovak"},
    LanguageName{0x0405, "cs", "Czech"},
    LanguageName{0x0407, "de", "German (Germany)"},
    LanguageName{0x0807, "de-ch", "German (Switzerland)"},
    LanguageName{0x0C07, "de-at", "German (Austria)"},
    LanguageName{0x040C, "fr", "French (France)"},
    LanguageName{0x080C, "fr-be", "French (Belgium)"},
    LanguageName{0x0C0C, "fr-ca", "French (Canada)"},
    LanguageName{0x100C, "fr-ch", "French (Switzerland)"},
    LanguageName{0x0C0A, "es", "Spanish (Spain)"},
    LanguageName{0x080A, "es-mx", "Spanish (Mexico)"},
    LanguageName{0x0410, "it", "Italian (Italy)"},
    LanguageName{0x0816, "pt", "Portuguese (Portugal)"},
    LanguageName{0x0416, "pt-br", "Portuguese (Brazil)"},
    LanguageName{0x0413, "nl", "Dutch (Netherlands)"},
    LanguageName{0x0813, "nl-be", "Dutch (Belgium)"},
    LanguageName{0x0415, "pl", "Polish"},
    LanguageName{0x040E, "hu", "Hungarian"},
    LanguageName{0x0419, "ru", "Russian"},
    LanguageName{0x0422, "uk", "Ukrainian"},
    LanguageName{0x0402, "bg", "Bulgarian"},
    LanguageName{0x041A, "hr", "Croatian"},
    LanguageName{0x0424, "sl", "Slovenian"},
    LanguageName{0x0418, "ro", "Romanian"},
    LanguageName{0x0408, "el", "Greek"},
    LanguageName{0x041F, "tr", "Turkish"},
    LanguageName{0x041D, "sv", "Swedish"},
    LanguageName{0x0406, "da", "Danish"},
    LanguageName{0x0414, "no", "Norwegian (Bokmal)"},
    LanguageName{0x0814, "no", "Norwegian (Nynorsk)"},
    LanguageName{0x040B, "fi", "Finnish"},
    LanguageName{0x0425, "et", "Estonian"},
    LanguageName{0x0426, "lv", "Latvian"},
    LanguageName{0x0427, "lt", "Lithuanian"},
    LanguageName{0x0411, "ja", "Japanese"},
    LanguageName{0x0412, "ko", "Korean"},
    LanguageName{0x0804, "zh-cn", "Chinese (PRC)"},
    LanguageName{0x0404, "zh-tw", "Chinese (Taiwan)"},
    LanguageName{0x0C04, "zh-hk", "Chinese (Hong Kong)"},
    LanguageName{0x040D, "he", "Hebrew"},
    LanguageName{0x0401, "ar-sa", "Arabic (Saudi Arabia)"},
};

RegValue Text(std::string name, std::string text) {
    return RegValue{std::move(name), REG_SZ, std::move(text)};
}

std::string Hex(unsigned value, int digits) {
    char text[16];
    (void)std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

}  // namespace

std::vector<RegValue> LocaleValues() {
    std::vector<RegValue> values{Text("", Hex(SystemLanguageId(), 8))};
    for (const auto& language : kLanguageNames) {
        values.push_back(Text(Hex(language.id, 8), std::string(language.name)));
    }
    return values;
}

std::vector<RegValue> LanguageNameValues() {
    std::vector<RegValue> values;
    for (const auto& language : kLanguageNames) {
        values.push_back(Text(Hex(language.id, 4), LanguageNameEntry(language.id)));
    }
    return values;
}

std::string LanguageNameEntry(std::uint16_t langId) {
    for (const auto& language : kLanguageNames) {
        if (language.id == langId) {
            return std::string(language.tag) + ";" + std::string(language.name);
        }
    }
    return {};
}

}  // namespace ov
