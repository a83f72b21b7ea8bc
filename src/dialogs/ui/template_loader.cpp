#include "dialogs/ui/template_loader.h"

#include <QFile>
#include <QLayout>

#include "dialogs/ui/qx_clist_ctrl.h"
#include "dialogs/ui/qx_color_button.h"
#include "dialogs/ui/qx_font_button.h"
#include "dialogs/ui/qx_static.h"
#include "dialogs/ui/qx_web_link_ctrl.h"
#include "dialogs/ui/ui_resources.h"

namespace ov {

TemplateLoader::TemplateLoader(const UiResources* resources, QObject* parent)
    : QUiLoader(parent), m_resources(resources) {}

QWidget* TemplateLoader::createWidget(const QString& className, QWidget* parent,
                                      const QString& name) {
    QWidget* widget = nullptr;
    if (className == QLatin1String("QXDrawCtrl")) {
        widget = new QXDrawCtrl(parent);
    } else if (className == QLatin1String("QXStatic")) {
        widget = new QXStatic(parent);
    } else if (className == QLatin1String("QXFontButton")) {
        widget = new QXFontButton(parent, m_resources);
    } else if (className == QLatin1String("QXColorButton")) {
        widget = new QXColorButton(parent);
    } else if (className == QLatin1String("QXWebLinkCtrl")) {
        widget = new QXWebLinkCtrl(parent, m_resources);
    } else if (className == QLatin1String("QXCListCtrl")) {
        widget = new QXCListCtrl(parent);
    } else {
        return QUiLoader::createWidget(className, parent, name);
    }
    widget->setObjectName(name);
    return widget;
}

std::unique_ptr<QWidget> TemplateLoader::Load(const UiResources& resources, unsigned number,
                                              QWidget* parent) {
    const QString path = resources.TemplatePath(number);
    if (path.isEmpty()) {
        return nullptr;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return nullptr;
    }
    TemplateLoader loader(&resources);
    return std::unique_ptr<QWidget>(loader.load(&file, parent));
}

bool ReplaceInLayout(QWidget* placeholder, QWidget* replacement) {
    QLayout* layout = placeholder->parentWidget()->layout();
    // The layout hands back the item that held the placeholder, which is ours to delete.
    QLayoutItem* item =
        layout != nullptr ? layout->replaceWidget(placeholder, replacement) : nullptr;
    const bool replaced = item != nullptr;
    delete item;
    return replaced;
}

}  // namespace ov
