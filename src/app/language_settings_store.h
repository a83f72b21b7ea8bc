#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ov {

/// The key under HKEY_CURRENT_USER where the program keeps the user's settings.
inline constexpr const char* kProductKeyPath = "Software\\Quorvex\\Orvanta";

/// Where the language packs keep the user's choice and learn about the system's language:
/// the stored `CurrentLng`, the system language and the display names of languages.
class LanguageSettingsStore {
public:
    virtual ~LanguageSettingsStore() = default;
    /// The stored `CurrentLng`; nothing when it is not stored.
    virtual std::optional<std::uint32_t> ReadCurrentLng() const = 0;
    virtual bool WriteCurrentLng(std::uint32_t langId) = 0;
    /// The system's language identifier; 0 when it cannot be read.
    virtual std::uint32_t SystemLanguage() const = 0;
    /// The display name of a language for the language list of the options.
    virtual std::string LanguageName(std::uint32_t langId) const = 0;
};

/// The store the program uses, over the registry: `CurrentLng` as a number value of the
/// product key under HKEY_CURRENT_USER, the system language from HKEY_LOCAL_MACHINE
/// System\CurrentControlSet\Control\Nls\Language and the names from HKEY_CLASSES_ROOT
/// MIME\Database\Rfc1766. Keys are opened for each call and closed at once, so that every
/// write is saved when it returns.
class RegistryLanguageSettingsStore final : public LanguageSettingsStore {
public:
    std::optional<std::uint32_t> ReadCurrentLng() const override;
    bool WriteCurrentLng(std::uint32_t langId) override;
    std::uint32_t SystemLanguage() const override;
    /// The text after the first ';' of the language's value ("sk;Slovak" names "Slovak"), or
    /// the whole value without one. A language the table lacks is named by its identifier in
    /// hexadecimal, so that the list never shows a blank entry.
    std::string LanguageName(std::uint32_t langId) const override;
};

}  // namespace ov
