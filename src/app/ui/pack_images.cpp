#include "app/ui/pack_images.h"

#include <QBitmap>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QVariant>

namespace ov {

QIcon PackIcon(const LanguagePacks& packs, unsigned number) {
    const QPixmap pixmap = PackBitmap(packs, number);
    if (pixmap.isNull()) {
        return {};
    }
    QIcon icon(pixmap);
    // A pack may carry the icon drawn at twice the size, for screens with a device pixel
    // ratio of 2: scaling the small one up would blur it.
    if (const QString path = packs.FilePath(QString::number(number) + QStringLiteral("@2x.png"));
        !path.isEmpty()) {
        QPixmap large = QPixmap::fromImage(QImage(path));
        if (!large.isNull()) {
            large.setDevicePixelRatio(2.0);
            icon.addPixmap(large);
        }
    }
    return icon;
}

QPixmap PackBitmap(const LanguagePacks& packs, unsigned number) {
    const QString path = packs.ImagePath(number);
    // Through an image rather than QPixmap(path): that would keep a copy in the pixmap cache
    // under the pack's path for as long as the program runs, pack switches included.
    return path.isEmpty() ? QPixmap() : QPixmap::fromImage(QImage(path));
}

QPixmap PackBitmap(const LanguagePacks& packs, unsigned number, QColor transparent) {
    QPixmap pixmap = PackBitmap(packs, number);
    if (!pixmap.isNull()) {
        pixmap.setMask(pixmap.createMaskFromColor(transparent, Qt::MaskInColor));
    }
    return pixmap;
}

QCursor PackCursor(const LanguagePacks& packs, unsigned number) {
    const QPixmap pixmap = PackBitmap(packs, number);
    if (pixmap.isNull()) {
        return QCursor();
    }
    int x = -1;  // -1: the centre
    int y = -1;
    if (const QString path = packs.FilePath(QString::number(number) + QStringLiteral(".hotspot"));
        !path.isEmpty()) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            const auto parts = QString::fromUtf8(file.readAll()).simplified().split(u' ');
            bool okX = false;
            bool okY = false;
            if (parts.size() == 2) {
                x = parts[0].toInt(&okX);
                y = parts[1].toInt(&okY);
            }
            if (!okX || !okY || x < 0 || y < 0 || x >= pixmap.width() || y >= pixmap.height()) {
                x = y = -1;
            }
        }
    }
    return QCursor(pixmap, x, y);
}

void FillLanguageComboBox(const LanguagePacks& packs, QComboBox& combo) {
    combo.clear();
    const auto names = packs.LanguageNames();
    for (std::size_t i = 0; i < packs.Packs().size(); ++i) {
        combo.addItem(QString::fromStdString(names[i]),
                      QVariant::fromValue(packs.Packs()[i].langId));
    }
    combo.setCurrentIndex(packs.CurrentIndex());
}

}  // namespace ov
