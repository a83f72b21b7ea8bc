#include "app/menu_file.h"

#include "platform/text_util.h"

namespace ov {

namespace {

bool Fail(std::string* error, std::size_t line, const std::string& why) {
    if (error != nullptr) {
        *error = "line " + std::to_string(line) + ": " + why;
    }
    return false;
}

/// Parses the line's content (after its indent) into `item`.
bool ParseItem(std::string_view content, MenuFileItem& item, std::size_t line, std::string* error) {
    if (content == "SEPARATOR") {
        item.kind = MenuFileItem::Kind::Separator;
        return true;
    }
    const std::size_t tab = content.find('\t');
    const std::string_view head = content.substr(0, tab);
    std::string_view rest =
        tab == std::string_view::npos ? std::string_view() : content.substr(tab + 1);
    if (tab == std::string_view::npos || rest.empty()) {
        return Fail(error, line, "an item without a text");
    }
    if (head == "POPUP") {
        item.kind = MenuFileItem::Kind::Popup;
        item.text = std::string(rest);
        return true;
    }
    const auto command = ParseInteger(head);
    if (!command || *command <= 0 || *command > 0xFFFF) {
        return Fail(error, line, "not a command number: " + std::string(head));
    }
    item.kind = MenuFileItem::Kind::Command;
    item.command = static_cast<unsigned>(*command);
    const std::size_t shortcutTab = rest.find('\t');
    if (shortcutTab != std::string_view::npos) {
        item.shortcut = std::string(rest.substr(shortcutTab + 1));
        rest = rest.substr(0, shortcutTab);
    }
    item.text = std::string(rest);
    return true;
}

}  // namespace

std::optional<std::vector<MenuFileItem>> ParseMenuFile(std::string_view text, std::string* error) {
    std::vector<MenuFileItem> top;
    // The open sub-menus from the top; each level's items go into the last popup of the level
    // above.
    std::vector<std::vector<MenuFileItem>*> levels{&top};
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.find_first_not_of(' ') == std::string_view::npos) {
            continue;
        }
        const std::size_t indent = line.find_first_not_of(' ');
        if (indent % 2 != 0 || indent / 2 >= levels.size()) {
            Fail(error, lineNumber, "indent of an item without its sub-menu");
            return std::nullopt;
        }
        levels.resize(indent / 2 + 1);
        MenuFileItem item;
        if (!ParseItem(line.substr(indent), item, lineNumber, error)) {
            return std::nullopt;
        }
        std::vector<MenuFileItem>& siblings = *levels.back();
        siblings.push_back(std::move(item));
        if (siblings.back().kind == MenuFileItem::Kind::Popup) {
            levels.push_back(&siblings.back().items);
        }
    }
    return top;
}

}  // namespace ov
