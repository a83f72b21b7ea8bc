// The page setup: its fields read and written, and the dialog driven offscreen by the names
// of its controls.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>

#include <memory>

#include "app/ui/pack_ui_resources.h"
#include "dialogs/ui/qx_font_button.h"
#include "printing/page_setup_fields.h"
#include "printing/qt/sample_page.h"
#include "printing/report_document.h"
#include "printing/ui/page_setup_dialog.h"
#include "printing/ui/printer_settings.h"
#include "printing/ui/report_print.h"
#include "printing/ui/sample_page_widget.h"
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

class NoStore final : public LanguageSettingsStore {
public:
    std::optional<std::uint32_t> ReadCurrentLng() const override { return std::nullopt; }
    bool WriteCurrentLng(std::uint32_t) override { return true; }
    std::uint32_t SystemLanguage() const override { return 0; }
    std::string LanguageName(std::uint32_t) const override { return {}; }
};

/// The packs the build made, switched to one of them.
class PackDialogTest : public ::testing::Test {
protected:
    PackDialogTest() : m_resources(m_packs) { m_packs.AddStandardPacks(); }
    void Use(std::uint32_t pack) { ASSERT_TRUE(m_packs.SwitchTo(pack)) << m_packs.LastError(); }

    NoStore m_store;
    LanguagePacks m_packs{m_store};
    PackUiResources m_resources;
};

using PageSetupDialogTest = PackDialogTest;

TEST_F(PageSetupDialogTest, ShowsTheRecordAndTakesItBack) {
    Use(kPackEnglish);
    const struct {
        QLocale locale;
        const char* suffix;
        double left;
    } cases[] = {{QLocale(QLocale::Slovak, QLocale::Slovakia), " mm", 15.0},
                 {QLocale(QLocale::English, QLocale::UnitedStates), " in", 0.591}};
    for (const auto& c : cases) {
        QLocale::setDefault(c.locale);
        const PageRecord page = SettingsPage();
        PageSetupDialog dialog(page, m_resources);

        auto* tabs = Find<QTabWidget>(dialog, "id26503");
        ASSERT_EQ(tabs->count(), 2);
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
        EXPECT_EQ(Find<QXFontButton>(dialog, "id26508")->Font().lfHeight, -10);  // 400 / -40
        ASSERT_NE(Find<SamplePageWidget>(dialog, "id1080"), nullptr);

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

        // Changes are taken back, and the sample page follows them.
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
        EXPECT_EQ(Find<SamplePageWidget>(dialog, "id1080")->Page().paperSize, 1);
        EXPECT_EQ(Find<SamplePageWidget>(dialog, "id1080")->Page().leftMargin, back.leftMargin);
        // The pack's icon follows the orientation.
        auto* icon = Find<QLabel>(dialog, "id26515");
        const QImage portrait = icon->pixmap().toImage();
        EXPECT_FALSE(portrait.isNull());
        Find<QRadioButton>(dialog, "id1057")->setChecked(true);
        EXPECT_NE(icon->pixmap().toImage(), portrait);
    }
    QLocale::setDefault(QLocale::c());
}

/// The mnemonic letter of a text with "&", lower case; none for a text without one.
QChar Mnemonic(const QString& text) {
    for (qsizetype k = 0; k + 1 < text.size(); ++k) {
        if (text[k] == u'&') {
            if (text[k + 1] != u'&') {
                return text[k + 1].toLower();
            }
            ++k;
        }
    }
    return {};
}

TEST_F(PageSetupDialogTest, SpeaksThePacksLanguageWithMnemonicsAndNamedFields) {
    const struct {
        std::uint32_t pack;
        const char* title;
        const char* tabs[2];
        const char* defaultPrinter;
        const char* headerLabel;
    } cases[] = {
        {kPackEnglish,
         "Page Setup",
         {"   &Margins   ", "&Header/Footer"},
         "Default printer",
         "Header te&xt:"},
        {kPackSlovak,
         "Nastavenie strany",
         {"   &Okraje   ", "&Hlavička/päta"},
         "Predvolená tlačiareň",
         "&Text hlavičky:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        Use(c.pack);
        PageRecord page = SettingsPage();
        page.paperSize = 256;  // a paper of its own
        PageSetupDialog dialog(page, m_resources);
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8(c.title));
        auto* tabs = Find<QTabWidget>(dialog, "id26503");
        ASSERT_EQ(tabs->count(), 2);
        EXPECT_EQ(tabs->tabText(0), QString::fromUtf8(c.tabs[0]));
        EXPECT_EQ(tabs->tabText(1), QString::fromUtf8(c.tabs[1]));
        EXPECT_EQ(Find<QComboBox>(dialog, "id1026")->itemText(0),
                  QString::fromUtf8(c.defaultPrinter));
        const QString ownSize = Find<QComboBox>(dialog, "id1137")->currentText();
        EXPECT_TRUE(ownSize.contains(QStringLiteral("203.2 × 281.0 mm"))) << ownSize.toStdString();
        EXPECT_FALSE(ownSize.contains(QStringLiteral("%s")));

        // Every input control is the buddy of a label with a mnemonic; the mnemonics of one
        // tab, its check boxes' and radio buttons' and the two tab titles' are all different.
        const QStringList inputs = {"id1137",  "id1026",  "id1155",  "id1156",
                                    "id1157",  "id1158",  "id26507", "id26504",
                                    "id26508", "id26510", "id26505", "id26511"};
        const auto labels = dialog.findChildren<QLabel*>();
        for (const QString& name : inputs) {
            QWidget* input = Find<QWidget>(dialog, name.toLatin1().constData());
            const auto it = std::find_if(labels.begin(), labels.end(),
                                         [&](QLabel* l) { return l->buddy() == input; });
            ASSERT_NE(it, labels.end()) << name.toStdString();
            EXPECT_FALSE(Mnemonic((*it)->text()).isNull()) << (*it)->text().toStdString();
        }
        EXPECT_EQ(Find<QLabel>(dialog, "label26507")->text(), QString::fromUtf8(c.headerLabel));
        for (int tab = 0; tab < 2; ++tab) {
            QList<QChar> keys = {Mnemonic(tabs->tabText(0)), Mnemonic(tabs->tabText(1))};
            QWidget* page = tabs->widget(tab);
            QStringList texts;
            for (QLabel* label : page->findChildren<QLabel*>()) {
                texts << label->text();
            }
            for (QAbstractButton* button : page->findChildren<QAbstractButton*>()) {
                texts << button->text();
            }
            for (const QString& text : texts) {
                const QChar key = Mnemonic(text);
                if (!key.isNull()) {
                    EXPECT_FALSE(keys.contains(key)) << "tab " << tab << ": " << text.toStdString();
                    keys << key;
                }
            }
        }
        // The font buttons and the sample page have names for screen readers.
        EXPECT_FALSE(Find<QWidget>(dialog, "id26508")->accessibleName().isEmpty());
        EXPECT_FALSE(Find<QWidget>(dialog, "id1080")->accessibleName().isEmpty());

        // Nothing is cut: the dialog is at least as large as its contents ask.
        dialog.adjustSize();
        EXPECT_GE(dialog.width(), dialog.minimumSizeHint().width());
        if (const QString shots = qEnvironmentVariable("OV_SCREENSHOTS"); !shots.isEmpty()) {
            dialog.show();
            for (int tab = 0; tab < 2; ++tab) {
                tabs->setCurrentIndex(tab);
                QCoreApplication::processEvents();
                dialog.grab().save(
                    QStringLiteral("%1/page-setup-%2-%3.png").arg(shots).arg(c.pack).arg(tab));
            }
        }
    }
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

namespace ov {
namespace {

/// How many pixels of `image` inside `area` are near `colour`.
int CountNear(const QImage& image, const QRect& area, const QColor& colour, int tolerance = 60) {
    int count = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green()) +
                    std::abs(pixel.blue() - colour.blue()) <=
                tolerance) {
                ++count;
            }
        }
    }
    return count;
}

/// How many pixels of `image` inside `area` are dark or middle grey: lines, not coloured texts.
int CountGrey(const QImage& image, const QRect& area) {
    int count = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor p = image.pixelColor(x, y);
            if (std::abs(p.red() - p.green()) < 12 && std::abs(p.green() - p.blue()) < 12 &&
                p.red() < 230) {
                ++count;
            }
        }
    }
    return count;
}

ReportStyle SampleStyle() {
    ReportStyle style;  // the print settings' defaults
    style.titleFont = PrintFontFrom(LogFont::Make("Times New Roman", -14, 700, 1));
    style.rowFont = PrintFontFrom(LogFont::Make("Times New Roman", -12, 400, 1));
    style.page = SettingsPage();
    style.page.paperWidth = 28101;  // landscape A4
    style.page.paperHeight = 20320;
    style.titleColor = 0x000000FF;  // red
    style.rowColor = 0x0000A000;    // green
    return style;
}

QImage DrawnSample(const ReportStyle& style, QSize size = {600, 450}) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(200, 200, 200));
    QPainter painter(&image);
    DrawSampleReport(painter, QRectF(QPointF(0, 0), QSizeF(size)), style);
    return image;
}

/// The printing area of a style's page on a sample image drawn into `bounds`.
QRect AreaOnSample(const ReportStyle& style, const QRectF& bounds) {
    const SampleSheet sheet = FitSampleSheet(style.page, bounds);
    const PrintArea area = PrintAreaOf(style.page);
    return QRectF(sheet.paper.left() + area.left * sheet.scale,
                  sheet.paper.top() + area.top * sheet.scale,
                  (area.right - area.left) * sheet.scale, (area.bottom - area.top) * sheet.scale)
        .toRect();
}

TEST(SamplePage, PageSetupSampleDrawsTheHeaderAndFooterLinesWhereTheyBegin) {
    PageRecord page = SettingsPage();  // header at 7.5 mm, footer 12.5 mm up
    page.paperWidth = 28101;           // landscape A4
    page.paperHeight = 20320;
    page.headerColor = 0x000000FF;
    page.footerOn = 1;
    page.footerColor = 0x00FF0000;
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::gray);
    {
        QPainter painter(&image);
        DrawSamplePage(painter, image.rect(), page);
    }
    const SampleSheet sheet = FitSampleSheet(page, image.rect());
    EXPECT_EQ(sheet.paper.width(), 390);  // the wider side fits, 5 pixels to spare each way
    const QRect paper = sheet.paper.toRect();
    const int headerY = paper.top() + static_cast<int>(750 * sheet.scale);
    const int footerY = paper.bottom() - static_cast<int>(1250 * sheet.scale);
    EXPECT_EQ(image.pixelColor(paper.center().x(), headerY), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(paper.center().x(), footerY), QColor(Qt::blue));
    // The lines stop 5 pixels inside the sheet.
    EXPECT_EQ(image.pixelColor(paper.left() + 5, headerY), QColor(Qt::red));
    EXPECT_NE(image.pixelColor(paper.left() + 3, headerY), QColor(Qt::red));
    page.headerOn = 0;
    image.fill(Qt::gray);
    {
        QPainter painter(&image);
        DrawSamplePage(painter, image.rect(), page);
    }
    EXPECT_NE(image.pixelColor(paper.center().x(), headerY), QColor(Qt::red));
}

TEST(SamplePage, ReportSampleFollowsThePrintSettings) {
    const QRectF bounds(0, 0, 600, 450);
    const ReportStyle base = SampleStyle();
    const QRect area = AreaOnSample(base, bounds);
    const QRect lowerThird(area.left(), area.bottom() - area.height() / 3 + 2, area.width(),
                           area.height() / 3 - 2);
    const QColor blue(0, 0, 255);

    // The chart: its blue line in the lower third of the printing area, only when set.
    ReportStyle style = base;
    style.monthSums = style.totalSums = false;  // no blue sums values there either
    EXPECT_EQ(CountNear(DrawnSample(style), lowerThird, blue), 0);
    style.chart = true;
    EXPECT_GT(CountNear(DrawnSample(style), lowerThird, blue), 50);

    // The titles in the title colour, the rows in the row colour.
    const QImage plain = DrawnSample(base);
    EXPECT_GT(CountNear(plain, area, QColor(255, 0, 0)), 20);
    EXPECT_GT(CountNear(plain, area, QColor(0, 160, 0)), 20);

    // Frame and lines: each adds dark pixels.
    const struct {
        bool borders, rowLines, columnLines;
    } lines[] = {
        {false, false, false}, {true, false, false}, {true, true, false}, {true, true, true}};
    int before = -1;
    for (const auto& l : lines) {
        style = base;
        style.borders = l.borders;
        style.rowLines = l.rowLines;
        style.columnLines = l.columnLines;
        const int dark = CountGrey(DrawnSample(style), area);
        EXPECT_GT(dark, before) << l.borders << l.rowLines << l.columnLines;
        before = dark;
    }

    // Each sums block adds its blue values.
    style = base;
    style.monthSums = style.totalSums = false;
    const int none = CountNear(DrawnSample(style), area, blue);
    style.monthSums = true;
    const int one = CountNear(DrawnSample(style), area, blue);
    style.totalSums = true;
    const int two = CountNear(DrawnSample(style), area, blue);
    EXPECT_EQ(none, 0);
    EXPECT_GT(one, 20);
    EXPECT_GT(two, one);

    // Nothing of the report lies in the margins.
    style = base;
    style.chart = true;
    style.page.headerOn = 0;
    const QImage image = DrawnSample(style);
    const QRect paper = FitSampleSheet(style.page, bounds).paper.toRect();
    const QRect leftMargin(paper.left() + 2, paper.top() + 2, area.left() - paper.left() - 4,
                           paper.height() - 4);
    const QRect topMargin(paper.left() + 2, paper.top() + 2, paper.width() - 4,
                          area.top() - paper.top() - 4);
    EXPECT_EQ(CountNear(image, leftMargin, Qt::white, 0), leftMargin.width() * leftMargin.height());
    EXPECT_EQ(CountNear(image, topMargin, Qt::white, 0), topMargin.width() * topMargin.height());

    // Too small a place draws no report, and nothing breaks.
    EXPECT_FALSE(DrawnSample(style, {4, 4}).isNull());
}

TEST(SamplePage, TheControlShowsThePageOrTheReport) {
    SamplePageWidget sample;
    sample.resize(300, 240);
    ReportStyle style = SampleStyle();
    style.chart = true;
    sample.SetReport(style);
    EXPECT_TRUE(sample.ShowsReport());
    EXPECT_EQ(sample.Page(), style.page);
    const QImage report = sample.grab().toImage();
    EXPECT_GT(CountNear(report, report.rect(), QColor(255, 0, 0)), 5);
    sample.SetPage(style.page);
    EXPECT_FALSE(sample.ShowsReport());
    const QImage page = sample.grab().toImage();
    EXPECT_EQ(CountNear(page, page.rect(), QColor(255, 0, 0)), 0);
    if (const QString shots = qEnvironmentVariable("OV_SCREENSHOTS"); !shots.isEmpty()) {
        report.save(shots + QStringLiteral("/sample-report.png"));
        sample.resize(600, 460);
        sample.SetReport(style);
        sample.grab().save(shots + QStringLiteral("/sample-report-large.png"));
        style.chart = false;
        style.page = FreshPageRecord();  // portrait
        sample.resize(200, 240);
        sample.SetReport(style);
        sample.grab().save(shots + QStringLiteral("/sample-report-portrait.png"));
    }
}

}  // namespace
}  // namespace ov
