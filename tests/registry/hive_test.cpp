// The hive file format: what is written reads back byte for byte, and damaged text is refused
// with the line that is wrong.
#include "platform/registry/hive.h"

#include <gtest/gtest.h>

namespace ov {
namespace {

constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";

HiveKey OneValue(const RegValue& value) {
    HiveKey root;
    root.Make({"Software", "Test"}).values.push_back(value);
    return root;
}

TEST(HiveTest, EveryKindOfValueSurvivesARoundTrip) {
    const std::string allBytes = [] {
        std::string s;
        for (int i = 0; i < 256; ++i) {
            s += static_cast<char>(i);
        }
        return s;
    }();
    const RegValue cases[] = {
        {"Text", REG_SZ, "plain text"},
        {"Empty", REG_SZ, ""},
        {"", REG_SZ, "the unnamed value"},
        {"Quotes", REG_SZ, "say \"hi\" \\ and \\\\ and \\\""},
        {"Lines", REG_SZ, "one\ntwo\r\nthree\n"},
        {"Tab", REG_SZ, "a\tb"},
        {"Latin2", REG_SZ, "\xBE\xE1k \x9A"},  // 8-bit text that is not UTF-8
        {"Utf8", REG_SZ, "\xC5\xBE\xC3\xA1k"},
        {"Terminated", REG_SZ, std::string("text\0", 5)},
        {"Number", REG_DWORD, std::string("\x0a\x00\x00\x80", 4)},
        {"ShortNumber", REG_DWORD, "\x01\x02"},
        {"Bytes", REG_BINARY, allBytes},
        {"NoBytes", REG_BINARY, ""},
        {"BigEndian", REG_DWORD_BIG_ENDIAN, "\x01\x02\x03\x04"},
        {"Multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5)},
        {"Odd type", 0x12345678, "x"},
        {"name \"with\" \\ odd\n\rthings", REG_SZ, "v"},
        {"[not a key]", REG_SZ, "]"},
    };
    for (const auto& value : cases) {
        const std::string text = SerializeHive(OneValue(value), kRoot);
        std::string error;
        const auto back = ParseHive(text, kRoot, &error);
        ASSERT_TRUE(back) << value.name << ": " << error << "\n" << text;
        const HiveKey* key = back->Find({"software", "TEST"});
        ASSERT_NE(key, nullptr) << text;
        ASSERT_EQ(key->values.size(), 1u) << text;
        EXPECT_EQ(key->values[0], value) << text;
        EXPECT_EQ(SerializeHive(*back, kRoot), text);
    }
}

TEST(HiveTest, WritesTheEditorsFormat) {
    HiveKey root;
    root.values.push_back({"AtRoot", REG_DWORD, std::string("\x01\0\0\0", 4)});
    HiveKey& key = root.Make({"Software", "Quorvex", "Orvanta"});
    key.SetValue("", REG_SZ, "Belvarro");
    key.SetValue("Count", REG_DWORD, std::string("\x0a\0\0\0", 4));
    key.SetValue("Dt_0", REG_BINARY, std::string("\x02\x05\xcf\x07", 4));
    root.Make({"Software", "Empty"});
    EXPECT_EQ(SerializeHive(root, kRoot),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_LOCAL_MACHINE]\n\"AtRoot\"=dword:00000001\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Quorvex\\Orvanta]\n"
              "@=\"Belvarro\"\n\"Count\"=dword:0000000a\n\"Dt_0\"=hex:02,05,cf,07\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Empty]\n\n");
}

TEST(HiveTest, LongBinaryValuesAreWrappedAndReadBack) {
    const RegValue record{"PrintPage", REG_BINARY, std::string(980, '\x5a')};
    const std::string text = SerializeHive(OneValue(record), kRoot);
    std::size_t longest = 0;
    for (std::size_t pos = 0, end; pos < text.size(); pos = end + 1) {
        end = text.find('\n', pos);
        longest = std::max(longest, end - pos);
    }
    EXPECT_LE(longest, 80u);
    const auto back = ParseHive(text, kRoot);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Find({"Software", "Test"})->values.at(0), record);
}

TEST(HiveTest, ReadsFilesMadeElsewhere) {
    // CR LF line ends, a byte-order mark, comments, the short root name, spacing around hex
    // bytes, a key given twice in other case and a value set twice.
    const std::string text =
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
        "; made by hand\r\n"
        "[HKLM\\Software\\A]\r\n"
        "\"X\"=dword:A\r\n"
        "\"Bin\"=hex: 01, 02,\\\r\n"
        "    03\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\a\\B]\r\n"
        "[HKEY_LOCAL_MACHINE\\software\\A]\r\n"
        "\"x\"=\"replaced\"\r\n";
    std::string error;
    const auto hive = ParseHive(text, kRoot, &error);
    ASSERT_TRUE(hive) << error;
    const HiveKey* a = hive->Find({"Software", "A"});
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->name, "A");  // the case it was first made with
    ASSERT_EQ(a->values.size(), 2u);
    EXPECT_EQ(a->values[0], (RegValue{"X", REG_SZ, "replaced"}));
    EXPECT_EQ(a->values[1], (RegValue{"Bin", REG_BINARY, "\x01\x02\x03"}));
    EXPECT_NE(hive->Find({"SOFTWARE", "a", "b"}), nullptr);
    EXPECT_TRUE(ParseHive("", kRoot));  // an empty file is an empty hive
}

TEST(HiveTest, DamagedTextIsRefusedWithItsLine) {
    const std::string header = "Windows Registry Editor Version 5.00\n";
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"hello\n", "line 1: not a registry hive"},
        {header + "\"a\"=\"b\"\n", "line 2: a value outside any [key] section"},
        {header + "[HKEY_CURRENT_USER\\X]\n", "line 2: key HKEY_CURRENT_USER\\X is not under"},
        {header + "[HKLM\\X\n", "line 2: a [key] line without its closing bracket"},
        {header + "[HKLM\\X\\\\Y]\n", "line 2: an empty key name"},
        {header + "[-HKLM\\X]\n", "line 2: key deletions"},
        {header + "[HKLM\\X]\n\"a\"=\"b\n", "line 3: a text without its closing quote"},
        {header + "[HKLM\\X]\n\"a\"=\"b\" c\n", "line 3: text after the closing quote"},
        {header + "[HKLM\\X]\n\"a\"=\"\\q\"\n", "line 3: unknown escape"},
        {header + "[HKLM\\X]\n\"a\"=dword:123456789\n", "line 3: a dword must be"},
        {header + "[HKLM\\X]\n\"a\"=dword:xyz\n", "line 3: a dword must be"},
        {header + "[HKLM\\X]\n\"a\"=hex:1,2\n", "line 3: a byte must be two hex digits"},
        {header + "[HKLM\\X]\n\"a\"=hex:01 02\n", "line 3: bytes must be separated by commas"},
        {header + "[HKLM\\X]\n\"a\"=hex:01,\n", "line 3: a comma without a byte"},
        {header + "[HKLM\\X]\n\"a\"=hex:01,\\\n", "line 3: a hex value cut off"},
        {header + "[HKLM\\X]\n\"a\"=hex():01\n", "line 3: hex(TYPE) needs"},
        {header + "[HKLM\\X]\n\"a\"=-\n", "line 3: a value must be"},
        {header + "[HKLM\\X]\n\"\"=\"b\"\n", "line 3: an empty value name"},
        {header + "[HKLM\\X]\na=b\n", "line 3: a line that is neither"},
        {header + "[HKLM\\X]\n\"a\" \"b\"\n", "line 3: a value name without '='"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseHive(c.text, kRoot, &error)) << c.text;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << " gave: " << error;
    }
}

TEST(HiveTest, NamesIgnoreCaseAndKeepIt) {
    HiveKey root;
    root.SetValue("Name", REG_SZ, "1");
    root.SetValue("NAME", REG_SZ, "2");
    ASSERT_EQ(root.values.size(), 1u);
    EXPECT_EQ(root.values[0], (RegValue{"Name", REG_SZ, "2"}));
    bool created = false;
    root.AddSubkey("Key", &created);
    EXPECT_TRUE(created);
    EXPECT_EQ(root.AddSubkey("KEY", &created).name, "Key");
    EXPECT_FALSE(created);
    EXPECT_TRUE(root.DeleteValue("name"));
    EXPECT_FALSE(root.DeleteValue("name"));
}

}  // namespace
}  // namespace ov
