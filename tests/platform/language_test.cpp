#include "platform/language.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace ov {
namespace {

TEST(LanguageTest, LocaleNamesToLanguageIds) {
    const struct {
        const char* locale;
        LangId id;
    } cases[] = {
        {"sk_SK.UTF-8", 1051},   {"sk", 1051},    {"cs_CZ.UTF-8", 1029},  {"en_US.UTF-8", 1033},
        {"en_GB.UTF-8", 0x0809}, {"en_XX", 1033}, {"de_AT@euro", 0x0C07}, {"de_DE@euro", 0x0407},
        {"pt_BR.UTF-8", 0x0416}, {"C", 1033},     {"POSIX", 1033},        {"", 1033},
        {"C.UTF-8", 1033},       {"xx_YY", 1033},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LanguageIdFromLocale(c.locale), c.id) << c.locale;
    }
}

TEST(LanguageTest, SystemLanguageTakesTheFirstVariableThatIsSet) {
    test::ScopedEnv all("LC_ALL", std::nullopt);
    test::ScopedEnv messages("LC_MESSAGES", std::string("sk_SK.UTF-8"));
    test::ScopedEnv lang("LANG", std::string("cs_CZ.UTF-8"));
    EXPECT_EQ(SystemLanguageId(), kLangSlovak);
    {
        test::ScopedEnv override("LC_ALL", std::string("en_US.UTF-8"));
        EXPECT_EQ(SystemLanguageId(), kLangEnglishUS);
    }
    test::ScopedEnv noMessages("LC_MESSAGES", std::nullopt);
    EXPECT_EQ(SystemLanguageId(), 1029);
}

}  // namespace
}  // namespace ov
