// The monitoring program's start-up and exit without a window, on the simulated dial-up
// service: what a front end gets told, and the texts it runs on without a language pack.
#include "app/monitor_app.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/loop_timers.h"
#include "app/startup_settings.h"
#include "app/string_table.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

/// A front end without a language pack that notes what it is told.
class NotingFrontEnd final : public MonitorFrontEnd, public MonitorObserver {
public:
    const TextSource* Texts(std::string* why) override {
        *why = "no pack here";
        return nullptr;
    }
    void OnBuiltInTexts(const std::string& why) override { notes.push_back("built-in: " + why); }
    std::unique_ptr<WindowTimer> MakeTimer(MessageWindow& window) override {
        return std::make_unique<LoopTimers>(window);
    }
    void ShowWriteFailure(const std::string& text) override { notes.push_back("failure: " + text); }
    void OnMonitorStarted() override { notes.emplace_back("started"); }
    void OnMonitorStopped() override { notes.emplace_back("stopped"); }
    const ScreenMetrics* Screen() override { return screen; }

    std::vector<std::string> notes;
    const ScreenMetrics* screen = nullptr;
};

TEST(BuiltInEnglishTexts, HoldTheEnglishPackWithEveryTextTableEntry) {
    const auto pack = ParseStringTable(EnglishStringsTsv());
    ASSERT_TRUE(pack);
    const TextSource& texts = BuiltInEnglishTexts();
    for (int i = 0; i < kTextTableSize; ++i) {
        EXPECT_FALSE(texts.Entry(i).empty()) << "text-table entry " << i;
    }
    for (const auto& [number, text] : *pack) {
        EXPECT_EQ(texts.String(number), text) << number;
    }
    EXPECT_EQ(PrintfConversions(texts.String(kWriteFailedString)), std::vector<std::string>{"s"});
}

TEST(MonitorPollPeriod, TakesTheTestsPeriodOnlyWithinItsBounds) {
    const struct {
        std::optional<std::string> value;
        long long ms;
    } cases[] = {
        {{}, 2000},      {"50", 50}, {"10", 10},     {"60000", 60000}, {"9", 2000},
        {"60001", 2000}, {"", 2000}, {"50ms", 2000}, {"-50", 2000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MonitorPollPeriod(c.value ? c.value->c_str() : nullptr).count(), c.ms)
            << c.value.value_or("(unset)");
    }
}

TEST(MonitorApp, RunsOnTheBuiltInTextsFromStartToExit) {
    test::TempHome home;
    test::ScopedEnv ras("ORVANTA_RAS", std::string("sim"));
    const SystemClock clock;
    NotingFrontEnd frontEnd;
    MonitorApp app(frontEnd, clock, home.Paths(), std::chrono::milliseconds(20));
    std::string error;
    ASSERT_TRUE(app.Start(&error)) << error;
    EXPECT_EQ(app.ProviderName(), "simulator");
    app.AddObserver(&frontEnd);

    // A second monitor on the same data root is refused, naming why.
    NotingFrontEnd secondFrontEnd;
    MonitorApp second(secondFrontEnd, clock, home.Paths());
    std::string secondError;
    EXPECT_FALSE(second.Start(&secondError));
    EXPECT_FALSE(secondError.empty());
    EXPECT_TRUE(secondFrontEnd.notes.empty());

    ASSERT_TRUE(app.StartMonitor());
    app.Quit();
    app.Run();
    app.Exit();
    EXPECT_EQ(frontEnd.notes,
              (std::vector<std::string>{"built-in: no pack here", "started", "stopped"}));
    // The start and stop markers went to this month's file of the log folder.
    std::size_t files = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(home.Path()) / "LogData")) {
        files += entry.path().extension() == ".ovl" ? 1 : 0;
    }
    EXPECT_EQ(files, 1U);
}

TEST(MonitorApp, PlacesTheLiveDisplayOnTheFrontEndsScreen) {
    // A display stored beyond a small screen's edge comes back to it; without a screen the
    // stored place stays, so that a program without windows moves nobody's display.
    const FixedScreenMetrics small({800, 600});
    const struct {
        const ScreenMetrics* screen;
        std::int32_t storedX;
        std::int32_t x;
    } cases[] = {
        {nullptr, -1, 1024 - 150}, {&small, -1, 800 - 150},  {nullptr, 1700, 1700},
        {&small, 1700, 800 - 150}, {&small, 781, 800 - 150}, {&small, 780, 780},
    };
    for (const auto& c : cases) {
        test::TempHome home;
        test::ScopedEnv ras("ORVANTA_RAS", std::string("sim"));
        if (c.storedX >= 0) {
            const auto stored = LoadStartupSettings(BuiltInEnglishTexts(), home.Paths().tariffFile);
            stored->EventWndX = c.storedX;
            stored->Exchange(true);
        }
        const SystemClock clock;
        NotingFrontEnd frontEnd;
        frontEnd.screen = c.screen;
        MonitorApp app(frontEnd, clock, home.Paths());
        std::string error;
        ASSERT_TRUE(app.Start(&error)) << error;
        EXPECT_EQ(app.settings().EventWndX, c.x)
            << (c.screen ? "small screen" : "no screen") << ", stored " << c.storedX;
    }
}

}  // namespace
}  // namespace ov
