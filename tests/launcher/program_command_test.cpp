#include "launcher/program_command.h"

#include <gtest/gtest.h>

#include "support/probe.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

using Words = std::vector<std::string>;

TEST(SplitCommandLine, SplitsAtBlanksAndKeepsQuotedTextWhole) {
    struct Case {
        const char* text;
        std::optional<Words> words;
    };
    const Case cases[] = {
        {"", Words{}},
        {" \t ", Words{}},
        {"prog --flag \"two words\"", Words{"prog", "--flag", "two words"}},
        {"  a\tb\n c  ", Words{"a", "b", "c"}},
        {"'/opt/My Tool/tool' -x", Words{"/opt/My Tool/tool", "-x"}},
        {"a'b c'd", Words{"ab cd"}},  // quotes join into the word around them
        {"''", Words{""}},
        {"\"\" x", Words{"", "x"}},
        // Nothing is expanded or run.
        {"p '$(rm -rf ~)' \"$HOME\" `id` *.txt ; |",
         Words{"p", "$(rm -rf ~)", "$HOME", "`id`", "*.txt", ";", "|"}},
        // Backslashes: outside quotes they keep the next character; in double quotes only
        // before ", \, $ and `; in single quotes never.
        {R"(a\ b c\\d)", Words{"a b", "c\\d"}},
        {R"("say \"hi\" \\ \$x \n")", Words{R"(say "hi" \ $x \n)"}},
        {R"('it\'s)", Words{R"(it\s)"}},
        {R"('a\b')", Words{R"(a\b)"}},
        {"trailing\\", Words{"trailing\\"}},
        {"open \"quote", std::nullopt},
        {"open 'quote", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitCommandLine(c.text), c.words) << c.text;
    }
}

TEST(ParseProgramCommand, AWholeFileOrNameWinsOverSplitting) {
    test::TempDir dir;
    const std::string blank = test::WriteProgram(dir.File("with blank"), "#!/bin/sh\n");
    const std::string tool = test::WriteProgram(dir.File("tool"), "#!/bin/sh\n");
    const std::string data = dir.File("notes and more");
    test::WriteFileOrDie(data, "data");
    const test::FixedAppPaths appPaths(
        {{"firefox", "/usr/bin/firefox"}, {"my editor", "/opt/editor/bin/editor"}});
    struct Case {
        std::string text;
        ProgramCommand command;
    };
    const Case cases[] = {
        {blank, {blank, {}}},  // "with" does not exist; the whole path is the program
        {data, {data, {}}},    // not executable, yet the file meant: its start says why not
        {tool + " --flag \"two words\"", {tool, {"--flag", "two words"}}},
        {"'" + blank + "' -x", {blank, {"-x"}}},
        {"\"" + dir.File("missing file") + "\" a", {dir.File("missing file"), {"a"}}},
        {dir.File("missing file"), {dir.File("missing"), {"file"}}},
        {"firefox --private-window", {"/usr/bin/firefox", {"--private-window"}}},
        {"my editor", {"/opt/editor/bin/editor", {}}},
        {"unregistered -x", {"", {"-x"}}},
        {"", {"", {}}},
        {tool + " 'open", {tool + " 'open", {}}},  // a quote left open: the whole text
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseProgramCommand(c.text, appPaths), c.command) << c.text;
    }
}

}  // namespace
}  // namespace ov
