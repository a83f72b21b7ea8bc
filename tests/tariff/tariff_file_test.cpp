#include "tariff/tariff_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

namespace ov {
namespace {

/// A workday tariff of 2.00 per minute by day and 1.00 per three minutes by night.
Tariff Workday() {
    Tariff t;
    t.CurrCompany = "Telecom";
    t.CountryID = 1051;
    t.CurrName = "Euro";
    t.CurrShort = "EUR";
    t.CurrAfterNum = 1;
    t.SetBand(SlotIndex(Workdays, 0), {8 * 60, 17 * 60 + 59, 2.0f, 1});
    t.SetBand(SlotIndex(Workdays, 1), {18 * 60, 7 * 60 + 59, 1.0f, 3});
    t.SetBand(SlotIndex(EveryDay, 0), {0, 1439, 1.5f, 2});
    return t;
}

TEST(TariffFileTest, WrittenLinesAsTheFileLaysThemOut) {
    const std::string text = TariffFileText({Workday()});
    EXPECT_EQ(text,
              "Telecom,1051,Euro,EUR,1\r\n"
              "00:00,23:59,1.50,2;00:00,23:59,0.00,1\r\n"
              "08:00,17:59,2.00,1;18:00,07:59,1.00,3\r\n"
              "00:00,23:59,0.00,1;00:00,23:59,0.00,1\r\n");
}

TEST(TariffFileTest, RoundTripKeepsAllButDecimalsAndTheThirdRows) {
    Tariff original = Workday();
    original.CurrDecName = 4;
    original.SetBand(SlotIndex(Weekend, 2), {60, 120, 9.0f, 5});  // a third row is not stored
    Tariff second;
    second.CurrCompany = "Second";
    const std::vector<Tariff> library{original, second};

    test::TempDir dir;
    ASSERT_TRUE(WriteTariffFile(dir.File("Prices.ini"), library));
    std::vector<Tariff> back;
    ReadTariffFile(dir.File("Prices.ini"), back);
    ASSERT_EQ(back.size(), 2u);
    Tariff expected = original;
    expected.CurrDecName = 2;
    expected.SetBand(SlotIndex(Weekend, 2), TariffBand{});
    EXPECT_EQ(back[0], expected);
    EXPECT_EQ(back[1], second);

    struct stat st {};
    ASSERT_EQ(::stat(dir.File("Prices.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(TariffFileTest, ReadingQuirksOfOldFiles) {
    const std::string band = "00:00,23:59,0.00,1;00:00,23:59,0.00,1\n";
    const std::string rest = band + band + band;
    struct Case {
        const char* what;
        std::string text;
        std::size_t tariffs;
    };
    const Case cases[] = {
        {"unix line ends", "A,1,N,S,0\n" + rest, 1},
        {"last block without its final line end",
         "A,1,N,S,0\n" + rest + "B,1,N,S,0\n" + band + band + band.substr(0, band.size() - 1), 1},
        {"too short for one tariff", "A,1,N,S,0\n", 0},
        {"two blocks", "A,1,N,S,0\n" + rest + "B,2,N,S,0\n" + rest, 2},
    };
    for (const auto& c : cases) {
        std::vector<Tariff> library(3);  // replaced whenever the text is not empty
        ParseTariffText(c.text, library);
        EXPECT_EQ(library.size(), c.tariffs) << c.what;
    }
}

TEST(TariffFileTest, CommaInANameShiftsTheFieldsOfAnOldFile) {
    std::vector<Tariff> library;
    ParseTariffText(
        "Tele, Com,1051,Euro,EUR,1\n"
        "00:00,23:59,1.50,2;00:00,23:59,0.00,1\n"
        "08:00,17:59,2.00,1;18:00,07:59,1.00,3\n"
        "00:00,23:59,0.00,1;00:00,23:59,0.00,1\n",
        library);
    // Every field moves one place on: " Com" becomes the country, and so on. The one field
    // left over starts a tariff that the end of the text cuts off, so it is dropped.
    ASSERT_EQ(library.size(), 1u);
    EXPECT_EQ(library[0].CurrCompany, "Tele");
    EXPECT_EQ(library[0].CountryID, 0);
    EXPECT_EQ(library[0].CurrName, "1051");
    EXPECT_EQ(library[0].CurrShort, "Euro");
    EXPECT_EQ(library[0].CurrAfterNum, 0);  // atoi("EUR")
}

TEST(TariffFileTest, NamesWithSeparatorsAreWrittenWithBlanks) {
    Tariff t;
    t.CurrCompany = "Tele, Com; Ltd\nSecond line";
    t.CurrShort = "K\xC4\x8D";
    test::TempDir dir;
    ASSERT_TRUE(WriteTariffFile(dir.File("p.ini"), {t}));
    std::vector<Tariff> back;
    ReadTariffFile(dir.File("p.ini"), back);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].CurrCompany, "Tele  Com  Ltd Second line");
    EXPECT_EQ(back[0].CurrShort, "K\xC4\x8D");
}

TEST(TariffFileTest, TimeAndNumberFields) {
    const struct {
        const char* field;
        std::int16_t minute;
    } times[] = {
        {"08:30", 510}, {"8:5", 485},    {"123:45", 720}, {"", 0},
        {"xx", 0},      {"99:99", 6039}, {"07", 420},
    };
    for (const auto& t : times) {
        std::vector<Tariff> library;
        ParseTariffText(std::string("A,1,N,S,0\n") + t.field +
                            ",00:00,1.5,2;00:00,00:00,0,1\n00:00,00:00,0,1;00:00,00:00,0,1\n"
                            "00:00,00:00,0,1;00:00,00:00,0,1\n",
                        library);
        ASSERT_EQ(library.size(), 1u) << t.field;
        EXPECT_EQ(library[0].TimeFrom[0], t.minute) << t.field;
        EXPECT_FLOAT_EQ(library[0].Price[0], 1.5f);
        EXPECT_EQ(library[0].Minuts[0], 2);
    }
    // A price that is not a finite decimal number reads as 0, so that no NaN reaches a sum.
    for (const char* price : {"nan", "inf", "1e39", "0x10"}) {
        std::vector<Tariff> library;
        ParseTariffText(std::string("A,1,N,S,0\n00:00,23:59,") + price +
                            ",1;00:00,00:00,0,1\n00:00,00:00,0,1;00:00,00:00,0,1\n"
                            "00:00,00:00,0,1;00:00,00:00,0,1\n",
                        library);
        ASSERT_EQ(library.size(), 1u) << price;
        EXPECT_EQ(library[0].Price[0], 0.0f) << price;
    }
    // Prices are written with two decimals whatever the tariff shows.
    Tariff t;
    t.Price[0] = 1.5f;
    t.CurrDecName = 0;
    EXPECT_NE(TariffFileText({t}).find("\r\n00:00,23:59,1.50,1;"), std::string::npos);
}

TEST(TariffFileTest, MissingOrEmptyFileLeavesTheLibrary) {
    test::TempDir dir;
    std::vector<Tariff> library{Workday()};
    ReadTariffFile(dir.File("none.ini"), library);
    EXPECT_EQ(library.size(), 1u);
    test::WriteFileOrDie(dir.File("empty.ini"), "");
    ReadTariffFile(dir.File("empty.ini"), library);
    EXPECT_EQ(library.size(), 1u);

    // A write that cannot happen leaves the old file whole.
    ASSERT_TRUE(WriteTariffFile(dir.File("keep.ini"), library));
    const std::string before = test::ReadFileOrEmpty(dir.File("keep.ini"));
    EXPECT_FALSE(WriteTariffFile(dir.File("no/such/folder.ini"), library));
    EXPECT_EQ(test::ReadFileOrEmpty(dir.File("keep.ini")), before);
}

}  // namespace
}  // namespace ov
