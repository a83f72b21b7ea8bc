#pragma once

#include "app/qt/language_packs.h"
#include "app/ui/pack_images.h"
#include "dialogs/ui/ui_resources.h"

namespace ov {

/// The windows' resources from the current language pack.
class PackUiResources final : public UiResources {
public:
    /// `packs` must outlive this.
    explicit PackUiResources(const LanguagePacks& packs) : m_packs(packs) {}

    QString Text(unsigned number) const override { return m_packs.Text(number); }
    QIcon Icon(unsigned number) const override { return PackIcon(m_packs, number); }
    QCursor Cursor(unsigned number) const override { return PackCursor(m_packs, number); }
    QString TemplatePath(unsigned number) const override { return m_packs.TemplatePath(number); }
    QString MenuPath(unsigned number) const override { return m_packs.MenuPath(number); }
    QPixmap Bitmap(unsigned number) const override { return PackBitmap(m_packs, number); }
    QString FilePath(const QString& name) const override { return m_packs.FilePath(name); }

private:
    const LanguagePacks& m_packs;
};

}  // namespace ov
