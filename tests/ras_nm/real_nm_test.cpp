// Against a real NetworkManager in a private network and mount namespace (real_nm_namespace.sh
// sets it up and runs this program in it): what the mock cannot show. Loopback as NetworkManager
// lists it, metering as it sees it, activation taking its time, a hang-up's reason, a restart of
// the daemon in the middle of a call, and profiles it checks and replaces whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <thread>

#include "platform/ras/nm/nm_ras_provider.h"
#include "platform/ras/ras.h"
#include "platform/text_util.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

using namespace std::chrono_literals;
using Event = std::pair<std::string, std::string>;

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

test::ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), OV_CLI_PATH);
    return test::RunProcess(args);
}

test::ProcessResult Nmcli(std::vector<std::string> args) {
    args.insert(args.begin(), {"/usr/bin/nmcli", "--wait", "20"});
    return test::RunProcess(args);
}

/// The call records (kinds 0 and 1) of this month's call log, as `log dump` fields.
std::vector<std::vector<std::string>> CallRecords() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::string path = Trimmed(
        Cli({"log", "path", std::to_string(local.tm_year + 1900), std::to_string(local.tm_mon + 1)})
            .out);
    std::vector<std::vector<std::string>> records;
    std::istringstream lines(Cli({"log", "dump", path}).out);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        for (const auto field : SplitFields(line)) {
            fields.emplace_back(field);
        }
        if (fields.size() == 10 && (fields[0] == "0" || fields[0] == "1")) {
            records.push_back(std::move(fields));
        }
    }
    return records;
}

/// NetworkManager and its bus, started afresh for each test with no profile of ours.
class RealNmTest : public testing::Test {
protected:
    void SetUp() override {
        const char* dir = std::getenv("OV_REAL_NM_DIR");
        if (dir == nullptr) {
            GTEST_SKIP() << "run through real_nm_namespace.sh";
        }
        m_dir = dir;
        for (const char* sub : {"etc/system-connections", "lib", "run"}) {
            for (const auto& e : std::filesystem::directory_iterator(m_dir + "/" + sub)) {
                std::filesystem::remove_all(e.path());
            }
        }
        const std::string socket = m_dir + "/bus";
        std::filesystem::remove(socket);
        m_bus = std::make_unique<test::BackgroundProcess>(
            std::vector<std::string>{"/usr/bin/dbus-daemon", "--session", "--nofork",
                                     "--print-address=1", "--address=unix:path=" + socket});
        bool ok = false;
        m_bus->ReadLine(10s, &ok);
        ASSERT_TRUE(ok) << "the bus did not start";
        m_address.emplace("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + socket);
        StartNm();
    }

    void TearDown() override {
        m_monitor.reset();
        StopNm();
        if (m_bus) {
            m_bus->Signal(SIGTERM);
            m_bus->Wait();
        }
    }

    void StartNm() {
        m_nm = std::make_unique<test::BackgroundProcess>(
            std::vector<std::string>{"/usr/sbin/NetworkManager", "--no-daemon", "--log-level=ERR"});
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (Trimmed(Nmcli({"-t", "-f", "RUNNING", "general"}).out) != "running") {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "NetworkManager did not start";
            std::this_thread::sleep_for(100ms);
        }
    }

    void StopNm() {
        if (m_nm) {
            m_nm->Signal(SIGTERM);
            m_nm->Wait();
            m_nm.reset();
        }
    }

    /// A profile on a veth device; the address check makes activation last about 2 s.
    void AddProfile(const std::string& name, const std::string& device, bool metered) {
        const auto r = Nmcli({"connection",
                              "add",
                              "type",
                              "ethernet",
                              "ifname",
                              device,
                              "con-name",
                              name,
                              "connection.autoconnect",
                              "no",
                              "connection.metered",
                              metered ? "yes" : "no",
                              "ipv4.method",
                              "manual",
                              "ipv4.addresses",
                              device == "veth0" ? "10.77.0.1/24" : "10.77.0.2/24",
                              "ipv4.dad-timeout",
                              "3000",
                              "ipv6.method",
                              "disabled"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }

    void StartMonitor() {
        m_monitor = std::make_unique<test::BackgroundProcess>(
            std::vector<std::string>{OV_CLI_PATH, "monitor"});
        EXPECT_EQ(NextEvent(), Event("monitor-started", "NetworkManager"));
    }

    std::optional<Event> NextEvent(std::chrono::milliseconds wait = 20s) {
        bool ok = false;
        const std::string line = m_monitor->ReadLine(wait, &ok);
        if (!ok) {
            return std::nullopt;
        }
        const auto fields = SplitFields(line);
        if (fields.size() != 3) {
            return Event{line, ""};
        }
        return Event{std::string(fields[1]), std::string(fields[2])};
    }

    void StopMonitor() {
        m_monitor->Signal(SIGINT);
        while (const auto event = NextEvent()) {
            if (event->first == "monitor-stopped") {
                break;
            }
        }
        EXPECT_EQ(m_monitor->Wait(), 0);
        m_monitor.reset();
    }

    test::ChildHome m_home;
    test::ScopedEnv m_ras{"ORVANTA_RAS", std::string("nm")};
    test::ScopedEnv m_poll{"ORVANTA_POLL_MS", std::string("100")};
    std::string m_dir;
    std::optional<test::ScopedEnv> m_address;
    std::unique_ptr<test::BackgroundProcess> m_bus;
    std::unique_ptr<test::BackgroundProcess> m_nm;
    std::unique_ptr<test::BackgroundProcess> m_monitor;
};

TEST_F(RealNmTest, AMeteredProfileIsOneCallAndTheRestAreNone) {
    AddProfile("Metered", "veth0", true);
    AddProfile("Plain", "veth1", false);
    ASSERT_EQ(Nmcli({"connection", "up", "Plain"}).exitCode, 0);
    StartMonitor();

    test::BackgroundProcess up({"/usr/bin/nmcli", "--wait", "20", "connection", "up", "Metered"});
    EXPECT_EQ(NextEvent(), Event("dialing", "Metered"));
    EXPECT_EQ(NextEvent(), Event("connected", "Metered"));
    EXPECT_EQ(up.Wait(), 0);

    auto r = Cli({"connections"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> lines;
    std::istringstream out(r.out);
    for (std::string line; std::getline(out, line);) {
        lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Metered\tethernet\tveth0\t8192\tcall",
                         "Plain\tethernet\tveth1\t8192\tignored: not metered",
                         "lo\tloopback\tlo\t8192\tignored: loopback",
                     }));

    std::this_thread::sleep_for(1500ms);  // a call of a second or more
    r = Cli({"hangup", "--yes"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Metered\thung-up\n");
    EXPECT_EQ(NextEvent(), Event("ended", "Metered"));

    // NetworkManager took it as the user's own request; the rest stays up.
    const std::string device =
        Trimmed(Nmcli({"-g", "GENERAL.DBUS-PATH", "device", "show", "veth0"}).out);
    const auto reason = test::RunProcess(
        {"/usr/bin/dbus-send", "--system", "--print-reply", "--dest=org.freedesktop.NetworkManager",
         device, "org.freedesktop.DBus.Properties.Get",
         "string:org.freedesktop.NetworkManager.Device", "string:StateReason"});
    EXPECT_NE(reason.out.find("uint32 39"), std::string::npos) << reason.out;  // user-requested
    EXPECT_EQ(Trimmed(Nmcli({"-g", "GENERAL.STATE", "connection", "show", "Plain"}).out),
              "activated");
    StopMonitor();

    const auto records = CallRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0][0], "0");
    EXPECT_GE(std::stoi(records[0][2]), 1);  // connected
    EXPECT_GE(std::stoi(records[0][3]), 1);  // dialing: the address check takes about 2 s
    EXPECT_EQ(records[0][7], "Metered");
    EXPECT_EQ(records[0][8], "veth0");
}

TEST_F(RealNmTest, ARestartOfTheDaemonMidCallKeepsOneRecord) {
    AddProfile("Metered", "veth0", true);
    ASSERT_EQ(Nmcli({"connection", "up", "Metered"}).exitCode, 0);
    StartMonitor();
    EXPECT_EQ(NextEvent(), Event("connected", "Metered"));

    StopNm();
    StartNm();
    EXPECT_EQ(Trimmed(Nmcli({"-g", "GENERAL.STATE", "connection", "show", "Metered"}).out),
              "activated");
    const auto event = NextEvent(3s);
    EXPECT_FALSE(event) << event->first << " " << event->second;

    ASSERT_EQ(Nmcli({"connection", "down", "Metered"}).exitCode, 0);
    EXPECT_EQ(NextEvent(), Event("ended", "Metered"));
    StopMonitor();
    const auto records = CallRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0][7], "Metered");
    EXPECT_GE(std::stoi(records[0][2]), 3);
}

TEST_F(RealNmTest, AnEntryCreatedAndUpdatedReadsBackWhole) {
    NmRasProvider provider;
    RasApi ras(provider);
    RASENTRY entry{};
    entry.dwSize = sizeof entry;
    entry.dwfOptions = RASEO_SpecificNameServers | RASEO_RemoteDefaultGateway;
    entry.ipaddrDns = {10, 1, 2, 3};
    CopyRasText(entry.szAreaCode, "02");
    CopyRasText(entry.szLocalPhoneNumber, "*99#");
    ASSERT_EQ(ras.RasSetEntryPropertiesA(nullptr, "Mobile", &entry, sizeof entry, nullptr, 0),
              ERROR_SUCCESS);
    // Something set elsewhere, which our update must send back: NetworkManager replaces the
    // whole profile on an update.
    ASSERT_EQ(Nmcli({"connection", "modify", "Mobile", "gsm.apn", "internet"}).exitCode, 0);

    CopyRasText(entry.szLocalPhoneNumber, "*99***1#");
    entry.ipaddrDnsAlt = {10, 1, 2, 4};
    ASSERT_EQ(ras.RasSetEntryPropertiesA(nullptr, "Mobile", &entry, sizeof entry, nullptr, 0),
              ERROR_SUCCESS);
    RASENTRY read{};
    read.dwSize = sizeof read;
    std::uint32_t size = sizeof read;
    ASSERT_EQ(ras.RasGetEntryPropertiesA(nullptr, "Mobile", &read, &size, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_STREQ(read.szLocalPhoneNumber, "*99***1#");
    EXPECT_STREQ(read.szAreaCode, "02");
    EXPECT_EQ(read.ipaddrDns, (RASIPADDR{10, 1, 2, 3}));
    EXPECT_EQ(read.ipaddrDnsAlt, (RASIPADDR{10, 1, 2, 4}));
    EXPECT_EQ(read.dwfOptions & entry.dwfOptions, entry.dwfOptions);
    EXPECT_EQ(
        Trimmed(
            Nmcli({"-g", "gsm.apn,connection.autoconnect", "connection", "show", "Mobile"}).out),
        "internet\nno");

    std::vector<std::string> names;
    ASSERT_EQ(provider.EnumEntries(names), ERROR_SUCCESS);
    EXPECT_EQ(names, std::vector<std::string>{"Mobile"});  // loopback's profile is no entry
}

}  // namespace
}  // namespace ov
