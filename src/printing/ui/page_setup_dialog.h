#pragma once

#include <QDialog>
#include <QString>

#include <memory>

#include "settings/page_record.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QTabWidget;

namespace ov {

class QXFontButton;
class SamplePageWidget;
class UiResources;

/// Resource numbers of the page setup: its template and icons, and its texts.
inline constexpr unsigned kPageSetupTemplate = 26500;
inline constexpr unsigned kLandscapeIcon = 26501;
inline constexpr unsigned kPortraitIcon = 26502;
inline constexpr unsigned kDefaultPrinterString = 26520;
inline constexpr unsigned kOwnPaperSizeString = 26521;  // "%s": the size, "210.0 × 297.0 mm"

/// The page setup, from the pack's template 26500: paper, printer, orientation and margins on
/// the first tab, header and footer on the second, and the sample page beside them. Works on
/// a copy of the record; Result() gives the record as the dialog would store it.
class PageSetupDialog final : public QDialog {
    Q_OBJECT
public:
    /// `resources` gives the template, the orientation icons and the texts; it must outlive
    /// the dialog. A pack without the template gets the English one built into the program.
    PageSetupDialog(const PageRecord& page, const UiResources& resources,
                    QWidget* parent = nullptr);
    ~PageSetupDialog() override;

    /// The record with everything the dialog shows taken back.
    PageRecord Result() const;
    /// The chosen printer; empty for the default one.
    QString PrinterName() const;
    /// True when lengths show in millimetres (the user's measurement system).
    bool Metric() const { return m_metric; }

private:
    void SetUpMarginsTab();
    void SetUpHeaderFooterTab();
    void UpdateOrientation();
    void UpdateSample();

    const UiResources& m_resources;
    PageRecord m_page;
    bool m_metric = true;
    std::unique_ptr<QWidget> m_template;
    QTabWidget* m_tabs = nullptr;
    QComboBox* m_paper = nullptr;
    QRadioButton* m_portrait = nullptr;
    QRadioButton* m_landscape = nullptr;
    QLabel* m_orientationIcon = nullptr;
    QDoubleSpinBox* m_margins[4] = {};  // left, top, right, bottom
    QComboBox* m_printer = nullptr;
    QCheckBox* m_headerOn = nullptr;
    QPlainTextEdit* m_headerText = nullptr;
    QLineEdit* m_headerPosition = nullptr;
    QXFontButton* m_headerFont = nullptr;
    QCheckBox* m_footerOn = nullptr;
    QPlainTextEdit* m_footerText = nullptr;
    QLineEdit* m_footerPosition = nullptr;
    QXFontButton* m_footerFont = nullptr;
    SamplePageWidget* m_sample = nullptr;
};

/// Runs the page setup on `page`: on OK the record is replaced (and `printerName`, when given,
/// gets the chosen printer), on Cancel it is unchanged. True on OK.
bool RunPageSetup(PageRecord& page, const UiResources& resources, QWidget* owner,
                  QString* printerName = nullptr);

}  // namespace ov
