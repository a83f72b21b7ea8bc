#include "sysint/phone_book_entry.h"

#include "settings/registry_key.h"

namespace ov {

namespace {

constexpr const char* kTextNames[2] = {"0001", "0002"};

/// The key byte for position `i`: never zero, so no byte stays as it was.
std::uint8_t KeyByte(std::size_t i) {
    return static_cast<std::uint8_t>(0x5A + 37 * (i % 7));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

/// A name that can stand as one key below kEntryTextsKey: a backslash would put the texts
/// under another entry's key.
bool IsKeyName(std::string_view name) {
    return !name.empty() && name.find('\\') == std::string_view::npos;
}

std::string KeyPath(const std::string& name) {
    return std::string(kEntryTextsKey) + "\\" + name;
}

}  // namespace

std::string EncodeStoredText(std::string_view text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte =
            static_cast<std::uint8_t>(static_cast<std::uint8_t>(text[i]) ^ KeyByte(i));
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0F];
    }
    return out;
}

std::optional<std::string> DecodeStoredText(std::string_view encoded) {
    if (encoded.size() % 2 != 0) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(encoded.size() / 2);
    for (std::size_t i = 0; i < encoded.size(); i += 2) {
        const int high = HexDigit(encoded[i]);
        const int low = HexDigit(encoded[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        out += static_cast<char>(static_cast<std::uint8_t>(high << 4 | low) ^ KeyByte(i / 2));
    }
    return out;
}

PhoneBookEntry::PhoneBookEntry(std::string name) : m_name(std::move(name)) {
    if (!IsKeyName(m_name)) {
        return;
    }
    RegistryKey key(HKEY_CURRENT_USER, KeyPath(m_name));
    for (int i = 0; i < 2; ++i) {
        std::string encoded;
        if (key.ReadString(kTextNames[i], encoded)) {
            m_stored[i] = encoded;
            m_texts[i] = DecodeStoredText(encoded).value_or(std::string());
        }
    }
}

PhoneBookEntry::~PhoneBookEntry() {
    if (!IsKeyName(m_name)) {
        return;
    }
    const std::string encoded[2] = {EncodeStoredText(m_texts[0]), EncodeStoredText(m_texts[1])};
    // The list is refilled at every refresh; rewriting unchanged texts would only rewrite the
    // hive file each time.
    if (m_stored[0] == encoded[0] && m_stored[1] == encoded[1]) {
        return;
    }
    RegistryKey key(HKEY_CURRENT_USER, KeyPath(m_name));
    if (key.Open(HKEY_CURRENT_USER, KeyPath(m_name), KEY_ALL_ACCESS)) {
        key.WriteString(kTextNames[0], encoded[0]);
        key.WriteString(kTextNames[1], encoded[1]);
    }
}

}  // namespace ov
