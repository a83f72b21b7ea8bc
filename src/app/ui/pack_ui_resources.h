#pragma once

#include "app/ui/language_packs.h"
#include "dialogs/ui/ui_resources.h"

namespace ov {

/// The windows' resources from the current language pack.
class PackUiResources final : public UiResources {
public:
    /// `packs` must outlive this.
    explicit PackUiResources(const LanguagePacks& packs) : m_packs(packs) {}

    QString Text(unsigned number) const override { return m_packs.Text(number); }
    QIcon Icon(unsigned number) const override { return m_packs.Icon(number); }
    QCursor Cursor(unsigned number) const override { return m_packs.Cursor(number); }
    QString TemplatePath(unsigned number) const override { return m_packs.TemplatePath(number); }
    QString MenuPath(unsigned number) const override { return m_packs.MenuPath(number); }

private:
    const LanguagePacks& m_packs;
};

}  // namespace ov
