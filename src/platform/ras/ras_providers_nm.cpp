#include "platform/ras/nm/nm_ras_provider.h"
#include "platform/ras/ras_providers.h"

namespace ov {

void RegisterRasProviders() {
    RegisterNetworkManagerProvider();
}

}  // namespace ov
