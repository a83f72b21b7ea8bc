// The language settings over the registry: the stored choice in the user hive, the system
// language and the names of the languages.
#include "app/language_settings_store.h"

#include "platform/paths.h"
#include "platform/registry/registry.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>

namespace ov {
namespace {

/// Reads a value as another process would: from the hive files through a store of its own.
std::optional<std::uint32_t> SavedNumber(const ProgramPaths& paths, const char* path,
                                         const char* name, std::uint32_t* type) {
    RegistryStore fresh([&paths] { return paths.machineHive; },
                        [&paths] { return paths.userHive; });
    HKEY key = 0;
    if (fresh.OpenKey(HKEY_CURRENT_USER, path, KEY_READ, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::uint8_t data[16] = {};
    std::uint32_t size = sizeof data;
    const auto result = fresh.QueryValue(key, name, type, data, &size);
    fresh.CloseKey(key);
    if (result != ERROR_SUCCESS || size != 4) {
        return std::nullopt;
    }
    std::uint32_t number;
    std::memcpy(&number, data, sizeof number);
    return number;
}

TEST(RegistryLanguageSettingsStore, KeepsTheChoiceAsANumberInTheUserHive) {
    test::TempHome home;
    RegistryLanguageSettingsStore store;
    EXPECT_FALSE(store.ReadCurrentLng());  // no product key yet

    ASSERT_TRUE(store.WriteCurrentLng(1051));
    EXPECT_EQ(store.ReadCurrentLng(), 1051u);
    std::uint32_t type = 0;
    EXPECT_EQ(SavedNumber(home.Paths(), kProductKeyPath, "CurrentLng", &type), 1051u);
    EXPECT_EQ(type, REG_DWORD);

    ASSERT_TRUE(store.WriteCurrentLng(1033));
    EXPECT_EQ(store.ReadCurrentLng(), 1033u);

    // A value of another type is no stored choice.
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kProductKeyPath, 0, KEY_ALL_ACCESS, &key), 0u);
    const char text[] = "1051";
    ASSERT_EQ(RegSetValueExA(key, "CurrentLng", 0, REG_SZ,
                             reinterpret_cast<const std::uint8_t*>(text), sizeof text),
              0u);
    RegCloseKey(key);
    EXPECT_FALSE(store.ReadCurrentLng());
}

TEST(RegistryLanguageSettingsStore, ReadsTheSystemLanguageAndNamesLanguages) {
    test::TempHome home;
    const struct {
        const char* locale;
        std::uint32_t language;
    } locales[] = {{"cs_CZ.UTF-8", 1029}, {"sk_SK", 1051}, {"de_AT", 0x0C07}, {"C", 1033}};
    for (const auto& c : locales) {
        test::ScopedEnv all("LC_ALL", c.locale);
        EXPECT_EQ(RegistryLanguageSettingsStore().SystemLanguage(), c.language) << c.locale;
    }

    const struct {
        std::uint32_t language;
        const char* name;
    } names[] = {
        {1033, "English (United States)"},
        {1051, "Slovak"},
        {1029, "Czech"},
        {0x0436, "0x0436"},  // not in the system's table
    };
    const RegistryLanguageSettingsStore store;
    for (const auto& c : names) {
        EXPECT_EQ(store.LanguageName(c.language), c.name) << c.language;
    }
}

}  // namespace
}  // namespace ov
