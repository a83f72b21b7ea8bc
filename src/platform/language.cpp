#include "platform/language.h"

#include <array>
#include <cstdlib>
#include <string>

namespace ov {

namespace {

struct LocaleLanguage {
    std::string_view language;  // ISO 639-1
    std::string_view region;    // ISO 3166 code, empty for the language's default
    LangId id;
};

// The languages a Windows desktop of the program's day could report, with the regional
// variants that have identifiers of their own. The first entry of a language is its default.
constexpr std::array kLanguages{
    LocaleLanguage{"en", "", 0x0409},   LocaleLanguage{"en", "GB", 0x0809},
    LocaleLanguage{"en", "AU", 0x0C09}, LocaleLanguage{"en", "CA", 0x1009},
    LocaleLanguage{"en", "NZ", 0x1409}, LocaleLanguage{"en", "IE", 0x1809},
    LocaleLanguage{"sk", "", 0x041B},   LocaleLanguage{"cs", "", 0x0405},
    LocaleLanguage{"de", "", 0x0407},   LocaleLanguage{"de", "CH", 0x0807},
    LocaleLanguage{"de", "AT", 0x0C07}, LocaleLanguage{"fr", "", 0x040C},
    LocaleLanguage{"fr", "BE", 0x080C}, LocaleLanguage{"fr", "CA", 0x0C0C},
    LocaleLanguage{"fr", "CH", 0x100C}, LocaleLanguage{"es", "", 0x0C0A},
    LocaleLanguage{"es", "MX", 0x080A}, LocaleLanguage{"it", "", 0x0410},
    LocaleLanguage{"pt", "", 0x0816},   LocaleLanguage{"pt", "BR", 0x0416},
    LocaleLanguage{"nl", "", 0x0413},   LocaleLanguage{"nl", "BE", 0x0813},
    LocaleLanguage{"pl", "", 0x0415},   LocaleLanguage{"hu", "", 0x040E},
    LocaleLanguage{"ru", "", 0x0419},   LocaleLanguage{"uk", "", 0x0422},
    LocaleLanguage{"bg", "", 0x0402},   LocaleLanguage{"hr", "", 0x041A},
    LocaleLanguage{"sl", "", 0x0424},   LocaleLanguage{"ro", "", 0x0418},
    LocaleLanguage{"el", "", 0x0408},   LocaleLanguage{"tr", "", 0x041F},
    LocaleLanguage{"sv", "", 0x041D},   LocaleLanguage{"da", "", 0x0406},
    LocaleLanguage{"nb", "", 0x0414},   LocaleLanguage{"no", "", 0x0414},
    LocaleLanguage{"nn", "", 0x0814},   LocaleLanguage{"fi", "", 0x040B},
    LocaleLanguage{"et", "", 0x0425},   LocaleLanguage{"lv", "", 0x0426},
    LocaleLanguage{"lt", "", 0x0427},   LocaleLanguage{"ja", "", 0x0411},
    LocaleLanguage{"ko", "", 0x0412},   LocaleLanguage{"zh", "", 0x0804},
    LocaleLanguage{"zh", "TW", 0x0404}, LocaleLanguage{"zh", "HK", 0x0C04},
    LocaleLanguage{"he", "", 0x040D},   LocaleLanguage{"ar", "", 0x0401},
};

}  // namespace

LangId LanguageIdFromLocale(std::string_view locale) {
    // language[_REGION][.codeset][@modifier]
    const auto cut = locale.find_first_of(".@");
    if (cut != std::string_view::npos) {
        locale = locale.substr(0, cut);
    }
    const auto underscore = locale.find('_');
    const std::string_view language = locale.substr(0, underscore);
    const std::string_view region =
        underscore == std::string_view::npos ? std::string_view{} : locale.substr(underscore + 1);

    const LocaleLanguage* fallback = nullptr;
    for (const auto& entry : kLanguages) {
        if (entry.language != language) {
            continue;
        }
        if (entry.region.empty() && !fallback) {
            fallback = &entry;
        }
        if (!region.empty() && entry.region == region) {
            return entry.id;
        }
    }
    return fallback ? fallback->id : kLangEnglishUS;
}

LangId SystemLanguageId() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* value = std::getenv(name); value && *value) {
            return LanguageIdFromLocale(value);
        }
    }
    return kLangEnglishUS;
}

}  // namespace ov
