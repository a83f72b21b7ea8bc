#pragma once

#include "app/language_settings_store.h"
#include "app/qt/text_table.h"
#include "app/string_table.h"
#include "app/text_table_source.h"

#include <QString>
#include <QUrl>

#include <cstdint>
#include <string>
#include <vector>

namespace ov {

/// Language identifiers of the packs the program ships and of the languages they serve.
inline constexpr std::uint32_t kPackEnglish = 1033;
inline constexpr std::uint32_t kPackSlovak = 1051;
inline constexpr std::uint32_t kLanguageCzech = 1029;

/// Help contexts of the help file: the contents and the main topic.
inline constexpr std::uint32_t kHelpContents = 0x20082;
inline constexpr std::uint32_t kHelpTopic = 0x20081;

/// One language pack as registered.
struct LanguagePack {
    std::uint32_t langId = 0;
    std::vector<std::uint32_t> alternateLangIds;  // further system languages it serves
    std::string bundlePath;                       // relative to the Langs folder
    std::string helpPath;                         // full path; may be empty
};

/// The folder holding the packs: `Langs` in the program folder (a build tree or a portable
/// copy), else the installed ../share/orvanta/Langs beside the program's bin folder.
std::string LangsFolder();

/// The language packs: which one is current, switching between them, the text table loaded
/// from the current one, and every resource of the user interface by number (as resource
/// paths; app/ui turns the images into icons, bitmaps and cursors). Needs Qt Core only, so
/// that orvanta-cli can read the packs' texts without a display. A pack is a Qt
/// resource bundle; only the current one is registered, each time under a map root of its
/// own, so nothing looked up after a switch can come from the pack before it.
class LanguagePacks final : public TextTableSource {
public:
    LanguagePacks(LanguageSettingsStore& store, std::string langsFolder = LangsFolder());
    ~LanguagePacks() override;
    LanguagePacks(const LanguagePacks&) = delete;
    LanguagePacks& operator=(const LanguagePacks&) = delete;

    /// Registers a pack; returns its index.
    int Add(std::uint32_t langId, std::string bundlePath, std::string helpPath);
    void SetAlternates(std::uint32_t langId, std::vector<std::uint32_t> alternateLangIds);
    /// Registers the packs the program ships: English, then Slovak (which also serves Czech),
    /// both with the English help.
    void AddStandardPacks();

    /// Picks the pack at start-up: the stored `CurrentLng` when a pack has it, else the pack
    /// serving the system language, else the first; then loads it. When that pack cannot be
    /// loaded the others are tried in order. False when none loads: every lookup is then
    /// empty and LastError() names the missing or damaged bundle.
    bool ChooseAtStartup();
    /// Makes the pack of `langId` current and reloads the text table. Without `load` it only
    /// tells whether such a pack is registered. On failure the current pack stays.
    bool SwitchTo(std::uint32_t langId, bool load = true);
    /// Only the packs' texts are wanted (a program without windows): they are read straight
    /// from a bundle that stores them plainly, without registering it with Qt's resource
    /// system, so that no image, template or menu path is answered. Other bundles are read as
    /// always.
    void WantTextsOnly() { m_textsOnly = true; }
    /// Stores the current pack's language as `CurrentLng` and unloads the pack.
    void Release();

    /// The display names of the packs, in order.
    std::vector<std::string> LanguageNames() const;
    /// Index of the first pack of `langId` or serving it as an alternate; -1 when none does.
    int PackFor(std::uint32_t langId) const;
    /// Index of the current pack; -1 before one was chosen.
    int CurrentIndex() const { return m_current; }
    /// Whether the current pack's bundle is loaded (its resources can be had).
    bool Loaded() const { return !m_root.isEmpty(); }
    const std::vector<LanguagePack>& Packs() const { return m_packs; }
    /// Why the last choose or switch failed.
    const std::string& LastError() const { return m_error; }

    /// Every string resource of the current pack; empty when none is loaded.
    const StringTable& Strings() const { return m_strings; }
    /// The text table of the current pack, as loaded at its last switch.
    const TextTable& Texts() const { return m_table; }
    /// A string resource of the current pack; empty when it has none.
    std::string String(unsigned resourceId) const override;
    QString Text(unsigned resourceId) const { return QString::fromStdString(String(resourceId)); }

    /// The resource path of an image (icon, bitmap, cursor) of the current pack; empty when
    /// it has none.
    QString ImagePath(unsigned number) const;
    /// The resource path of a dialog template (`<number>.ui`) or a menu (`<number>.menu`).
    QString TemplatePath(unsigned number) const;
    QString MenuPath(unsigned number) const;
    /// Any other file of the current pack by name; empty when it has none.
    QString FilePath(const QString& name) const;

    /// The help file of the current pack; empty when it has none.
    std::string HelpPath() const;
    /// The help file opened at a help context (its anchor `ctx-<hex>`).
    QUrl HelpUrl(std::uint32_t context) const;

private:
    int IndexOf(std::uint32_t langId) const;
    void Unload();

    LanguageSettingsStore& m_store;
    std::string m_langsFolder;
    std::vector<LanguagePack> m_packs;
    int m_current = -1;
    QString m_bundle;  // the registered bundle and its map root, to unregister it exactly
    QString m_root;
    StringTable m_strings;
    bool m_textsOnly = false;
    TextTable m_table;
    std::string m_error;
};

}  // namespace ov
