#pragma once

#include <cstdint>

#include "settings/page_record.h"

namespace ov {

/// The record's paper width and height. They are kept in 16 bits; read unsigned, so that A3
/// and larger papers (above 327.67 mm) keep their size.
inline int PaperWidthOf(const PageRecord& page) {
    return static_cast<std::uint16_t>(page.paperWidth);
}
inline int PaperHeightOf(const PageRecord& page) {
    return static_cast<std::uint16_t>(page.paperHeight);
}

/// A paper of the printers' paper codes, upright, in 0.01 mm.
struct PaperKind {
    std::int16_t code;
    int width;
    int height;
};

/// The paper code of a user-defined size.
inline constexpr std::int16_t kPaperUser = 256;

/// The paper of a code; nothing for a code we do not know.
const PaperKind* PaperByCode(std::int16_t code);
/// The paper of an upright size, within 1 mm either way; nothing for another size.
const PaperKind* PaperBySize(int width, int height);

/// Print quality codes: -1 draft, -2 low, -3 medium, -4 high; a positive code is itself a
/// resolution in dots per inch.
int ResolutionOfQuality(std::int16_t quality);
/// The code of a resolution: the named qualities for their resolutions, else the resolution.
std::int16_t QualityOfResolution(int dotsPerInch);

/// Duplex codes: 1 one-sided, 2 both sides turned on the long edge, 3 on the short edge.
enum class Duplex { OneSided, LongEdge, ShortEdge };
Duplex DuplexOfCode(std::int16_t code);
std::int16_t CodeOfDuplex(Duplex duplex);

/// What a printer is told of a page settings record, in the printer's terms.
struct PrinterPage {
    bool landscape = false;
    int paperWidth = 0;  // upright, 0.01 mm
    int paperHeight = 0;
    int copies = 1;
    int resolution = 600;
    Duplex duplex = Duplex::OneSided;
};

/// The printer's page of a record: the size of its paper code, or the record's own paper
/// turned upright when the code is unknown.
PrinterPage PrinterPageOf(const PageRecord& page);
/// Stores a printer's page in a record: orientation, paper code and size (as the orientation
/// shows it), copies, quality and duplex; margins, header and footer stay.
void StorePrinterPage(const PrinterPage& printer, PageRecord& page);

}  // namespace ov
