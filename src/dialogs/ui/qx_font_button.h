#pragma once

#include <QPushButton>

#include "settings/stored_records.h"

namespace ov {

class UiResources;

/// A button that shows a sample text in a chosen font and colour; its parent opens the font
/// dialog (Choose) when it is pressed.
class QXFontButton : public QPushButton {
    Q_OBJECT
public:
    static constexpr const char* kSample = "AaBbCcXxYyZz";

    /// `resources` (may be null) gives the colour caption of the font dialog.
    explicit QXFontButton(QWidget* parent = nullptr, const UiResources* resources = nullptr);

    /// The font as its stored description; by default Arial of 13 pixels.
    const LogFont& Font() const { return m_font; }
    void SetFont(const LogFont& font);
    COLORREF Colour() const { return m_colour; }
    void SetColour(COLORREF colour);
    /// A disabled font button shows its font but does not ask for another.
    bool DisabledFlag() const { return m_disabled; }
    void SetDisabledFlag(bool disabled) { m_disabled = disabled; }

    /// Runs the font dialog from the button's font and colour; on OK takes the chosen ones
    /// and repaints. True on OK.
    bool Choose();

Q_SIGNALS:
    /// The button was pressed (and is not disabled): the parent is to call Choose().
    void command(unsigned id);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const UiResources* m_resources;
    LogFont m_font;
    COLORREF m_colour = 0;
    bool m_disabled = false;
};

/// Dialog data exchange of a font button: on loading it takes the font and colour and
/// repaints; on saving they are copied out.
void ExchangeFontButton(bool save, QXFontButton& control, LogFont& font, COLORREF& colour);

/// The identifier a control carries in its object name ("id3390" → 3390); 0 for none.
unsigned ControlId(const QObject& control);

}  // namespace ov
