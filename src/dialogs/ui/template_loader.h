#pragma once

#include <QUiLoader>

#include <memory>

namespace ov {

class UiResources;

/// Loads the pack's dialog templates, making the program's own controls where a template names
/// them by class: QXDrawCtrl, QXStatic, QXFontButton, QXColorButton, QXWebLinkCtrl and
/// QXCListCtrl.
class TemplateLoader final : public QUiLoader {
    Q_OBJECT
public:
    /// `resources` (may be null) gives the controls their pack resources; it must outlive
    /// what is loaded.
    explicit TemplateLoader(const UiResources* resources, QObject* parent = nullptr);

    QWidget* createWidget(const QString& className, QWidget* parent = nullptr,
                          const QString& name = QString()) override;

    /// Template `number` of the current pack as a child of `parent` (or a window without it);
    /// null when the pack has no such template or it cannot be read.
    static std::unique_ptr<QWidget> Load(const UiResources& resources, unsigned number,
                                         QWidget* parent = nullptr);

private:
    const UiResources* m_resources;
};

/// Puts `replacement` in the place of a template's `placeholder` in its parent's layout; false
/// when no layout holds it, so that the caller gives it the placeholder's rectangle instead.
bool ReplaceInLayout(QWidget* placeholder, QWidget* replacement);

}  // namespace ov
