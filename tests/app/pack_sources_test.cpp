// Checks of the language pack sources themselves: whatever one pack has, the other has too,
// and texts used as printf formats carry the conversions their callers pass.

#include "app/string_table.h"
#include "platform/text_source.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace ov {
namespace {

struct SourcePack {
    const char* folder;
    StringTable strings;
};

StringTable LoadSource(const std::string& folder) {
    const std::string path = std::string(OV_LANGS_SOURCE_DIR) + "/" + folder + "/strings.tsv";
    const std::string text = test::ReadFileOrEmpty(path);
    std::string error;
    auto table = ParseStringTable(text, &error);
    EXPECT_TRUE(table) << path << ": " << error;
    return table ? *table : StringTable{};
}

class PackSources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_packs = new std::vector<SourcePack>{{"English", LoadSource("English")},
                                              {"Slovak", LoadSource("Slovak")}};
    }
    static void TearDownTestSuite() {
        delete s_packs;
        s_packs = nullptr;
    }
    static std::vector<SourcePack>* s_packs;
};
std::vector<SourcePack>* PackSources::s_packs = nullptr;

TEST_F(PackSources, BothPacksHaveTheSameNumbers) {
    const auto& a = (*s_packs)[0];
    const auto& b = (*s_packs)[1];
    for (const auto& [one, other] : {std::pair(&a, &b), std::pair(&b, &a)}) {
        for (const auto& [number, text] : one->strings) {
            EXPECT_TRUE(other->strings.count(number))
                << "string " << number << " of " << one->folder << " is missing from "
                << other->folder;
        }
    }
}

TEST_F(PackSources, EveryStringTheProgramNamesIsThereAndNotEmpty) {
    std::set<unsigned> required{3302, 3402, 25242};
    for (unsigned n = 3303; n <= 3378; ++n) {
        required.insert(n);
    }
    required.insert(kTextTableResources.begin(), kTextTableResources.end());
    for (const auto& pack : *s_packs) {
        for (const unsigned number : required) {
            const auto it = pack.strings.find(number);
            EXPECT_TRUE(it != pack.strings.end() && !it->second.empty())
                << pack.folder << " lacks string " << number;
        }
    }
}

TEST_F(PackSources, PrintfConversionsMatchTheCallersAndBetweenPacks) {
    // The texts formatted with values, and what their callers pass.
    const std::map<unsigned, std::vector<std::string>> formats{
        {3315, {"s"}},       // tip while dialing: product name
        {3332, {"s", "s"}},  // tip when connected: product name, entry name
        {3333, {"s"}},       // tip while watching: product name
        {3334, {"s"}},       // tip when stopped: product name
        {3335, {"s"}},       // call log write failure: file path
        {3338, {"s"}},       // phone-book entry not deleted: entry name
        {3339, {"s"}},       // phone-book entry not saved: entry name
        {3402, {"s"}},       // hang-up question: entry name
    };
    const auto& english = (*s_packs)[0].strings;
    for (const auto& pack : *s_packs) {
        for (const auto& [number, text] : pack.strings) {
            const auto expected =
                formats.count(number) ? formats.at(number) : std::vector<std::string>{};
            EXPECT_EQ(PrintfConversions(text), expected)
                << pack.folder << " string " << number << ": " << text;
            if (const auto it = english.find(number); it != english.end()) {
                EXPECT_EQ(PrintfConversions(text), PrintfConversions(it->second))
                    << pack.folder << " string " << number << " differs from English";
            }
        }
    }
}

TEST_F(PackSources, ProductNameIsTheSameInEveryPack) {
    for (const auto& pack : *s_packs) {
        EXPECT_EQ(pack.strings.at(3316), "Orvanta") << pack.folder;
    }
}

}  // namespace
}  // namespace ov
