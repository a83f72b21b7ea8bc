// The tray's tip texts and the packs' menu files.
#include "app/menu_file.h"
#include "app/tray_tip.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace ov {
namespace {

std::string Repeat(const std::string& piece, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

TEST(TrayTipTest, TipsLongerThanTheTrayHoldsAreCutTo62CharactersAndAnEllipsis) {
    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"", ""},
        {Repeat("a", 63), Repeat("a", 63)},
        {Repeat("a", 64), Repeat("a", 62) + "\u2026"},
        {Repeat("a", 200), Repeat("a", 62) + "\u2026"},
        // Characters, not bytes: 63 two-byte letters fit, and a cut never splits one.
        {Repeat("\u017e", 63), Repeat("\u017e", 63)},
        {Repeat("\u017e", 64), Repeat("\u017e", 62) + "\u2026"},
        {Repeat("a", 61) + "\u017e\u017ex", Repeat("a", 61) + "\u017e\u2026"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TrayTip(c.text), c.expected) << c.text;
    }
}

TEST(TrayTipTest, FormatsFillTheProductAndTheEntryName) {
    EXPECT_EQ(FormatTip("%s - connected to %s", "Orvanta", "Work ISP"),
              "Orvanta - connected to Work ISP");
    EXPECT_EQ(FormatTip("%s - 100%% idle", "Orvanta"), "Orvanta - 100% idle");
    // An entry name with a "%s" in it is a name, not a format.
    EXPECT_EQ(FormatTip("%s: %s", "Orvanta", "my %s ISP"), "Orvanta: my %s ISP");
    EXPECT_EQ(FormatTip("%s %s %s", "a", "b"), "a b ");
}

TEST(MenuFileTest, ReadsNestedPopupsCommandsSeparatorsAndShortcuts) {
    const auto menu = ParseMenuFile(
        "POPUP\t&File\n"
        "  57607\t&Print...\tCtrl+P\n"
        "  SEPARATOR\n"
        "  POPUP\t&More\n"
        "    3209\t&Export\n"
        "  57665\tE&xit\n"
        "\n"
        "POPUP\t&Help\r\n"
        "  3205\t&About\r\n");
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->size(), 2u);
    const MenuFileItem& file = (*menu)[0];
    EXPECT_EQ(file.kind, MenuFileItem::Kind::Popup);
    EXPECT_EQ(file.text, "&File");
    ASSERT_EQ(file.items.size(), 4u);
    EXPECT_EQ(file.items[0].command, 57607u);
    EXPECT_EQ(file.items[0].text, "&Print...");
    EXPECT_EQ(file.items[0].shortcut, "Ctrl+P");
    EXPECT_EQ(file.items[1].kind, MenuFileItem::Kind::Separator);
    ASSERT_EQ(file.items[2].items.size(), 1u);
    EXPECT_EQ(file.items[2].items[0].command, 3209u);
    EXPECT_EQ(file.items[3].text, "E&xit");
    EXPECT_EQ((*menu)[1].items.at(0).text, "&About");
}

TEST(MenuFileTest, RejectsWhatIsNotAMenuNamingTheLine) {
    const char* bad[] = {
        "  3205\t&About\n",        // indented without a sub-menu
        "POPUP\tA\n   3205\tx\n",  // odd indent
        "POPUP\n",                 // no text
        "POPUP\tA\n  abc\tx\n",    // not a command number
        "POPUP\tA\n  70000\tx\n",  // beyond a command identifier
    };
    for (const char* text : bad) {
        std::string error;
        EXPECT_FALSE(ParseMenuFile(text, &error)) << text;
        EXPECT_EQ(error.rfind("line ", 0), 0u) << text;
    }
}

TEST(MenuFileTest, BothPacksTrayMenusHoldTheSameCommands) {
    std::vector<std::vector<unsigned>> commands;
    for (const char* pack : {"English", "Slovak"}) {
        std::ifstream in(std::string(OV_LANGS_SOURCE_DIR) + "/" + pack + "/200.menu");
        std::stringstream text;
        text << in.rdbuf();
        const auto menu = ParseMenuFile(text.str());
        ASSERT_TRUE(menu) << pack;
        ASSERT_FALSE(menu->empty());
        std::vector<unsigned> ids;
        for (const MenuFileItem& item : menu->front().items) {
            ids.push_back(item.command);
        }
        commands.push_back(ids);
    }
    EXPECT_EQ(commands[0], commands[1]);
    for (unsigned id : {3211u, 3204u, 3203u, 57665u}) {
        EXPECT_NE(std::find(commands[0].begin(), commands[0].end(), id), commands[0].end()) << id;
    }
}

}  // namespace
}  // namespace ov
