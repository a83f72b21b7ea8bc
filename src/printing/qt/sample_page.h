#pragma once

// The sample page that the page setup and the printing options show beside their fields: a
// sheet of the chosen paper in its orientation, scaled into a rectangle of a window.
//
// DrawSamplePage draws what the page setup needs: the paper with a shadow, its margins as a
// dotted frame, and a line where the header and where the footer begin, each in its text
// colour, 2 pixels wide and 5 pixels inside both sides of the sheet, when it is on.
//
// DrawSampleReport draws the same page with a small picture of a report on it, as the print
// settings make it look: the block title and the header row in the title font's size and
// colour, a few rows in the row font's, the frame and the lines between rows and columns
// when they are set, a month's sums block and the list's sums block when they are set, and
// a small line chart of price and time at the bottom when the chart is set. Texts are shown
// as bars of their font's size, weight and colour (a sheet a few centimetres wide cannot show
// readable letters), so the sample is the same in every language.
//
// Both work on any QPainter (a widget, an image) and need only QtGui.

#include <QRectF>

#include "printing/report_document.h"
#include "settings/page_record.h"

class QPainter;

namespace ov {

/// Where the sheet lies in `bounds`: centred, as large as fits with 5 pixels to spare, and
/// how many pixels one print unit (0.01 mm) is.
struct SampleSheet {
    QRectF paper;
    double scale = 0.0;
};
SampleSheet FitSampleSheet(const PageRecord& page, const QRectF& bounds);

/// The page setup's sample of `page` in `bounds`.
void DrawSamplePage(QPainter& painter, const QRectF& bounds, const PageRecord& page);

/// The printing options' sample: `style.page` with a small report drawn by `style` (fonts in
/// print units, as ReportStyleOf gives them).
void DrawSampleReport(QPainter& painter, const QRectF& bounds, const ReportStyle& style);

}  // namespace ov
