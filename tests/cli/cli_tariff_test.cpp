// orvanta-cli price and tariff: the settings' tariff as start-up makes it, and the tariff file.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/run_process.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

test::ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), OV_CLI_PATH);
    return test::RunProcess(args);
}

constexpr const char* kEmptyBands =
    "00:00,23:59,0.00,1;00:00,23:59,0.00,1\r\n"
    "00:00,23:59,0.00,1;00:00,23:59,0.00,1\r\n"
    "00:00,23:59,0.00,1;00:00,23:59,0.00,1\r\n";

/// A data root in Bratislava time with the system language given.
class CliTariffTest : public ::testing::Test {
protected:
    explicit CliTariffTest(const char* lang = "sk_SK.UTF-8") : m_lang("LANG", lang) {}

    void WriteLibrary() {
        // Line ends of both systems; the Slovak tariff holds the workday bands 2.00 per minute
        // from 08:00 to 17:59 and 1.00 per three minutes from 18:00 to 07:59.
        test::WriteFileOrDie(m_home.File("Prices.ini"),
                             "English,1033,Pound,GBP,0\n"
                             "00:00,23:59,9.00,1;00:00,23:59,0.00,1\n"
                             "00:00,23:59,0.00,1;00:00,23:59,0.00,1\n"
                             "00:00,23:59,0.00,1;00:00,23:59,0.00,1\n"
                             "Slovak,1051,Euro,EUR,1\r\n"
                             "00:00,23:59,0.00,1;00:00,23:59,0.00,1\r\n"
                             "08:00,17:59,2.00,1;18:00,07:59,1.00,3\r\n"
                             "00:00,23:59,0.00,1;00:00,23:59,0.00,1\r\n");
    }

    test::ChildHome m_home;
    test::ScopedEnv m_tz{"TZ", std::string("Europe/Bratislava")};
    test::ScopedEnv m_all{"LC_ALL", std::nullopt};
    test::ScopedEnv m_messages{"LC_MESSAGES", std::nullopt};
    test::ScopedEnv m_lang;
};

TEST_F(CliTariffTest, PriceUsesTheTariffOfTheSystemLanguage) {
    WriteLibrary();
    const struct {
        std::string start;
        std::string seconds;
        std::string out;
    } cases[] = {
        {"2024-03-13 17:58:30", "200", "5\t40a00000\n"},  // Wednesday: 2 x 2.00 + 1 x 1.00
        {"1710349110", "200", "5\t40a00000\n"},           // the same moment in seconds
        {"2024-03-13 12:00:00", "1", "2\t40000000\n"},
        {"2024-02-29 12:00:00", "1", "2\t40000000\n"},  // a leap day, a Thursday
        {"2024-03-13 12:00:00", "0", "0\t00000000\n"},
        {"2024-03-16 12:00:00", "600", "0\t00000000\n"},  // Saturday: no active band
    };
    for (const auto& c : cases) {
        const auto r = Cli({"price", c.start, c.seconds});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.out) << c.start << " " << c.seconds;
    }
}

TEST_F(CliTariffTest, RegistryValuesWinOverTheTariffFile) {
    WriteLibrary();
    const std::string tariffKey = "HKLM\\Software\\Quorvex\\Orvanta\\Entries\\Time0";
    // The workday bands at 0.50 and 0.25 instead of 2.00 and 1.00; every other slot at 0.
    const std::string zero = "00000000";
    const std::string prices =
        zero + zero + zero + "0000003f" + "0000803e" + zero + zero + zero + zero;
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"reg", "set", tariffKey, "Price", "REG_BINARY", prices},
             {"reg", "set", "HKLM\\Software\\Quorvex\\Orvanta", "CurrDecName", "REG_DWORD", "3"},
             {"reg", "set", "HKLM\\Software\\Quorvex\\Orvanta", "CurrShort", "REG_SZ", "Sk"}}) {
        ASSERT_EQ(Cli(args).exitCode, 0);
    }
    auto r = Cli({"price", "2024-03-13 17:58:30", "200"});
    EXPECT_EQ(r.out, "1.25\t3fa00000\n") << r.err;  // 2 x 0.50 + 1 x 0.25
    r = Cli({"tariff", "show"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "Slovak,1051,Euro,Sk,1\r\n"
              "00:00,23:59,0.00,1;00:00,23:59,0.00,1\r\n"
              "08:00,17:59,0.50,1;18:00,07:59,0.25,3\r\n"
              "00:00,23:59,0.00,1;00:00,23:59,0.00,1\r\n"
              "CurrDecName\t3\n");
}

TEST_F(CliTariffTest, TariffFileIsPrintedAsTheProgramWritesIt) {
    WriteLibrary();
    auto r = Cli({"tariff", "file"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, std::string("English,1033,Pound,GBP,0\r\n"
                                 "00:00,23:59,9.00,1;00:00,23:59,0.00,1\r\n"
                                 "00:00,23:59,0.00,1;00:00,23:59,0.00,1\r\n"
                                 "00:00,23:59,0.00,1;00:00,23:59,0.00,1\r\n"
                                 "Slovak,1051,Euro,EUR,1\r\n"
                                 "00:00,23:59,0.00,1;00:00,23:59,0.00,1\r\n"
                                 "08:00,17:59,2.00,1;18:00,07:59,1.00,3\r\n"
                                 "00:00,23:59,0.00,1;00:00,23:59,0.00,1\r\n"));

    // The last tariff runs to the end of the text without a final line end: it is dropped.
    const std::string cut = m_home.File("cut.ini");
    test::WriteFileOrDie(cut,
                         "A,1,B,C,0\n0:0,23:59,1,1;0,0,0,1\n0,0,0,1;0,0,0,1\n0,0,0,1;0,0,0,1\n"
                         "Cut,2,x,y,0\n0,0,0,1");
    r = Cli({"tariff", "file", cut});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, std::string("A,1,B,C,0\r\n00:00,23:59,1.00,1;00:00,00:00,0.00,1\r\n"
                                 "00:00,00:00,0.00,1;00:00,00:00,0.00,1\r\n"
                                 "00:00,00:00,0.00,1;00:00,00:00,0.00,1\r\n"));

    const std::string empty = m_home.File("empty.ini");
    test::WriteFileOrDie(empty, "");
    r = Cli({"tariff", "file", empty});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");

    r = Cli({"tariff", "file", m_home.File("missing.ini")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("missing.ini"), std::string::npos) << r.err;
}

class CliTariffDefaultsTest : public CliTariffTest {
protected:
    CliTariffDefaultsTest() : CliTariffTest("de_DE.UTF-8") {}
};

TEST_F(CliTariffDefaultsTest, WithoutATariffForTheLanguageTheDefaultsStand) {
    WriteLibrary();
    auto r = Cli({"tariff", "show"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              std::string("User defined,0,Dolar,$,0\r\n") + kEmptyBands + "CurrDecName\t2\n");
    r = Cli({"price", "2024-03-13 17:58:30", "200"});
    EXPECT_EQ(r.out, "0\t00000000\n");
    // Loading the settings leaves the registry untouched.
    EXPECT_FALSE(std::filesystem::exists(m_home.File("machine.reg")));
    EXPECT_FALSE(std::filesystem::exists(m_home.File("user.reg")));
}

TEST_F(CliTariffTest, UsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"price"},
        {"price", "0"},
        {"price", "yesterday", "10"},
        // Dates that are not on the calendar, and numbers with signs or blanks.
        {"price", "2024-02-30 10:00:00", "60"},
        {"price", "2023-02-29 10:00:00", "60"},
        {"price", "2024-04-31 10:00:00", "60"},
        {"price", "2024-02-01 -1:00:00", "60"},
        {"price", "2024-02- 1 10:00:00", "60"},
        {"price", "2024-02-01 23:59:60", "60"},
        {"price", "0", "-1"},
        {"price", "0", "ten"},
        {"price", "0", "10", "extra"},
        {"tariff"},
        {"tariff", "show", "extra"},
        {"tariff", "file", "a", "b"},
        {"tariff", "write"},
    };
    for (const auto& args : cases) {
        const auto r = Cli(args);
        EXPECT_EQ(r.exitCode, 2) << args.size();
        EXPECT_NE(r.err.find("usage: orvanta-cli " + args[0]), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace ov
