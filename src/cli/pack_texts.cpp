#include <charconv>
#include <string>

#include "cli/cli.h"
#include "platform/text_util.h"

#ifdef OV_CLI_LANGUAGE_PACKS
#include "app/language_settings_store.h"
#include "app/qt/language_packs.h"
#endif

namespace ov::cli {

std::optional<LangId> ParseLangId(std::string_view text) {
    long long value = 0;
    if (text.size() > 2 && (text.substr(0, 2) == "0x" || text.substr(0, 2) == "0X")) {
        const char* first = text.data() + 2;
        const char* last = text.data() + text.size();
        const auto [end, error] = std::from_chars(first, last, value, 16);
        if (error != std::errc() || end != last) {
            return std::nullopt;
        }
    } else if (const auto parsed = ParseInteger(text)) {
        value = *parsed;
    } else {
        return std::nullopt;
    }
    if (value < 1 || value > 0xFFFF) {
        return std::nullopt;
    }
    return static_cast<LangId>(value);
}

std::optional<FixedTextSource> LoadPackTexts(std::optional<LangId> lang, std::string* error,
                                             const std::string& langsFolder) {
    const auto fail = [error](std::string why) {
        if (error != nullptr) {
            *error = std::move(why);
        }
        return std::nullopt;
    };
#ifdef OV_CLI_LANGUAGE_PACKS
    // Read-only: the choice is only stored when the tray program ends.
    RegistryLanguageSettingsStore store;
    LanguagePacks packs(store, langsFolder.empty() ? LangsFolder() : langsFolder);
    packs.AddStandardPacks();
    packs.WantTextsOnly();
    if (lang) {
        const int index = packs.PackFor(*lang);
        if (index < 0) {
            return fail("no language pack for language " + std::to_string(*lang));
        }
        if (!packs.SwitchTo(packs.Packs()[static_cast<std::size_t>(index)].langId)) {
            return fail(packs.LastError());
        }
    } else if (!packs.ChooseAtStartup()) {
        return fail("no language pack can be loaded: " + packs.LastError());
    }
    return FixedTextSource(packs.Strings());
#else
    (void)lang;
    (void)langsFolder;
    return fail("this orvanta-cli is built without the language packs");
#endif
}

}  // namespace ov::cli
