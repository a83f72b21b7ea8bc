#include "app/string_table.h"

#include "platform/text_util.h"

#include <cstring>

namespace ov {

namespace {

void SetError(std::string* error, std::size_t lineNumber, const std::string& what) {
    if (error) {
        *error = "line " + std::to_string(lineNumber) + ": " + what;
    }
}

}  // namespace

std::optional<StringTable> ParseStringTable(std::string_view text, std::string* error) {
    StringTable table;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const auto fields = SplitFields(line);
        if (fields.size() != 2) {
            SetError(error, lineNumber, "expected a number, one TAB and the text");
            return std::nullopt;
        }
        const auto number = ParseInteger(fields[0]);
        if (!number || *number < 1 || *number > 65535) {
            SetError(error, lineNumber, "not a string resource number: " + std::string(fields[0]));
            return std::nullopt;
        }
        auto value = UnescapeField(fields[1]);
        if (!value) {
            SetError(error, lineNumber, "bad escape in the text");
            return std::nullopt;
        }
        if (!table.emplace(static_cast<unsigned>(*number), std::move(*value)).second) {
            SetError(error, lineNumber, "string " + std::to_string(*number) + " appears twice");
            return std::nullopt;
        }
    }
    return table;
}

std::vector<std::string> PrintfConversions(std::string_view format) {
    std::vector<std::string> conversions;
    std::size_t i = 0;
    const auto at = [&](std::size_t k) { return k < format.size() ? format[k] : '\0'; };
    while ((i = format.find('%', i)) != std::string_view::npos) {
        ++i;
        if (at(i) == '%') {
            ++i;
            continue;
        }
        while (at(i) != '\0' && std::strchr("-+ #0", at(i))) {
            ++i;
        }
        while (at(i) == '*' || (at(i) >= '0' && at(i) <= '9')) {
            ++i;
        }
        if (at(i) == '.') {
            ++i;
            while (at(i) == '*' || (at(i) >= '0' && at(i) <= '9')) {
                ++i;
            }
        }
        std::string conversion;
        while (at(i) != '\0' && std::strchr("hlLqjzt", at(i))) {
            conversion += at(i++);
        }
        if (at(i) != '\0' && std::strchr("diouxXeEfFgGaAcsp", at(i))) {
            conversion += at(i++);
            conversions.push_back(std::move(conversion));
        } else {
            conversions.emplace_back("?");
        }
    }
    return conversions;
}

}  // namespace ov
