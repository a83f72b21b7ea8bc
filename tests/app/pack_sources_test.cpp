// Checks of the language pack sources themselves: whatever one pack has, the other has too,
// and texts used as printf formats carry the conversions their callers pass.

#include "app/string_table.h"
#include "app/text_table_source.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
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
    std::set<unsigned> required{3302,  3402,  25242, 25301, 25302, 25303, 25304, 25310,
                                25311, 25312, 25313, 25314, 25315, 25316, 26520, 26521};
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
        {3315, {"s"}},        // tip while dialing: product name
        {3332, {"s", "s"}},   // tip when connected: product name, entry name
        {3333, {"s"}},        // tip while watching: product name
        {3334, {"s"}},        // tip when stopped: product name
        {3335, {"s"}},        // call log write failure: file path
        {3338, {"s"}},        // phone-book entry not deleted: entry name
        {3339, {"s"}},        // phone-book entry not saved: entry name
        {3402, {"s"}},        // hang-up question: entry name
        {25310, {"d", "s"}},  // limit messages of time rules: the limit, its unit word
        {25311, {"d", "s"}}, {25312, {"s"}},  // limit messages of price rules: the price text
        {25313, {"s"}},      {26521, {"s"}},  // page setup, a paper of its own: its size
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

namespace ov {
namespace {

/// The identifiers a pack's template or menu file names: `name="id<n>"` of the templates'
/// controls, the command numbers of a menu's lines.
std::set<unsigned> NamedIdentifiers(const std::filesystem::path& file) {
    const std::string text = test::ReadFileOrEmpty(file.string());
    std::set<unsigned> ids;
    const std::regex pattern = file.extension() == ".ui"
                                   ? std::regex(R"re(name="id([0-9]+)")re")
                                   : std::regex(R"(^ *([0-9]+)\t)", std::regex::multiline);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        ids.insert(static_cast<unsigned>(std::stoul((*it)[1].str())));
    }
    return ids;
}

TEST(PackSourceFiles, BothPacksHaveTheSameTemplatesAndMenusWithTheSameIdentifiers) {
    const std::filesystem::path root(OV_LANGS_SOURCE_DIR);
    std::map<std::string, std::set<unsigned>> english;
    for (const auto& entry : std::filesystem::directory_iterator(root / "English")) {
        const auto extension = entry.path().extension();
        if (extension == ".ui" || extension == ".menu") {
            english[entry.path().filename().string()] = NamedIdentifiers(entry.path());
        }
    }
    EXPECT_TRUE(english.count("3403.ui") && english.count("333.ui") && english.count("200.menu"));
    std::size_t slovak = 0;
    for (const auto& entry : std::filesystem::directory_iterator(root / "Slovak")) {
        const auto extension = entry.path().extension();
        if (extension != ".ui" && extension != ".menu") {
            continue;
        }
        ++slovak;
        const auto name = entry.path().filename().string();
        ASSERT_TRUE(english.count(name)) << name << " is only in the Slovak pack";
        EXPECT_EQ(NamedIdentifiers(entry.path()), english[name]) << name;
    }
    EXPECT_EQ(slovak, english.size()) << "the Slovak pack lacks a template or menu";
}

}  // namespace
}  // namespace ov
