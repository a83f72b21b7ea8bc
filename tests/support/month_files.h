#pragma once

#include <string>
#include <vector>

#include "calllog/call_log_file.h"
#include "calllog/call_record.h"
#include "support/temp_dir.h"

namespace ov::test {

/// Appends `records` to the month file of `year`, `month` (1-12) in the call log `folder`.
inline void AppendToMonthFile(const std::string& folder, int year, int month,
                              const std::vector<CallRecord>& records) {
    std::string bytes = ReadFileOrEmpty(MonthFilePath(folder, year, month));
    for (const auto& r : records) {
        bytes += EncodeCallRecord(r);
    }
    WriteFileOrDie(MonthFilePath(folder, year, month), bytes);
}

}  // namespace ov::test
