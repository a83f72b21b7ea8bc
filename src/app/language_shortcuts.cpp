#include "app/language_shortcuts.h"

#include "platform/file_util.h"
#include "settings/registry_key.h"
#include "sysint/shortcuts.h"

namespace ov {

namespace {
constexpr const char* kShellFolders =
    R"(SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders)";
}  // namespace

void RecreateLanguageShortcuts(int packIndex, const std::string& langsFolder) {
    std::string programs;
    RegistryKey(HKEY_CURRENT_USER, kShellFolders).ReadString("Programs", programs);
    if (programs.empty()) {
        return;
    }
    const std::string group = programs + "/Orvanta";
    if (!EnsureFolder(group)) {
        return;
    }
    const bool english = packIndex == 0;
    const std::string folder = langsFolder + (english ? "/English/" : "/Slovak/");
    CreateShortcut("Licensee Agreement", folder + (english ? "License.txt" : "Licencia.txt"),
                   group);
    CreateShortcut("Readme", folder + (english ? "Readme.txt" : "Citajma.txt"), group);
}

}  // namespace ov
