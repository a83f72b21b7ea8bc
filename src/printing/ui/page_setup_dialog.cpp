#include "printing/ui/page_setup_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "printing/page_setup_fields.h"
#include "printing/paper.h"
#include "printing/qt/report_painter.h"

namespace ov {

namespace {

QColor ColorOf(COLORREF color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

COLORREF ColorRefOf(const QColor& color) {
    return static_cast<COLORREF>(color.red()) | static_cast<COLORREF>(color.green()) << 8 |
           static_cast<COLORREF>(color.blue()) << 16;
}

/// The record keeps fonts in print units; the dialog shows them at screen scale.
LogFont ScreenFont(LogFont font) {
    font.lfHeight /= -40;
    font.lfWidth /= -40;
    return font;
}

LogFont PrintFont(LogFont font) {
    font.lfHeight *= -40;
    font.lfWidth *= -40;
    return font;
}

/// A screen font description of a font chosen in the font dialog.
LogFont LogFontOf(const QFont& font, const LogFont& before) {
    LogFont result = LogFont::Make(font.family().toStdString(), -QFontInfo(font).pixelSize(),
                                   font.weight(), before.lfCharSet);
    result.lfItalic = font.italic() ? 1 : 0;
    result.lfUnderline = font.underline() ? 1 : 0;
    result.lfStrikeOut = font.strikeOut() ? 1 : 0;
    return result;
}

/// Gives a label its buddy, so that the control has the label's mnemonic and name.
QLabel* Label(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

FontButton::FontButton(QWidget* parent) : QPushButton(parent) {
    setMinimumSize(160, 30);
    connect(this, &QPushButton::clicked, this, [this] { Choose(); });
}

void FontButton::SetFont(const LogFont& font, COLORREF color) {
    m_font = font;
    m_color = color;
    setAccessibleDescription(
        QString::fromUtf8(font.FaceName().data(), static_cast<qsizetype>(font.FaceName().size())));
    update();
}

bool FontButton::Choose() {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, FontFromLogFont(m_font), this);
    if (!ok) {
        return false;
    }
    m_font = LogFontOf(chosen, m_font);
    const QColor color = QColorDialog::getColor(ColorOf(m_color), this);
    if (color.isValid()) {
        m_color = ColorRefOf(color);
    }
    update();
    Q_EMIT fontChanged();
    return true;
}

void FontButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    // A white box with the sample, and a small arrow saying that the button opens a choice.
    const QRect box = rect().adjusted(4, 4, -20, -5);
    painter.fillRect(box, Qt::white);
    painter.setPen(Qt::black);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.setFont(FontFromLogFont(m_font));
    painter.setPen(ColorOf(m_color));
    painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, QStringLiteral("AaBbCcXxYyZz"));
    const QPoint arrow(width() - 13, height() - 10);
    const QPoint corners[] = {arrow, arrow + QPoint(6, 0), arrow + QPoint(3, 3)};
    painter.setPen(Qt::black);
    painter.setBrush(Qt::black);
    painter.drawPolygon(corners, 3);
}

/// The sample page: the paper in its orientation, its margins, and a line where the header
/// and where the footer begin, in their colours.
class SamplePage final : public QWidget {
public:
    explicit SamplePage(QWidget* parent = nullptr) : QWidget(parent) {
        setMinimumSize(200, 200);
        setAccessibleName(tr("Sample"));
    }

    struct Lines {
        QRect paper;
        int headerY = -1;  // -1: no line
        int footerY = -1;
    };

    void Set(const PageRecord& page) {
        m_page = page;
        update();
    }

    /// Where the sample draws: the paper fitted into the widget, and the two lines at the
    /// positions scaled by the sample's width over the paper's.
    Lines Compute() const {
        Lines lines;
        const int paperWidth = std::max(1, PaperWidthOf(m_page));
        const int paperHeight = std::max(1, PaperHeightOf(m_page));
        const double fit = std::min((width() - 10) / static_cast<double>(paperWidth),
                                    (height() - 10) / static_cast<double>(paperHeight));
        const int w = static_cast<int>(paperWidth * fit);
        const int h = static_cast<int>(paperHeight * fit);
        lines.paper = QRect((width() - w) / 2, (height() - h) / 2, w, h);
        const double s = w / static_cast<double>(paperWidth);
        if (m_page.headerOn != 0) {
            lines.headerY = lines.paper.top() + static_cast<int>(m_page.headerPosition * s);
        }
        if (m_page.footerOn != 0) {
            lines.footerY = lines.paper.bottom() - static_cast<int>(m_page.footerPosition * s);
        }
        return lines;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const Lines lines = Compute();
        painter.fillRect(lines.paper.translated(3, 3), palette().color(QPalette::Dark));
        painter.fillRect(lines.paper, Qt::white);
        painter.setPen(Qt::black);
        painter.drawRect(lines.paper);
        const double s =
            lines.paper.width() / static_cast<double>(std::max(1, PaperWidthOf(m_page)));
        painter.setPen(QPen(Qt::gray, 1, Qt::DotLine));
        painter.drawRect(QRectF(
            lines.paper.left() + m_page.leftMargin * s, lines.paper.top() + m_page.topMargin * s,
            lines.paper.width() - (m_page.leftMargin + m_page.rightMargin) * s,
            lines.paper.height() - (m_page.topMargin + m_page.bottomMargin) * s));
        auto line = [&](int y, COLORREF color) {
            painter.setPen(QPen(ColorOf(color), 2));
            painter.drawLine(lines.paper.left() + 5, y, lines.paper.right() - 5, y);
        };
        if (lines.headerY >= 0) {
            line(lines.headerY, m_page.headerColor);
        }
        if (lines.footerY >= 0) {
            line(lines.footerY, m_page.footerColor);
        }
    }

private:
    PageRecord m_page;
};

PageSetupDialog::PageSetupDialog(const PageRecord& page, const OrientationArt& art, QWidget* parent)
    : QDialog(parent), m_page(page), m_art(art) {
    m_page.Terminate();
    m_metric = QLocale().measurementSystem() == QLocale::MetricSystem;
    setWindowTitle(tr("Page Setup"));

    m_tabs = new QTabWidget;
    m_tabs->setObjectName("id26503");
    m_tabs->addTab(BuildMarginsTab(), QStringLiteral("   &Margins   "));
    m_tabs->addTab(BuildHeaderFooterTab(), QStringLiteral("&Header/Footer"));

    m_sample = new SamplePage;
    m_sample->setObjectName("id1080");

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* body = new QHBoxLayout;
    body->addWidget(m_tabs, 1);
    body->addWidget(m_sample);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(buttons);
    UpdateOrientation();
    UpdateSample();
}

QWidget* PageSetupDialog::BuildMarginsTab() {
    auto* tab = new QWidget;
    auto* form = new QFormLayout(tab);

    m_paper = new QComboBox;
    m_paper->setObjectName("id1137");
    const PrinterPage printer = PrinterPageOf(m_page);
    for (const std::int16_t code : {9, 8, 11, 70, 1, 5, 7, 3, 12, 13, 20, 27, 28}) {
        const PaperKind* paper = PaperByCode(code);
        const QPageSize size(QSizeF(paper->width / 100.0, paper->height / 100.0),
                             QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
        m_paper->addItem(size.name(), static_cast<int>(code));
    }
    int index = m_paper->findData(static_cast<int>(m_page.paperSize));
    if (index < 0) {
        // A size of its own stays what it is.
        m_paper->addItem(tr("Own size (%1 × %2 mm)")
                             .arg(printer.paperWidth / 100.0, 0, 'f', 1)
                             .arg(printer.paperHeight / 100.0, 0, 'f', 1),
                         static_cast<int>(kPaperUser));
        index = m_paper->count() - 1;
    }
    m_paper->setCurrentIndex(index);
    form->addRow(Label(tr("Paper si&ze:"), m_paper), m_paper);

    m_portrait = new QRadioButton(tr("P&ortrait"));
    m_portrait->setObjectName("id1056");
    m_landscape = new QRadioButton(tr("L&andscape"));
    m_landscape->setObjectName("id1057");
    (m_page.orientation == 2 ? m_landscape : m_portrait)->setChecked(true);
    m_orientationIcon = new QLabel;
    m_orientationIcon->setObjectName("id26515");
    m_orientationIcon->setFixedSize(48, 48);
    m_orientationIcon->setAlignment(Qt::AlignCenter);
    auto* orientation = new QGroupBox(tr("Orientation"));
    auto* orientationLayout = new QHBoxLayout(orientation);
    auto* radios = new QVBoxLayout;
    radios->addWidget(m_portrait);
    radios->addWidget(m_landscape);
    orientationLayout->addWidget(m_orientationIcon);
    orientationLayout->addLayout(radios);
    orientationLayout->addStretch();
    form->addRow(orientation);
    connect(m_portrait, &QRadioButton::toggled, this, [this] {
        UpdateOrientation();
        UpdateSample();
    });

    const QString unit = m_metric ? QStringLiteral(" mm") : QStringLiteral(" in");
    const int values[4] = {m_page.leftMargin, m_page.topMargin, m_page.rightMargin,
                           m_page.bottomMargin};
    const char* names[4] = {"id1155", "id1156", "id1157", "id1158"};
    const QString labels[4] = {tr("&Left:"), tr("&Top:"), tr("&Right:"), tr("&Bottom:")};
    for (int k = 0; k < 4; ++k) {
        auto* spin = new QDoubleSpinBox;
        spin->setObjectName(names[k]);
        spin->setSuffix(unit);
        spin->setDecimals(m_metric ? 2 : 3);
        spin->setRange(0, m_metric ? 500 : 20);
        spin->setSingleStep(m_metric ? 1 : 0.1);
        // Millimetres from 0.01 mm; inches from the thousandths the page setup works in.
        spin->setValue(m_metric ? values[k] / 100.0 : ToDialogUnits(values[k], false) / 1000.0);
        connect(spin, &QDoubleSpinBox::valueChanged, this, [this] { UpdateSample(); });
        m_margins[k] = spin;
        form->addRow(Label(labels[k], spin), spin);
    }

    m_printer = new QComboBox;
    m_printer->setObjectName("id1026");
    m_printer->addItem(tr("Default printer"), QString());
    for (const QString& name : QPrinterInfo::availablePrinterNames()) {
        m_printer->addItem(name, name);
    }
    form->addRow(Label(tr("&Printer:"), m_printer), m_printer);
    return tab;
}

QWidget* PageSetupDialog::BuildHeaderFooterTab() {
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    auto part = [&](const QString& title, const QString& textLabel, const QString& positionLabel,
                    const QString& fontLabel, const char* onId, const char* textId,
                    const char* positionId, const char* fontId, std::int32_t on,
                    std::string_view text, int position, const LogFont& font, COLORREF color,
                    QCheckBox*& onBox, QPlainTextEdit*& textEdit, QLineEdit*& positionEdit,
                    FontButton*& fontButton) {
        onBox = new QCheckBox(title);
        onBox->setObjectName(onId);
        onBox->setChecked(on != 0);
        textEdit =
            new QPlainTextEdit(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        textEdit->setObjectName(textId);
        textEdit->setTabChangesFocus(true);
        textEdit->setMaximumHeight(60);
        positionEdit = new QLineEdit(QString::fromStdString(PositionFieldText(position)));
        positionEdit->setObjectName(positionId);
        fontButton = new FontButton;
        fontButton->setObjectName(fontId);
        fontButton->setAccessibleName(title + tr(" font"));
        fontButton->SetFont(ScreenFont(font), color);
        auto* form = new QFormLayout;
        form->addRow(onBox);
        form->addRow(Label(textLabel, textEdit), textEdit);
        form->addRow(Label(positionLabel, positionEdit), positionEdit);
        form->addRow(Label(fontLabel, fontButton), fontButton);
        auto* box = new QGroupBox;
        box->setLayout(form);
        layout->addWidget(box);
        connect(onBox, &QCheckBox::toggled, this, [this] { UpdateSample(); });
        connect(positionEdit, &QLineEdit::textChanged, this, [this] { UpdateSample(); });
        connect(fontButton, &FontButton::fontChanged, this, [this] { UpdateSample(); });
    };
    part(tr("&Header"), tr("Header te&xt:"), tr("&Position:"), tr("&Font:"), "id26506", "id26507",
         "id26504", "id26508", m_page.headerOn, m_page.HeaderText(), m_page.headerPosition,
         m_page.headerFont, m_page.headerColor, m_headerOn, m_headerText, m_headerPosition,
         m_headerFont);
    part(tr("F&ooter"), tr("Footer t&ext:"), tr("Pos&ition:"), tr("Fo&nt:"), "id26509", "id26510",
         "id26505", "id26511", m_page.footerOn, m_page.FooterText(), m_page.footerPosition,
         m_page.footerFont, m_page.footerColor, m_footerOn, m_footerText, m_footerPosition,
         m_footerFont);
    layout->addStretch();
    return tab;
}

void PageSetupDialog::UpdateOrientation() {
    const QPixmap& icon = m_landscape->isChecked() ? m_art.landscape : m_art.portrait;
    if (icon.isNull()) {
        m_orientationIcon->clear();
    } else {
        m_orientationIcon->setPixmap(icon);
    }
    m_orientationIcon->setAccessibleName(m_landscape->isChecked() ? m_landscape->text()
                                                                  : m_portrait->text());
}

void PageSetupDialog::UpdateSample() {
    m_sample->Set(Result());
}

PageRecord PageSetupDialog::Result() const {
    PageRecord page = m_page;
    page.metric = m_metric ? 1 : 0;
    std::int32_t* margins[4] = {&page.leftMargin, &page.topMargin, &page.rightMargin,
                                &page.bottomMargin};
    for (int k = 0; k < 4; ++k) {
        const double value = m_margins[k]->value();
        *margins[k] = m_metric
                          ? static_cast<std::int32_t>(std::lround(value * 100))
                          : FromDialogUnits(static_cast<int>(std::lround(value * 1000)), false);
    }
    PrinterPage printer = PrinterPageOf(m_page);
    printer.landscape = m_landscape->isChecked();
    const auto code = static_cast<std::int16_t>(m_paper->currentData().toInt());
    if (const PaperKind* paper = PaperByCode(code)) {
        printer.paperWidth = paper->width;
        printer.paperHeight = paper->height;
    }
    StorePrinterPage(printer, page);

    page.headerOn = m_headerOn->isChecked() ? 1 : 0;
    page.footerOn = m_footerOn->isChecked() ? 1 : 0;
    page.SetHeaderText(m_headerText->toPlainText().toStdString());
    page.SetFooterText(m_footerText->toPlainText().toStdString());
    // The fields show whole millimetres: a field left as it was shown keeps the stored
    // position, so that opening and confirming the dialog changes nothing.
    auto position = [](const QLineEdit* field, std::int32_t stored) {
        const std::string text = field->text().toStdString();
        return text == PositionFieldText(stored) ? stored : ParsePositionField(text);
    };
    page.headerPosition = position(m_headerPosition, m_page.headerPosition);
    page.footerPosition = position(m_footerPosition, m_page.footerPosition);
    page.headerFont = PrintFont(m_headerFont->Font());
    page.headerColor = m_headerFont->Color();
    page.footerFont = PrintFont(m_footerFont->Font());
    page.footerColor = m_footerFont->Color();
    return page;
}

QString PageSetupDialog::PrinterName() const {
    return m_printer->currentData().toString();
}

bool RunPageSetup(PageRecord& page, QWidget* owner, const OrientationArt& art,
                  QString* printerName) {
    PageSetupDialog dialog(page, art, owner);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    page = dialog.Result();
    if (printerName != nullptr) {
        *printerName = dialog.PrinterName();
    }
    return true;
}

}  // namespace ov
