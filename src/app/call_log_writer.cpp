#include "app/call_log_writer.h"

#include <ctime>
#include <utility>

#include "platform/text_util.h"
#include "platform/user.h"
#include "tariff/day_band.h"

namespace ov {

std::string MarkerUserName() {
    std::string name = LoginName();
    return name.empty() ? std::string(kFallbackMarkerUser) : name;
}

CallLogWriter::CallLogWriter(Settings& settings, const TextSource& texts, const Clock& clock,
                             CallLogMessages& messages, std::string folder, std::string markerUser)
    : m_settings(settings),
      m_texts(texts),
      m_clock(clock),
      m_messages(messages),
      m_folder(std::move(folder)),
      m_markerUser(std::move(markerUser)) {}

void CallLogWriter::FollowMonth() {
    std::tm local{};
    if (!ToLocalTime(m_clock.Now(), local)) {
        return;  // keep the file of the last write rather than guess a month
    }
    const int year = local.tm_year + 1900;
    const int month = local.tm_mon + 1;
    if (month == m_month && year == m_year && !m_path.empty()) {
        return;
    }
    m_month = month;
    m_year = year;
    m_path = MonthFilePath(m_folder, year, month);
    m_settings.AddMonth(year, local.tm_mon);
}

void CallLogWriter::AppendCallRecord(std::int32_t kind, const ConnectionRecord* connection) {
    // The file is that of the moment of writing: a call from 31 March into 1 April goes into
    // the April file with its March start.
    FollowMonth();

    CallRecord record;
    const bool isCall = kind != KindMonitorStart && kind != KindMonitorStop;
    if (isCall) {
        if (connection == nullptr ||
            (connection->connectedSeconds == 0 && connection->dialingSeconds == 0)) {
            return;  // nothing happened worth a record
        }
        record.kind = connection->connectedSeconds == 0 ? KindUnconnected : KindConnected;
        record.startTime = connection->startTime;
        record.connectedSeconds = connection->connectedSeconds;
        record.dialingSeconds = connection->dialingSeconds;
        record.userName = connection->userName;
        record.entryName = connection->entryName;
        record.deviceName = connection->deviceName;
        record.deviceType = connection->deviceType;
        // A call is paid from the first moment of dialing, so both times are priced.
        const std::int32_t seconds = connection->connectedSeconds + connection->dialingSeconds;
        record.price = PriceOfCall(m_settings.CurrentTariff, record.startTime, seconds);
        m_settings.EventTotTime += seconds;
        m_settings.EventTotPrice += record.price;
    } else {
        record.kind = kind;
        record.startTime = m_clock.Now();
        record.userName = m_markerUser;
    }

    if (!WriteInOrder({m_path, record})) {
        // The file's name with the system's reason, so the user can do something about it.
        std::string reason = m_lastError;
        if (reason.compare(0, m_path.size() + 2, m_path + ": ") == 0) {
            reason.erase(0, m_path.size() + 2);
        }
        const std::string named = reason.empty() ? m_path : m_path + " (" + reason + ")";
        m_messages.ShowWriteFailure(FormatWithText(m_texts.String(kWriteFailedString), named));
    }

    // Whether or not the record reached the file, the lists learn its names and an open call
    // list shows it.
    m_settings.AddUser(record.userName);
    if (isCall) {
        m_settings.AddEntry(record.entryName);
        m_settings.AddDeviceName(record.deviceName);
        m_settings.AddDeviceType(record.deviceType);
    }
    if (m_sink != nullptr) {
        m_sink->AddNewItems();
        m_sink->AddNewRecord(record, true);
    }
}

bool CallLogWriter::AppendOne(const Pending& pending) {
    std::string notice;
    m_lastError.clear();
    const bool written = m_appender.Append(pending.path, pending.record, &m_lastError, &notice);
    if (!notice.empty()) {
        m_messages.ShowNotice(notice);
    }
    return written;
}

bool CallLogWriter::WritePending() {
    while (!m_pending.empty()) {
        if (!AppendOne(m_pending.front())) {
            return false;
        }
        m_pending.pop_front();
    }
    return true;
}

bool CallLogWriter::WritePendingAtExit() {
    if (WritePending()) {
        return true;
    }
    const std::size_t count = m_pending.size();
    m_messages.ShowNotice(std::to_string(count) +
                          (count == 1 ? " call record could not be written and is lost: "
                                      : " call records could not be written and are lost: ") +
                          m_lastError);
    return false;
}

bool CallLogWriter::WriteInOrder(Pending next) {
    // A record kept from a failed write goes first; while it still cannot be written, the new
    // one waits behind it so that no file ever holds them out of order.
    if (WritePending() && AppendOne(next)) {
        return true;
    }
    m_pending.push_back(std::move(next));
    return false;
}

}  // namespace ov
