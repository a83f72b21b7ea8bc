#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ov {

/// Where the language packs keep the user's choice and learn about the system's language:
/// the stored `CurrentLng` (HKCU Software\Quorvex\Orvanta), the system language and the
/// display names of languages (HKCR MIME\Database\Rfc1766).
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

/// The display name of a Windows language identifier, in English as the system lists them;
/// "Language 0xNNNN" for one the table lacks.
std::string BuiltInLanguageName(std::uint32_t langId);

/// The store without the registry: the system language from the locale environment, names
/// from the built-in table, and `CurrentLng` kept for the life of the object.
class DefaultLanguageSettingsStore final : public LanguageSettingsStore {
public:
    std::optional<std::uint32_t> ReadCurrentLng() const override { return m_currentLng; }
    bool WriteCurrentLng(std::uint32_t langId) override {
        m_currentLng = langId;
        return true;
    }
    std::uint32_t SystemLanguage() const override;
    std::string LanguageName(std::uint32_t langId) const override {
        return BuiltInLanguageName(langId);
    }

private:
    std::optional<std::uint32_t> m_currentLng;
};

}  // namespace ov
