#pragma once

#include "app/qt/language_packs.h"

#include <QColor>
#include <QCursor>
#include <QIcon>
#include <QPixmap>

class QComboBox;

namespace ov {

// The images of the current language pack as the windows use them, and the language list of
// the options. Each is read from the pack when asked for and owns its pixels, so that what
// was handed out keeps its image after the pack is switched away.

/// An icon; null when the pack has no image of this number.
QIcon PackIcon(const LanguagePacks& packs, unsigned number);
/// A bitmap; null when the pack has no image of this number.
QPixmap PackBitmap(const LanguagePacks& packs, unsigned number);
/// A bitmap with one colour made transparent, as image strips use magenta or white.
QPixmap PackBitmap(const LanguagePacks& packs, unsigned number, QColor transparent);
/// A cursor with the hot spot its pack gives (`<number>.hotspot`: "x y"), else the centre.
QCursor PackCursor(const LanguagePacks& packs, unsigned number);

/// Fills a combo box with the packs' language names (item data: language id) and selects the
/// current pack.
void FillLanguageComboBox(const LanguagePacks& packs, QComboBox& combo);

}  // namespace ov
