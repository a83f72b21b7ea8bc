#include "app/language_settings_store.h"

#include "settings/registry_key.h"

#include <cstdio>

namespace ov {

namespace {

constexpr const char* kCurrentLngValue = "CurrentLng";
constexpr const char* kSystemLanguagePath = "System\\CurrentControlSet\\Control\\Nls\\Language";
constexpr const char* kLanguageNamesPath = "MIME\\Database\\Rfc1766";

/// A language identifier as the registry names it: four upper-case hexadecimal digits.
std::string Hex4(std::uint32_t langId) {
    char text[16];
    std::snprintf(text, sizeof text, "%04X", langId);
    return text;
}

/// The leading hexadecimal digits of `text`, at most four of them; 0 when there are none.
std::uint32_t ParseHex4(const std::string& text) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < text.size() && i < 4; ++i) {
        const char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            break;
        }
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace

std::optional<std::uint32_t> RegistryLanguageSettingsStore::ReadCurrentLng() const {
    RegistryKey key(HKEY_CURRENT_USER, kProductKeyPath);
    std::uint32_t langId = 0;
    if (!key.Open(HKEY_CURRENT_USER, kProductKeyPath, KEY_READ) ||
        !key.ReadNumber(kCurrentLngValue, langId)) {
        return std::nullopt;
    }
    return langId;
}

bool RegistryLanguageSettingsStore::WriteCurrentLng(std::uint32_t langId) {
    RegistryKey key(HKEY_CURRENT_USER, kProductKeyPath);
    // Saved at once, so that a hive that cannot be written does not pass for a stored choice.
    return key.Open(HKEY_CURRENT_USER, kProductKeyPath, KEY_ALL_ACCESS) &&
           key.WriteNumber(kCurrentLngValue, langId) && RegFlushKey(key.Handle()) == ERROR_SUCCESS;
}

std::uint32_t RegistryLanguageSettingsStore::SystemLanguage() const {
    RegistryKey key(HKEY_LOCAL_MACHINE, kSystemLanguagePath);
    std::string text;
    if (!key.Open(HKEY_LOCAL_MACHINE, kSystemLanguagePath, KEY_READ) || !key.ReadString("", text)) {
        return 0;
    }
    return ParseHex4(text);
}

std::string RegistryLanguageSettingsStore::LanguageName(std::uint32_t langId) const {
    RegistryKey key(HKEY_CLASSES_ROOT, kLanguageNamesPath);
    std::string text;
    if (!key.Open(HKEY_CLASSES_ROOT, kLanguageNamesPath, KEY_READ) ||
        !key.ReadString(Hex4(langId).c_str(), text)) {
        return "0x" + Hex4(langId);
    }
    const auto semicolon = text.find(';');
    return semicolon == std::string::npos ? text : text.substr(semicolon + 1);
}

}  // namespace ov
