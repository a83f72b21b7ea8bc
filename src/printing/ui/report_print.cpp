#include "printing/ui/report_print.h"

#include <QApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <algorithm>

#include "printing/ui/printer_settings.h"

namespace ov {

bool PrintPages(const ReportPages& pages, QPrinter& printer, int from, int to) {
    from = std::max(from, 1);
    to = std::min(to, pages.PageCount());
    if (from > to) {
        return false;
    }
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    for (int page = from; page <= to; ++page) {
        if (page > from) {
            printer.newPage();
        }
        pages.DrawPage(painter, page, printer.resolution());
    }
    return painter.end();
}

bool PrintReport(const ReportDocument& document, QPrinter& printer, QWidget* owner) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ApplyToPrinter(document.style.page, printer);
    const ReportPages pages(document);
    QApplication::restoreOverrideCursor();
    const int count = pages.PageCount();
    QPrintDialog dialog(&printer, owner);
    dialog.setMinMax(count > 0 ? 1 : 0, count);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, count > 0);
    if (dialog.exec() != QDialog::Accepted || count == 0) {
        return false;
    }
    int from = 1;
    int to = count;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = printer.fromPage();
        to = printer.toPage() > 0 ? printer.toPage() : count;
    }
    return PrintPages(pages, printer, from, to);
}

void PreviewReport(const ReportDocument& document, QPrinter& printer, QWidget* owner) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ApplyToPrinter(document.style.page, printer);
    const ReportPages pages(document);
    QApplication::restoreOverrideCursor();
    QPrintPreviewDialog dialog(&printer, owner);
    QObject::connect(
        &dialog, &QPrintPreviewDialog::paintRequested, &dialog,
        [&pages](QPrinter* target) { PrintPages(pages, *target, 1, pages.PageCount()); });
    dialog.exec();
}

}  // namespace ov
