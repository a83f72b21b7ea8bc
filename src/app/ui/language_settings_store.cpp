#include "app/ui/language_settings_store.h"

#include "platform/language.h"

#include <cstdio>
#include <string_view>
#include <utility>

namespace ov {

namespace {

// The languages the platform layer can report, with the names the system gives them.
constexpr std::pair<std::uint32_t, std::string_view> kLanguageNames[] = {
    {0x0409, "English (United States)"},
    {0x0809, "English (United Kingdom)"},
    {0x0C09, "English (Australia)"},
    {0x1009, "English (Canada)"},
    {0x1409, "English (New Zealand)"},
    {0x1809, "English (Ireland)"},
    {0x041B, "Slovak"},
    {0x0405, "Czech"},
    {0x0407, "German (Germany)"},
    {0x0807, "German (Switzerland)"},
    {0x0C07, "German (Austria)"},
    {0x040C, "French (France)"},
    {0x080C, "French (Belgium)"},
    {0x0C0C, "French (Canada)"},
    {0x100C, "French (Switzerland)"},
    {0x0C0A, "Spanish (Spain)"},
    {0x080A, "Spanish (Mexico)"},
    {0x0410, "Italian"},
    {0x0816, "Portuguese (Portugal)"},
    {0x0416, "Portuguese (Brazil)"},
    {0x0413, "Dutch"},
    {0x0813, "Dutch (Belgium)"},
    {0x0415, "Polish"},
    {0x040E, "Hungarian"},
    {0x0419, "Russian"},
    {0x0422, "Ukrainian"},
    {0x0402, "Bulgarian"},
    {0x041A, "Croatian"},
    {0x0424, "Slovenian"},
    {0x0418, "Romanian"},
    {0x0408, "Greek"},
    {0x041F, "Turkish"},
    {0x041D, "Swedish"},
    {0x0406, "Danish"},
    {0x0414, "Norwegian (Bokmal)"},
    {0x0814, "Norwegian (Nynorsk)"},
    {0x040B, "Finnish"},
    {0x0425, "Estonian"},
    {0x0426, "Latvian"},
    {0x0427, "Lithuanian"},
    {0x0411, "Japanese"},
    {0x0412, "Korean"},
    {0x0804, "Chinese (PRC)"},
    {0x0404, "Chinese (Taiwan)"},
    {0x0C04, "Chinese (Hong Kong)"},
    {0x040D, "Hebrew"},
    {0x0401, "Arabic"},
};

}  // namespace

std::string BuiltInLanguageName(std::uint32_t langId) {
    for (const auto& [id, name] : kLanguageNames) {
        if (id == langId) {
            return std::string(name);
        }
    }
    char text[32];
    std::snprintf(text, sizeof text, "Language 0x%04X", langId);
    return text;
}

std::uint32_t DefaultLanguageSettingsStore::SystemLanguage() const {
    return SystemLanguageId();
}

}  // namespace ov
