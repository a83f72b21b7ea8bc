#include "platform/ras/call_rule.h"

#include <gtest/gtest.h>

#include "platform/ras/ras_sim.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

using Kind = CallRule::Kind;

TEST(CallRuleTest, StoredTextsAndBack) {
    const struct {
        const char* text;
        std::optional<CallRule> rule;
        const char* written;  // the text the rule is stored as
    } kCases[] = {
        {"metered", CallRule{}, "metered"},
        {" dial-up ", CallRule{Kind::DialUp, {}}, "dial-up"},
        {"all", CallRule{Kind::AllButLoopback, {}}, "all"},
        {"list:Mobile", CallRule{Kind::Listed, {"Mobile"}}, "list:Mobile"},
        {"list: Mobile ; ;Office VPN;", CallRule{Kind::Listed, {"Mobile", "Office VPN"}},
         "list:Mobile;Office VPN"},
        {"list:", CallRule{Kind::Listed, {}}, "list:"},
        {"", std::nullopt, ""},
        {"Metered", std::nullopt, ""},  // the words are exact
        {"Mobile", std::nullopt, ""},   // a name alone is not a list
        {"dialup", std::nullopt, ""},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(ParseCallRule(c.text), c.rule) << c.text;
        if (c.rule) {
            EXPECT_EQ(CallRuleText(*c.rule), c.written) << c.text;
        }
    }
}

TEST(CallRuleTest, VerdictsByRuleAndFacts) {
    const CallFacts loopback{true, false, false};
    const CallFacts cable{false, false, false};
    const CallFacts meteredWifi{false, false, true};
    const CallFacts modem{false, true, false};
    const CallRule listed{Kind::Listed, {"lo", "home"}};
    const struct {
        CallRule rule;
        const char* name;
        CallFacts facts;
        const char* whyNot;
    } kCases[] = {
        {CallRule{}, "lo", loopback, "loopback"},
        {CallRule{}, "Home", cable, "not metered"},
        {CallRule{}, "Phone", meteredWifi, ""},
        {CallRule{}, "Mobile", modem, ""},
        {{Kind::DialUp, {}}, "Phone", meteredWifi, "not a dial-up connection"},
        {{Kind::DialUp, {}}, "Mobile", modem, ""},
        {{Kind::AllButLoopback, {}}, "Home", cable, ""},
        {{Kind::AllButLoopback, {}}, "lo", loopback, "loopback"},
        {listed, "HOME", cable, ""},  // names without regard to case
        {listed, "Mobile", modem, "not in the chosen list"},
        {listed, "lo", loopback, "loopback"},  // even when listed
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(WhyNotACall(c.rule, c.name, c.facts), c.whyNot)
            << CallRuleText(c.rule) << " " << c.name;
    }
}

TEST(CallRuleTest, TheSimulatorLeavesOutWhatAListDoesNotName) {
    test::TempDir dir;
    SimRasProvider sim(dir.File("ras-sim.state"), nullptr);
    ASSERT_EQ(sim.AddEntry("Work", "Simulated Modem", ""), 0u);
    HRASCONN demo = 0;
    HRASCONN work = 0;
    ASSERT_EQ(sim.Dial("Demo ISP", RASCS_Connected, demo), 0u);
    ASSERT_EQ(sim.Dial("Work", RASCS_Connected, work), 0u);
    sim.SetCallRule(*ParseCallRule("list:work"));

    std::vector<RasConnection> calls;
    ASSERT_EQ(sim.EnumConnections(calls), 0u);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].entryName, "Work");
    std::vector<ActiveConnection> all;
    ASSERT_EQ(sim.EnumActiveConnections(all), 0u);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].whyNot, "not in the chosen list");
    EXPECT_EQ(all[1].whyNot, "");
    std::vector<std::string> entries;
    ASSERT_EQ(sim.EnumEntries(entries), 0u);
    EXPECT_EQ(entries, std::vector<std::string>{"Work"});

    // What is not a call can be neither asked about nor hung up.
    RasConnection state;
    EXPECT_EQ(sim.GetConnectState(demo, state), ERROR_INVALID_HANDLE);
    EXPECT_EQ(sim.HangUp(demo), ERROR_INVALID_HANDLE);
    EXPECT_EQ(sim.HangUp(work), 0u);
    sim.SetCallRule(CallRule{});
    ASSERT_EQ(sim.EnumConnections(calls), 0u);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].entryName, "Demo ISP");
}

}  // namespace
}  // namespace ov
