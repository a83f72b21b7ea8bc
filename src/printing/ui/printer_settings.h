#pragma once

#include "settings/page_record.h"

class QPrinter;

namespace ov {

/// Puts the record's orientation, paper, copies, print quality and duplex into the printer;
/// the printer prints full pages, the report placing everything within the margins itself.
void ApplyToPrinter(const PageRecord& page, QPrinter& printer);

/// Reads orientation, paper, copies, quality and duplex back from a printer into the record.
void ReadFromPrinter(const QPrinter& printer, PageRecord& page);

}  // namespace ov
