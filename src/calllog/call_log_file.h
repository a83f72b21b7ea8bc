#pragma once

#include <sys/types.h>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "calllog/call_record.h"

namespace ov {

/// "<folder>/OV<year>_<month>.ovl", month 1-12 without a leading zero.
std::string MonthFilePath(const std::string& folder, int year, int month);

/// Hands every whole record of the month's file (month index 0-11) to `consumer`, in file
/// order, stopping quietly at the first record that cannot be read whole. False when the file
/// does not exist or cannot be opened.
bool LoadMonth(const std::string& folder, int year, int monthIndex,
               const std::function<void(const CallRecord&)>& consumer);

/// Appends records to call log files so that a crash at any moment leaves the file readable:
/// a record goes out in one write and is synced; a torn tail left by an earlier crash is
/// copied to "<file>.torn-<time>" and cut off before the next record, so the new one follows
/// a whole record. Files are created 0600 and never through a symbolic link.
class CallLogAppender {
public:
    /// Appends one record to `path`, creating the file and its folder. False, with the reason
    /// in `error`, when the record could not be written whole (the file is then left as it
    /// was). When a damaged tail was moved aside first, `notice` says where and how much.
    bool Append(const std::string& path, const CallRecord& record, std::string* error = nullptr,
                std::string* notice = nullptr);

private:
    /// The size each file had after our last append: an unchanged size needs no new scan for
    /// a torn tail.
    std::map<std::string, off_t> m_knownSizes;
};

}  // namespace ov
