#include "app/qt/language_packs.h"

#include "app/resource_bundle.h"
#include "platform/paths.h"

#include <QFile>
#include <QFileInfo>
#include <QResource>

#include <algorithm>
#include <atomic>
#include <filesystem>

namespace ov {

namespace {

/// A map root no registration has used before, so that a path of an old pack can never be
/// answered by a newer one (nor an image cached under such a path stand for a newer pack's).
QString NextMapRoot() {
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("/ovlang%1").arg(++counter);
}

std::string Utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

}  // namespace

std::string LangsFolder() {
    namespace fs = std::filesystem;
    const fs::path program = ProgramFolder();
    std::error_code ec;
    for (const fs::path& candidate :
         {program / "Langs", program / ".." / "share" / "orvanta" / "Langs"}) {
        if (fs::is_directory(candidate, ec)) {
            return candidate.lexically_normal().string();
        }
    }
    // Neither exists: name the program folder's, so that errors point where packs belong.
    return (program / "Langs").string();
}

LanguagePacks::LanguagePacks(LanguageSettingsStore& store, std::string langsFolder)
    : m_store(store), m_langsFolder(std::move(langsFolder)) {}

LanguagePacks::~LanguagePacks() {
    Unload();
}

int LanguagePacks::Add(std::uint32_t langId, std::string bundlePath, std::string helpPath) {
    m_packs.push_back(LanguagePack{langId, {}, std::move(bundlePath), std::move(helpPath)});
    return static_cast<int>(m_packs.size()) - 1;
}

void LanguagePacks::SetAlternates(std::uint32_t langId, std::vector<std::uint32_t> ids) {
    if (const int index = IndexOf(langId); index >= 0) {
        m_packs[static_cast<std::size_t>(index)].alternateLangIds = std::move(ids);
    }
}

void LanguagePacks::AddStandardPacks() {
    // Both packs open the English help: there is one help file.
    const std::string help = m_langsFolder + "/English/OVEng.html";
    Add(kPackEnglish, "English/OVEngRes.rcc", help);
    Add(kPackSlovak, "Slovak/OVSlvRes.rcc", help);
    SetAlternates(kPackSlovak, {kLanguageCzech});
}

int LanguagePacks::IndexOf(std::uint32_t langId) const {
    for (std::size_t i = 0; i < m_packs.size(); ++i) {
        if (m_packs[i].langId == langId) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int LanguagePacks::PackFor(std::uint32_t langId) const {
    for (std::size_t i = 0; i < m_packs.size(); ++i) {
        const auto& ids = m_packs[i].alternateLangIds;
        if (m_packs[i].langId == langId || std::find(ids.begin(), ids.end(), langId) != ids.end()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool LanguagePacks::ChooseAtStartup() {
    if (m_packs.empty()) {
        m_error = "no language pack is registered";
        return false;
    }
    int index = -1;
    if (const auto stored = m_store.ReadCurrentLng()) {
        index = IndexOf(*stored);
    }
    if (index < 0) {
        if (const std::uint32_t system = m_store.SystemLanguage(); system != 0) {
            index = PackFor(system);
        }
    }
    if (index < 0) {
        index = 0;
    }
    if (SwitchTo(m_packs[static_cast<std::size_t>(index)].langId)) {
        return true;
    }
    // The chosen pack is missing or damaged. Rather than run without a single text while
    // another pack is installed, take the first that loads; the error keeps naming the
    // chosen pack's bundle.
    const std::string chosenError = m_error;
    for (std::size_t i = 0; i < m_packs.size(); ++i) {
        if (static_cast<int>(i) != index && SwitchTo(m_packs[i].langId)) {
            m_error = chosenError;
            return true;
        }
    }
    m_error = chosenError;
    m_current = index;  // the choice stands, and is what Release stores
    return false;
}

bool LanguagePacks::SwitchTo(std::uint32_t langId, bool load) {
    const int index = IndexOf(langId);
    if (index < 0) {
        m_error = "no language pack for language " + std::to_string(langId);
        return false;
    }
    if (!load) {
        return true;
    }
    const auto& pack = m_packs[static_cast<std::size_t>(index)];
    const QString bundle = QString::fromStdString(m_langsFolder + "/" + pack.bundlePath);
    if (!QFileInfo(bundle).isFile()) {
        m_error = "language pack not found: " + Utf8(bundle);
        return false;
    }
    if (m_textsOnly) {
        if (const auto text = ReadPlainBundleFile(Utf8(bundle), "strings.tsv")) {
            std::string parseError;
            auto strings = ParseStringTable(*text, &parseError);
            if (!strings) {
                m_error = "language pack cannot be loaded: " + Utf8(bundle) + ": " + parseError;
                return false;
            }
            Unload();
            m_strings = std::move(*strings);
            m_current = index;
            m_table.Load(*this);
            m_error.clear();
            return true;
        }
    }
    // The new bundle is registered and read before the old one goes, so that a damaged
    // bundle leaves the current pack in place.
    const QString root = NextMapRoot();
    if (!QResource::registerResource(bundle, root)) {
        m_error = "language pack cannot be loaded (not a resource bundle): " + Utf8(bundle);
        return false;
    }
    QFile file(QStringLiteral(":") + root + QStringLiteral("/strings.tsv"));
    std::string parseError = "the pack has no strings.tsv";
    std::optional<StringTable> strings;
    if (file.open(QIODevice::ReadOnly)) {
        strings = ParseStringTable(file.readAll().toStdString(), &parseError);
    }
    if (!strings) {
        QResource::unregisterResource(bundle, root);
        m_error = "language pack cannot be loaded: " + Utf8(bundle) + ": " + parseError;
        return false;
    }

    Unload();
    m_bundle = bundle;
    m_root = root;
    m_strings = std::move(*strings);
    m_current = index;
    m_table.Load(*this);
    m_error.clear();
    return true;
}

void LanguagePacks::Unload() {
    if (!m_root.isEmpty()) {
        QResource::unregisterResource(m_bundle, m_root);
    }
    m_bundle.clear();
    m_root.clear();
    m_strings.clear();
}

void LanguagePacks::Release() {
    if (m_current >= 0 && static_cast<std::size_t>(m_current) < m_packs.size()) {
        m_store.WriteCurrentLng(m_packs[static_cast<std::size_t>(m_current)].langId);
    }
    Unload();
    m_table.Clear();
}

std::vector<std::string> LanguagePacks::LanguageNames() const {
    std::vector<std::string> names;
    names.reserve(m_packs.size());
    for (const auto& pack : m_packs) {
        names.push_back(m_store.LanguageName(pack.langId));
    }
    return names;
}

std::string LanguagePacks::String(unsigned resourceId) const {
    const auto it = m_strings.find(resourceId);
    return it == m_strings.end() ? std::string() : it->second;
}

QString LanguagePacks::FilePath(const QString& name) const {
    if (m_root.isEmpty()) {
        return {};
    }
    const QString path = QStringLiteral(":") + m_root + QLatin1Char('/') + name;
    return QFileInfo::exists(path) ? path : QString();
}

QString LanguagePacks::ImagePath(unsigned number) const {
    for (const char* suffix : {".png", ".xpm"}) {
        if (QString path = FilePath(QString::number(number) + QLatin1String(suffix));
            !path.isEmpty()) {
            return path;
        }
    }
    return {};
}

QString LanguagePacks::TemplatePath(unsigned number) const {
    return FilePath(QString::number(number) + QStringLiteral(".ui"));
}

QString LanguagePacks::MenuPath(unsigned number) const {
    return FilePath(QString::number(number) + QStringLiteral(".menu"));
}

std::string LanguagePacks::HelpPath() const {
    if (m_current < 0 || static_cast<std::size_t>(m_current) >= m_packs.size()) {
        return {};
    }
    return m_packs[static_cast<std::size_t>(m_current)].helpPath;
}

QUrl LanguagePacks::HelpUrl(std::uint32_t context) const {
    const std::string path = HelpPath();
    if (path.empty()) {
        return {};
    }
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(path));
    url.setFragment(QStringLiteral("ctx-%1").arg(context, 0, 16));
    return url;
}

}  // namespace ov
