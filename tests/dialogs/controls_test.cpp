// The program's own controls on the offscreen platform: the replace rule, links, the list's
// cutting of texts, the font button's drawing, and the menus of the packs.

#include <QApplication>
#include <QEnterEvent>
#include <QFile>
#include <QFrame>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QStandardItemModel>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include "dialogs/ui/pack_menu.h"
#include "dialogs/ui/qx_clist_ctrl.h"
#include "dialogs/ui/qx_color_button.h"
#include "dialogs/ui/qx_draw_ctrl.h"
#include "dialogs/ui/qx_font_button.h"
#include "dialogs/ui/qx_static.h"
#include "dialogs/ui/qx_web_link_ctrl.h"
#include "dialogs/ui/template_loader.h"
#include "dialogs/ui/ui_resources.h"
#include "support/qt_application.h"

namespace ov {
namespace {

const auto* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::QtApplicationEnvironment<QApplication>);

/// The English pack's sources as resources, with one text.
class SourceResources final : public UiResources {
public:
    QString Text(unsigned number) const override {
        return number == 25242 ? QStringLiteral("cannot open") : QString();
    }
    QIcon Icon(unsigned) const override { return {}; }
    QCursor Cursor(unsigned) const override { return {}; }
    QString TemplatePath(unsigned number) const override { return File(number, ".ui"); }
    QString MenuPath(unsigned number) const override { return File(number, ".menu"); }
    QString folder = QStringLiteral("English");

private:
    QString File(unsigned number, const char* suffix) const {
        return QStringLiteral(OV_LANGS_SOURCE_DIR "/%1/%2%3")
            .arg(folder)
            .arg(number)
            .arg(QLatin1String(suffix));
    }
};

TEST(QXDrawCtrl, TakesThePlaceholdersPlaceLessItsEdges) {
    const struct {
        QFrame::Shape shape;
        QFrame::Shadow shadow;
        int inset;
    } cases[] = {{QFrame::NoFrame, QFrame::Plain, 0},
                 {QFrame::Panel, QFrame::Sunken, 1},
                 {QFrame::Box, QFrame::Plain, 1},
                 {QFrame::Box, QFrame::Sunken, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.inset);
        QWidget dialog;
        auto* placeholder = new QFrame(&dialog);
        placeholder->setObjectName(QStringLiteral("id42"));
        placeholder->setGeometry(10, 20, 50, 30);
        placeholder->setFrameShape(c.shape);
        placeholder->setFrameShadow(c.shadow);
        placeholder->setToolTip(QStringLiteral("tip"));
        QPointer<QFrame> gone = placeholder;

        auto* control = new QXDrawCtrl;
        ASSERT_TRUE(control->Replace(42, &dialog));
        EXPECT_TRUE(gone.isNull());
        EXPECT_EQ(control->parentWidget(), &dialog);
        EXPECT_EQ(control->geometry(),
                  QRect(10, 20, 50, 30).adjusted(c.inset, c.inset, -c.inset, -c.inset));
        EXPECT_EQ(dialog.findChild<QWidget*>(QStringLiteral("id42")), control);
        EXPECT_EQ(control->toolTip(), QStringLiteral("tip"));
        EXPECT_FALSE(control->Replace(43, &dialog));
    }
}

TEST(QXDrawCtrl, ErasesWithItsBackgroundAndPaintsThroughItsCallback) {
    QXDrawCtrl control;
    control.resize(20, 10);
    control.SetBackground(QColor(1, 2, 3));
    control.SetPaintCallback([](QPainter& painter, int width, int height) {
        painter.fillRect(QRect(width - 1, height - 1, 1, 1), Qt::red);
    });
    const QImage image = control.grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(1, 2, 3));
    EXPECT_EQ(image.pixelColor(19, 9), QColor(Qt::red));
}

TEST(QXStatic, AlignmentFlags) {
    EXPECT_EQ(QXStatic::QtAlignment(QXStatic::kLeft), Qt::AlignLeft | Qt::AlignTop);
    EXPECT_EQ(QXStatic::QtAlignment(QXStatic::kRight), Qt::AlignRight | Qt::AlignTop);
    EXPECT_EQ(QXStatic::QtAlignment(QXStatic::kCentre), Qt::AlignCenter);
    EXPECT_EQ(QXStatic::QtAlignment(0), Qt::AlignLeft | Qt::AlignTop);
}

TEST(QXWebLinkCtrl, OpensOnlyWebAndMailAddresses) {
    const struct {
        const char* target;
        bool opens;
    } cases[] = {
        {"http://example.org/", true},
        {"https://example.org/a?b=c", true},
        {"HTTPS://EXAMPLE.ORG", true},
        {"ftp://ftp.example.org/pub", true},
        {"mailto:someone@example.org", true},
        {"file:///etc/passwd", false},
        {"/usr/bin/xterm", false},
        {"javascript:alert(1)", false},
        {"smb://server/share", false},
        {"http://", false},
        {"mailto:", false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QXWebLinkCtrl::MayOpen(QString::fromLatin1(c.target)), c.opens) << c.target;
    }
}

/// Whether some pixel of `widget` has exactly `colour` (the underline has).
bool Shows(QWidget& widget, const QColor& colour) {
    const QImage image = widget.grab().toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == colour) {
                return true;
            }
        }
    }
    return false;
}

TEST(QXWebLinkCtrl, ColoursFollowHoverAndVisitsAndARefusedTargetIsReported) {
    SourceResources resources;
    QXWebLinkCtrl link(nullptr, &resources);
    link.setText(QStringLiteral("example.org"));
    link.resize(120, 20);
    std::vector<QUrl> opened;
    std::vector<QString> failures;
    bool openerWorks = true;
    link.SetOpener([&](const QUrl& url) {
        opened.push_back(url);
        return openerWorks;
    });
    link.SetFailureSink([&](const QString& message) { failures.push_back(message); });
    EXPECT_TRUE(link.font().underline());
    EXPECT_TRUE(Shows(link, QColor(0, 0, 255)));

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(&link, &enter);
    EXPECT_TRUE(link.Hover());
    EXPECT_TRUE(Shows(link, QColor(255, 0, 0)));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&link, &leave);
    EXPECT_EQ(link.DrawnColour(), QColor(0, 0, 255));

    link.SetTarget(QStringLiteral("file:///etc/passwd"));
    link.Activate();
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(failures, std::vector<QString>{QStringLiteral("cannot open")});
    EXPECT_EQ(link.DrawnColour(), QColor(0, 0, 255));

    openerWorks = false;  // the desktop cannot open it
    link.SetTarget(QStringLiteral("https://example.org/"));
    link.Activate();
    EXPECT_EQ(failures.size(), 2u);
    EXPECT_EQ(link.DrawnColour(), QColor(0, 0, 255));

    openerWorks = true;
    QCoreApplication::sendEvent(&link, &enter);
    link.Activate();
    EXPECT_EQ(opened.back(), QUrl(QStringLiteral("https://example.org/")));
    EXPECT_FALSE(link.Hover());
    EXPECT_EQ(link.DrawnColour(), QColor(128, 0, 128));
    EXPECT_TRUE(Shows(link, QColor(128, 0, 128)));

    link.SetTarget(QString());  // nothing to open: nothing happens
    link.Activate();
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(failures.size(), 2u);
}

TEST(QXCListCtrl, CutsTextsCharacterByCharacterWithDots) {
    QXCListCtrl list;
    const QFontMetrics metrics(list.font());
    const QString dots = QStringLiteral("...");
    const QString longText = QStringLiteral("Demo ISP dial-up connection of the office");
    const struct {
        QString text;
        int width;
    } cases[] = {
        {QStringLiteral("Demo"), metrics.horizontalAdvance(QStringLiteral("Demo"))},
        {longText, metrics.horizontalAdvance(longText) - 1},
        {longText, 60},
        {longText, metrics.horizontalAdvance(dots)},
        {longText, 2},
        {QString::fromUtf8("Žltý kôň \xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80"), 70},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString() + " in " + std::to_string(c.width));
        const QString fitted = list.FitText(c.text, metrics, c.width);
        if (metrics.horizontalAdvance(c.text) <= c.width) {
            EXPECT_EQ(fitted, c.text);
            continue;
        }
        ASSERT_TRUE(fitted.endsWith(dots));
        const QString kept = fitted.chopped(3);
        EXPECT_TRUE(c.text.startsWith(kept));
        EXPECT_FALSE(!kept.isEmpty() && kept.back().isHighSurrogate());
        if (!kept.isEmpty()) {
            EXPECT_LE(metrics.horizontalAdvance(fitted), c.width);
        }
        // The longest such cut: one character more would not fit.
        if (kept.size() < c.text.size()) {
            int next = kept.size() + (c.text[kept.size()].isHighSurrogate() ? 2 : 1);
            EXPECT_GT(metrics.horizontalAdvance(c.text.left(next) + dots), c.width);
        }
    }
}

TEST(QXCListCtrl, DrawsSelectedRowsAcrossTheirWidthOnlyWithTheFocusOrWhenAlwaysShown) {
    QStandardItemModel model(2, 2);
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column) {
            model.setItem(row, column, new QStandardItem(QStringLiteral("x")));
        }
    }
    QXCListCtrl list;
    list.setModel(&model);
    list.resize(300, 120);
    list.header()->resizeSection(0, 50);
    list.header()->resizeSection(1, 50);
    list.selectionModel()->select(model.index(0, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const QRect row = list.visualRect(model.index(0, 0));
    const QPoint beyondColumns(250, row.center().y());
    const QColor highlight = list.palette().color(QPalette::Highlight);
    const auto colourAt = [&] {
        return list.viewport()->grab().toImage().pixelColor(beyondColumns);
    };
    EXPECT_NE(colourAt(), highlight);  // no focus
    list.SetShowSelectionAlways(true);
    EXPECT_EQ(colourAt(), highlight);  // the full width, past the last column
}

TEST(QXFontButton, DrawsTheSampleBoxAndTheTriangle) {
    QXFontButton button;
    button.resize(120, 30);
    const QImage image = button.grab().toImage();
    // The white box from (4, 4) to (100, 25), outlined in black; the triangle's top row.
    EXPECT_EQ(image.pixelColor(4, 4), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(99, 24), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(6, 6), QColor(Qt::white));
    EXPECT_NE(image.pixelColor(100, 25), QColor(Qt::black));
    for (int x = 107; x <= 113; ++x) {
        EXPECT_EQ(image.pixelColor(x, 20), QColor(Qt::black)) << x;
    }
    EXPECT_EQ(image.pixelColor(110, 23), QColor(Qt::black));
    EXPECT_NE(image.pixelColor(114, 20), QColor(Qt::black));

    std::vector<unsigned> commands;
    button.setObjectName(QStringLiteral("id3061"));
    QObject::connect(&button, &QXFontButton::command, [&](unsigned id) { commands.push_back(id); });
    button.click();
    button.SetDisabledFlag(true);
    button.click();
    EXPECT_EQ(commands, std::vector<unsigned>{3061});
}

TEST(PackMenu, ReadsNestedItemsAndRefusesBrokenLines) {
    const auto menu = ParseMenu(QStringLiteral(
        "POPUP\tFirst\n  3211\t&Open\n  SEPARATOR\n  POPUP\tMore\n    57607\t&Print\tCtrl+P\n"
        "  3205\t&About\nPOPUP\tSecond\n  3026\tHang &up\n"));
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->size(), 2u);
    const auto& first = (*menu)[0].items;
    ASSERT_EQ(first.size(), 4u);
    EXPECT_EQ(first[0].command, 3211u);
    EXPECT_EQ(first[1].kind, MenuItem::Kind::Separator);
    EXPECT_EQ(first[2].items.at(0).shortcut, QStringLiteral("Ctrl+P"));
    EXPECT_EQ(first[3].text, QStringLiteral("&About"));
    EXPECT_EQ((*menu)[1].items.at(0).command, 3026u);

    for (const char* broken :
         {"  3211\tdeeper than its place", "POPUP\tA\n   3211\todd indent",
          "POPUP\tA\n  Open\tno number", "POPUP\tA\n  0\tzero", "POPUP\tA\n  3211"}) {
        QString error;
        EXPECT_FALSE(ParseMenu(QString::fromLatin1(broken), &error)) << broken;
        EXPECT_TRUE(error.startsWith(QStringLiteral("line "))) << broken;
    }
}

TEST(PackMenu, TheDisplaysMenuOfEachPack) {
    SourceResources resources;
    for (const char* folder : {"English", "Slovak"}) {
        SCOPED_TRACE(folder);
        resources.folder = QString::fromLatin1(folder);
        const auto tray = LoadPackMenu(resources.MenuPath(200), 0);
        const auto display = LoadPackMenu(resources.MenuPath(200), 1);
        ASSERT_TRUE(tray && display);
        for (const unsigned command : {3211u, 3204u, 3203u, 3026u, 3400u}) {
            EXPECT_NE(FindCommand(*display, command), nullptr) << command;
        }
        EXPECT_NE(FindCommand(*tray, 57665), nullptr);
        EXPECT_EQ(FindCommand(*tray, 3026), nullptr);
        EXPECT_EQ(FindCommand(*display, 3203)->objectName(), QStringLiteral("id3203"));
        EXPECT_FALSE(LoadPackMenu(resources.MenuPath(200), 2));
    }
}

TEST(TemplateLoader, MakesTheProgramsControlsByClassName) {
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write(R"(<ui version="4.0"><widget class="QWidget" name="id900">
      <widget class="QXWebLinkCtrl" name="id901"/><widget class="QXFontButton" name="id902"/>
      <widget class="QXStatic" name="id903"/><widget class="QXCListCtrl" name="id904"/>
      <widget class="QXColorButton" name="id905"/><widget class="QLabel" name="id906"/>
      </widget></ui>)");
    file.seek(0);
    SourceResources resources;
    TemplateLoader loader(&resources);
    const std::unique_ptr<QWidget> dialog(loader.load(&file));
    ASSERT_TRUE(dialog);
    EXPECT_NE(dialog->findChild<QXWebLinkCtrl*>(QStringLiteral("id901")), nullptr);
    EXPECT_NE(dialog->findChild<QXFontButton*>(QStringLiteral("id902")), nullptr);
    EXPECT_NE(dialog->findChild<QXStatic*>(QStringLiteral("id903")), nullptr);
    EXPECT_NE(dialog->findChild<QXCListCtrl*>(QStringLiteral("id904")), nullptr);
    EXPECT_NE(dialog->findChild<QXColorButton*>(QStringLiteral("id905")), nullptr);
    EXPECT_NE(dialog->findChild<QLabel*>(QStringLiteral("id906")), nullptr);
}

}  // namespace
}  // namespace ov
