#include "limits/limit_notify_dialog.h"

#include <gtest/gtest.h>

#include "limits_fakes.h"

namespace ov {
namespace {

using Result = LimitNotifyDialog::Result;

class LimitNotifyDialogTest : public test::LimitsTest {};

TEST_F(LimitNotifyDialogTest, CountsDownFromTheTimeoutThenHangsUpWithoutAsking) {
    m_settings.HangUpTimeout = 10;
    BeginLimitNotification();
    LimitNotifyDialog dialog(m_settings, m_timer, m_hangUp);
    dialog.OnInitDialog("OK");
    EXPECT_EQ(m_timer.set, (std::map<unsigned, unsigned>{{32826, 1000}}));
    EXPECT_EQ(dialog.okText(), "OK");
    for (int second = 1; second <= 11; ++second) {
        dialog.OnTimer();
        EXPECT_EQ(dialog.okText(), "OK=" + std::to_string(11 - second));
        EXPECT_EQ(dialog.ended(), second == 11) << second;
    }
    EXPECT_EQ(m_hangUp.calls, std::vector<bool>{false});
    EXPECT_EQ(dialog.result(), Result::Ok);
    EXPECT_FALSE(dialog.autoHangUp());
    EXPECT_TRUE(m_timer.set.empty());
    dialog.OnTimer();  // a late expiry changes nothing
    EXPECT_EQ(m_hangUp.calls.size(), 1u);
    // The hang-up command follows an OK outcome.
    EXPECT_TRUE(FinishLimitNotification(dialog.result()));
    EXPECT_FALSE(limitChecksSuspended);
}

TEST_F(LimitNotifyDialogTest, ButtonsStopTheCountdown) {
    struct Case {
        Result button;
        bool hangUpFollows;
    };
    for (const Case c : {Case{Result::Cancel, false}, Case{Result::Ok, true}}) {
        test::FakeTimer timer;
        test::FakeHangUp hangUp;
        m_settings.HangUpTimeout = 10;
        BeginLimitNotification();
        LimitNotifyDialog dialog(m_settings, timer, hangUp);
        dialog.OnInitDialog("Hang up");
        dialog.OnTimer();
        dialog.OnTimer();
        dialog.OnTimer();
        dialog.OnButton(c.button);
        EXPECT_EQ(dialog.okText(), "Hang up=7");
        EXPECT_TRUE(timer.set.empty());
        EXPECT_EQ(dialog.result(), c.button);
        for (int n = 0; n < 20; ++n) {
            dialog.OnTimer();
        }
        EXPECT_TRUE(hangUp.calls.empty());  // the countdown never reached its end
        EXPECT_EQ(FinishLimitNotification(dialog.result()), c.hangUpFollows);
        EXPECT_FALSE(limitChecksSuspended);
    }
}

TEST_F(LimitNotifyDialogTest, ATimeoutOfZeroOrLessHangsUpAtTheFirstTick) {
    for (const int timeout : {0, -3}) {
        test::FakeHangUp hangUp;
        m_settings.HangUpTimeout = timeout;
        LimitNotifyDialog dialog(m_settings, m_timer, hangUp);
        dialog.OnInitDialog("OK");
        dialog.OnTimer();
        EXPECT_EQ(dialog.okText(), "OK=" + std::to_string(timeout));
        EXPECT_EQ(dialog.result(), Result::Ok);
        EXPECT_EQ(hangUp.calls, std::vector<bool>{false});
    }
}

TEST_F(LimitNotifyDialogTest, WithoutAutomaticHangUpOnlyTheButtonsAct) {
    m_settings.HangUpAutomatically = 0;
    LimitNotifyDialog dialog(m_settings, m_timer, m_hangUp);
    dialog.OnInitDialog("OK");
    EXPECT_TRUE(m_timer.set.empty());
    dialog.OnTimer();
    EXPECT_FALSE(dialog.ended());
    dialog.OnButton(Result::Ok);
    EXPECT_EQ(dialog.okText(), "OK");
    EXPECT_EQ(dialog.result(), Result::Ok);
    EXPECT_TRUE(m_hangUp.calls.empty());
}

}  // namespace
}  // namespace ov
