#include "printing/ui/sample_page_widget.h"

#include <QPainter>

#include "printing/qt/sample_page.h"

namespace ov {

SamplePageWidget::SamplePageWidget(QWidget* parent) : QWidget(parent) {
    m_page = FreshPageRecord();
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void SamplePageWidget::SetPage(const PageRecord& page) {
    m_page = page;
    m_report.reset();
    update();
}

void SamplePageWidget::SetReport(const ReportStyle& style) {
    m_page = style.page;
    m_report = style;
    update();
}

void SamplePageWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (m_report) {
        DrawSampleReport(painter, rect(), *m_report);
    } else {
        DrawSamplePage(painter, rect(), m_page);
    }
}

}  // namespace ov
