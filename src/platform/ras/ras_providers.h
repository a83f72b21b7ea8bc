#pragma once

namespace ov {

/// Registers with the factory the dial-up providers this build offers besides the simulator:
/// NetworkManager where the program is built with Qt's D-Bus, none otherwise. The build picks
/// the definition; programs call it once at start, before MakeRasProvider.
void RegisterRasProviders();

}  // namespace ov
