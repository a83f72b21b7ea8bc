#pragma once

// The sample page as a control: the page setup shows it beside its tabs (page only), the
// printing options show it with a small report drawn by the print settings (see
// printing/qt/sample_page.h for what each shows). The owner hands it new values after every
// change of its fields; it repaints itself.
//
//     auto* sample = new SamplePageWidget(parent);
//     sample->SetReport(ReportStyleOf(workingSettings));   // printing options
//     sample->SetPage(record);                              // page setup

#include <QWidget>

#include <optional>

#include "printing/report_document.h"
#include "settings/page_record.h"

namespace ov {

class SamplePageWidget final : public QWidget {
public:
    explicit SamplePageWidget(QWidget* parent = nullptr);

    /// Shows the page alone: paper, margins, header and footer lines.
    void SetPage(const PageRecord& page);
    /// Shows the page of `style` with a small report on it (and its chart when set).
    void SetReport(const ReportStyle& style);

    const PageRecord& Page() const { return m_page; }
    bool ShowsReport() const { return m_report.has_value(); }

    QSize sizeHint() const override { return {220, 220}; }
    QSize minimumSizeHint() const override { return {120, 120}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PageRecord m_page;
    std::optional<ReportStyle> m_report;
};

}  // namespace ov
