#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/run_process.h"
#include "support/temp_dir.h"

namespace ov::test {

/// A private D-Bus daemon standing in for the system bus (DBUS_SYSTEM_BUS_ADDRESS points at it
/// for the object's lifetime, children included) with NetworkManager's mock on it. Both can be
/// stopped and started again at the same address.
class MockNetworkManager {
public:
    MockNetworkManager();
    ~MockNetworkManager();
    MockNetworkManager(const MockNetworkManager&) = delete;
    MockNetworkManager& operator=(const MockNetworkManager&) = delete;

    /// Runs one step of the mock driver and returns what it printed, without the line end.
    std::string Drive(std::vector<std::string> args);

    // Shortcuts for the driver's steps.
    /// `metered`: the device's Metered value (NMMetered), 0 (unknown) by default.
    std::string AddDevice(const std::string& iface, unsigned type, unsigned state,
                          unsigned metered = 0);
    std::string AddProfile(const std::string& id, const std::string& type,
                           std::vector<std::string> settings = {});
    std::string Activate(const std::string& profile, const std::string& device,
                         const std::string& name, unsigned state);
    void SetDeviceState(const std::string& device, unsigned state);
    void SetActiveState(const std::string& active, unsigned state);

    void StartBus();
    void StopBus();
    /// Starts the mock and waits until its name is on the bus.
    void StartMock();
    void StopMock();

private:
    TempDir m_dir;
    std::string m_socket;
    std::optional<ScopedEnv> m_address;
    std::unique_ptr<BackgroundProcess> m_bus;
    std::unique_ptr<BackgroundProcess> m_mock;
};

}  // namespace ov::test
