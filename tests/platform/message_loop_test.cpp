#include "platform/message_loop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace ov {
namespace {

/// Records what it receives and on which thread.
class Recorder final : public MessageWindow {
public:
    using MessageWindow::MessageWindow;
    std::intptr_t HandleMessage(std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) override {
        received.push_back(message);
        threads.push_back(std::this_thread::get_id());
        return static_cast<std::intptr_t>(wParam) + lParam;
    }
    std::vector<std::uint32_t> received;
    std::vector<std::thread::id> threads;
};

TEST(MessageLoopTest, SendFromTheOwnerIsADirectCall) {
    MessageLoop loop;
    Recorder window(loop);
    EXPECT_EQ(loop.Send(window, 1, 2, 3), 5);
    ASSERT_EQ(window.received.size(), 1u);
}

TEST(MessageLoopTest, SendFromAnotherThreadRunsOnTheOwnerAndReturnsTheResult) {
    MessageLoop loop;
    Recorder window(loop);
    std::intptr_t result = 0;
    std::thread sender([&] {
        result = loop.Send(window, 7, 40, 2);
        loop.PostQuit(3);
    });
    EXPECT_EQ(loop.Run(), 3);
    sender.join();
    EXPECT_EQ(result, 42);
    ASSERT_EQ(window.threads.size(), 1u);
    EXPECT_EQ(window.threads[0], std::this_thread::get_id());
}

TEST(MessageLoopTest, PostedMessagesKeepTheirOrderAndQuitComesAfterThem) {
    MessageLoop loop;
    Recorder window(loop);
    for (std::uint32_t m = 1; m <= 5; ++m) {
        loop.Post(window, m);
    }
    loop.PostQuit(0);
    loop.Post(window, 99);  // after the quit: not handled by this Run
    EXPECT_EQ(loop.Run(), 0);
    EXPECT_EQ(window.received, (std::vector<std::uint32_t>{1, 2, 3, 4, 5}));
    EXPECT_TRUE(loop.ProcessPending());
    EXPECT_EQ(window.received.back(), 99u);
}

// The deadlock the monitor's Stop must avoid: the owner waits for a thread that is itself
// waiting inside a send to the owner.
TEST(MessageLoopTest, WaitUntilHandlesSentButNotPostedMessages) {
    MessageLoop loop;
    Recorder window(loop);
    loop.Post(window, 1);
    std::atomic<bool> done{false};
    std::thread worker([&] {
        loop.Send(window, 2);
        loop.Send(window, 3);
        done = true;
        loop.Wake();
    });
    loop.WaitUntil([&] { return done.load(); });
    worker.join();
    EXPECT_EQ(window.received, (std::vector<std::uint32_t>{2, 3}));
    loop.ProcessPending();
    EXPECT_EQ(window.received, (std::vector<std::uint32_t>{2, 3, 1}));
}

TEST(MessageLoopTest, WakeHookHearsOfMessagesFromOtherThreadsOnly) {
    MessageLoop loop;
    Recorder window(loop);
    std::atomic<int> wakes{0};
    loop.SetWakeHook([&] { ++wakes; });
    loop.Post(window, 1);
    EXPECT_EQ(wakes, 0);
    std::thread poster([&] { loop.Post(window, 2); });
    poster.join();
    EXPECT_EQ(wakes, 1);
}

}  // namespace
}  // namespace ov
