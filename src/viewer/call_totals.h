#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "calllog/call_record.h"
#include "tariff/tariff.h"

namespace ov {

/// Sums of call records: the count of connected calls, the days they span, times and price.
/// First and last follow the order of adding (the order of the call log), not minimum and
/// maximum; a record without a start time (0) takes no part in them. The times are summed in
/// 64 bits: a few long records already pass what 32 bits can hold.
struct CallTotals {
    std::int32_t count = 0;
    std::int32_t days = 0;
    float price = 0.0f;
    std::int64_t connectedSeconds = 0;
    std::int64_t dialingSeconds = 0;
    Time32 first = 0;
    Time32 last = 0;

    void Clear() { *this = CallTotals{}; }
    /// Adds one record; markers (kinds above 2) add nothing.
    void Add(const CallRecordView& record) {
        AddLeavingDays(record.kind, record.startTime, record.connectedSeconds,
                       record.dialingSeconds, record.price);
        UpdateDays();
    }
    /// Add without bringing `days` up to date, for a run of records that ends with one
    /// UpdateDays: the days follow from first and last alone.
    void AddLeavingDays(std::int32_t kind, Time32 start, std::int32_t connected,
                        std::int32_t dialing, float recordPrice) {
        if (kind > KindMonthSum) {
            return;
        }
        // A record without a start time would put first or last at 1970.
        if (start != 0) {
            if (first == 0) {
                first = start;
            }
            last = start;
        }
        price += recordPrice;
        connectedSeconds += connected;
        dialingSeconds += dialing;
        if (kind == KindConnected) {
            ++count;
        }
    }
    /// The days spanned from first to last, a begun day counting whole.
    void UpdateDays();
    void Add(const CallRecord& record) { Add(ViewOf(record)); }
    /// Adds the sums of one month.
    void Merge(const CallTotals& month);

    /// Connected and dialing time together.
    std::int64_t TotalSeconds() const { return connectedSeconds + dialingSeconds; }
    /// The per-day values; with days 0 they are the totals themselves.
    double CallsPerDay() const;
    std::int64_t SecondsPerDay() const;
    float PricePerDay() const;

    bool operator==(const CallTotals&) const = default;
};

/// One of the summary fields the form view and the report show, by its control number.
struct SumsField {
    int id;
    std::string text;
};

/// The nine summary fields in the order the form view lists them: price (3071), count (3072),
/// days (3079), time (3070), first (3068), last (3069), price per day (3076), calls per day
/// (3077), time per day (3075). Prices in the tariff's currency format.
std::vector<SumsField> SumsFields(const CallTotals& totals, const Tariff& tariff);

}  // namespace ov
