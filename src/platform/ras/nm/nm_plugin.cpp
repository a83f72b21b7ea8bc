// The NetworkManager provider as a plugin, for the programs that load it only when needed.
#include <QObject>

#include "platform/ras/nm/nm_plugin.h"
#include "platform/ras/nm/nm_ras_provider.h"

namespace ov {

class NmProviderPluginImpl final : public QObject, public NmProviderPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID OV_NM_PROVIDER_PLUGIN_IID)
    Q_INTERFACES(ov::NmProviderPlugin)

public:
    bool Available() override { return NetworkManagerOnSystemBus(); }
    std::unique_ptr<RasProvider> Make() override { return std::make_unique<NmRasProvider>(); }
};

}  // namespace ov

#include "nm_plugin.moc"
