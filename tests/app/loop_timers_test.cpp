#include "app/loop_timers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>

namespace ov {
namespace {

using namespace std::chrono_literals;

class ExpiryCounter final : public MessageWindow {
public:
    using MessageWindow::MessageWindow;
    std::intptr_t HandleMessage(std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t) override {
        if (message == WM_TIMER) {
            ++expiries[static_cast<unsigned>(wParam)];
        }
        return 0;
    }
    std::map<unsigned, int> expiries;
};

TEST(LoopTimersTest, PostsExpiriesOfTheTimersStillSet) {
    MessageLoop loop;
    ExpiryCounter window(loop);
    LoopTimers timers(window);
    // The worker waits for the only timer; it is killed and another set meanwhile.
    ASSERT_TRUE(timers.SetTimer(8, 60));
    std::this_thread::sleep_for(10ms);
    timers.KillTimer(8);
    ASSERT_TRUE(timers.SetTimer(9, 10));
    EXPECT_FALSE(timers.IsSet(8));
    EXPECT_TRUE(timers.IsSet(9));
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (window.expiries[9] < 3 && std::chrono::steady_clock::now() < until) {
        loop.ProcessPending();
        std::this_thread::sleep_for(5ms);
    }
    timers.KillTimer(9);
    EXPECT_GE(window.expiries[9], 3);
    EXPECT_EQ(window.expiries.count(8), 0u);
}

}  // namespace
}  // namespace ov
