#pragma once

#include <QDialog>
#include <QPixmap>
#include <QPushButton>
#include <QString>

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

/// A button showing a sample text in its font and colour; pressing it lets the user choose
/// another font and then a colour. The font is kept as a screen font description.
class FontButton final : public QPushButton {
    Q_OBJECT
public:
    explicit FontButton(QWidget* parent = nullptr);
    void SetFont(const LogFont& font, COLORREF color);
    const LogFont& Font() const { return m_font; }
    COLORREF Color() const { return m_color; }
    /// Runs the font dialog, then the colour dialog; false when the font was not changed.
    bool Choose();

Q_SIGNALS:
    void fontChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LogFont m_font;
    COLORREF m_color = 0;
};

/// The pictures of the orientation: the pack's icons 26502 (portrait) and 26501 (landscape).
struct OrientationArt {
    QPixmap portrait;
    QPixmap landscape;
};

class SamplePage;

/// The page setup: margins, paper, orientation and printer on the first tab, header and
/// footer on the second, and a sample page showing the header and footer lines. Works on a
/// copy of the record; Result() gives the record as the dialog would store it.
class PageSetupDialog final : public QDialog {
    Q_OBJECT
public:
    PageSetupDialog(const PageRecord& page, const OrientationArt& art = {},
                    QWidget* parent = nullptr);

    /// The record with everything the dialog shows taken back.
    PageRecord Result() const;
    /// The chosen printer; empty for the default one.
    QString PrinterName() const;
    /// True when lengths show in millimetres (the user's measurement system).
    bool Metric() const { return m_metric; }

private:
    void UpdateOrientation();
    void UpdateSample();
    QWidget* BuildMarginsTab();
    QWidget* BuildHeaderFooterTab();

    PageRecord m_page;
    OrientationArt m_art;
    bool m_metric = true;
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
    FontButton* m_headerFont = nullptr;
    QCheckBox* m_footerOn = nullptr;
    QPlainTextEdit* m_footerText = nullptr;
    QLineEdit* m_footerPosition = nullptr;
    FontButton* m_footerFont = nullptr;
    SamplePage* m_sample = nullptr;
};

/// Runs the page setup on `page`: on OK the record is replaced (and `printerName`, when given,
/// gets the chosen printer), on Cancel it is unchanged. True on OK.
bool RunPageSetup(PageRecord& page, QWidget* owner, const OrientationArt& art = {},
                  QString* printerName = nullptr);

}  // namespace ov
