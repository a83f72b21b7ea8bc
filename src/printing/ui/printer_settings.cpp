#include "printing/ui/printer_settings.h"

#include <QPrinter>

#include "printing/paper.h"
#include "printing/qt/report_painter.h"

namespace ov {

void ApplyToPrinter(const PageRecord& page, QPrinter& printer) {
    const PrinterPage wanted = PrinterPageOf(page);
    printer.setFullPage(true);
    printer.setPageLayout(PageLayoutOf(page));
    printer.setCopyCount(wanted.copies);
    printer.setResolution(wanted.resolution);
    printer.setDuplex(wanted.duplex == Duplex::LongEdge    ? QPrinter::DuplexLongSide
                      : wanted.duplex == Duplex::ShortEdge ? QPrinter::DuplexShortSide
                                                           : QPrinter::DuplexNone);
}

void ReadFromPrinter(const QPrinter& printer, PageRecord& page) {
    StorePageLayout(printer.pageLayout(), page);
    PrinterPage read = PrinterPageOf(page);
    read.copies = printer.copyCount();
    read.resolution = printer.resolution();
    const QPrinter::DuplexMode duplex = printer.duplex();
    read.duplex = duplex == QPrinter::DuplexLongSide    ? Duplex::LongEdge
                  : duplex == QPrinter::DuplexShortSide ? Duplex::ShortEdge
                                                        : Duplex::OneSided;
    StorePrinterPage(read, page);
}

}  // namespace ov
