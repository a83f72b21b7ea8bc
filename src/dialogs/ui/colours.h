#pragma once

#include <QColor>
#include <QFont>

#include "settings/stored_records.h"

namespace ov {

/// A stored colour (0x00BBGGRR) as Qt's.
inline QColor ToQColor(COLORREF colour) {
    return {static_cast<int>(colour & 0xFFu), static_cast<int>((colour >> 8) & 0xFFu),
            static_cast<int>((colour >> 16) & 0xFFu)};
}

/// Qt's colour as stored.
inline COLORREF ToColorRef(const QColor& colour) {
    return static_cast<COLORREF>(colour.red()) | static_cast<COLORREF>(colour.green()) << 8 |
           static_cast<COLORREF>(colour.blue()) << 16;
}

/// The font a stored font description names: a negative height is the character height in
/// pixels, a positive one the cell height; weights are on the same 1-1000 scale as Qt's.
QFont ToQFont(const LogFont& description);
/// A font as stored: its pixel height as a character height, weight, effects and face.
LogFont ToLogFont(const QFont& font, const LogFont& base);

}  // namespace ov
