// The window-free handling of the monitor's notifications, against a real monitor on a fake
// dial-up service, real month files, the real settings store and real programs on connect.
#include "app/monitor_session.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/text_table_source.h"
#include "support/bratislava_time.h"
#include "support/fake_ras.h"
#include "support/probe.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

using namespace std::chrono_literals;

constexpr Time32 kT0 = 1'710'331'200;  // 2024-03-13 13:00:00 in Bratislava

const FixedTextSource& Texts() {
    static const FixedTextSource texts({{3335, "Cannot write %s"},
                                        {3352, "All users"},
                                        {3353, "All devices"},
                                        {3354, "All device types"},
                                        {3378, "All entries"}});
    return texts;
}

class NoMessages final : public CallLogMessages {
public:
    void ShowWriteFailure(const std::string& text) override { ADD_FAILURE() << text; }
};

/// Notes each hook with the number of records in the month file at that moment, so the tests
/// see that the observers come before the session's own work.
class Journal final : public MonitorObserver {
public:
    explicit Journal(std::function<std::size_t()> records) : m_records(std::move(records)) {}
    void OnMonitorStarted() override { Note("started"); }
    void OnDialing(const ConnectionRecord& c) override { Note("dialing " + c.entryName); }
    void OnConnected(const ConnectionRecord& c) override { Note("connected " + c.entryName); }
    void OnEnded(const ConnectionRecord* c) override {
        Note("ended " + (c ? c->entryName : std::string("(none)")));
    }
    void OnMonitorStopped() override { Note("stopped"); }
    void OnProgramNotStarted(const ProgramStartFailure& f) override {
        Note("not started " + f.path + ": " + f.reason);
    }
    std::vector<std::string> notes;

private:
    void Note(const std::string& what) {
        notes.push_back(what + " @" + std::to_string(m_records()));
    }
    std::function<std::size_t()> m_records;
};

class MonitorSessionTest : public test::BratislavaTime {
protected:
    MonitorSessionTest() {
        std::filesystem::create_directories(Folder());
        m_settings.CurrentTariff.Price[0] = 1.0f;  // 1.00 a minute, all day
        m_session.AddObserver(&m_journal);
    }
    ~MonitorSessionTest() override {
        for (const pid_t pid : m_toKill) {
            ::kill(pid, SIGKILL);
        }
    }

    std::string Folder() const { return m_home.File("LogData"); }
    std::vector<CallRecord> Records() const {
        std::vector<CallRecord> records;
        LoadMonth(Folder(), 2024, 2, [&](const CallRecord& r) { records.push_back(r); });
        return records;
    }
    /// Handles the poll thread's notifications until `done` holds (10 s at most).
    bool HandleUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            m_loop.ProcessPending();
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }

    test::TempHome m_home;
    test::TempDir m_probes;
    test::ProbeSetup m_probeSetup{m_probes.Path(), true};
    Settings m_settings{Texts()};
    ManualClock m_clock{kT0};
    NoMessages m_messages;
    CallLogWriter m_writer{m_settings, Texts(), m_clock, m_messages, Folder(), "alice"};
    PathSearchAppPaths m_appPaths;
    ProcessList m_processes{"/proc", MakeNullWindowList()};
    MessageLoop m_loop;
    MonitorSession m_session{m_loop, m_settings, m_writer, m_appPaths, m_processes};
    Journal m_journal{[this] { return Records().size(); }};
    test::FakeRasProvider m_ras;
    RasApi m_rasApi{m_ras};
    std::vector<pid_t> m_toKill;
};

TEST_F(MonitorSessionTest, ACallFromStartToExitLogsStartsAndEndsAsTheProgramDoes) {
    const std::string ending = test::CopyProbe(m_probes.Path(), "ends with the call");
    const std::string staying = test::CopyProbe(m_probes.Path(), "stays");
    m_settings.Programs = {{ending, 0, 1}, {staying, 0, 0}};

    ConnectionMonitor::Options options;
    options.pollPeriod = 50ms;
    options.idlePriority = false;
    ConnectionMonitor monitor(m_rasApi, m_clock, options);
    const HRASCONN line = m_ras.Add("Work ISP", RASCS_Connected, "Modem 1");
    ASSERT_TRUE(monitor.Start(&m_session));
    ASSERT_TRUE(HandleUntil([&] { return m_session.LaunchedPrograms().size() == 2; }));
    std::vector<pid_t> pids;
    for (const auto& launcher : m_session.LaunchedPrograms()) {
        ASSERT_TRUE(test::WaitFor([&] { return launcher->ProcessId() != 0; }));
        pids.push_back(launcher->ProcessId());
        m_toKill.push_back(launcher->ProcessId());
    }
    (void)line;

    // The user leaves while the line is up: the call is ended and logged, then the marker.
    m_clock.Advance(100);
    m_session.Exit(monitor);

    EXPECT_EQ(m_journal.notes, (std::vector<std::string>{"started @0", "connected Work ISP @1",
                                                         "ended Work ISP @1", "stopped @2"}));
    const auto records = Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].kind, KindMonitorStart);
    EXPECT_EQ(records[0].userName, "alice");
    EXPECT_EQ(records[1].kind, KindConnected);
    EXPECT_EQ(records[1].entryName, "Work ISP");
    EXPECT_EQ(records[1].connectedSeconds, 100);
    EXPECT_EQ(records[1].price, 2.0f);
    EXPECT_EQ(records[2].kind, KindMonitorStop);

    EXPECT_FALSE(test::IsAlive(pids[0]));  // marked to end with the connection
    EXPECT_TRUE(test::IsAlive(pids[1]));
    EXPECT_TRUE(m_session.LaunchedPrograms().empty());

    // Every group was saved: the next start has the totals and the lists.
    Settings next(Texts());
    next.Exchange(false);
    EXPECT_EQ(next.EventTotTime, 100);
    EXPECT_EQ(next.EventTotPrice, 2.0f);
    EXPECT_EQ(next.Programs, m_settings.Programs);
    EXPECT_NE(std::find(next.ListEntries.items.begin(), next.ListEntries.items.end(), "Work ISP"),
              next.ListEntries.items.end());
}

TEST_F(MonitorSessionTest, EachConnectionStartsItsProgramsAndAnEndWithoutRecordLogsNothing) {
    const std::string program = test::CopyProbe(m_probes.Path(), "tool");
    m_settings.Programs = {{program, 1, 1}};
    ConnectionRecord first;
    first.entryName = "First";
    ConnectionRecord second;
    second.entryName = "Second";
    m_session.HandleMessage(WM_CONN_CONNECTED, 0, reinterpret_cast<std::intptr_t>(&first));
    ASSERT_EQ(m_session.LaunchedPrograms().size(), 1u);
    const auto& launcher = *m_session.LaunchedPrograms()[0];
    ASSERT_TRUE(test::WaitFor([&] { return launcher.ProcessId() != 0; }));
    const pid_t pid = launcher.ProcessId();
    m_toKill.push_back(pid);
    // The program runs already: the second connection does not start it again.
    m_session.HandleMessage(WM_CONN_CONNECTED, 0, reinterpret_cast<std::intptr_t>(&second));
    EXPECT_EQ(m_session.LaunchedPrograms().size(), 1u);

    m_session.HandleMessage(WM_CONN_ENDED, 0, 0);
    EXPECT_TRUE(Records().empty());
    EXPECT_EQ(m_journal.notes.back(), "ended (none) @0");
    EXPECT_TRUE(m_session.LaunchedPrograms().empty());
    EXPECT_TRUE(test::WaitFor([&] { return !test::IsAlive(pid); }));
}

TEST_F(MonitorSessionTest, AProgramThatCannotStartIsToldAfterEachConnect) {
    const std::string missing = m_probes.File("missing");
    m_settings.Programs = {{missing, 0, 0}};
    ConnectionRecord connection;
    connection.entryName = "Work ISP";
    for (int connect = 0; connect < 2; ++connect) {
        m_session.HandleMessage(WM_CONN_CONNECTED, 0, reinterpret_cast<std::intptr_t>(&connection));
    }
    const std::string connected = "connected Work ISP @0";
    const std::string failed = "not started " + missing + ": no such file @0";
    EXPECT_EQ(m_journal.notes, (std::vector<std::string>{connected, failed, connected, failed}));
}

}  // namespace
}  // namespace ov
