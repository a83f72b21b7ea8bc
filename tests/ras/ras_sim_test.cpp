#include "platform/ras/ras_sim.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>

#include "platform/file_util.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

class SimTest : public ::testing::Test {
protected:
    std::string StateFile() const { return m_dir.File("ras-sim.state"); }
    SimRasProvider MakeSim() {
        return SimRasProvider(StateFile(), [this](const std::string& m) { reports.push_back(m); });
    }
    std::vector<std::string> FilesNamed(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(m_dir.Path())) {
            if (e.path().filename().string().rfind(prefix, 0) == 0) {
                out.push_back(e.path().string());
            }
        }
        return out;
    }

    test::TempDir m_dir;
    std::vector<std::string> reports;
};

TEST_F(SimTest, FreshServiceHasOneModemAndOneEntry) {
    auto sim = MakeSim();
    std::vector<RasDevice> devices;
    std::vector<std::string> entries;
    ASSERT_EQ(sim.EnumDevices(devices), 0u);
    ASSERT_EQ(sim.EnumEntries(entries), 0u);
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].name, "Simulated Modem");
    EXPECT_EQ(devices[0].type, "modem");
    EXPECT_EQ(entries, std::vector<std::string>{"Demo ISP"});
}

TEST_F(SimTest, DialStateDropAndHangUp) {
    auto sim = MakeSim();
    ASSERT_EQ(sim.AddEntry("Work", "simulated modem", "jane"), 0u);
    HRASCONN demo = 0;
    HRASCONN work = 0;
    ASSERT_EQ(sim.Dial("Demo ISP", RASCS_Authenticate, demo), 0u);
    ASSERT_EQ(sim.Dial("work", RASCS_OpenPort, work), 0u);  // entry names ignore case
    EXPECT_NE(demo, work);
    EXPECT_EQ(sim.Dial("Demo ISP", 0, demo), ERROR_PORT_ALREADY_OPEN);

    ASSERT_EQ(sim.SetState("Work", RASCS_Connected), 0u);
    RasConnection c;
    ASSERT_EQ(sim.GetConnectState(work, c), 0u);
    EXPECT_EQ(c.state, RASCS_Connected);
    EXPECT_EQ(c.entryName, "Work");
    EXPECT_EQ(c.deviceName, "Simulated Modem");
    EXPECT_EQ(c.deviceType, "modem");
    std::string user;
    ASSERT_EQ(sim.GetEntryUserName("Work", user), 0u);
    EXPECT_EQ(user, "jane");

    ASSERT_EQ(sim.HangUp(demo), 0u);
    EXPECT_EQ(sim.GetConnectState(demo, c), ERROR_INVALID_HANDLE);
    EXPECT_EQ(sim.HangUp(demo), ERROR_INVALID_HANDLE);
    ASSERT_EQ(sim.Drop("Work"), 0u);
    std::vector<RasConnection> connections;
    ASSERT_EQ(sim.EnumConnections(connections), 0u);
    EXPECT_TRUE(connections.empty());

    EXPECT_EQ(sim.Drop("Work"), ERROR_NO_CONNECTION);
    EXPECT_EQ(sim.Drop("Nobody"), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    EXPECT_EQ(sim.SetState("Nobody", 5), ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    EXPECT_EQ(sim.AddEntry("x", "No Such Device", ""), ERROR_DEVICE_DOES_NOT_EXIST);
    EXPECT_EQ(sim.AddEntry("demo isp", "", ""), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(sim.AddDevice("SIMULATED MODEM", "isdn"), ERROR_ALREADY_EXISTS);
}

TEST_F(SimTest, InjectedFailuresAreUsedUpOneEnumerationEach) {
    auto sim = MakeSim();
    ASSERT_EQ(sim.Fail(600, 2), 0u);
    std::vector<RasConnection> connections;
    EXPECT_EQ(sim.EnumConnections(connections), 600u);
    EXPECT_EQ(sim.EnumConnections(connections), 600u);
    EXPECT_EQ(sim.EnumConnections(connections), 0u);
}

TEST_F(SimTest, StateIsSharedThroughTheFile) {
    auto writer = MakeSim();
    auto reader = MakeSim();
    HRASCONN handle = 0;
    ASSERT_EQ(writer.Dial("Demo ISP", RASCS_Connected, handle), 0u);
    std::vector<RasConnection> connections;
    ASSERT_EQ(reader.EnumConnections(connections), 0u);
    ASSERT_EQ(connections.size(), 1u);
    EXPECT_EQ(connections[0].handle, handle);
}

TEST_F(SimTest, AReaderSeesEveryChangeMadeSinceItsLastRead) {
    // The reader keeps the state it read last and reads again only when the file is another:
    // replaced by a change from another process, or edited in place.
    const struct {
        const char* what;
        std::function<void(SimRasProvider&)> change;
        std::size_t connections;
        std::int32_t state;
    } cases[] = {
        {"dialled",
         [](SimRasProvider& w) {
             HRASCONN h = 0;
             w.Dial("Demo ISP", RASCS_Authenticate, h);
         },
         1, RASCS_Authenticate},
        {"came up", [](SimRasProvider& w) { w.SetState("Demo ISP", RASCS_Connected); }, 1,
         RASCS_Connected},
        {"dropped", [](SimRasProvider& w) { w.Drop("Demo ISP"); }, 0, 0},
        {"edited in place",
         [this](SimRasProvider&) {
             test::WriteFileOrDie(StateFile(),
                                  "orvanta-ras-sim 1\nnext-handle\t9\n"
                                  "device\tSimulated Modem\tmodem\n"
                                  "entry\tDemo ISP\tSimulated Modem\t\n"
                                  "conn\t8\tDemo ISP\tSimulated Modem\tmodem\t3\n");
         },
         1, 3},
    };
    auto writer = MakeSim();
    auto reader = MakeSim();
    std::vector<RasConnection> connections;
    ASSERT_EQ(reader.EnumConnections(connections), 0u);
    for (const auto& c : cases) {
        c.change(writer);
        ASSERT_EQ(reader.EnumConnections(connections), 0u) << c.what;
        ASSERT_EQ(connections.size(), c.connections) << c.what;
        if (c.connections > 0) {
            EXPECT_EQ(connections[0].state, c.state) << c.what;
        }
    }
    EXPECT_TRUE(reports.empty());
}

TEST_F(SimTest, AnUnchangedStateIsAnsweredWithoutWaitingForTheLock) {
    auto sim = MakeSim();
    HRASCONN handle = 0;
    ASSERT_EQ(sim.Dial("Demo ISP", RASCS_Connected, handle), 0u);
    std::vector<RasConnection> connections;
    ASSERT_EQ(sim.EnumConnections(connections), 0u);  // read once

    // Someone holds the lock (a change on its way): a poll that changes nothing still answers.
    auto lock = FileLock::Acquire(StateFile() + ".lock");
    ASSERT_TRUE(lock);
    auto poll = std::async(std::launch::async, [&] {
        std::vector<RasConnection> seen;
        const std::uint32_t result = sim.EnumConnections(seen);
        return std::make_pair(result, seen.size());
    });
    ASSERT_EQ(poll.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_EQ(poll.get(), std::make_pair(std::uint32_t{0}, std::size_t{1}));

    // A change waits for the lock as ever.
    auto hangUp = std::async(std::launch::async, [&] { return sim.HangUp(handle); });
    EXPECT_EQ(hangUp.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    lock.reset();
    EXPECT_EQ(hangUp.get(), 0u);
    ASSERT_EQ(sim.EnumConnections(connections), 0u);
    EXPECT_TRUE(connections.empty());
}

TEST_F(SimTest, DamagedStateIsKeptAsideReportedOnceAndReplaced) {
    const char* damaged[] = {
        "not a state file\n",
        "orvanta-ras-sim 1\nconn\tx\tDemo\tdev\tmodem\t5\n",
        "orvanta-ras-sim 1\nwhatever\n",
        "orvanta-ras-sim 1\nnext-handle\t2",  // cut off
        "orvanta-ras-sim 1\nentry\tbad\\q\t\t\n",
        "orvanta-ras-sim 1\nnext-handle\t1\nconn\t5\tDemo ISP\td\tt\t0\n",
        "",
    };
    for (const char* text : damaged) {
        reports.clear();
        for (const auto& f : FilesNamed("ras-sim.state.damaged")) {
            std::filesystem::remove(f);
        }
        test::WriteFileOrDie(StateFile(), text);
        auto sim = MakeSim();
        std::vector<RasConnection> connections;
        EXPECT_EQ(sim.EnumConnections(connections), 0u) << text;
        EXPECT_TRUE(connections.empty());
        ASSERT_EQ(reports.size(), 1u) << text;
        const auto kept = FilesNamed("ras-sim.state.damaged");
        ASSERT_EQ(kept.size(), 1u) << text;
        EXPECT_EQ(test::ReadFileOrEmpty(kept[0]), text);

        // The fresh state is in use from now on; nothing more is reported.
        HRASCONN handle = 0;
        EXPECT_EQ(sim.Dial("Demo ISP", 0, handle), 0u);
        EXPECT_EQ(sim.EnumConnections(connections), 0u);
        EXPECT_EQ(reports.size(), 1u);
        EXPECT_EQ(sim.Reset(), 0u);
    }
}

TEST(SimStateTest, SerializedStateParsesBackUnchanged) {
    SimState state = SimState::Fresh();
    state.devices.push_back({"Tab\there", "isdn"});
    state.entries.push_back({"Back\\slash\nline", "Tab\there", "user\tname"});
    state.connections.push_back({7, "Back\\slash\nline", "Tab\there", "isdn", RASCS_Connected});
    state.nextHandle = 8;
    state.failError = 600;
    state.failCount = 3;
    const std::string text = state.Serialize();
    const auto back = SimState::Parse(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Serialize(), text);
    ASSERT_EQ(back->entries.size(), 2u);
    EXPECT_EQ(back->entries[1].userName, "user\tname");
}

}  // namespace
}  // namespace ov
