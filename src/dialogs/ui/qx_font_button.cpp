#include "dialogs/ui/qx_font_button.h"

#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QVBoxLayout>

#include "dialogs/ui/colours.h"
#include "dialogs/ui/qx_color_button.h"
#include "dialogs/ui/ui_resources.h"
#include "dialogs/ui/ui_strings.h"

namespace ov {

namespace {

LogFont DefaultButtonFont() {
    LogFont font = LogFont::Make("Arial", -13, 400, 0);
    font.lfOutPrecision = 3;
    font.lfClipPrecision = 2;
    font.lfPitchAndFamily = 34;
    return font;
}

/// Qt's font dialog, with its effects, and a colour button below it.
class FontColourDialog final : public QDialog {
public:
    FontColourDialog(const QFont& font, const QColor& colour, const QString& colourCaption,
                     QWidget* parent)
        : QDialog(parent) {
        m_fonts = new QFontDialog(font, this);
        m_fonts->setOptions(QFontDialog::DontUseNativeDialog | QFontDialog::NoButtons);
        m_fonts->setWindowFlags(Qt::Widget);
        auto* colourRow = new QHBoxLayout;
        auto* label =
            new QLabel(colourCaption.isEmpty() ? QStringLiteral("&Colour:") : colourCaption);
        m_colour = new QXColorButton;
        m_colour->SetColour(colour);
        m_colour->setMinimumWidth(60);
        label->setBuddy(m_colour);
        m_colour->setAccessibleName(label->text().remove(u'&'));
        colourRow->addWidget(label);
        colourRow->addWidget(m_colour);
        colourRow->addStretch();
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_fonts);
        layout->addLayout(colourRow);
        layout->addWidget(buttons);
        setWindowTitle(m_fonts->windowTitle());
    }
    QFont Font() const { return m_fonts->currentFont(); }
    QColor Colour() const { return m_colour->Colour(); }

private:
    QFontDialog* m_fonts;
    QXColorButton* m_colour;
};

}  // namespace

unsigned ControlId(const QObject& control) {
    const QString name = control.objectName();
    if (!name.startsWith(QStringLiteral("id"))) {
        return 0;
    }
    bool ok = false;
    const unsigned id = name.mid(2).toUInt(&ok);
    return ok ? id : 0;
}

QXFontButton::QXFontButton(QWidget* parent, const UiResources* resources)
    : QPushButton(parent), m_resources(resources), m_font(DefaultButtonFont()) {
    connect(this, &QPushButton::clicked, this, [this] {
        if (!m_disabled) {
            Q_EMIT command(ControlId(*this));
        }
    });
    setAccessibleDescription(QString::fromLatin1(kSample));
}

void QXFontButton::SetFont(const LogFont& font) {
    m_font = font;
    update();
}

void QXFontButton::SetColour(COLORREF colour) {
    m_colour = colour;
    update();
}

bool QXFontButton::Choose() {
    const QString caption =
        m_resources != nullptr ? m_resources->Text(kColourCaptionString) : QString();
    FontColourDialog dialog(ToQFont(m_font), ToQColor(m_colour), caption, this);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    SetFont(ToLogFont(dialog.Font(), m_font));
    SetColour(ToColorRef(dialog.Colour()));
    return true;
}

void QXFontButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QPalette& colours = palette();
    // Rectangles as the drawing rules give them: right and bottom exclusive.
    int left = 0;
    int top = 0;
    int right = width();
    int bottom = height();
    painter.fillRect(rect(), colours.color(QPalette::Button));
    if (hasFocus()) {
        painter.setPen(colours.color(QPalette::WindowText));
        painter.drawRect(left, top, right - left - 1, bottom - top - 1);
        ++left;
        ++top;
        --right;
        --bottom;
    }
    if (isDown()) {
        painter.setPen(colours.color(QPalette::Dark));
        painter.drawRect(left, top, right - left - 1, bottom - top - 1);
    } else {
        // A raised soft edge: light above and to the left, shadow below and to the right.
        painter.setPen(colours.color(QPalette::Light));
        painter.drawLine(left, top, right - 2, top);
        painter.drawLine(left, top, left, bottom - 2);
        painter.setPen(colours.color(QPalette::Shadow));
        painter.drawLine(left, bottom - 1, right - 1, bottom - 1);
        painter.drawLine(right - 1, top, right - 1, bottom - 1);
        painter.setPen(colours.color(QPalette::Dark));
        painter.drawLine(left + 1, bottom - 2, right - 2, bottom - 2);
        painter.drawLine(right - 2, top + 1, right - 2, bottom - 2);
    }

    const QRect box(QPoint(left + 4, top + 4), QPoint(right - 20 - 1, bottom - 5 - 1));
    painter.fillRect(box, Qt::white);
    painter.setPen(Qt::black);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setFont(ToQFont(m_font));
    painter.setPen(ToQColor(m_colour));
    painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, QString::fromLatin1(kSample));

    const int x = right - 13;
    const int y = bottom - 10;
    const QPoint triangle[3] = {{x, y}, {x + 6, y}, {x + 3, y + 3}};
    painter.setPen(Qt::black);
    painter.setBrush(Qt::black);
    painter.drawPolygon(triangle, 3);

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = QRect(QPoint(left + 4, top + 4), QPoint(right - 5, bottom - 5));
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void ExchangeFontButton(bool save, QXFontButton& control, LogFont& font, COLORREF& colour) {
    if (save) {
        font = control.Font();
        colour = control.Colour();
    } else {
        control.SetFont(font);
        control.SetColour(colour);
    }
}

}  // namespace ov
