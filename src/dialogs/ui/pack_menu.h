#pragma once

#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace ov {

/// One item of a pack's menu file.
struct MenuItem {
    enum class Kind { Command, Popup, Separator };
    Kind kind = Kind::Command;
    unsigned command = 0;         // Command only
    QString text;                 // with its & mnemonic
    QString shortcut;             // e.g. "Ctrl+P"; may be empty
    std::vector<MenuItem> items;  // Popup only
};

/// Reads a menu file: one item a line, two spaces of indent per level; "POPUP<TAB>text" opens
/// a sub-menu, "SEPARATOR", or "<command><TAB>text[<TAB>shortcut]". Nothing, with `error`
/// naming the line, for a line that is none of these or is indented deeper than its place.
std::optional<std::vector<MenuItem>> ParseMenu(const QString& text, QString* error = nullptr);

/// Sub-menu `index` of the menu file at `path` as a menu of `parent`, each command's action
/// carrying its number as data and in its object name ("id3203"); null when the file cannot
/// be read or has no such sub-menu.
std::unique_ptr<QMenu> LoadPackMenu(const QString& path, int index, QWidget* parent = nullptr);

/// The action of command `command` anywhere in `menu`; null when it has none.
QAction* FindCommand(const QMenu& menu, unsigned command);

}  // namespace ov
