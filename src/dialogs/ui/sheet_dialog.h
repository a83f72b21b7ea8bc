#pragma once

#include <QDialog>
#include <QString>

#include <memory>
#include <vector>

class QStackedLayout;
class QTabBar;
class QTreeWidget;
class QTreeWidgetItem;
class QPushButton;

namespace ov {

class UiResources;

/// Notification codes a control sends with its identifier, as its parent's command handler
/// receives them.
enum ControlNotify : int {
    kNotifyClicked = 0,     // a button was pressed or a check box toggled
    kNotifySelChange = 1,   // a list's or a combo box's selection changed
    kNotifyEditChange = 5,  // the text of an editable combo box was typed
    kNotifyChange = 0x300,  // an edit's or a number field's value was typed
};

/// Commands of the sheets.
inline constexpr unsigned kSheetOk = 1;
inline constexpr unsigned kSheetCancel = 2;
inline constexpr unsigned kSheetClose = 8;
inline constexpr unsigned kSheetNext = 2001;
inline constexpr unsigned kSheetBack = 2002;

/// A dialog that keeps the number of the template it is built from and its parent.
class QXDialog : public QDialog {
    Q_OBJECT
public:
    QXDialog(unsigned templateId, QWidget* parent);
    unsigned TemplateId() const { return m_templateId; }
    QWidget* ParentWindow() const { return m_parent; }

private:
    unsigned m_templateId;
    QWidget* m_parent;
};

class sSheetDialog;

/// A page of a sheet, built from its pack template. Inside a sheet its commands go to the
/// sheet's command handler and its data exchange to the sheet's page data exchange, with the
/// page's template number.
class sSheetDialogBase : public QXDialog {
    Q_OBJECT
public:
    sSheetDialogBase(unsigned templateId, QWidget* parent);

    /// Loads the template of the current pack into the page and makes every control with an
    /// identifier report to OnCommand. False when the pack has no such template.
    virtual bool LoadTemplate(const UiResources& resources);
    /// The sheet the page belongs to; null for a page on its own.
    sSheetDialog* Sheet() const;

    /// A control's command; inside a sheet handed to it.
    virtual void OnCommand(unsigned id, int code);
    /// Loads (`save` false) or reads back the page's values; inside a sheet handed to it.
    virtual void DoDataExchange(bool save);

    /// The control of identifier `id` in the page.
    template <typename Control>
    Control* Item(unsigned id) const {
        return findChild<Control*>(QStringLiteral("id%1").arg(id));
    }

protected:
    /// Connects the controls below `root` that carry an identifier.
    void ConnectControls(QWidget* root);
};

/// A container of pages with a navigation: Next and Back (a wizard), a tab bar or a tree. The
/// pages fill the rectangle of a placeholder control of the sheet's template. Being a page
/// itself, a sheet can sit inside another sheet.
class sSheetDialog : public sSheetDialogBase {
    Q_OBJECT
public:
    enum class Navigation { Wizard = 0, Tabs = 1, Tree = 2 };

    struct PageItem {
        sSheetDialogBase* page = nullptr;  // owned as a child widget of the sheet
        QString caption;
        int image = -1;
        PageItem* parent = nullptr;
        std::vector<PageItem*> children;
        QTreeWidgetItem* treeItem = nullptr;
        int tabIndex = -1;
        bool loaded = false;
    };

    /// `navigationId`: the tab or tree control (0 for a wizard); `frameId`: the placeholder
    /// whose rectangle receives the pages (0 for none).
    sSheetDialog(unsigned templateId, QWidget* parent, Navigation navigation, unsigned navigationId,
                 unsigned frameId);
    ~sSheetDialog() override;

    /// Adds a page under `parentItem` (null: at the top).
    PageItem* AddPage(sSheetDialogBase* page, const QString& caption,
                      PageItem* parentItem = nullptr, int image = -1);
    static void LinkChild(PageItem* parentItem, PageItem* child);
    /// Shows or hides a page's navigation item.
    void ShowPage(sSheetDialogBase* page, bool show);
    /// Makes page `index` (in the order added) the current one.
    void SelectPage(int index);
    int CurrentIndex() const { return m_current; }
    sSheetDialogBase* CurrentPage() const;
    const std::vector<std::unique_ptr<PageItem>>& Pages() const { return m_pages; }
    /// The rectangle the pages fill, in the sheet's coordinates.
    QRect PageRect() const;

    /// Builds the sheet from its template and its pages from theirs (a page whose template
    /// cannot be had is left out); shows the first page. False without the sheet's template.
    bool Build(const UiResources& resources);
    /// A sheet inside another sheet builds itself with its pages.
    bool LoadTemplate(const UiResources& resources) override { return Build(resources); }

    /// A page's values to or from its controls; the concrete sheet binds them.
    virtual void PageDataExchange(bool save, unsigned pageTemplateId);
    /// Next, Back, OK and Cancel; the pages' commands arrive here too.
    void OnCommand(unsigned id, int code) override;

    /// Escape and the window's close button come as commands.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    /// True while the navigation is rebuilt: its signals are not reactions of the user.
    bool Rebuilding() const { return m_rebuilding; }

private:
    void UpdateWizardButtons();
    /// The next shown page in that direction (1 or -1) from the current one; -1 for none.
    int Neighbour(int step) const;
    int IndexOf(const sSheetDialogBase* page) const;
    void AddNavigationItem(PageItem& item);

    std::vector<std::unique_ptr<PageItem>> m_pages;
    int m_current = -1;
    Navigation m_navigation;
    unsigned m_navigationId;
    unsigned m_frameId;
    QWidget* m_pageHost = nullptr;
    QStackedLayout* m_pageLayout = nullptr;
    QTreeWidget* m_tree = nullptr;
    QTabBar* m_tabs = nullptr;
    bool m_rebuilding = false;
    bool m_closing = false;
};

}  // namespace ov
