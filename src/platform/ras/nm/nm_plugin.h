#pragma once

// The NetworkManager provider in a plugin of its own: a program that may run without it (the
// command line with the simulator) opens it only when NetworkManager is asked for or looked
// for, so that the D-Bus libraries are not loaded otherwise. Qt Core only.

#include <QtPlugin>

#include <memory>
#include <string>

namespace ov {

class RasProvider;

class NmProviderPlugin {
public:
    virtual ~NmProviderPlugin() = default;
    /// Whether NetworkManager's name has an owner on the system bus.
    virtual bool Available() = 0;
    /// A new provider on a connection of its own to the system bus.
    virtual std::unique_ptr<RasProvider> Make() = 0;
};

/// The plugin's file name, in the `plugins` folder beside the language packs' folder.
inline constexpr char kNmProviderPluginFile[] = "libov_ras_nm.so";

}  // namespace ov

// The provider crosses the plugin boundary as a C++ object: plugin and program must come from
// the same build, which the version in the interface name checks.
#define OV_NM_PROVIDER_PLUGIN_IID "org.orvanta.NmProviderPlugin/" OV_VERSION
Q_DECLARE_INTERFACE(ov::NmProviderPlugin, OV_NM_PROVIDER_PLUGIN_IID)
