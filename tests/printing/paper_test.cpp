// Page settings in the printer's terms and back: paper codes and sizes, orientation, copies,
// quality and duplex.
#include <gtest/gtest.h>

#include "printing/paper.h"

namespace ov {
namespace {

TEST(PrinterPage, FromARecordAndBack) {
    const struct {
        const char* what;
        std::int16_t orientation, code, width, height, copies, quality, duplex;
        PrinterPage expected;
        std::int16_t storedCode;
    } cases[] = {
        // The settings' default: A4 by its code, whatever the stored size says.
        {"A4 landscape",
         2,
         9,
         28101,
         20320,
         1,
         -3,
         1,
         {true, 21000, 29700, 1, 600, Duplex::OneSided},
         9},
        {"Letter upright, high quality, long edge",
         1,
         1,
         21590,
         27940,
         2,
         -4,
         2,
         {false, 21590, 27940, 2, 1200, Duplex::LongEdge},
         1},
        // An unknown code: the record's own size, turned upright.
        {"own size",
         2,
         0,
         25000,
         15000,
         0,
         300,
         3,
         {true, 15000, 25000, 1, 300, Duplex::ShortEdge},
         kPaperUser},
        {"draft", 1, 8, 0, 0, 1, -1, 7, {false, 29700, 42000, 1, 150, Duplex::OneSided}, 8},
    };
    for (const auto& c : cases) {
        PageRecord page = FreshPageRecord();
        page.orientation = c.orientation;
        page.paperSize = c.code;
        page.paperWidth = c.width;
        page.paperHeight = c.height;
        page.copies = c.copies;
        page.printQuality = c.quality;
        page.duplex = c.duplex;
        const PrinterPage printer = PrinterPageOf(page);
        EXPECT_EQ(printer.landscape, c.expected.landscape) << c.what;
        EXPECT_EQ(printer.paperWidth, c.expected.paperWidth) << c.what;
        EXPECT_EQ(printer.paperHeight, c.expected.paperHeight) << c.what;
        EXPECT_EQ(printer.copies, c.expected.copies) << c.what;
        EXPECT_EQ(printer.resolution, c.expected.resolution) << c.what;
        EXPECT_EQ(printer.duplex, c.expected.duplex) << c.what;

        PageRecord back = FreshPageRecord();
        StorePrinterPage(printer, back);
        EXPECT_EQ(back.paperSize, c.storedCode) << c.what;
        EXPECT_EQ(back.orientation, c.expected.landscape ? 2 : 1) << c.what;
        // The stored size is as the orientation shows it.
        EXPECT_EQ(PaperWidthOf(back),
                  c.expected.landscape ? c.expected.paperHeight : c.expected.paperWidth)
            << c.what;
        EXPECT_EQ(PrinterPageOf(back).resolution, c.expected.resolution) << c.what;
        EXPECT_EQ(DuplexOfCode(back.duplex), c.expected.duplex) << c.what;
        EXPECT_EQ(back.HeaderText(), "#|- #p -");  // the rest of the record stays
    }
}

TEST(PrinterPage, PapersAboveSixteenBitsKeepTheirSize) {
    // A3 upright is 420 mm high: more than a signed 16-bit field holds.
    PageRecord page = FreshPageRecord();
    StorePrinterPage({false, 29700, 42000, 1, 600, Duplex::OneSided}, page);
    EXPECT_EQ(PaperHeightOf(page), 42000);
    EXPECT_EQ(page.paperSize, 8);
    page.paperSize = 0;
    EXPECT_EQ(PrinterPageOf(page).paperHeight, 42000);
}

TEST(PrinterPage, QualityCodesAndResolutions) {
    const std::pair<std::int16_t, int> cases[] = {{-1, 150},  {-2, 300}, {-3, 600}, {-4, 1200},
                                                  {720, 720}, {0, 600},  {-9, 600}};
    for (const auto& [code, resolution] : cases) {
        EXPECT_EQ(ResolutionOfQuality(code), resolution) << code;
    }
    EXPECT_EQ(QualityOfResolution(300), -2);
    EXPECT_EQ(QualityOfResolution(720), 720);
    EXPECT_EQ(PaperBySize(21050, 29650)->code, 9);  // within a millimetre
    EXPECT_EQ(PaperBySize(21200, 29700), nullptr);
}

}  // namespace
}  // namespace ov
