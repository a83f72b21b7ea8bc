// orvanta-cli monitor watching NetworkManager's mock on a private bus: the event lines of a
// call as the mock walks it through its states. Real time, with a short poll period.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "mock_network_manager.h"
#include "platform/ras/nm/nm_plugin.h"
#include "platform/ras/nm/nm_ras_provider.h"
#include "platform/ras/ras.h"
#include "platform/text_util.h"

namespace ov {
namespace {

using namespace std::chrono_literals;
using Event = std::pair<std::string, std::string>;

constexpr unsigned kModem = 8;
constexpr unsigned kDisconnected = 30;

/// The EVENT and DETAIL of the next event line, or nothing within `wait`.
std::optional<Event> NextEvent(test::BackgroundProcess& monitor,
                               std::chrono::milliseconds wait = 10s) {
    bool ok = false;
    const std::string line = monitor.ReadLine(wait, &ok);
    if (!ok) {
        return std::nullopt;
    }
    const auto fields = SplitFields(line);
    EXPECT_EQ(fields.size(), 3u) << line;
    return Event{std::string(fields[1]), fields.size() > 2 ? std::string(fields[2]) : ""};
}

/// A monitor on the mock, with a modem, a "Mobile" profile and nothing active yet.
class NmMonitorTest : public testing::Test {
protected:
    void SetUp() override {
        m_modem = m_nm.AddDevice("ttyUSB0", kModem, kDisconnected);
        m_profile = m_nm.AddProfile("Mobile", "gsm", {"gsm.username=alice"});
        m_monitor = std::make_unique<test::BackgroundProcess>(
            std::vector<std::string>{OV_CLI_PATH, "monitor"});
        EXPECT_EQ(NextEvent(*m_monitor), Event("monitor-started", "NetworkManager"));
    }

    void TearDown() override {
        m_monitor->Signal(SIGINT);
        while (const auto event = NextEvent(*m_monitor)) {
            if (event->first == "monitor-stopped") {
                break;
            }
        }
        EXPECT_EQ(m_monitor->Wait(), 0);
    }

    /// Nothing is reported for a while: a dozen poll cycles at least.
    void ExpectQuiet(std::chrono::milliseconds wait = 600ms) {
        const auto event = NextEvent(*m_monitor, wait);
        EXPECT_FALSE(event) << event->first << " " << event->second;
    }

    test::ChildHome m_home;
    test::ScopedEnv m_ras{"ORVANTA_RAS", std::string("nm")};
    test::ScopedEnv m_poll{"ORVANTA_POLL_MS", std::string("50")};
    test::MockNetworkManager m_nm;
    std::string m_modem;
    std::string m_profile;
    std::unique_ptr<test::BackgroundProcess> m_monitor;
};

TEST_F(NmMonitorTest, DialingFromPrepareThenConnectedThenEnded) {
    // Listed while deactivated, then activating on a device that has not begun: not a call yet.
    const auto active = m_nm.Activate(m_profile, m_modem, "0", 4);
    m_nm.SetDeviceState(m_modem, kDisconnected);  // the mock made it activated
    m_nm.SetActiveState(active, 1);
    ExpectQuiet(300ms);
    m_nm.SetDeviceState(m_modem, 40);  // PREPARE: the dial attempt is seen from here on
    EXPECT_EQ(NextEvent(*m_monitor), Event("dialing", "Mobile"));
    m_nm.SetDeviceState(m_modem, 50);
    m_nm.SetDeviceState(m_modem, 60);
    m_nm.SetDeviceState(m_modem, 70);
    ExpectQuiet(300ms);
    m_nm.SetDeviceState(m_modem, 100);
    m_nm.SetActiveState(active, 2);
    EXPECT_EQ(NextEvent(*m_monitor), Event("connected", "Mobile"));
    m_nm.Drive({"remove-active", m_modem, active});
    EXPECT_EQ(NextEvent(*m_monitor), Event("ended", "Mobile"));
}

TEST_F(NmMonitorTest, HangUpThroughTheProviderEndsTheCall) {
    m_nm.Activate(m_profile, m_modem, "0", 2);
    EXPECT_EQ(NextEvent(*m_monitor), Event("connected", "Mobile"));

    NmRasProvider provider;
    RasApi ras(provider);
    RASCONN connection{};
    connection.dwSize = sizeof connection;
    std::uint32_t bytes = sizeof connection;
    std::uint32_t count = 0;
    ASSERT_EQ(ras.RasEnumConnectionsA(&connection, &bytes, &count), ERROR_SUCCESS);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(ras.RasHangUpA(connection.hrasconn), ERROR_SUCCESS);
    EXPECT_EQ(NextEvent(*m_monitor), Event("ended", "Mobile"));
    ASSERT_EQ(ras.RasEnumConnectionsA(&connection, &bytes, &count), ERROR_SUCCESS);
    EXPECT_EQ(count, 0u);
}

TEST_F(NmMonitorTest, TheBusGoingAwayEndsNoCall) {
    m_nm.Activate(m_profile, m_modem, "0", 2);
    EXPECT_EQ(NextEvent(*m_monitor), Event("connected", "Mobile"));

    m_nm.StopMock();  // NetworkManager leaves the bus
    ExpectQuiet();
    m_nm.StopBus();  // and then the bus itself goes
    ExpectQuiet();

    // Both back, and the mock starts without the connection: polling resumes on a fresh
    // connection to the bus and the call ends only now.
    m_nm.StartBus();
    m_nm.StartMock();
    // NetworkManager seen anew may still bring the call back: it ends once the wait is over.
    EXPECT_EQ(NextEvent(*m_monitor, std::chrono::seconds(nm::kRestartGraceSeconds + 10)),
              Event("ended", "Mobile"));
}

TEST(NmChoiceTest, UnsetChoosesNetworkManagerWhileItIsOnTheBus) {
    test::ChildHome home;
    test::ScopedEnv ras("ORVANTA_RAS", std::nullopt);
    test::MockNetworkManager nm;
    for (const char* expected : {"NetworkManager", "simulator"}) {
        test::BackgroundProcess monitor({OV_CLI_PATH, "monitor"});
        EXPECT_EQ(NextEvent(monitor), Event("monitor-started", expected));
        monitor.Signal(SIGTERM);
        EXPECT_EQ(monitor.Wait(), 0);
        nm.StopMock();
    }
}

// orvanta-cli opens NetworkManager's provider from a plugin. A copy without its plugins folder
// says so when NetworkManager is asked for, and runs on the simulator when it is only looked for.
TEST(NmChoiceTest, WithoutThePluginNetworkManagerIsNamedAsMissing) {
    test::ChildHome home;
    test::MockNetworkManager nm;
    const std::string cli = home.File("orvanta-cli");
    std::filesystem::copy_file(OV_CLI_PATH, cli);
    {
        test::ScopedEnv ras("ORVANTA_RAS", "nm");
        const auto result = test::RunProcess({cli, "connections"});
        EXPECT_NE(result.exitCode, 0);
        EXPECT_NE(result.err.find("cannot load the NetworkManager plugin " + home.File("plugins/") +
                                  kNmProviderPluginFile),
                  std::string::npos)
            << result.err;
    }
    test::ScopedEnv ras("ORVANTA_RAS", std::nullopt);
    test::BackgroundProcess monitor({cli, "monitor"});
    EXPECT_EQ(NextEvent(monitor), Event("monitor-started", "simulator"));
    monitor.Signal(SIGTERM);
    EXPECT_EQ(monitor.Wait(), 0);
}

}  // namespace
}  // namespace ov
