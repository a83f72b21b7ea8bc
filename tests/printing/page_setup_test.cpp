// The page setup: its fields read and written, and the dialog driven offscreen by the names
// of its controls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>

#include <memory>

#include "printing/page_setup_fields.h"
#include "printing/ui/page_setup_dialog.h"
#include "printing/ui/printer_settings.h"
#include "printing/ui/report_print.h"
#include "support/qt_application.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

#include <QPrinter>
#include <regex>

namespace ov {
namespace {

const auto* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::QtApplicationEnvironment<QApplication>);

TEST(PageSetupFields, PositionsAndUnits) {
    EXPECT_EQ(PositionFieldText(750), "7mm");
    EXPECT_EQ(PositionFieldText(1250), "12mm");
    const std::pair<const char*, int> fields[] = {
        {"12", 1200}, {"12mm", 1200}, {"12 mm and more", 1200},     {"007", 700}, {"mm12", 0},
        {" 12", 0},   {"", 0},        {"99999999999999", 999999900}};
    for (const auto& [text, position] : fields) {
        EXPECT_EQ(ParsePositionField(text), position) << text;
    }
    EXPECT_EQ(ToDialogUnits(1500, true), 1500);
    EXPECT_EQ(ToDialogUnits(2540, false), 1000);
    EXPECT_EQ(ToDialogUnits(1500, false), 591);
    EXPECT_EQ(FromDialogUnits(591, false), 1501);
    EXPECT_EQ(FromDialogUnits(1500, true), 1500);
}

template <typename T>
T* Find(const QWidget& dialog, const char* name) {
    T* widget = dialog.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

PageRecord SettingsPage() {
    PageRecord page = FreshPageRecord();
    page.leftMargin = 1500;
    page.topMargin = 1500;
    page.rightMargin = 2000;
    page.bottomMargin = 2500;
    page.headerPosition = 750;
    page.footerPosition = 1250;
    page.orientation = 2;
    page.SetFooterText("#d  #t#|#|Orvanta");
    return page;
}

TEST(PageSetupDialog, ShowsTheRecordAndTakesItBack) {
    const struct {
        QLocale locale;
        const char* suffix;
        double left;
    } cases[] = {{QLocale(QLocale::Slovak, QLocale::Slovakia), " mm", 15.0},
                 {QLocale(QLocale::English, QLocale::UnitedStates), " in", 0.591}};
    for (const auto& c : cases) {
        QLocale::setDefault(c.locale);
        QPixmap portrait(8, 8);
        portrait.fill(Qt::red);
        QPixmap landscape(8, 8);
        landscape.fill(Qt::blue);
        const PageRecord page = SettingsPage();
        PageSetupDialog dialog(page, {portrait, landscape});

        auto* tabs = Find<QTabWidget>(dialog, "id26503");
        ASSERT_EQ(tabs->count(), 2);
        EXPECT_EQ(tabs->tabText(0), "   &Margins   ");
        EXPECT_EQ(tabs->tabText(1), "&Header/Footer");
        auto* left = Find<QDoubleSpinBox>(dialog, "id1155");
        EXPECT_EQ(left->suffix(), c.suffix);
        EXPECT_DOUBLE_EQ(left->value(), c.left);
        EXPECT_EQ(Find<QComboBox>(dialog, "id1137")->currentData().toInt(), 9);
        EXPECT_TRUE(Find<QRadioButton>(dialog, "id1057")->isChecked());
        EXPECT_EQ(Find<QLineEdit>(dialog, "id26504")->text(), "7mm");
        EXPECT_EQ(Find<QLineEdit>(dialog, "id26505")->text(), "12mm");
        EXPECT_TRUE(Find<QCheckBox>(dialog, "id26506")->isChecked());
        EXPECT_FALSE(Find<QCheckBox>(dialog, "id26509")->isChecked());
        EXPECT_EQ(Find<QPlainTextEdit>(dialog, "id26510")->toPlainText(), "#d  #t#|#|Orvanta");
        EXPECT_EQ(Find<FontButton>(dialog, "id26508")->Font().lfHeight, -10);  // 400 / -40
        ASSERT_NE(Find<QWidget>(dialog, "id1080"), nullptr);
        ASSERT_NE(Find<QComboBox>(dialog, "id1026"), nullptr);
        // Every input control is named by its label.
        for (const char* name : {"id1155", "id1137", "id26504", "id26507", "id26508"}) {
            const auto labels = dialog.findChildren<QLabel*>();
            EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](QLabel* l) {
                return l->buddy() == Find<QWidget>(dialog, name);
            })) << name;
        }

        // Unchanged, the record comes back as it was, apart from the unit of the dialog.
        PageRecord back = dialog.Result();
        EXPECT_EQ(back.metric, c.locale.measurementSystem() == QLocale::MetricSystem ? 1 : 0);
        back.metric = page.metric;
        if (back.metric == 0 || c.suffix == std::string(" in")) {
            // Thousandths of an inch do not hit every 0.01 mm.
            EXPECT_NEAR(back.leftMargin, 1500, 2);
            back.leftMargin = page.leftMargin;
            back.topMargin = page.topMargin;
            back.rightMargin = page.rightMargin;
            back.bottomMargin = page.bottomMargin;
        }
        back.paperWidth = page.paperWidth;  // the code's true A4 size replaces the stored one
        back.paperHeight = page.paperHeight;
        EXPECT_EQ(back, page);

        // Changes are taken back.
        Find<QLineEdit>(dialog, "id26504")->setText("12 mm");
        Find<QLineEdit>(dialog, "id26505")->setText("none");
        Find<QCheckBox>(dialog, "id26506")->setChecked(false);
        Find<QCheckBox>(dialog, "id26509")->setChecked(true);
        Find<QPlainTextEdit>(dialog, "id26507")->setPlainText("#p\nsecond line");
        Find<QRadioButton>(dialog, "id1056")->setChecked(true);
        auto* paper = Find<QComboBox>(dialog, "id1137");
        paper->setCurrentIndex(paper->findData(1));  // Letter
        left->setValue(c.suffix == std::string(" mm") ? 10.0 : 1.0);
        back = dialog.Result();
        EXPECT_EQ(back.headerPosition, 1200);
        EXPECT_EQ(back.footerPosition, 0);
        EXPECT_EQ(back.headerOn, 0);
        EXPECT_EQ(back.footerOn, 1);
        EXPECT_EQ(back.HeaderText(), "#p\nsecond line");
        EXPECT_EQ(back.orientation, 1);
        EXPECT_EQ(back.paperSize, 1);
        EXPECT_EQ(back.paperWidth, 21590);
        EXPECT_EQ(back.leftMargin, c.suffix == std::string(" mm") ? 1000 : 2540);
        EXPECT_EQ(back.headerFont, page.headerFont);
        // The icon follows the orientation.
        EXPECT_EQ(Find<QLabel>(dialog, "id26515")->pixmap().toImage().pixelColor(0, 0),
                  QColor(Qt::red));
        Find<QRadioButton>(dialog, "id1057")->setChecked(true);
        EXPECT_EQ(Find<QLabel>(dialog, "id26515")->pixmap().toImage().pixelColor(0, 0),
                  QColor(Qt::blue));
    }
    QLocale::setDefault(QLocale::c());
}

TEST(ReportPrinting, PageSettingsReachThePrinterAndThePagesPrint) {
    PageRecord page = SettingsPage();
    page.copies = 2;
    page.printQuality = -2;
    page.duplex = 2;
    QPrinter printer;
    ApplyToPrinter(page, printer);
    EXPECT_TRUE(printer.fullPage());
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A4);
    EXPECT_EQ(printer.resolution(), 300);
    PageRecord back = FreshPageRecord();
    ReadFromPrinter(printer, back);
    EXPECT_EQ(back.orientation, 2);
    EXPECT_EQ(back.paperSize, 9);
    EXPECT_EQ(back.printQuality, -2);

    // Pages 2 and 3 of a longer report, printed to a file.
    ReportDocument document;
    document.style.titleFont = LogFont::Make("Times New Roman", 420, 700, 1);
    document.style.rowFont = LogFont::Make("Times New Roman", 360, 400, 1);
    document.style.page = page;
    document.columns = {0};
    document.columnTitles = {"Kind"};
    for (int k = 0; k < 200; ++k) {
        CallRow row;
        row.startTime = 1704888000 + k * 60;
        document.rows.push_back(row);
    }
    document.cellText = [](std::size_t, int) { return std::string("Connected"); };
    const ReportPages pages(document);
    ASSERT_GE(pages.PageCount(), 3);
    test::TempDir dir;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.File("printed.pdf")));
    ASSERT_TRUE(PrintPages(pages, printer, 2, 3));
    const auto info = test::RunProcess({"/usr/bin/pdfinfo", dir.File("printed.pdf")});
    EXPECT_TRUE(std::regex_search(info.out, std::regex("Pages: +2\\n"))) << info.out;
    EXPECT_FALSE(PrintPages(pages, printer, 4 + pages.PageCount(), 9 + pages.PageCount()));
}

}  // namespace
}  // namespace ov
