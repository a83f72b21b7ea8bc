#include "printing/paper.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace ov {

namespace {

constexpr std::array<PaperKind, 13> kPapers{{
    {1, 21590, 27940},   // Letter
    {3, 27940, 43180},   // Tabloid
    {5, 21590, 35560},   // Legal
    {7, 18415, 26670},   // Executive
    {8, 29700, 42000},   // A3
    {9, 21000, 29700},   // A4
    {11, 14800, 21000},  // A5
    {12, 25700, 36400},  // B4 (JIS)
    {13, 18200, 25700},  // B5 (JIS)
    {20, 10477, 24130},  // Envelope #10
    {27, 11000, 22000},  // Envelope DL
    {28, 16200, 22900},  // Envelope C5
    {70, 10500, 14800},  // A6
}};

constexpr std::array<std::pair<std::int16_t, int>, 4> kQualities{
    {{-1, 150}, {-2, 300}, {-3, 600}, {-4, 1200}}};

}  // namespace

const PaperKind* PaperByCode(std::int16_t code) {
    const auto it = std::find_if(kPapers.begin(), kPapers.end(),
                                 [code](const PaperKind& p) { return p.code == code; });
    return it == kPapers.end() ? nullptr : &*it;
}

const PaperKind* PaperBySize(int width, int height) {
    const auto it = std::find_if(kPapers.begin(), kPapers.end(), [&](const PaperKind& p) {
        return std::abs(p.width - width) <= 100 && std::abs(p.height - height) <= 100;
    });
    return it == kPapers.end() ? nullptr : &*it;
}

int ResolutionOfQuality(std::int16_t quality) {
    if (quality > 0) {
        return quality;
    }
    for (const auto& [code, resolution] : kQualities) {
        if (code == quality) {
            return resolution;
        }
    }
    return 600;
}

std::int16_t QualityOfResolution(int dotsPerInch) {
    for (const auto& [code, resolution] : kQualities) {
        if (resolution == dotsPerInch) {
            return code;
        }
    }
    return static_cast<std::int16_t>(std::clamp(dotsPerInch, 1, 32767));
}

Duplex DuplexOfCode(std::int16_t code) {
    return code == 2 ? Duplex::LongEdge : code == 3 ? Duplex::ShortEdge : Duplex::OneSided;
}

std::int16_t CodeOfDuplex(Duplex duplex) {
    return duplex == Duplex::LongEdge ? 2 : duplex == Duplex::ShortEdge ? 3 : 1;
}

PrinterPage PrinterPageOf(const PageRecord& page) {
    PrinterPage printer;
    printer.landscape = page.orientation == 2;
    if (const PaperKind* paper = PaperByCode(page.paperSize)) {
        printer.paperWidth = paper->width;
        printer.paperHeight = paper->height;
    } else {
        printer.paperWidth = std::min(PaperWidthOf(page), PaperHeightOf(page));
        printer.paperHeight = std::max(PaperWidthOf(page), PaperHeightOf(page));
    }
    printer.copies = std::max<int>(page.copies, 1);
    printer.resolution = ResolutionOfQuality(page.printQuality);
    printer.duplex = DuplexOfCode(page.duplex);
    return printer;
}

void StorePrinterPage(const PrinterPage& printer, PageRecord& page) {
    page.orientation = printer.landscape ? 2 : 1;
    const PaperKind* paper = PaperBySize(printer.paperWidth, printer.paperHeight);
    page.paperSize = paper != nullptr ? paper->code : kPaperUser;
    const int shortSide = std::clamp(printer.paperWidth, 1, 65535);
    const int longSide = std::clamp(printer.paperHeight, 1, 65535);
    page.paperWidth = static_cast<std::int16_t>(
        static_cast<std::uint16_t>(printer.landscape ? longSide : shortSide));
    page.paperHeight = static_cast<std::int16_t>(
        static_cast<std::uint16_t>(printer.landscape ? shortSide : longSide));
    page.copies = static_cast<std::int16_t>(std::clamp(printer.copies, 1, 32767));
    page.printQuality = QualityOfResolution(printer.resolution);
    page.duplex = CodeOfDuplex(printer.duplex);
}

}  // namespace ov
