#include "platform/ras/ras_providers.h"

namespace ov {

// Built without Qt's D-Bus: the simulator, which the factory always has, is the only provider.
void RegisterRasProviders() {}

}  // namespace ov
