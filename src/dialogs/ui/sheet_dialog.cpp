#include "dialogs/ui/sheet_dialog.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedLayout>
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "dialogs/ui/qx_font_button.h"
#include "dialogs/ui/template_loader.h"
#include "dialogs/ui/ui_resources.h"

namespace ov {

namespace {

/// The navigation's pictures: 26 x 16 pixels each.
constexpr QSize kImageSize(26, 16);

/// Puts `content` into `owner` so that it fills it.
void Fill(QWidget& owner, QWidget* content) {
    auto* layout = new QVBoxLayout(&owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
}

}  // namespace

QXDialog::QXDialog(unsigned templateId, QWidget* parent)
    : QDialog(parent), m_templateId(templateId), m_parent(parent) {
    setObjectName(QStringLiteral("id%1").arg(templateId));
}

sSheetDialogBase::sSheetDialogBase(unsigned templateId, QWidget* parent)
    : QXDialog(templateId, parent) {}

sSheetDialog* sSheetDialogBase::Sheet() const {
    return qobject_cast<sSheetDialog*>(ParentWindow());
}

bool sSheetDialogBase::LoadTemplate(const UiResources& resources) {
    std::unique_ptr<QWidget> content = TemplateLoader::Load(resources, TemplateId(), this);
    if (!content) {
        return false;
    }
    // The template's own name would hide the page's identifier from a search by name.
    content->setObjectName(QString());
    if (!content->windowTitle().isEmpty() && windowTitle().isEmpty()) {
        setWindowTitle(content->windowTitle());
    }
    QWidget* root = content.release();
    Fill(*this, root);
    ConnectControls(root);
    return true;
}

void sSheetDialogBase::ConnectControls(QWidget* root) {
    for (QWidget* control : root->findChildren<QWidget*>()) {
        const unsigned id = ControlId(*control);
        if (id == 0) {
            continue;
        }
        if (auto* font = qobject_cast<QXFontButton*>(control)) {
            connect(font, &QXFontButton::command, this,
                    [this](unsigned fontId) { OnCommand(fontId, kNotifyClicked); });
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            connect(button, &QAbstractButton::clicked, this,
                    [this, id] { OnCommand(id, kNotifyClicked); });
        } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
            connect(combo, &QComboBox::activated, this,
                    [this, id] { OnCommand(id, kNotifySelChange); });
            if (combo->isEditable() && combo->lineEdit() != nullptr) {
                connect(combo->lineEdit(), &QLineEdit::textEdited, this,
                        [this, id] { OnCommand(id, kNotifyEditChange); });
            }
        } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            connect(edit, &QLineEdit::textEdited, this,
                    [this, id] { OnCommand(id, kNotifyChange); });
        } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
            connect(spin, &QSpinBox::valueChanged, this,
                    [this, id] { OnCommand(id, kNotifyChange); });
        } else if (auto* list = qobject_cast<QListWidget*>(control)) {
            connect(list, &QListWidget::currentRowChanged, this,
                    [this, id] { OnCommand(id, kNotifySelChange); });
        }
    }
}

void sSheetDialogBase::OnCommand(unsigned id, int code) {
    if (sSheetDialog* sheet = Sheet()) {
        sheet->OnCommand(id, code);
    }
}

void sSheetDialogBase::DoDataExchange(bool save) {
    if (sSheetDialog* sheet = Sheet()) {
        sheet->PageDataExchange(save, TemplateId());
    }
}

sSheetDialog::sSheetDialog(unsigned templateId, QWidget* parent, Navigation navigation,
                           unsigned navigationId, unsigned frameId)
    : sSheetDialogBase(templateId, parent),
      m_navigation(navigation),
      m_navigationId(navigationId),
      m_frameId(frameId) {}

sSheetDialog::~sSheetDialog() = default;

sSheetDialog::PageItem* sSheetDialog::AddPage(sSheetDialogBase* page, const QString& caption,
                                              PageItem* parentItem, int image) {
    auto item = std::make_unique<PageItem>();
    item->page = page;
    item->caption = caption;
    item->image = image;
    PageItem* added = item.get();
    m_pages.push_back(std::move(item));
    if (parentItem != nullptr) {
        LinkChild(parentItem, added);
    }
    return added;
}

void sSheetDialog::LinkChild(PageItem* parentItem, PageItem* child) {
    child->parent = parentItem;
    parentItem->children.push_back(child);
}

int sSheetDialog::IndexOf(const sSheetDialogBase* page) const {
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        if (m_pages[i]->page == page) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

sSheetDialogBase* sSheetDialog::CurrentPage() const {
    return m_current >= 0 ? m_pages[static_cast<std::size_t>(m_current)]->page : nullptr;
}

QRect sSheetDialog::PageRect() const {
    return m_pageHost != nullptr ? QRect(m_pageHost->mapTo(this, QPoint(0, 0)), m_pageHost->size())
                                 : rect();
}

bool sSheetDialog::Build(const UiResources& resources) {
    std::unique_ptr<QWidget> content = TemplateLoader::Load(resources, TemplateId(), this);
    if (!content) {
        return false;
    }
    content->setObjectName(QString());
    setWindowTitle(content->windowTitle());
    QWidget* root = content.release();
    Fill(*this, root);
    ConnectControls(root);

    // The pages fill the placeholder's place: in its layout when it has one, else its
    // rectangle; without a placeholder the tab bar's rectangle or the whole sheet.
    m_tree = m_navigation == Navigation::Tree ? Item<QTreeWidget>(m_navigationId) : nullptr;
    m_tabs = m_navigation == Navigation::Tabs ? Item<QTabBar>(m_navigationId) : nullptr;
    if (m_navigation == Navigation::Tabs && m_tabs == nullptr) {
        // Designer files cannot hold a bare tab bar: any control of that identifier stands for
        // it and gives it its place.
        if (auto* stand = Item<QWidget>(m_navigationId)) {
            m_tabs = new QTabBar(stand->parentWidget());
            if (!ReplaceInLayout(stand, m_tabs)) {
                m_tabs->setGeometry(stand->geometry());
            }
            delete stand;
            m_tabs->setObjectName(QStringLiteral("id%1").arg(m_navigationId));
        }
    }
    QWidget* frame = m_frameId != 0 ? Item<QWidget>(m_frameId) : nullptr;
    m_pageHost = new QWidget(frame != nullptr ? frame->parentWidget() : root);
    m_pageHost->setObjectName(QStringLiteral("pages"));
    if (frame != nullptr) {
        if (!ReplaceInLayout(frame, m_pageHost)) {
            m_pageHost->setGeometry(frame->geometry());
        }
        delete frame;
    } else if (m_tabs != nullptr) {
        m_pageHost->setGeometry(m_tabs->geometry().translated(10, 30).adjusted(0, 0, -5, -5));
    } else {
        m_pageHost->setGeometry(QRect(QPoint(0, 0), size()));
    }
    m_pageLayout = new QStackedLayout(m_pageHost);
    m_pageLayout->setContentsMargins(0, 0, 0, 0);

    bool images = false;
    for (const auto& item : m_pages) {
        item->page->setWindowFlags(Qt::Widget);
        item->loaded = item->page->LoadTemplate(resources);
        if (!item->loaded) {
            item->page->hide();
            continue;
        }
        item->page->setAccessibleName(item->caption);
        m_pageLayout->addWidget(item->page);
        images = images || item->image >= 0;
    }

    m_rebuilding = true;
    if (m_tree != nullptr) {
        m_tree->clear();
        m_tree->setHeaderHidden(true);
        m_tree->setColumnCount(1);
        if (images) {
            m_tree->setIconSize(kImageSize);
        }
        connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
            if (m_rebuilding || item == nullptr) {
                return;
            }
            SelectPage(item->data(0, Qt::UserRole).toInt());
        });
    }
    if (m_tabs != nullptr) {
        if (images) {
            m_tabs->setIconSize(kImageSize);
        }
        connect(m_tabs, &QTabBar::currentChanged, this, [this](int tab) {
            if (m_rebuilding) {
                return;
            }
            for (std::size_t i = 0; i < m_pages.size(); ++i) {
                if (m_pages[i]->tabIndex == tab) {
                    SelectPage(static_cast<int>(i));
                }
            }
        });
    }
    for (const auto& item : m_pages) {
        if (item->loaded) {
            if (item->image >= 0) {
                item->page->setWindowIcon(resources.Icon(static_cast<unsigned>(item->image)));
            }
            AddNavigationItem(*item);
        }
    }
    if (m_tree != nullptr) {
        // Wide enough for the longest caption of the pack.
        m_tree->expandAll();
        m_tree->resizeColumnToContents(0);
        m_tree->setMinimumWidth(std::max(m_tree->minimumWidth(),
                                         m_tree->columnWidth(0) + 2 * m_tree->frameWidth() + 8));
    }
    m_rebuilding = false;
    // Tab goes from the navigation through the page to the sheet's own buttons: the pages
    // were made after the buttons, so the buttons move to the end of the focus chain.
    QWidget* last = previousInFocusChain();
    for (QWidget* control : root->findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractButton*>(control) != nullptr &&
            !m_pageHost->isAncestorOf(control) && ControlId(*control) != 0) {
            setTabOrder(last, control);
            last = control;
        }
    }
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        if (m_pages[i]->loaded) {
            SelectPage(static_cast<int>(i));
            break;
        }
    }
    return true;
}

void sSheetDialog::AddNavigationItem(PageItem& item) {
    const int index = IndexOf(item.page);
    if (m_tree != nullptr) {
        QTreeWidgetItem* parentTree = item.parent != nullptr ? item.parent->treeItem : nullptr;
        item.treeItem =
            parentTree != nullptr ? new QTreeWidgetItem(parentTree) : new QTreeWidgetItem(m_tree);
        item.treeItem->setText(0, item.caption);
        item.treeItem->setData(0, Qt::UserRole, index);
        if (item.image >= 0) {
            item.treeItem->setIcon(0, item.page->windowIcon());
        }
    } else if (m_tabs != nullptr) {
        item.tabIndex = item.image >= 0 ? m_tabs->addTab(item.page->windowIcon(), item.caption)
                                        : m_tabs->addTab(item.caption);
    }
}

void sSheetDialog::ShowPage(sSheetDialogBase* page, bool show) {
    const int index = IndexOf(page);
    if (index < 0) {
        return;
    }
    PageItem& item = *m_pages[static_cast<std::size_t>(index)];
    if (item.treeItem != nullptr) {
        item.treeItem->setHidden(!show);
    }
    if (m_tabs != nullptr && item.tabIndex >= 0) {
        m_tabs->setTabVisible(item.tabIndex, show);
    }
}

void sSheetDialog::SelectPage(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= m_pages.size() ||
        !m_pages[static_cast<std::size_t>(index)]->loaded) {
        return;
    }
    PageItem& item = *m_pages[static_cast<std::size_t>(index)];
    m_current = index;
    m_pageLayout->setCurrentWidget(item.page);
    m_rebuilding = true;
    if (m_tree != nullptr && item.treeItem != nullptr) {
        m_tree->setCurrentItem(item.treeItem);
    }
    if (m_tabs != nullptr && item.tabIndex >= 0) {
        m_tabs->setCurrentIndex(item.tabIndex);
    }
    m_rebuilding = false;
    UpdateWizardButtons();
}

void sSheetDialog::UpdateWizardButtons() {
    if (m_navigation != Navigation::Wizard) {
        return;
    }
    if (auto* next = Item<QPushButton>(kSheetNext)) {
        next->setEnabled(Neighbour(1) >= 0);
    }
    if (auto* back = Item<QPushButton>(kSheetBack)) {
        back->setEnabled(Neighbour(-1) >= 0);
    }
}

int sSheetDialog::Neighbour(int step) const {
    for (int i = m_current + step; i >= 0 && i < static_cast<int>(m_pages.size()); i += step) {
        if (m_pages[static_cast<std::size_t>(i)]->loaded) {
            return i;
        }
    }
    return -1;
}

void sSheetDialog::PageDataExchange(bool /*save*/, unsigned /*pageTemplateId*/) {}

void sSheetDialog::OnCommand(unsigned id, int /*code*/) {
    switch (id) {
        case kSheetNext:
            SelectPage(Neighbour(1));
            break;
        case kSheetBack:
            SelectPage(Neighbour(-1));
            break;
        case kSheetOk:
        case kSheetCancel:
        case kSheetClose:
            m_closing = true;
            done(static_cast<int>(id));
            break;
        default:
            break;
    }
}

void sSheetDialog::reject() {
    OnCommand(kSheetCancel, kNotifyClicked);
}

void sSheetDialog::closeEvent(QCloseEvent* event) {
    if (!m_closing && isVisible()) {
        event->ignore();
        OnCommand(kSheetClose, kNotifyClicked);
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace ov
