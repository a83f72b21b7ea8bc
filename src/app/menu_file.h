#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ov {

/// One item of a pack's menu: a command, a separator or a sub-menu with its own items.
struct MenuFileItem {
    enum class Kind { Command, Separator, Popup };
    Kind kind = Kind::Command;
    unsigned command = 0;             // Kind::Command only
    std::string text;                 // with its "&" mnemonic; empty for a separator
    std::string shortcut;             // "Ctrl+P"; may be empty
    std::vector<MenuFileItem> items;  // Kind::Popup only
};

/// Reads a menu file of a language pack: one item a line, two spaces of indent per level,
/// `POPUP<TAB>text`, `SEPARATOR` or `<command><TAB>text[<TAB>shortcut]`. Blank lines are
/// skipped. Nothing, with `error` naming the line, when the text is not such a menu.
std::optional<std::vector<MenuFileItem>> ParseMenuFile(std::string_view text,
                                                       std::string* error = nullptr);

}  // namespace ov
