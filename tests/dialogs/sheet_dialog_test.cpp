// The sheet of pages on the offscreen platform, with small templates of the test's own: the
// wizard's Next and Back, the tree and tab navigation, a page without a template, the page
// rectangle, commands of the pages reaching their sheet, and a sheet nested in another.

#include "dialogs/ui/sheet_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTabBar>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "dialogs/ui/ui_resources.h"
#include "support/qt_application.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

const auto* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::QtApplicationEnvironment<QApplication>);

/// Templates written into a temporary folder, by number.
class FolderResources final : public UiResources {
public:
    void Add(unsigned number, const std::string& body) {
        test::WriteFileOrDie(m_dir.File(std::to_string(number) + ".ui"),
                             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ui version=\"4.0\">" +
                                 body + "<resources/><connections/></ui>\n");
    }
    QString Text(unsigned) const override { return {}; }
    QIcon Icon(unsigned) const override { return {}; }
    QCursor Cursor(unsigned) const override { return {}; }
    QString TemplatePath(unsigned number) const override {
        const QString path = QString::fromStdString(m_dir.File(std::to_string(number) + ".ui"));
        return QFile::exists(path) ? path : QString();
    }
    QString MenuPath(unsigned) const override { return {}; }

private:
    test::TempDir m_dir;
};

std::string Button(unsigned id, const char* text) {
    return "<item><widget class=\"QPushButton\" name=\"id" + std::to_string(id) +
           "\"><property name=\"text\"><string>" + text + "</string></property></widget></item>";
}

std::string Sheet(unsigned id, const std::string& navigation, const std::string& buttons) {
    return "<widget class=\"QWidget\" name=\"id" + std::to_string(id) +
           "\"><property name=\"windowTitle\"><string>Sheet</string></property>"
           "<layout class=\"QVBoxLayout\" name=\"l" +
           std::to_string(id) + "\">" + navigation +
           "<item><widget class=\"QFrame\" name=\"id950\"/></item>" + buttons +
           "</layout></widget>";
}

std::string Page(unsigned id) {
    return "<widget class=\"QWidget\" name=\"id" + std::to_string(id) +
           "\"><layout class=\"QVBoxLayout\" name=\"l" + std::to_string(id) +
           "\"><item><widget class=\"QCheckBox\" name=\"id" + std::to_string(id + 100) +
           "\"><property name=\"text\"><string>&amp;Option</string></property></widget></item>"
           "</layout></widget>";
}

/// A sheet that records its pages' commands and data exchanges.
class RecordingSheet final : public sSheetDialog {
public:
    using sSheetDialog::sSheetDialog;
    void OnCommand(unsigned id, int code) override {
        commands.push_back(id);
        sSheetDialog::OnCommand(id, code);
    }
    void PageDataExchange(bool save, unsigned page) override { exchanges.emplace_back(save, page); }
    std::vector<unsigned> commands;
    std::vector<std::pair<bool, unsigned>> exchanges;
};

class SheetDialogTest : public ::testing::Test {
protected:
    SheetDialogTest() {
        for (const unsigned page : {920u, 921u, 922u}) {
            m_resources.Add(page, Page(page));
        }
        m_resources.Add(900, Sheet(900, "",
                                   Button(2002, "Back") + Button(2001, "Next") + Button(1, "OK") +
                                       Button(2, "Cancel")));
        m_resources.Add(901,
                        Sheet(901, "<item><widget class=\"QTreeWidget\" name=\"id960\"/></item>",
                              Button(1, "OK")));
        m_resources.Add(902,
                        Sheet(902, "<item><widget class=\"QWidget\" name=\"id961\"/></item>", ""));
    }
    /// Pages 920 to 923 (923 has no template), 921 under 920.
    void AddPages(sSheetDialog& sheet) {
        auto* first = sheet.AddPage(new sSheetDialogBase(920, &sheet), "First");
        sheet.AddPage(new sSheetDialogBase(921, &sheet), "Second", first);
        sheet.AddPage(new sSheetDialogBase(923, &sheet), "Missing");
        sheet.AddPage(new sSheetDialogBase(922, &sheet), "Third");
    }
    FolderResources m_resources;
};

TEST_F(SheetDialogTest, WizardEnablesNextAndBackAtTheEnds) {
    RecordingSheet sheet(900, nullptr, sSheetDialog::Navigation::Wizard, 0, 950);
    AddPages(sheet);
    ASSERT_TRUE(sheet.Build(m_resources));
    auto* next = sheet.findChild<QPushButton*>("id2001");
    auto* back = sheet.findChild<QPushButton*>("id2002");
    EXPECT_EQ(sheet.CurrentIndex(), 0);
    EXPECT_TRUE(next->isEnabled());
    EXPECT_FALSE(back->isEnabled());
    next->click();
    EXPECT_EQ(sheet.CurrentIndex(), 1);
    EXPECT_TRUE(back->isEnabled());
    EXPECT_EQ(sheet.CurrentPage()->TemplateId(), 921u);
    next->click();  // the page without a template is passed over
    EXPECT_EQ(sheet.CurrentPage()->TemplateId(), 922u);
    EXPECT_FALSE(next->isEnabled());
    back->click();
    back->click();
    EXPECT_EQ(sheet.CurrentIndex(), 0);
    EXPECT_FALSE(back->isEnabled());
    EXPECT_FALSE(sheet.Pages()[2]->loaded);
    // The placeholder gave its place to the pages and is gone.
    EXPECT_EQ(sheet.findChild<QWidget*>("id950"), nullptr);
}

TEST_F(SheetDialogTest, PagesHandTheirCommandsAndExchangesToTheSheet) {
    RecordingSheet sheet(901, nullptr, sSheetDialog::Navigation::Tree, 960, 950);
    AddPages(sheet);
    ASSERT_TRUE(sheet.Build(m_resources));
    sheet.findChild<QCheckBox*>("id1020")->click();
    sheet.Pages()[1]->page->DoDataExchange(true);
    EXPECT_EQ(sheet.commands, std::vector<unsigned>{1020});
    EXPECT_EQ(sheet.exchanges, (std::vector<std::pair<bool, unsigned>>{{true, 921}}));
    sheet.findChild<QPushButton*>("id1")->click();
    EXPECT_EQ(sheet.result(), 1);
}

TEST_F(SheetDialogTest, TreeItemsAreThePagesUnderTheirParents) {
    RecordingSheet sheet(901, nullptr, sSheetDialog::Navigation::Tree, 960, 950);
    AddPages(sheet);
    ASSERT_TRUE(sheet.Build(m_resources));
    sheet.resize(400, 300);
    sheet.show();
    auto* tree = sheet.findChild<QTreeWidget*>("id960");
    ASSERT_EQ(tree->topLevelItemCount(), 2);  // First (with Second) and Third
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(0), "Second");
    tree->setCurrentItem(tree->topLevelItem(1));
    EXPECT_EQ(sheet.CurrentPage()->TemplateId(), 922u);
    EXPECT_TRUE(sheet.CurrentPage()->isVisible());
    EXPECT_FALSE(sheet.Pages()[0]->page->isVisible());
    EXPECT_EQ(sheet.CurrentPage()->geometry().size(), sheet.PageRect().size());
    sheet.ShowPage(sheet.Pages()[3]->page, false);
    EXPECT_TRUE(tree->topLevelItem(1)->isHidden());
    EXPECT_EQ(tree->iconSize(), QTreeWidget().iconSize());  // no pictures, no image list
}

TEST_F(SheetDialogTest, TabsAndANestedSheet) {
    RecordingSheet outer(902, nullptr, sSheetDialog::Navigation::Tabs, 961, 950);
    outer.AddPage(new sSheetDialogBase(920, &outer), "Plain");
    auto* inner = new RecordingSheet(901, &outer, sSheetDialog::Navigation::Tree, 960, 950);
    inner->AddPage(new sSheetDialogBase(921, inner), "Inner page");
    outer.AddPage(inner, "Nested");
    ASSERT_TRUE(outer.Build(m_resources));
    auto* tabs = outer.findChild<QTabBar*>("id961");
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(1), "Nested");
    tabs->setCurrentIndex(1);
    EXPECT_EQ(outer.CurrentPage(), inner);
    ASSERT_EQ(inner->CurrentPage()->TemplateId(), 921u);
    // The inner page's command reaches the inner sheet, not the outer one.
    inner->findChild<QCheckBox*>("id1021")->click();
    EXPECT_EQ(inner->commands, std::vector<unsigned>{1021});
    EXPECT_TRUE(outer.commands.empty());
}

}  // namespace
}  // namespace ov
