#pragma once

#include "calllog/call_record.h"

namespace ov {

/// What the call log writer tells an open call list (and its form view) about a record it has
/// just appended, so that the call joins the list and its sums while the program runs.
class CallListSink {
public:
    virtual ~CallListSink() = default;
    /// The form view brings its five drop-down lists up to the settings' lists.
    virtual void AddNewItems() = 0;
    /// The call list takes the record in, with its sums shown again when `showTotals`.
    virtual void AddNewRecord(const CallRecord& record, bool showTotals) = 0;
};

}  // namespace ov
