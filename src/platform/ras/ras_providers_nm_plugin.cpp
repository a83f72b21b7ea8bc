#include <QPluginLoader>
#include <QString>

#include <mutex>

#include "platform/plugin_path.h"
#include "platform/ras/nm/nm_plugin.h"
#include "platform/ras/ras_factory.h"
#include "platform/ras/ras_providers.h"

namespace ov {

namespace {

/// The plugin, loaded on the first question and then kept: the providers it made run its code
/// until the program ends. Null, with the reason in `error`, when it cannot be loaded.
NmProviderPlugin* Plugin(std::string* error) {
    static std::mutex mutex;
    static NmProviderPlugin* plugin = nullptr;
    static std::string why;
    std::lock_guard lock(mutex);
    if (plugin == nullptr && why.empty()) {
        const std::string path = PluginPath(kNmProviderPluginFile);
        QPluginLoader loader(QString::fromStdString(path));
        plugin = qobject_cast<NmProviderPlugin*>(loader.instance());
        if (plugin == nullptr) {
            why = "cannot load the NetworkManager plugin " + path + ": " +
                  loader.errorString().toStdString();
        }
    }
    if (plugin == nullptr && error != nullptr) {
        *error = why;
    }
    return plugin;
}

}  // namespace

void RegisterRasProviders() {
    // Only the NetworkManager provider needs D-Bus; with the simulator chosen, the D-Bus
    // libraries are never loaded.
    RegisterNetworkManagerBackend({
        [] {
            NmProviderPlugin* plugin = Plugin(nullptr);
            return plugin != nullptr && plugin->Available();
        },
        [](std::string* error) -> std::unique_ptr<RasProvider> {
            NmProviderPlugin* plugin = Plugin(error);
            return plugin != nullptr ? plugin->Make() : nullptr;
        },
    });
}

}  // namespace ov
