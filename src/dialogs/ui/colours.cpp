#include "dialogs/ui/colours.h"

#include <QFontInfo>

#include <algorithm>
#include <cmath>

namespace ov {

namespace {
/// The share of a font's cell height that its characters take, for a description that gives
/// the cell height (its internal leading left out).
constexpr double kCharacterShareOfCell = 0.8;
}  // namespace

QFont ToQFont(const LogFont& description) {
    QFont font(QString::fromLatin1(description.FaceName().data(),
                                   static_cast<int>(description.FaceName().size())));
    const int height = description.lfHeight;
    if (height < 0) {
        font.setPixelSize(-height);
    } else if (height > 0) {
        font.setPixelSize(
            std::max(1, static_cast<int>(std::lround(height * kCharacterShareOfCell))));
    }
    if (description.lfWeight > 0) {
        font.setWeight(static_cast<QFont::Weight>(std::clamp(description.lfWeight, 1, 1000)));
    }
    font.setItalic(description.lfItalic != 0);
    font.setUnderline(description.lfUnderline != 0);
    font.setStrikeOut(description.lfStrikeOut != 0);
    return font;
}

LogFont ToLogFont(const QFont& font, const LogFont& base) {
    LogFont description = base;
    const QByteArray face = font.family().toLatin1();
    description.lfFaceName.fill('\0');
    std::copy_n(face.constData(), std::min<std::size_t>(face.size(), kFaceNameSize - 1),
                description.lfFaceName.begin());
    const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    description.lfHeight = -pixels;
    description.lfWeight = font.weight();
    description.lfItalic = font.italic() ? 1 : 0;
    description.lfUnderline = font.underline() ? 1 : 0;
    description.lfStrikeOut = font.strikeOut() ? 1 : 0;
    return description;
}

}  // namespace ov
