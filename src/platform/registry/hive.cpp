#include "platform/registry/hive.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/text_util.h"

namespace ov {

namespace {

constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr std::size_t kHexWrapColumn = 76;  // the editor's own line width for long hex values

std::string_view ShortRootName(std::string_view rootName) {
    if (EqualsIgnoreCase(rootName, "HKEY_LOCAL_MACHINE")) {
        return "HKLM";
    }
    if (EqualsIgnoreCase(rootName, "HKEY_CURRENT_USER")) {
        return "HKCU";
    }
    if (EqualsIgnoreCase(rootName, "HKEY_CLASSES_ROOT")) {
        return "HKCR";
    }
    return rootName;
}

/// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        std::uint32_t code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= text.size()) {
            return false;
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        if ((extra == 2 && code < 0x800) || (extra == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

/// A REG_SZ whose bytes read back unchanged from the quoted form: UTF-8 without line breaks or
/// other control characters (TAB is fine).
bool FitsQuotedText(std::string_view data) {
    for (const char ch : data) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c < 0x20 && c != '\t') || c == 0x7F) {
            return false;
        }
    }
    return IsUtf8(data);
}

void AppendQuoted(std::string& out, std::string_view text, bool isName) {
    out += '"';
    for (const char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (isName && c == '\n') {
            out += "\\n";  // names cannot go to hex, so their line breaks are escaped
        } else if (isName && c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    out += '"';
}

void AppendHex(std::string& out, std::string_view prefix, std::string_view data,
               std::size_t lineStart) {
    out += prefix;
    char digits[4];
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(data[i]));
        out += digits;
        if (i + 1 < data.size()) {
            out += ',';
            if (out.size() - lineStart >= kHexWrapColumn) {
                out += "\\\n  ";
                lineStart = out.size() - 2;
            }
        }
    }
}

void AppendValue(std::string& out, const RegValue& value) {
    const std::size_t lineStart = out.size();
    if (value.name.empty()) {
        out += '@';
    } else {
        AppendQuoted(out, value.name, true);
    }
    out += '=';
    if (value.type == REG_SZ && FitsQuotedText(value.data)) {
        AppendQuoted(out, value.data, false);
    } else if (value.type == REG_DWORD && value.data.size() == 4) {
        const auto b = [&](int i) { return static_cast<unsigned char>(value.data[i]); };
        const std::uint32_t n = b(0) | (b(1) << 8) | (b(2) << 16) | (std::uint32_t{b(3)} << 24);
        char text[20];
        std::snprintf(text, sizeof text, "dword:%08x", n);
        out += text;
    } else if (value.type == REG_BINARY) {
        AppendHex(out, "hex:", value.data, lineStart);
    } else {
        char prefix[20];
        std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
        AppendHex(out, prefix, value.data, lineStart);
    }
    out += '\n';
}

void AppendKey(std::string& out, const HiveKey& key, const std::string& path, bool isRoot) {
    // A key without values whose subkeys have sections is made by those sections.
    if (!key.values.empty() || (!isRoot && key.subkeys.empty())) {
        out += '[' + path + "]\n";
        for (const auto& value : key.values) {
            AppendValue(out, value);
        }
        out += '\n';
    }
    for (const auto& subkey : key.subkeys) {
        AppendKey(out, subkey, path + '\\' + subkey.name, false);
    }
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

/// Reads the file line by line; hex values may go on over lines ending in a backslash.
class HiveParser {
public:
    HiveParser(std::string_view text, std::string_view rootName)
        : m_text(text), m_rootName(rootName) {}

    /// With `skipped`, a line that cannot be read is counted there and passed over (the
    /// values of a key whose line is bad with it), `error` naming the first; the header must
    /// still be there.
    std::optional<HiveKey> Parse(std::string* error, std::size_t* skipped) {
        HiveKey root;
        if (m_text.substr(0, 3) == "\xEF\xBB\xBF") {
            m_text.remove_prefix(3);
        }
        bool sawHeader = false;
        HiveKey* current = nullptr;
        bool inBadSection = false;
        std::string_view line;
        const auto bad = [&](const std::string& what) {
            if (skipped == nullptr) {
                return false;
            }
            if (*skipped == 0) {
                Failure(error, what);
            }
            ++*skipped;
            return true;
        };
        while (NextLine(line)) {
            const std::string_view trimmed = TrimLeft(TrimRight(line));
            if (trimmed.empty()) {
                continue;
            }
            if (!sawHeader) {
                if (trimmed != kHiveHeader && trimmed != kOldHeader) {
                    return Failure(error, "not a registry hive (the first line must be \"" +
                                              std::string(kHiveHeader) + "\")");
                }
                sawHeader = true;
                continue;
            }
            if (trimmed.front() == ';') {
                continue;
            }
            if (trimmed.front() == '[') {
                current = Section(root, trimmed);
                inBadSection = current == nullptr;
                if (!current && !bad(m_what)) {
                    return Failure(error, m_what);
                }
                continue;
            }
            if (!current) {
                if (inBadSection) {
                    ++*skipped;  // a value of the key whose line was bad
                    continue;
                }
                if (!bad("a value outside any [key] section")) {
                    return Failure(error, "a value outside any [key] section");
                }
                continue;
            }
            if (!Value(*current, trimmed) && !bad(m_what)) {
                return Failure(error, m_what);
            }
        }
        return root;  // an empty file is an empty hive
    }

private:
    bool NextLine(std::string_view& line) {
        if (m_pos >= m_text.size()) {
            return false;
        }
        const auto end = m_text.find('\n', m_pos);
        const std::size_t stop = end == std::string_view::npos ? m_text.size() : end;
        line = m_text.substr(m_pos, stop - m_pos);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);  // a file saved with CR LF line ends
        }
        m_pos = stop + 1;
        ++m_line;
        return true;
    }

    std::optional<HiveKey> Failure(std::string* error, const std::string& what) const {
        if (error) {
            *error = "line " + std::to_string(m_line) + ": " + what;
        }
        return std::nullopt;
    }

    bool Fail(std::string what) {
        m_what = std::move(what);
        return false;
    }

    HiveKey* Section(HiveKey& root, std::string_view line) {
        if (line.back() != ']' || line.size() < 3) {
            Fail("a [key] line without its closing bracket");
            return nullptr;
        }
        const std::string_view path = line.substr(1, line.size() - 2);
        if (path.front() == '-') {
            Fail("key deletions do not belong in a hive");
            return nullptr;
        }
        std::vector<std::string> parts;
        std::size_t start = 0;
        for (;;) {
            const auto slash = path.find('\\', start);
            parts.emplace_back(path.substr(start, slash - start));
            if (slash == std::string_view::npos) {
                break;
            }
            start = slash + 1;
        }
        if (!EqualsIgnoreCase(parts.front(), m_rootName) &&
            !EqualsIgnoreCase(parts.front(), ShortRootName(m_rootName))) {
            Fail("key " + std::string(path) + " is not under " + std::string(m_rootName));
            return nullptr;
        }
        parts.erase(parts.begin());
        for (const auto& part : parts) {
            if (part.empty()) {
                Fail("an empty key name in " + std::string(path));
                return nullptr;
            }
        }
        return &root.Make(parts);
    }

    /// A quoted text at the start of `s`; `s` is left after its closing quote.
    bool Quoted(std::string_view& s, std::string& out, bool isName) {
        s.remove_prefix(1);  // the opening quote
        while (!s.empty()) {
            const char c = s.front();
            s.remove_prefix(1);
            if (c == '"') {
                return true;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (s.empty()) {
                break;
            }
            const char escaped = s.front();
            s.remove_prefix(1);
            if (escaped == '\\' || escaped == '"') {
                out += escaped;
            } else if (isName && escaped == 'n') {
                out += '\n';
            } else if (isName && escaped == 'r') {
                out += '\r';
            } else {
                return Fail(std::string("unknown escape \\") + escaped);
            }
        }
        return Fail("a text without its closing quote");
    }

    bool Hex(std::string_view s, std::string& out) {
        for (;;) {
            s = TrimLeft(TrimRight(s));
            bool goesOn = false;
            if (!s.empty() && s.back() == '\\') {
                goesOn = true;
                s.remove_suffix(1);
            }
            while (!s.empty()) {
                s = TrimLeft(s);
                if (s.size() < 2 || HexDigit(s[0]) < 0 || HexDigit(s[1]) < 0) {
                    return Fail("a byte must be two hex digits");
                }
                out += static_cast<char>(HexDigit(s[0]) * 16 + HexDigit(s[1]));
                s = TrimLeft(s.substr(2));
                if (s.empty()) {
                    break;
                }
                if (s.front() != ',') {
                    return Fail("bytes must be separated by commas");
                }
                s.remove_prefix(1);
                if (TrimLeft(s).empty() && !goesOn) {
                    return Fail("a comma without a byte after it");
                }
            }
            if (!goesOn) {
                return true;
            }
            if (!NextLine(s)) {
                return Fail("a hex value cut off at the end of the file");
            }
        }
    }

    bool Value(HiveKey& key, std::string_view line) {
        std::string name;
        if (line.front() == '@') {
            line.remove_prefix(1);
        } else if (line.front() == '"') {
            if (!Quoted(line, name, true)) {
                return false;
            }
            if (name.empty()) {
                return Fail("an empty value name (the unnamed value is written @)");
            }
        } else {
            return Fail("a line that is neither a [key] nor a value");
        }
        line = TrimLeft(line);
        if (line.empty() || line.front() != '=') {
            return Fail("a value name without '='");
        }
        line = TrimLeft(line.substr(1));
        std::uint32_t type = REG_SZ;
        std::string data;
        if (!line.empty() && line.front() == '"') {
            if (!Quoted(line, data, false)) {
                return false;
            }
            if (!TrimLeft(line).empty()) {
                return Fail("text after the closing quote");
            }
        } else if (line.substr(0, 6) == "dword:") {
            const std::string_view digits = line.substr(6);
            if (digits.empty() || digits.size() > 8 ||
                !std::all_of(digits.begin(), digits.end(),
                             [](char c) { return HexDigit(c) >= 0; })) {
                return Fail("a dword must be one to eight hex digits");
            }
            std::uint32_t n = 0;
            for (const char c : digits) {
                n = n * 16 + static_cast<std::uint32_t>(HexDigit(c));
            }
            type = REG_DWORD;
            for (int i = 0; i < 4; ++i) {
                data += static_cast<char>((n >> (8 * i)) & 0xFF);
            }
        } else if (line.substr(0, 4) == "hex:") {
            type = REG_BINARY;
            if (!Hex(line.substr(4), data)) {
                return false;
            }
        } else if (line.substr(0, 4) == "hex(") {
            const auto close = line.find("):");
            const std::string_view digits =
                close == std::string_view::npos ? std::string_view{} : line.substr(4, close - 4);
            if (digits.empty() || digits.size() > 8 ||
                !std::all_of(digits.begin(), digits.end(),
                             [](char c) { return HexDigit(c) >= 0; })) {
                return Fail("hex(TYPE) needs a type of one to eight hex digits");
            }
            type = 0;
            for (const char c : digits) {
                type = type * 16 + static_cast<std::uint32_t>(HexDigit(c));
            }
            if (!Hex(line.substr(close + 2), data)) {
                return false;
            }
        } else {
            return Fail("a value must be \"text\", dword:, hex: or hex(TYPE):");
        }
        key.SetValue(name, type, data);
        return true;
    }

    std::string_view m_text;
    std::string_view m_rootName;
    std::size_t m_pos = 0;
    int m_line = 0;
    std::string m_what;
};

}  // namespace

HiveKey* HiveKey::FindSubkey(std::string_view subkeyName) {
    for (auto& subkey : subkeys) {
        if (EqualsIgnoreCase(subkey.name, subkeyName)) {
            return &subkey;
        }
    }
    return nullptr;
}

const HiveKey* HiveKey::FindSubkey(std::string_view subkeyName) const {
    return const_cast<HiveKey*>(this)->FindSubkey(subkeyName);
}

HiveKey& HiveKey::AddSubkey(std::string_view subkeyName, bool* created) {
    HiveKey* found = FindSubkey(subkeyName);
    if (created) {
        *created = found == nullptr;
    }
    if (found) {
        return *found;
    }
    subkeys.push_back(HiveKey{std::string(subkeyName), {}, {}});
    return subkeys.back();
}

const RegValue* HiveKey::FindValue(std::string_view valueName) const {
    for (const auto& value : values) {
        if (EqualsIgnoreCase(value.name, valueName)) {
            return &value;
        }
    }
    return nullptr;
}

void HiveKey::SetValue(std::string_view valueName, std::uint32_t type, std::string_view data) {
    for (auto& value : values) {
        if (EqualsIgnoreCase(value.name, valueName)) {
            value.type = type;
            value.data = data;
            return;
        }
    }
    values.push_back(RegValue{std::string(valueName), type, std::string(data)});
}

bool HiveKey::DeleteValue(std::string_view valueName) {
    return std::erase_if(values, [&](const RegValue& value) {
               return EqualsIgnoreCase(value.name, valueName);
           }) > 0;
}

const HiveKey* HiveKey::Find(const std::vector<std::string>& path) const {
    const HiveKey* key = this;
    for (const auto& part : path) {
        key = key->FindSubkey(part);
        if (!key) {
            return nullptr;
        }
    }
    return key;
}

HiveKey* HiveKey::Find(const std::vector<std::string>& path) {
    return const_cast<HiveKey*>(std::as_const(*this).Find(path));
}

HiveKey& HiveKey::Make(const std::vector<std::string>& path) {
    HiveKey* key = this;
    for (const auto& part : path) {
        key = &key->AddSubkey(part);
    }
    return *key;
}

std::optional<HiveKey> ParseHive(std::string_view text, std::string_view rootName,
                                 std::string* error, std::size_t* skippedLines) {
    if (skippedLines != nullptr) {
        *skippedLines = 0;
    }
    return HiveParser(text, rootName).Parse(error, skippedLines);
}

std::string SerializeHive(const HiveKey& root, std::string_view rootName) {
    std::string out(kHiveHeader);
    out += "\n\n";
    AppendKey(out, root, std::string(rootName), true);
    return out;
}

}  // namespace ov
