#pragma once

#include "printing/qt/report_painter.h"
#include "printing/report_document.h"

class QPrinter;
class QWidget;

namespace ov {

/// Draws pages `from` to `to` (from 1, both included) of the report on a printer, each page
/// full-page at the printer's resolution. False when the printer could not be started.
bool PrintPages(const ReportPages& pages, QPrinter& printer, int from, int to);

/// The print command: the page settings go to the printer, the report is laid out, and the
/// print dialog offers its pages; on OK the chosen pages are printed. An empty report has no
/// pages to offer and prints nothing. True when something was printed.
bool PrintReport(const ReportDocument& document, QPrinter& printer, QWidget* owner);

/// The print preview command: the same pages in Qt's preview dialog, from where they can be
/// printed.
void PreviewReport(const ReportDocument& document, QPrinter& printer, QWidget* owner);

}  // namespace ov
