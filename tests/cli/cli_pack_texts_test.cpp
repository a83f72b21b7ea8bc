// The texts orvanta-cli prints come from a language pack chosen as the tray program chooses it,
// or by --lang. Runs without any Qt application object, as orvanta-cli does.
#include <gtest/gtest.h>

#include <string>

#include "cli/cli.h"
#include "settings/registry_key.h"
#include "support/temp_dir.h"

namespace ov::cli {
namespace {

void StoreCurrentLng(std::uint32_t langId) {
    RegistryKey key(HKEY_CURRENT_USER, "Software\\Quorvex\\Orvanta");
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, "Software\\Quorvex\\Orvanta", KEY_ALL_ACCESS));
    ASSERT_TRUE(key.WriteNumber("CurrentLng", langId));
}

TEST(ParseLangId, TakesDecimalOrHexIdentifiers) {
    const struct {
        const char* text;
        std::optional<LangId> expected;
    } cases[] = {
        {"1051", 1051}, {"0x41B", 1051}, {"0X041b", 1051}, {"65535", 0xFFFF}, {"0", {}},
        {"65536", {}},  {"0x10000", {}}, {"-1033", {}},    {"", {}},          {"0x", {}},
        {"0x41G", {}},  {"1033 ", {}},   {"sk", {}},       {"1e3", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseLangId(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(LoadPackTexts, ChoosesThePackAsTheProgramDoesUnlessOneIsGiven) {
    constexpr LangId kGerman = 1031;
    const struct {
        const char* locale;
        std::optional<std::uint32_t> stored;
        std::optional<LangId> lang;
        const char* january;
    } cases[] = {
        {"sk_SK.UTF-8", {}, {}, "január"},
        {"cs_CZ.UTF-8", {}, {}, "január"},  // the Slovak pack serves Czech
        {"de_DE.UTF-8", {}, {}, "January"},
        {"sk_SK.UTF-8", 1033, {}, "January"},    // the stored choice first
        {"sk_SK.UTF-8", kGerman, {}, "január"},  // a stored language without a pack
        {"sk_SK.UTF-8", {}, 1033, "January"},
        {"en_US.UTF-8", 1033, 1029, "január"},
        {"en_US.UTF-8", {}, 0x41B, "január"},
    };
    for (const auto& c : cases) {
        test::ChildHome home;
        test::ScopedEnv locale("LC_ALL", c.locale);
        if (c.stored) {
            StoreCurrentLng(*c.stored);
        }
        std::string error;
        const auto texts = LoadPackTexts(c.lang, &error);
        ASSERT_TRUE(texts) << error;
        EXPECT_EQ(texts->Entry(0), c.january) << c.locale << " " << c.stored.value_or(0);
        EXPECT_EQ(texts->Entry(57), "Orvanta");
        EXPECT_EQ(error, "");
    }
}

TEST(LoadPackTexts, FailsNamingWhatIsMissing) {
    test::ChildHome home;
    test::TempDir emptyLangs;
    test::ScopedEnv locale("LC_ALL", "en_US.UTF-8");
    const struct {
        std::optional<LangId> lang;
        std::string folder;
        std::string message;
    } cases[] = {
        {{},
         emptyLangs.Path(),
         "no language pack can be loaded: language pack not found: " + emptyLangs.Path() +
             "/English/OVEngRes.rcc"},
        {1029, emptyLangs.Path(),
         "language pack not found: " + emptyLangs.Path() + "/Slovak/OVSlvRes.rcc"},
        {1031, {}, "no language pack for language 1031"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(LoadPackTexts(c.lang, &error, c.folder));
        EXPECT_EQ(error, c.message);
    }
}

}  // namespace
}  // namespace ov::cli
