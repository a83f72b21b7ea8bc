// Which of NetworkManager's active connections are calls, against its mock on a private bus:
// `orvanta-cli connections` under each stored choice, hang-ups that leave the rest alone or are
// refused, a restart of NetworkManager in the middle of a call, and a modem failing early.
#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <ctime>
#include <sstream>
#include <thread>

#include "mock_network_manager.h"
#include "platform/ras/nm/nm_ras_provider.h"
#include "platform/text_util.h"

namespace ov {
namespace {

using namespace std::chrono_literals;

constexpr unsigned kEthernet = 1;
constexpr unsigned kWifi = 2;
constexpr unsigned kModem = 8;
constexpr unsigned kLoopback = 32;
constexpr unsigned kDisconnected = 30;
constexpr unsigned kActivated = 100;
constexpr const char* kSettingsKey = "HKCU\\Software\\Quorvex\\Orvanta";

test::ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), OV_CLI_PATH);
    return test::RunProcess(args);
}

/// The record lines of this month's call log (kind, start, connected, dialing, …): the
/// monitor's start and stop markers left out.
std::vector<std::vector<std::string>> CallRecords() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::string path =
        Cli({"log", "path", std::to_string(local.tm_year + 1900), std::to_string(local.tm_mon + 1)})
            .out;
    while (!path.empty() && path.back() == '\n') {
        path.pop_back();
    }
    std::vector<std::vector<std::string>> records;
    std::istringstream lines(Cli({"log", "dump", path}).out);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        for (const auto field : SplitFields(line)) {
            fields.emplace_back(field);
        }
        if (!fields.empty() && (fields[0] == "0" || fields[0] == "1")) {
            records.push_back(std::move(fields));
        }
    }
    return records;
}

/// The call records once `count` of them are there (the writer runs on the monitor's thread).
std::vector<std::vector<std::string>> WaitForRecords(std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    auto records = CallRecords();
    while (records.size() < count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(50ms);
        records = CallRecords();
    }
    return records;
}

/// A desktop's worth of connections: loopback, a cable, a modem, a Wi-Fi whose device guesses
/// it is metered, a Wi-Fi whose profile says so, and a VPN over the modem.
class NmCallsTest : public testing::Test {
protected:
    void SetUp() override {
        const auto lo = m_nm.AddDevice("lo", kLoopback, kActivated);
        const auto eth = m_nm.AddDevice("eth0", kEthernet, kActivated, 4);  // guess-no
        m_modem = m_nm.AddDevice("ttyUSB0", kModem, kDisconnected);
        const auto wlan0 = m_nm.AddDevice("wlan0", kWifi, kActivated, 3);  // guess-yes
        const auto wlan1 = m_nm.AddDevice("wlan1", kWifi, kActivated);
        m_nm.Activate(m_nm.AddProfile("lo", "loopback"), lo, "lo", 2);
        m_nm.Activate(m_nm.AddProfile("Wired", "802-3-ethernet"), eth, "eth", 2);
        m_mobile = m_nm.Activate(m_nm.AddProfile("Mobile", "gsm"), m_modem, "gsm", 2);
        m_nm.Activate(m_nm.AddProfile("Phone", "802-11-wireless"), wlan0, "phone", 2);
        m_nm.Activate(m_nm.AddProfile("Cafe", "802-11-wireless", {"connection.metered=i:1"}), wlan1,
                      "cafe", 2);
        m_nm.Activate(m_nm.AddProfile("Office", "vpn"), m_modem, "vpn", 2);
        // The modem's own connection is the VPN's link, as NetworkManager has it.
        m_nm.Drive({"set-device-active", m_modem, m_mobile});
    }

    /// The COUNTED column of `orvanta-cli connections`, one item per connection.
    std::string Counted() {
        const auto r = Cli({"connections"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        std::string out;
        std::istringstream lines(r.out);
        for (std::string line; std::getline(lines, line);) {
            const auto fields = SplitFields(line);
            EXPECT_EQ(fields.size(), 5u) << line;
            out += std::string(fields[0]) + "=" + std::string(fields.back()) + "\n";
        }
        return out;
    }

    test::ChildHome m_home;
    test::ScopedEnv m_ras{"ORVANTA_RAS", std::string("nm")};
    test::MockNetworkManager m_nm;
    std::string m_modem;
    std::string m_mobile;
};

TEST_F(NmCallsTest, OnlyMeteredAndDialUpConnectionsAreCallsByDefault) {
    const auto r = Cli({"connections"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "lo\tloopback\tlo\t8192\tignored: loopback\n"
              "Wired\tethernet\teth0\t8192\tignored: not metered\n"
              "Mobile\tmodem\tttyUSB0\t8192\tcall\n"
              "Phone\twifi\twlan0\t8192\tcall\n"
              "Cafe\twifi\twlan1\t8192\tcall\n"
              "Office\tvpn\tttyUSB0\t8192\tcall\n");

    // The monitor's view is the same: the calls only.
    NmRasProvider provider;
    std::vector<RasConnection> calls;
    ASSERT_EQ(provider.EnumConnections(calls), ERROR_SUCCESS);
    std::vector<std::string> names;
    for (const auto& c : calls) {
        names.push_back(c.entryName);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Mobile", "Phone", "Cafe", "Office"}));
}

TEST_F(NmCallsTest, EachStoredChoice) {
    const struct {
        const char* stored;
        const char* counted;
    } kCases[] = {
        {"dial-up",
         "lo=ignored: loopback\nWired=ignored: not a dial-up connection\nMobile=call\n"
         "Phone=ignored: not a dial-up connection\nCafe=ignored: not a dial-up connection\n"
         "Office=call\n"},
        {"all",
         "lo=ignored: loopback\nWired=call\nMobile=call\nPhone=call\nCafe=call\n"
         "Office=call\n"},
        {"list:wired; Office;lo",
         "lo=ignored: loopback\nWired=call\nMobile=ignored: not in the chosen list\n"
         "Phone=ignored: not in the chosen list\nCafe=ignored: not in the chosen list\n"
         "Office=call\n"},
        // Not a choice the program knows: the default.
        {"everything",
         "lo=ignored: loopback\nWired=ignored: not metered\nMobile=call\n"
         "Phone=call\nCafe=call\nOffice=call\n"},
    };
    for (const auto& c : kCases) {
        ASSERT_EQ(Cli({"reg", "set", kSettingsKey, "CallConnections", "REG_SZ", c.stored}).exitCode,
                  0);
        EXPECT_EQ(Counted(), c.counted) << c.stored;
    }
}

TEST_F(NmCallsTest, ARefusedHangUpIsReported) {
    m_nm.Drive({"refuse-deactivate", "org.freedesktop.NetworkManager.PermissionDenied"});
    auto r = Cli({"hangup", "mobile", "--yes"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "orvanta-cli: Mobile: the hang-up failed: permission denied\n");

    r = Cli({"hangup", "Wired", "--yes"});  // no call, so no entry to hang up
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "orvanta-cli: Wired: no such entry\n");

    m_nm.Drive({"refuse-deactivate", "org.freedesktop.NetworkManager.Failed"});
    r = Cli({"hangup", "Mobile", "--yes"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "orvanta-cli: Mobile: the hang-up failed: the dial-up service cannot be "
              "reached\n");
}

TEST_F(NmCallsTest, AConnectionEndedMeanwhileIsHungUp) {
    m_nm.Drive({"refuse-deactivate", "org.freedesktop.NetworkManager.ConnectionNotActive"});
    const auto r = Cli({"hangup", "Mobile", "--yes"});  // ended meanwhile: nothing failed
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Mobile\thung-up\n");
}

TEST(NmHangUpTest, HangingUpEverythingLeavesWhatIsNoCall) {
    test::ChildHome home;
    test::ScopedEnv ras("ORVANTA_RAS", std::string("nm"));
    test::MockNetworkManager nm;
    const auto lo = nm.AddDevice("lo", kLoopback, kActivated);
    const auto wlan = nm.AddDevice("wlan0", kWifi, kActivated, 1);
    const auto modem = nm.AddDevice("ttyUSB0", kModem, kDisconnected);
    nm.Activate(nm.AddProfile("lo", "loopback"), lo, "lo", 2);
    nm.Activate(nm.AddProfile("Phone", "802-11-wireless"), wlan, "phone", 2);
    nm.Activate(nm.AddProfile("Mobile", "gsm"), modem, "gsm", 2);

    auto r = Cli({"hangup", "--yes"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // The entry list first (the profiles that may be calls), then the other calls.
    EXPECT_EQ(r.out, "Mobile\thung-up\nPhone\thung-up\n");
    r = Cli({"connections"});
    EXPECT_EQ(r.out, "lo\tloopback\tlo\t8192\tignored: loopback\n");
}

/// The EVENT and DETAIL of the monitor's next event line, or nothing within `wait`.
std::optional<std::pair<std::string, std::string>> NextEvent(test::BackgroundProcess& monitor,
                                                             std::chrono::milliseconds wait = 10s) {
    bool ok = false;
    const std::string line = monitor.ReadLine(wait, &ok);
    if (!ok) {
        return std::nullopt;
    }
    const auto fields = SplitFields(line);
    if (fields.size() != 3) {
        return std::pair<std::string, std::string>{line, ""};
    }
    return std::pair<std::string, std::string>{fields[1], fields[2]};
}

using Event = std::pair<std::string, std::string>;

/// A monitor on the mock with a modem and its profile, nothing active yet.
class NmMonitorCallsTest : public testing::Test {
protected:
    void SetUp() override {
        m_device = m_nm.AddDevice("ttyUSB0", kModem, kDisconnected);
        m_profile = m_nm.AddProfile("Mobile", "gsm", {"connection.uuid=u-mobile"});
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

    void ExpectQuiet(std::chrono::milliseconds wait) {
        const auto event = NextEvent(*m_monitor, wait);
        EXPECT_FALSE(event) << event->first << " " << event->second;
    }

    test::ChildHome m_home;
    test::ScopedEnv m_ras{"ORVANTA_RAS", std::string("nm")};
    test::ScopedEnv m_poll{"ORVANTA_POLL_MS", std::string("50")};
    test::MockNetworkManager m_nm;
    std::string m_device;
    std::string m_profile;
    std::unique_ptr<test::BackgroundProcess> m_monitor;
};

TEST_F(NmMonitorCallsTest, ARestartOfNetworkManagerDoesNotSplitTheCall) {
    m_nm.Activate(m_profile, m_device, "0", 2);
    EXPECT_EQ(NextEvent(*m_monitor), Event("connected", "Mobile"));

    m_nm.StopMock();
    ExpectQuiet(300ms);
    // Back, with no active connection for a second, then the same profile under a new path.
    m_nm.StartMock();
    m_device = m_nm.AddDevice("ttyUSB0", kModem, kActivated);
    m_profile = m_nm.AddProfile("Mobile", "gsm", {"connection.uuid=u-mobile"});
    ExpectQuiet(1s);
    const auto active = m_nm.Activate(m_profile, m_device, "7", 2);
    ExpectQuiet(1s);

    m_nm.Drive({"remove-active", m_device, active});
    EXPECT_EQ(NextEvent(*m_monitor), Event("ended", "Mobile"));
    const auto records = WaitForRecords(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0][0], "0");
    EXPECT_GE(std::stoi(records[0][2]), 2);  // connected across the restart
    EXPECT_EQ(records[0][7], "Mobile");
}

TEST_F(NmMonitorCallsTest, AModemFailingBeforeAuthenticationLeavesAnAttempt) {
    const auto active = m_nm.Activate(m_profile, m_device, "0", 4);
    m_nm.SetDeviceState(m_device, kDisconnected);  // the mock made it activated
    m_nm.SetActiveState(active, 1);                // activating, the device not begun
    ExpectQuiet(300ms);
    m_nm.SetDeviceState(m_device, 40);  // PREPARE
    EXPECT_EQ(NextEvent(*m_monitor), Event("dialing", "Mobile"));
    ExpectQuiet(1200ms);
    m_nm.SetDeviceState(m_device, 120);  // FAILED
    m_nm.SetActiveState(active, 4);
    m_nm.Drive({"remove-active", m_device, active});
    EXPECT_EQ(NextEvent(*m_monitor), Event("ended", "Mobile"));

    const auto records = WaitForRecords(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0][0], "1");
    EXPECT_EQ(records[0][2], "0");
    EXPECT_GE(std::stoi(records[0][3]), 1);  // dialed from PREPARE on
    EXPECT_EQ(records[0][8], "ttyUSB0");
}

TEST(NmCountdownTest, ARefusedHangUpOfTheCountdownIsAnErrorEvent) {
    test::ChildHome home;
    test::ScopedEnv ras("ORVANTA_RAS", std::string("nm"));
    test::ScopedEnv poll("ORVANTA_POLL_MS", std::string("50"));
    test::MockNetworkManager nm;
    const auto modem = nm.AddDevice("ttyUSB0", kModem, kDisconnected);
    nm.Activate(nm.AddProfile("Mobile", "gsm"), modem, "0", 2);
    nm.Drive({"refuse-deactivate", "org.freedesktop.NetworkManager.PermissionDenied"});
    // A limit of one second of the call, hung up after a countdown of one second.
    const char* kMachine = "HKLM\\Software\\Quorvex\\Orvanta";
    for (const auto& [key, name, value] :
         std::vector<std::array<std::string, 3>>{{kMachine, "EventUseNotification", "1"},
                                                 {kMachine, "EventType", "1"},
                                                 {kMachine, "EventValueType", "2"},
                                                 {kMachine, "EventTime", "1"},
                                                 {kSettingsKey, "HangUpTimeout", "1"}}) {
        ASSERT_EQ(Cli({"reg", "set", key, name, "REG_DWORD", value}).exitCode, 0);
    }

    test::BackgroundProcess monitor({OV_CLI_PATH, "monitor"});
    EXPECT_EQ(NextEvent(monitor), Event("monitor-started", "NetworkManager"));
    EXPECT_EQ(NextEvent(monitor), Event("connected", "Mobile"));
    EXPECT_EQ(NextEvent(monitor)->first, "limit");
    EXPECT_EQ(NextEvent(monitor), Event("error", "Mobile: the hang-up failed: permission denied"));
    monitor.Signal(SIGTERM);
    std::optional<Event> event;
    do {
        event = NextEvent(monitor);
    } while (event && event->first != "monitor-stopped");
    EXPECT_EQ(monitor.Wait(), 0);
}

}  // namespace
}  // namespace ov
