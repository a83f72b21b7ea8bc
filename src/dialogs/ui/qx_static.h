#pragma once

#include "dialogs/ui/qx_draw_ctrl.h"
#include "settings/stored_records.h"

namespace ov {

/// A text label with a font, colour and alignment of its own, drawn on the dialog's
/// background.
class QXStatic : public QXDrawCtrl {
    Q_OBJECT
public:
    /// Alignment flags: centred both ways, left, right (none: left).
    static constexpr int kCentre = 1;
    static constexpr int kLeft = 2;
    static constexpr int kRight = 4;

    explicit QXStatic(QWidget* parent = nullptr);

    /// The text's font as its stored description; by default Arial of 11 pixels.
    const LogFont& Font() const { return m_font; }
    void SetFont(const LogFont& font);
    COLORREF Colour() const { return m_colour; }
    void SetColour(COLORREF colour);
    int Alignment() const { return m_alignment; }
    void SetAlignment(int flags);

    /// The Qt alignment of the stored flags.
    static Qt::Alignment QtAlignment(int flags);

protected:
    void Paint(QPainter& painter, int width, int height) override;

private:
    LogFont m_font;
    COLORREF m_colour = 0;
    int m_alignment = 0;
};

/// Dialog data exchange of a label: on loading it takes the font, colour and alignment and
/// repaints; on saving they are copied out.
void ExchangeStatic(bool save, QXStatic& control, LogFont& font, COLORREF& colour, int& alignment);

}  // namespace ov
