#include "printing/ui/page_setup_dialog.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPageSize>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "dialogs/ui/qx_draw_ctrl.h"
#include "dialogs/ui/qx_font_button.h"
#include "dialogs/ui/template_loader.h"
#include "dialogs/ui/ui_resources.h"
#include "printing/page_setup_fields.h"
#include "printing/paper.h"
#include "printing/ui/sample_page_widget.h"

namespace ov {

namespace {

/// The English template, built into the program for a pack that lacks its own.
const QString kBuiltInTemplate = QStringLiteral(":/printing/26500.ui");

/// The controls the dialog works with, by identifier and class.
constexpr std::pair<unsigned, const char*> kControls[] = {
    {26503, "QTabWidget"},     {1137, "QComboBox"},         {1026, "QComboBox"},
    {1056, "QRadioButton"},    {1057, "QRadioButton"},      {26515, "QLabel"},
    {1155, "QDoubleSpinBox"},  {1156, "QDoubleSpinBox"},    {1157, "QDoubleSpinBox"},
    {1158, "QDoubleSpinBox"},  {26506, "QCheckBox"},        {26507, "QPlainTextEdit"},
    {26504, "QLineEdit"},      {26508, "ov::QXFontButton"}, {26509, "QCheckBox"},
    {26510, "QPlainTextEdit"}, {26505, "QLineEdit"},        {26511, "ov::QXFontButton"},
    {1080, "QWidget"},         {1, "QAbstractButton"},      {2, "QAbstractButton"}};

bool HasEveryControl(const QWidget& root) {
    return std::all_of(std::begin(kControls), std::end(kControls), [&](const auto& control) {
        const QWidget* widget = root.findChild<QWidget*>(ControlName(control.first));
        return widget != nullptr && widget->inherits(control.second);
    });
}

std::unique_ptr<QWidget> LoadPageSetupTemplate(const UiResources& resources) {
    std::unique_ptr<QWidget> root = TemplateLoader::Load(resources, kPageSetupTemplate);
    if (root && HasEveryControl(*root)) {
        return root;
    }
    QFile file(kBuiltInTemplate);
    if (!file.open(QIODevice::ReadOnly)) {
        return nullptr;
    }
    TemplateLoader loader(&resources);
    root.reset(loader.load(&file));
    return root && HasEveryControl(*root) ? std::move(root) : nullptr;
}

template <typename T>
T* Control(const QWidget& root, unsigned id) {
    return root.findChild<T*>(ControlName(id));
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

QString PackText(const UiResources& resources, unsigned number, const char* fallback) {
    const QString text = resources.Text(number);
    return text.isEmpty() ? QString::fromUtf8(fallback) : text;
}

}  // namespace

PageSetupDialog::PageSetupDialog(const PageRecord& page, const UiResources& resources,
                                 QWidget* parent)
    : QDialog(parent), m_resources(resources), m_page(page) {
    m_page.Terminate();
    m_metric = QLocale().measurementSystem() == QLocale::MetricSystem;
    m_template = LoadPageSetupTemplate(resources);
    Q_ASSERT(m_template);  // the built-in template is part of the program
    setWindowTitle(m_template->windowTitle());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_template->setParent(this);
    m_template->setWindowFlags(Qt::Widget);
    layout->addWidget(m_template.get());

    m_tabs = Control<QTabWidget>(*m_template, 26503);
    m_tabs->setCurrentIndex(0);

    // The sample page takes its placeholder's place.
    auto* placeholder = Control<QWidget>(*m_template, 1080);
    m_sample = new SamplePageWidget;
    m_sample->setObjectName(placeholder->objectName());
    m_sample->setAccessibleName(placeholder->accessibleName());
    m_sample->setMinimumSize(placeholder->minimumSize());
    if (QLayout* root = m_template->layout()) {
        delete root->replaceWidget(placeholder, m_sample);
    }
    delete placeholder;

    connect(Control<QAbstractButton>(*m_template, 1), &QAbstractButton::clicked, this,
            &QDialog::accept);
    connect(Control<QAbstractButton>(*m_template, 2), &QAbstractButton::clicked, this,
            &QDialog::reject);
    SetUpMarginsTab();
    SetUpHeaderFooterTab();
    UpdateOrientation();
    UpdateSample();
}

PageSetupDialog::~PageSetupDialog() = default;

void PageSetupDialog::SetUpMarginsTab() {
    m_paper = Control<QComboBox>(*m_template, 1137);
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
        const QString size = QStringLiteral("%1 × %2 mm")
                                 .arg(printer.paperWidth / 100.0, 0, 'f', 1)
                                 .arg(printer.paperHeight / 100.0, 0, 'f', 1);
        const QString format = PackText(m_resources, kOwnPaperSizeString, "Own size (%s)");
        m_paper->addItem(QString(format).replace(QLatin1String("%s"), size),
                         static_cast<int>(kPaperUser));
        index = m_paper->count() - 1;
    }
    m_paper->setCurrentIndex(index);
    connect(m_paper, &QComboBox::currentIndexChanged, this, [this] { UpdateSample(); });

    m_portrait = Control<QRadioButton>(*m_template, 1056);
    m_landscape = Control<QRadioButton>(*m_template, 1057);
    (m_page.orientation == 2 ? m_landscape : m_portrait)->setChecked(true);
    m_orientationIcon = Control<QLabel>(*m_template, 26515);
    connect(m_portrait, &QRadioButton::toggled, this, [this] {
        UpdateOrientation();
        UpdateSample();
    });

    const QString unit = m_metric ? QStringLiteral(" mm") : QStringLiteral(" in");
    const int values[4] = {m_page.leftMargin, m_page.topMargin, m_page.rightMargin,
                           m_page.bottomMargin};
    const unsigned ids[4] = {1155, 1156, 1157, 1158};
    for (int k = 0; k < 4; ++k) {
        auto* spin = Control<QDoubleSpinBox>(*m_template, ids[k]);
        spin->setSuffix(unit);
        spin->setDecimals(m_metric ? 2 : 3);
        spin->setRange(0, m_metric ? 500 : 20);
        spin->setSingleStep(m_metric ? 1 : 0.1);
        // Millimetres from 0.01 mm; inches from the thousandths the page setup works in.
        spin->setValue(m_metric ? values[k] / 100.0 : ToDialogUnits(values[k], false) / 1000.0);
        connect(spin, &QDoubleSpinBox::valueChanged, this, [this] { UpdateSample(); });
        m_margins[k] = spin;
    }

    m_printer = Control<QComboBox>(*m_template, 1026);
    m_printer->addItem(PackText(m_resources, kDefaultPrinterString, "Default printer"), QString());
    for (const QString& name : QPrinterInfo::availablePrinterNames()) {
        m_printer->addItem(name, name);
    }
}

void PageSetupDialog::SetUpHeaderFooterTab() {
    auto part = [&](unsigned onId, unsigned textId, unsigned positionId, unsigned fontId,
                    std::int32_t on, std::string_view text, int position, const LogFont& font,
                    COLORREF color, QCheckBox*& onBox, QPlainTextEdit*& textEdit,
                    QLineEdit*& positionEdit, QXFontButton*& fontButton) {
        onBox = Control<QCheckBox>(*m_template, onId);
        onBox->setChecked(on != 0);
        textEdit = Control<QPlainTextEdit>(*m_template, textId);
        textEdit->setPlainText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        textEdit->setTabChangesFocus(true);
        positionEdit = Control<QLineEdit>(*m_template, positionId);
        positionEdit->setText(QString::fromStdString(PositionFieldText(position)));
        fontButton = Control<QXFontButton>(*m_template, fontId);
        fontButton->SetFont(ScreenFont(font));
        fontButton->SetColour(color);
        connect(onBox, &QCheckBox::toggled, this, [this] { UpdateSample(); });
        connect(positionEdit, &QLineEdit::textChanged, this, [this] { UpdateSample(); });
        QXFontButton* button = fontButton;
        connect(button, &QXFontButton::command, this, [this, button] {
            if (button->Choose()) {
                UpdateSample();
            }
        });
    };
    part(26506, 26507, 26504, 26508, m_page.headerOn, m_page.HeaderText(), m_page.headerPosition,
         m_page.headerFont, m_page.headerColor, m_headerOn, m_headerText, m_headerPosition,
         m_headerFont);
    part(26509, 26510, 26505, 26511, m_page.footerOn, m_page.FooterText(), m_page.footerPosition,
         m_page.footerFont, m_page.footerColor, m_footerOn, m_footerText, m_footerPosition,
         m_footerFont);
}

void PageSetupDialog::UpdateOrientation() {
    const bool landscape = m_landscape->isChecked();
    const QIcon icon = m_resources.Icon(landscape ? kLandscapeIcon : kPortraitIcon);
    if (icon.isNull()) {
        m_orientationIcon->clear();
    } else {
        m_orientationIcon->setPixmap(icon.pixmap(32, 32));
    }
    m_orientationIcon->setAccessibleName(
        QString(landscape ? m_landscape->text() : m_portrait->text()).remove(u'&'));
}

void PageSetupDialog::UpdateSample() {
    m_sample->SetPage(Result());
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
    page.headerColor = m_headerFont->Colour();
    page.footerFont = PrintFont(m_footerFont->Font());
    page.footerColor = m_footerFont->Colour();
    return page;
}

QString PageSetupDialog::PrinterName() const {
    return m_printer->currentData().toString();
}

bool RunPageSetup(PageRecord& page, const UiResources& resources, QWidget* owner,
                  QString* printerName) {
    PageSetupDialog dialog(page, resources, owner);
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
