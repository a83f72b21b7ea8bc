// orvanta-cli calls report: the report written as a PDF and read back with poppler's tools,
// in a temporary data root in Bratislava time.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "settings/page_record.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

test::ProcessResult Tool(const std::vector<std::string>& args) {
    return test::RunProcess(args);
}

test::ProcessResult Cli(std::vector<std::string> args, const std::string& input = {}) {
    args.insert(args.begin(), OV_CLI_PATH);
    return test::RunProcess(args, input);
}

const std::string kUserKey = "HKCU\\Software\\Quorvex\\Orvanta";

/// A word of `pdftotext -bbox`, in points from the page's top left.
struct Word {
    double xMin, yMin, xMax, yMax;
    std::string text;
};

/// Points to 0.01 mm.
double Units(double points) {
    return points * 2540.0 / 72.0;
}

class CliReportTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(m_home.File("LogData")); }

    /// Appends `count` connected calls of a minute, an hour apart from the 2nd of the month at
    /// 08:00, to the month file of 2024-MONTH.
    void AppendCalls(int month, int count) {
        const auto path = Cli({"log", "path", "2024", std::to_string(month)});
        ASSERT_EQ(path.exitCode, 0) << path.err;
        std::tm local{};
        local.tm_year = 124;
        local.tm_mon = month - 1;
        local.tm_mday = 2;
        local.tm_hour = 8;
        local.tm_isdst = -1;
        const long start = static_cast<long>(std::mktime(&local));
        std::string lines;
        for (int k = 0; k < count; ++k) {
            lines += "0\t" + std::to_string(start + k * 3600L) +
                     "\t60\t10\t1.5\t\tjane\tDemo ISP\tttyUSB0\tmodem\n";
        }
        const auto r = Cli({"log", "append", path.out.substr(0, path.out.size() - 1)}, lines);
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }

    void SetNumber(const std::string& name, int value) {
        ASSERT_EQ(Cli({"reg", "set", kUserKey, name, "REG_DWORD", std::to_string(value)}).exitCode,
                  0);
    }

    /// Stores the page settings as the program stores them.
    void SetPage(const PageRecord& page) {
        std::string hex;
        const auto* bytes = reinterpret_cast<const unsigned char*>(&page);
        for (std::size_t i = 0; i < sizeof page; ++i) {
            char digits[3];
            std::snprintf(digits, sizeof digits, "%02x", bytes[i]);
            hex += digits;
        }
        const auto r = Cli({"reg", "set", kUserKey, "PrintPage", "REG_BINARY", hex});
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }

    /// The settings' page with a 10 mm left margin, A4 upright, the given header and footer.
    PageRecord Page(const std::string& header, const std::string& footer) {
        PageRecord page = FreshPageRecord();
        page.leftMargin = 1000;
        page.paperWidth = 21000;
        page.paperHeight = 29700;
        page.SetHeaderText(header);
        page.SetFooterText(footer);
        page.headerOn = header.empty() ? 0 : 1;
        page.footerOn = footer.empty() ? 0 : 1;
        return page;
    }

    std::string Report(std::vector<std::string> filter = {}) {
        const std::string file = m_home.File("report.pdf");
        std::vector<std::string> args{"calls", "report", file, "--lang", "1033"};
        args.insert(args.end(), filter.begin(), filter.end());
        const auto r = Cli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "");
        return file;
    }

    static int Pages(const std::string& pdf) {
        const auto r = Tool({"/usr/bin/pdfinfo", pdf});
        const std::regex pages("Pages:\\s+(\\d+)");
        std::smatch m;
        return std::regex_search(r.out, m, pages) ? std::stoi(m[1]) : -1;
    }

    /// The text of one page (0: all pages), laid out as on the page.
    static std::string Text(const std::string& pdf, int page = 0) {
        std::vector<std::string> args{"/usr/bin/pdftotext", "-layout"};
        if (page > 0) {
            args.insert(args.end(), {"-f", std::to_string(page), "-l", std::to_string(page)});
        }
        args.insert(args.end(), {pdf, "-"});
        return Tool(args).out;
    }

    static std::vector<Word> Words(const std::string& pdf, int page) {
        const auto r = Tool({"/usr/bin/pdftotext", "-bbox", "-f", std::to_string(page), "-l",
                             std::to_string(page), pdf, "-"});
        const std::regex word(
            "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" "
            "yMax=\"([0-9.]+)\">([^<]*)</word>");
        std::vector<Word> words;
        for (auto it = std::sregex_iterator(r.out.begin(), r.out.end(), word);
             it != std::sregex_iterator(); ++it) {
            words.push_back(Word{std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]),
                                 std::stod((*it)[4]), (*it)[5].str()});
        }
        return words;
    }

    static int Count(const std::string& text, const std::string& what) {
        int count = 0;
        for (std::size_t at = text.find(what); at != std::string::npos;
             at = text.find(what, at + 1)) {
            ++count;
        }
        return count;
    }

    test::ScopedEnv m_tz{"TZ", std::string("Europe/Bratislava")};
    test::ChildHome m_home;
};

TEST_F(CliReportTest, TwoMonthsInTwoBlocksWithTheirSumsAndTheTotal) {
    AppendCalls(1, 3);
    AppendCalls(2, 2);
    const std::string text = Text(Report());
    const auto january = text.find("January 2024");
    const auto february = text.find("February 2024");
    ASSERT_NE(january, std::string::npos) << text;
    ASSERT_NE(february, std::string::npos) << text;
    // Column titles, one line per call with the call list's texts, then the month's sums.
    EXPECT_NE(text.find("Kind"), std::string::npos);
    EXPECT_NE(text.find("Price"), std::string::npos);
    EXPECT_EQ(Count(text, "02.01.2024  "), 0) << "pdftotext joins the double blank";
    EXPECT_EQ(Count(text, "Connected "), 5 + 2) << text;  // rows and two column titles
    EXPECT_NE(text.find("02.02.2024 09:00:00"), std::string::npos) << text;
    const auto januarySums = text.find("Per day", january);
    EXPECT_LT(januarySums, february);
    EXPECT_EQ(Count(text, "Per day"), 3);
    EXPECT_EQ(Count(text, "All months"), 1) << "the list's sums are captioned";
    EXPECT_TRUE(std::regex_search(text, std::regex("Calls +3 +3\\.000")));  // on one day
    EXPECT_TRUE(std::regex_search(text, std::regex("Calls +2 +2\\.000")));
    EXPECT_TRUE(std::regex_search(text, std::regex("Calls +5 +0\\.156")));  // 5 in 32 days
    EXPECT_TRUE(std::regex_search(text, std::regex("Price +\\$7\\.50")));
    EXPECT_EQ(Pages(m_home.File("report.pdf")), 1);
}

TEST_F(CliReportTest, SumsBlocksFollowTheSettings) {
    AppendCalls(1, 3);
    AppendCalls(2, 2);
    const struct {
        int monthSums, totalSums, sumsBlocks;
    } cases[] = {{1, 1, 3}, {0, 1, 1}, {1, 0, 2}, {0, 0, 0}};
    for (const auto& c : cases) {
        SetNumber("PrintMonSum", c.monthSums);
        SetNumber("PrintTotSum", c.totalSums);
        const std::string text = Text(Report());
        EXPECT_EQ(Count(text, "Per day"), c.sumsBlocks) << c.monthSums << c.totalSums;
        EXPECT_EQ(Count(text, "Days "), c.sumsBlocks);
        EXPECT_EQ(Count(text, "January 2024"), 1);
        EXPECT_EQ(Count(text, "February 2024"), 1);
    }
}

TEST_F(CliReportTest, AMonthOverTwoPagesRepeatsItsTitleAndHeaderCarriesThePageNumber) {
    AppendCalls(3, 100);
    SetPage(Page("#|- #p -", ""));
    const std::string pdf = Report();
    ASSERT_EQ(Pages(pdf), 3);
    for (int page = 1; page <= 2; ++page) {
        EXPECT_EQ(Count(Text(pdf, page), "March 2024"), 1) << page;
        EXPECT_EQ(Count(Text(pdf, page), "Start"), 1) << page;
    }
    // All 100 rows, over 5 days, are summed by the month's sums on the last page.
    EXPECT_TRUE(std::regex_search(Text(pdf, 3), std::regex("Calls +100 +20\\.000")));

    // "- 3 -" centred in the printing width on page 3, and nothing at the left.
    std::vector<Word> header;
    for (const Word& word : Words(pdf, 3)) {
        if (Units(word.yMin) < 1500) {
            header.push_back(word);
        }
    }
    ASSERT_FALSE(header.empty());
    std::string joined;
    for (const Word& word : header) {
        joined += word.text;
    }
    EXPECT_EQ(joined, "-3-");
    const double centre = Units((header.front().xMin + header.back().xMax) / 2);
    EXPECT_NEAR(centre, 1000 + (21000 - 1000 - 2000) / 2.0, 30);
    EXPECT_NEAR(Units(header.front().yMin), 1000, 150);  // the header position, 10 mm
}

TEST_F(CliReportTest, FooterDateAndTimeLeftProductNameFlushRight) {
    AppendCalls(1, 2);
    SetPage(Page("", "#d  #t#|#|Orvanta"));
    const std::string pdf = Report();
    const std::string text = Text(pdf);
    EXPECT_TRUE(std::regex_search(
        text,
        std::regex("[ 0-9]?\\d\\. ?\\d{1,2}\\.\\d{4} +[ 0-9]?\\d: ?\\d{1,2}: ?\\d{1,2} +Orvanta")))
        << text;
    const std::vector<Word> words = Words(pdf, 1);
    ASSERT_FALSE(words.empty());
    const Word& name = words.back();
    EXPECT_EQ(name.text, "Orvanta");
    EXPECT_NEAR(Units(name.xMax), 21000 - 2000, 30);  // flush with the right margin
    EXPECT_NEAR(Units(name.yMin), 29700 - 1000, 150);
}

TEST_F(CliReportTest, NoInkLeftOfATenMillimetreMargin) {
    AppendCalls(1, 5);
    SetPage(Page("#p", "#p"));
    const std::string pdf = Report();
    // At 254 dots per inch a pixel is a tenth of a millimetre.
    const std::string prefix = m_home.File("page");
    ASSERT_EQ(Tool({"/usr/bin/pdftoppm", "-r", "254", "-gray", "-f", "1", "-l", "1", "-singlefile",
                    pdf, prefix})
                  .exitCode,
              0);
    std::ifstream in(prefix + ".pgm", std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    in.get();
    ASSERT_EQ(magic, "P5");
    EXPECT_NEAR(width, 2100, 2);
    EXPECT_NEAR(height, 2970, 2);
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height);
    in.read(reinterpret_cast<char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    int firstInk = width;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (pixels[static_cast<std::size_t>(y) * width + x] < 128) {
                firstInk = std::min(firstInk, x);
            }
        }
    }
    // The table's frame, 0.5 mm wide, is centred on the margin.
    EXPECT_GE(firstInk, 100 - 3);
    EXPECT_LE(firstInk, 100 + 3);
}

TEST_F(CliReportTest, AChartPageOnlyWithPrintGraph) {
    AppendCalls(1, 3);
    AppendCalls(2, 2);
    const std::string pdf = Report();
    const int pages = Pages(pdf);
    ASSERT_GE(pages, 1);
    SetNumber("PrintGraph", 1);
    Report();
    ASSERT_EQ(Pages(pdf), pages + 1);
    const std::string chart = Text(pdf, pages + 1);
    EXPECT_NE(chart.find("Price"), std::string::npos) << chart;
    EXPECT_NE(chart.find("Time"), std::string::npos);
    EXPECT_NE(chart.find("2.1."), std::string::npos);  // the days with calls
    EXPECT_NE(chart.find("2.2."), std::string::npos);
    EXPECT_EQ(chart.find("Connected"), std::string::npos);
}

TEST_F(CliReportTest, MonthSumsModeListsMonthLinesUnderOneTitle) {
    AppendCalls(1, 3);
    AppendCalls(2, 2);
    const std::string text = Text(Report({"--month-sums"}));
    EXPECT_EQ(Count(text, "Month sums"), 1) << text;
    EXPECT_EQ(Count(text, "Month sum "), 2) << text;
    EXPECT_EQ(Count(text, "Per day"), 1);  // the total only
}

TEST_F(CliReportTest, AnUnwritableFileFailsWithAMessage) {
    AppendCalls(1, 1);
    const std::string file = m_home.File("missing/report.pdf");
    const auto r = Cli({"calls", "report", file, "--lang", "1033"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot write " + file), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(Cli({"calls", "report"}).exitCode, 2);
}

TEST_F(CliReportTest, AnEmptyListGivesOnePageWithHeaderAndFooter) {
    SetPage(Page("#|- #p -", ""));
    const std::string pdf = Report({"--month", "2023-01"});
    EXPECT_EQ(Pages(pdf), 1);
    EXPECT_TRUE(std::regex_search(Text(pdf), std::regex("- ?1 ?-"))) << Text(pdf);
}

}  // namespace
}  // namespace ov
