#include "viewer/call_totals.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace ov {
namespace {

CallRecord Rec(std::int32_t kind, Time32 start, std::int32_t connected, std::int32_t dialing,
               float price) {
    CallRecord r;
    r.kind = kind;
    r.startTime = start;
    r.connectedSeconds = connected;
    r.dialingSeconds = dialing;
    r.price = price;
    return r;
}

std::map<int, std::string> Fields(const CallTotals& t) {
    std::map<int, std::string> out;
    for (const auto& f : SumsFields(t, Tariff{})) {
        out[f.id] = f.text;
    }
    return out;
}

class CallTotalsTest : public ::testing::Test {
protected:
    CallTotalsTest() { tzset(); }
    ~CallTotalsTest() override { tzset(); }
    test::ScopedEnv m_tz{"TZ", std::string("UTC")};
};

TEST_F(CallTotalsTest, DaysSpannedRoundUp) {
    const Time32 t0 = 1'000'000'000;
    const struct {
        Time32 secondStart;
        std::int32_t days;
    } cases[] = {{t0, 0}, {t0 + 1, 1}, {t0 + 86400, 1}, {t0 + 86401, 2}, {t0 + 10 * 86400, 10}};
    for (const auto& c : cases) {
        CallTotals t;
        t.Add(Rec(KindConnected, t0, 60, 5, 1.0f));
        t.Add(Rec(KindConnected, c.secondStart, 60, 5, 1.0f));
        EXPECT_EQ(t.days, c.days) << c.secondStart - t0;
    }
}

TEST_F(CallTotalsTest, KindsAddWhatTheyCarry) {
    CallTotals t;
    t.Add(Rec(KindMonitorStart, 5, 0, 0, 0));  // markers change nothing, not even first
    t.Add(Rec(KindUnconnected, 100, 0, 30, 0.5f));
    t.Add(Rec(KindConnected, 200, 600, 20, 2.0f));
    t.Add(Rec(KindMonitorStop, 99999, 0, 0, 0));
    EXPECT_EQ(t.count, 1);  // only connected calls count
    EXPECT_EQ(t.first, 100);
    EXPECT_EQ(t.last, 200);
    EXPECT_EQ(t.dialingSeconds, 50);
    EXPECT_EQ(t.connectedSeconds, 600);
    EXPECT_FLOAT_EQ(t.price, 2.5f);
}

TEST_F(CallTotalsTest, FirstAndLastFollowTheOrderOfAdding) {
    CallTotals t;
    t.Add(Rec(KindConnected, 500, 1, 0, 0));
    t.Add(Rec(KindConnected, 100, 1, 0, 0));  // a later record that started earlier
    EXPECT_EQ(t.first, 500);
    EXPECT_EQ(t.last, 100);
}

TEST_F(CallTotalsTest, MergingMonths) {
    CallTotals march;
    march.Add(Rec(KindConnected, 1'000'000, 100, 10, 1.0f));
    CallTotals april;
    april.Add(Rec(KindConnected, 1'000'000 + 3 * 86400, 200, 20, 2.0f));
    april.Add(Rec(KindUnconnected, 1'000'000 + 4 * 86400, 0, 30, 0.5f));
    CallTotals all;
    all.Merge(march);
    all.Merge(april);
    EXPECT_EQ(all.count, 2);
    EXPECT_EQ(all.days, 4);
    EXPECT_EQ(all.first, 1'000'000);
    EXPECT_EQ(all.last, 1'000'000 + 4 * 86400);
    EXPECT_EQ(all.TotalSeconds(), 360);
    EXPECT_FLOAT_EQ(all.price, 3.5f);
}

// Sums beyond 32 bits are the true sums, and a record without a start time leaves first,
// last and days alone.
TEST_F(CallTotalsTest, LongSumsAndRecordsWithoutAStartTime) {
    CallTotals t;
    t.Add(Rec(KindConnected, 1'000'000'000, 2'147'483'000, 0, 1.0f));
    t.Add(Rec(KindConnected, 1'000'086'400, 2'147'483'000, 0, 1.0f));
    t.Add(Rec(KindUnconnected, 0, 0, 2'147'483'000, 1.0f));
    EXPECT_EQ(t.TotalSeconds(), 3 * std::int64_t{2'147'483'000});
    EXPECT_EQ(t.first, 1'000'000'000);
    EXPECT_EQ(t.last, 1'000'086'400);
    EXPECT_EQ(t.days, 1);
    const auto fields = Fields(t);
    EXPECT_EQ(fields.at(3070), "1789569:10:00");
    EXPECT_EQ(fields.at(3075), "1789569:10:00");  // over one day
    EXPECT_EQ(fields.at(3069), "10.09.2001  01:46:40");

    // A month of such records only, merged: first and last stay those of the other months.
    CallTotals undated;
    undated.Add(Rec(KindConnected, 0, 10, 0, 1.0f));
    EXPECT_EQ(undated.first, 0);
    t.Merge(undated);
    EXPECT_EQ(t.last, 1'000'086'400);
    EXPECT_EQ(t.days, 1);
    EXPECT_EQ(t.count, 3);
}

TEST_F(CallTotalsTest, FieldTexts) {
    const struct {
        const char* what;
        std::vector<CallRecord> records;
        std::map<int, std::string> expected;
    } cases[] = {
        {"empty list",
         {},
         {{3071, "$0.00"},
          {3072, "0"},
          {3079, "0"},
          {3070, "00:00:00"},
          {3068, "00.00.0000  00:00:00"},
          {3069, "00.00.0000  00:00:00"},
          {3076, "$0.00"},
          {3077, "0.00"},
          {3075, "00:00:00"}}},
        {"one record: the per-day fields are the totals",
         {Rec(KindConnected, 86400, 3000, 599, 4.5f)},
         {{3071, "$4.50"},
          {3072, "1"},
          {3079, "0"},
          {3070, "00:59:59"},
          {3068, "02.01.1970  00:00:00"},
          {3069, "02.01.1970  00:00:00"},
          {3076, "$4.50"},
          {3077, "1.00"},
          {3075, "00:59:59"}}},
        {"100 hours over two days",
         {Rec(KindConnected, 86400, 180000, 0, 10.0f),
          Rec(KindConnected, 3 * 86400, 180000, 0, 10.0f)},
         {{3071, "$20.00"},
          {3072, "2"},
          {3079, "2"},
          {3070, "100:00:00"},
          {3068, "02.01.1970  00:00:00"},
          {3069, "04.01.1970  00:00:00"},
          {3076, "$10.00"},
          {3077, "1.00"},
          {3075, "50:00:00"}}},
        {"three calls in two days",
         {Rec(KindConnected, 86400, 60, 0, 1.0f), Rec(KindConnected, 86400 + 1, 60, 0, 1.0f),
          Rec(KindConnected, 86400 + 86401, 61, 0, 1.0f)},
         {{3071, "$3.00"},
          {3072, "3"},
          {3079, "2"},
          {3070, "00:03:01"},
          {3068, "02.01.1970  00:00:00"},
          {3069, "03.01.1970  00:00:01"},
          {3076, "$1.50"},
          {3077, "1.50"},
          {3075, "00:01:30"}}},
    };
    for (const auto& c : cases) {
        CallTotals t;
        for (const auto& r : c.records) {
            t.Add(r);
        }
        EXPECT_EQ(Fields(t), c.expected) << c.what;
    }
    // The nine fields come in the form view's order.
    std::vector<int> ids;
    for (const auto& f : SumsFields(CallTotals{}, Tariff{})) {
        ids.push_back(f.id);
    }
    EXPECT_EQ(ids, (std::vector<int>{3071, 3072, 3079, 3070, 3068, 3069, 3076, 3077, 3075}));
}

}  // namespace
}  // namespace ov
