// The report drawn with Qt: fonts in print units, the page layout of the page settings, pages
// with and without the chart, and files that cannot be written.
#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QGuiApplication>

#include <memory>

#include "printing/qt/report_painter.h"
#include "support/qt_application.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

const auto* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::QtApplicationEnvironment<QGuiApplication>);

TEST(ReportFonts, NegativeHeightsAreCharacterHeightsPositiveOnesCellHeights) {
    LogFont font = LogFont::Make("Times New Roman", -360, 700, 1);
    QFont qfont = FontFromLogFont(font);
    EXPECT_EQ(qfont.pixelSize(), 360);
    EXPECT_EQ(qfont.weight(), QFont::Bold);
    font.lfHeight = 400;
    qfont = FontFromLogFont(font);
    EXPECT_LT(qfont.pixelSize(), 400);
    EXPECT_NEAR(QFontMetricsF(qfont).height(), 400, 12);
}

TEST(ReportPageLayout, PaperAndOrientationBothWays) {
    PageRecord page = FreshPageRecord();
    page.orientation = 2;
    QPageLayout layout = PageLayoutOf(page);
    EXPECT_EQ(layout.pageSize().id(), QPageSize::A4);
    EXPECT_EQ(layout.orientation(), QPageLayout::Landscape);
    EXPECT_EQ(layout.mode(), QPageLayout::FullPageMode);
    EXPECT_EQ(layout.margins(), QMarginsF(0, 0, 0, 0));

    layout = QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF());
    StorePageLayout(layout, page);
    EXPECT_EQ(page.paperSize, 1);
    EXPECT_EQ(page.orientation, 1);
    EXPECT_EQ(page.paperWidth, 21590);
    EXPECT_EQ(page.paperHeight, 27940);
    EXPECT_EQ(page.leftMargin, 2000);  // margins are the report's own
}

ReportDocument Document(int rows, bool chart) {
    ReportDocument document;
    document.style.titleFont = LogFont::Make("Times New Roman", 420, 700, 1);
    document.style.rowFont = LogFont::Make("Times New Roman", 360, 400, 1);
    document.style.page = FreshPageRecord();
    document.style.chart = chart;
    document.columns = {0, 1};
    document.columnTitles = {"Kind", "Start"};
    for (int k = 0; k < rows; ++k) {
        CallRow row;
        row.startTime = 1704888000 + k * 600;
        row.connectedSeconds = 600;
        row.price = 0.5f;
        document.rows.push_back(row);
    }
    document.cellText = [](std::size_t row, int column) {
        return column == 0 ? "Connected" : "row " + std::to_string(row);
    };
    document.monthNames.fill("January");
    document.sumsLabels = {"Calls", "Time", "Price", "First call", "Last call", "Days"};
    return document;
}

TEST(ReportPages, TheChartPageFollowsTheReportOnlyWhenAsked) {
    const ReportDocument plain = Document(100, false);
    const ReportDocument charted = Document(100, true);
    const ReportPages without(plain);
    const ReportPages with(charted);
    EXPECT_GT(without.PageCount(), 1);
    EXPECT_EQ(with.PageCount(), without.PageCount() + 1);
    EXPECT_TRUE(with.HasChartPage());
    // An empty list has no pages at all, chart or not.
    const ReportDocument empty = Document(0, true);
    EXPECT_EQ(ReportPages(empty).PageCount(), 0);
}

TEST(ReportPdf, AFileThatCannotBeWrittenIsReported) {
    test::TempDir dir;
    const ReportDocument document = Document(3, false);
    std::string error;
    const std::string path = dir.File("no/such/folder/report.pdf");
    EXPECT_FALSE(WriteReportPdf(document, path, &error));
    EXPECT_EQ(error.rfind("cannot write " + path + ": ", 0), 0u) << error;
    EXPECT_TRUE(WriteReportPdf(document, dir.File("report.pdf"), &error)) << error;
    EXPECT_GT(test::ReadFileOrEmpty(dir.File("report.pdf")).size(), 1000u);
}

}  // namespace
}  // namespace ov
