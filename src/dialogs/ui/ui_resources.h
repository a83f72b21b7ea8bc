#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace ov {

/// What the windows take from the current language pack, by resource number. The tray
/// program hands the windows one over its language packs; tests give them a small pack.
class UiResources {
public:
    virtual ~UiResources() = default;
    /// A string resource; empty when the pack has none.
    virtual QString Text(unsigned number) const = 0;
    /// An icon; null when the pack has none.
    virtual QIcon Icon(unsigned number) const = 0;
    /// A cursor; the arrow when the pack has none.
    virtual QCursor Cursor(unsigned number) const = 0;
    /// The resource path of a dialog template (`<number>.ui`); empty when the pack has none.
    virtual QString TemplatePath(unsigned number) const = 0;
    /// The resource path of a menu (`<number>.menu`); empty when the pack has none.
    virtual QString MenuPath(unsigned number) const = 0;
    /// A bitmap, such as an image strip of a tool bar; null when the pack has none.
    virtual QPixmap Bitmap(unsigned /*number*/) const { return {}; }
    /// The resource path of any other file of the pack by name; empty when it has none.
    virtual QString FilePath(const QString& /*name*/) const { return {}; }
};

}  // namespace ov
