#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "calllog/call_list_sink.h"
#include "calllog/call_log_file.h"
#include "calllog/call_record.h"
#include "monitor/connection_monitor.h"
#include "platform/clock.h"
#include "platform/text_source.h"
#include "settings/settings.h"

namespace ov {

/// String of the language pack shown when a record cannot be written; a format taking the
/// file's path.
inline constexpr unsigned kWriteFailedString = 3335;

/// The user name of the monitoring markers when the system gives none.
inline constexpr const char* kFallbackMarkerUser = "Administrator";

/// Where the call log writer tells the user that a record could not be written: a message box
/// in the tray program, an `error` event line in orvanta-cli monitor.
class CallLogMessages {
public:
    virtual ~CallLogMessages() = default;
    virtual void ShowWriteFailure(const std::string& text) = 0;
    /// Something the user must hear of though the record was written: damage moved aside from
    /// a log file, records left unwritten at exit.
    virtual void ShowNotice(const std::string& /*text*/) {}
};

/// The login name for the monitoring markers: the effective user's, else "Administrator".
std::string MarkerUserName();

/// Writes the call log on the window thread: one record per finished connection and per start
/// and stop of monitoring, into the file of the month in which it is written. Prices the
/// calls, keeps the running totals and the name lists of the settings, and tells an open call
/// list. A record that cannot be written is kept and written again before the next record
/// (and by WritePending at exit), so a passing failure loses nothing and keeps the order.
class CallLogWriter {
public:
    /// `settings`, `texts`, `clock` and `messages` must outlive the writer. `folder` is the log
    /// folder (ProgramPaths::logFolder); `markerUser` the user name of the markers.
    CallLogWriter(Settings& settings, const TextSource& texts, const Clock& clock,
                  CallLogMessages& messages, std::string folder,
                  std::string markerUser = MarkerUserName());

    /// Kind KindConnected with the finished `connection` (kind 1 is chosen here when it never
    /// came up; nothing is written when both its durations are 0), or KindMonitorStart /
    /// KindMonitorStop with no connection.
    void AppendCallRecord(std::int32_t kind, const ConnectionRecord* connection);

    /// Writes the records kept after failed writes, in order. True when none is left.
    bool WritePending();
    /// The last chance at exit: writes the kept records and tells how many could still not be
    /// written, and why, rather than losing them without a word. True when none is left.
    bool WritePendingAtExit();
    std::size_t PendingCount() const { return m_pending.size(); }

    /// The open call list, or null when it is closed. It must stay alive while attached.
    void SetCallListSink(CallListSink* sink) { m_sink = sink; }

    /// The file of the month of the last write; empty before the first.
    const std::string& FilePath() const { return m_path; }
    const std::string& Folder() const { return m_folder; }

private:
    struct Pending {
        std::string path;
        CallRecord record;
    };

    /// Follows the clock into a new month: the file path and the settings' month list.
    void FollowMonth();
    /// Writes the kept records and then `next`; stops at the first failure and keeps the rest.
    /// Returns false when `next` could not be written.
    bool WriteInOrder(Pending next);
    /// One append; a damaged tail moved aside on the way is told to the user.
    bool AppendOne(const Pending& pending);

    Settings& m_settings;
    const TextSource& m_texts;
    const Clock& m_clock;
    CallLogMessages& m_messages;
    std::string m_folder;
    std::string m_markerUser;
    CallListSink* m_sink = nullptr;

    // The month of the last write (1-12) and its full year; 0 before the first write, so the
    // first record of a run always counts as a month change.
    int m_month = 0;
    int m_year = 0;
    std::string m_path;

    CallLogAppender m_appender;
    std::deque<Pending> m_pending;  // in the order they were meant to be written
    std::string m_lastError;        // why the last append failed
};

}  // namespace ov
