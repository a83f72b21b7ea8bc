#include "dialogs/ui/pack_menu.h"

#include <QAction>
#include <QFile>
#include <QKeySequence>
#include <QMenu>

namespace ov {

namespace {

void AddItems(QMenu& menu, const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
        switch (item.kind) {
            case MenuItem::Kind::Separator:
                menu.addSeparator();
                break;
            case MenuItem::Kind::Popup:
                AddItems(*menu.addMenu(item.text), item.items);
                break;
            case MenuItem::Kind::Command: {
                QAction* action = menu.addAction(item.text);
                action->setData(item.command);
                action->setObjectName(QStringLiteral("id%1").arg(item.command));
                if (!item.shortcut.isEmpty()) {
                    action->setShortcut(QKeySequence(item.shortcut));
                }
                break;
            }
        }
    }
}

}  // namespace

std::optional<std::vector<MenuItem>> ParseMenu(const QString& text, QString* error) {
    std::vector<MenuItem> top;
    // The open sub-menus, outermost first; depth d adds to path[d - 1]'s items.
    std::vector<std::vector<MenuItem>*> levels{&top};
    const QStringList lines = text.split(u'\n');
    for (int n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        const auto fail = [&](const char* why) {
            if (error != nullptr) {
                *error = QStringLiteral("line %1: %2").arg(n + 1).arg(QLatin1String(why));
            }
            return std::nullopt;
        };
        if (line.trimmed().isEmpty()) {
            continue;
        }
        int spaces = 0;
        while (spaces < line.size() && line[spaces] == u' ') {
            ++spaces;
        }
        if (spaces % 2 != 0) {
            return fail("the indent is not a whole level");
        }
        const auto depth = static_cast<std::size_t>(spaces / 2);
        if (depth >= levels.size()) {
            return fail("indented deeper than its place");
        }
        levels.resize(depth + 1);
        const QStringList fields = line.mid(spaces).split(u'\t');
        MenuItem item;
        if (fields[0] == QLatin1String("SEPARATOR") && fields.size() == 1) {
            item.kind = MenuItem::Kind::Separator;
        } else if (fields[0] == QLatin1String("POPUP") && fields.size() == 2) {
            item.kind = MenuItem::Kind::Popup;
            item.text = fields[1];
        } else {
            bool ok = false;
            item.command = fields[0].toUInt(&ok);
            if (!ok || item.command == 0 || item.command > 0xFFFF || fields.size() < 2 ||
                fields.size() > 3) {
                return fail("not a command, a POPUP or a SEPARATOR");
            }
            item.text = fields[1];
            if (fields.size() == 3) {
                item.shortcut = fields[2];
            }
        }
        levels.back()->push_back(std::move(item));
        if (levels.back()->back().kind == MenuItem::Kind::Popup) {
            levels.push_back(&levels.back()->back().items);
        }
    }
    return top;
}

std::unique_ptr<QMenu> LoadPackMenu(const QString& path, int index, QWidget* parent) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return nullptr;
    }
    const auto items = ParseMenu(QString::fromUtf8(file.readAll()));
    if (!items || index < 0) {
        return nullptr;
    }
    int popup = 0;
    for (const MenuItem& item : *items) {
        if (item.kind != MenuItem::Kind::Popup) {
            continue;
        }
        if (popup++ == index) {
            auto menu = std::make_unique<QMenu>(item.text, parent);
            AddItems(*menu, item.items);
            return menu;
        }
    }
    return nullptr;
}

QAction* FindCommand(const QMenu& menu, unsigned command) {
    for (QAction* action : menu.actions()) {
        if (action->menu() != nullptr) {
            if (QAction* found = FindCommand(*action->menu(), command)) {
                return found;
            }
        } else if (!action->isSeparator() && action->data().toUInt() == command) {
            return action;
        }
    }
    return nullptr;
}

}  // namespace ov
