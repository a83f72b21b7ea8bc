#include "mock_network_manager.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <thread>

#include "platform/ras/nm/nm_ras_provider.h"

namespace ov::test {

using namespace std::chrono_literals;

MockNetworkManager::MockNetworkManager() : m_socket(m_dir.File("system_bus_socket")) {
    StartBus();
    StartMock();
}

MockNetworkManager::~MockNetworkManager() {
    StopMock();
    StopBus();
}

void MockNetworkManager::StartBus() {
    ::unlink(m_socket.c_str());
    m_bus = std::make_unique<BackgroundProcess>(
        std::vector<std::string>{"/usr/bin/dbus-daemon", "--session", "--nofork",
                                 "--print-address=1", "--address=unix:path=" + m_socket});
    bool ok = false;
    m_bus->ReadLine(10s, &ok);
    ASSERT_TRUE(ok) << "the bus did not start";
    // As the real system bus is named: by its socket alone, without the daemon's GUID, so that
    // a client may reach a daemon started again at the same place.
    m_address.reset();
    m_address.emplace("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + m_socket);
}

void MockNetworkManager::StopBus() {
    if (m_bus) {
        m_bus->Signal(SIGTERM);
        m_bus->Wait();
        m_bus.reset();
    }
}

void MockNetworkManager::StartMock() {
    m_mock = std::make_unique<BackgroundProcess>(std::vector<std::string>{
        "/usr/bin/python3", "-m", "dbusmock", "--system", "--template", "networkmanager"});
    const auto deadline = std::chrono::steady_clock::now() + 15s;
    while (!NetworkManagerOnSystemBus()) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the mock did not start";
        std::this_thread::sleep_for(50ms);
    }
}

void MockNetworkManager::StopMock() {
    if (m_mock) {
        m_mock->Signal(SIGTERM);
        m_mock->Wait();
        m_mock.reset();
    }
}

std::string MockNetworkManager::Drive(std::vector<std::string> args) {
    args.insert(args.begin(), {"/usr/bin/python3", OV_NM_DRIVER});
    const ProcessResult r = RunProcess(args);
    EXPECT_EQ(r.exitCode, 0) << args[2] << ": " << r.err;
    std::string out = r.out;
    while (!out.empty() && out.back() == '\n') {
        out.pop_back();
    }
    return out;
}

std::string MockNetworkManager::AddDevice(const std::string& iface, unsigned type, unsigned state,
                                          unsigned metered) {
    return Drive({"add-device", iface, std::to_string(type), std::to_string(state),
                  std::to_string(metered)});
}

std::string MockNetworkManager::AddProfile(const std::string& id, const std::string& type,
                                           std::vector<std::string> settings) {
    settings.insert(settings.begin(), {"add-profile", id, type});
    return Drive(std::move(settings));
}

std::string MockNetworkManager::Activate(const std::string& profile, const std::string& device,
                                         const std::string& name, unsigned state) {
    return Drive({"activate", profile, device.empty() ? "-" : device, name, std::to_string(state)});
}

void MockNetworkManager::SetDeviceState(const std::string& device, unsigned state) {
    Drive({"set-device", device, std::to_string(state)});
}

void MockNetworkManager::SetActiveState(const std::string& active, unsigned state) {
    Drive({"set-active", active, std::to_string(state)});
}

}  // namespace ov::test
