#include "launcher/registry_app_paths.h"

#include "settings/registry_key.h"

namespace ov {

std::string RegistryAppPaths::Lookup(const std::string& name) const {
    // A name is one key: a separator would reach into some other key of the registry.
    if (name.empty() || name.find_first_of("\\/") != std::string::npos) {
        return {};
    }
    RegistryKey key(HKEY_LOCAL_MACHINE, std::string(kAppPathsKey) + "\\" + name);
    std::string path;
    if (!key.Reopen(KEY_READ) || !key.ReadString("", path)) {
        return {};
    }
    return path;
}

}  // namespace ov
