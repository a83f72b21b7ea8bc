#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace ov {

/// Kinds of call record. Kinds 0-2 are calls (with durations and price), 3-4 are markers.
enum CallKind : std::int32_t {
    KindConnected = 0,
    KindUnconnected = 1,
    KindMonthSum = 2,  // made by the call list in memory, never written
    KindMonitorStart = 3,
    KindMonitorStop = 4,
};

/// One record of a call log file.
struct CallRecord {
    std::int32_t kind = KindConnected;
    std::array<std::uint8_t, 10> reserved{};  // written as zeros, read back and kept
    Time32 startTime = 0;
    std::int32_t connectedSeconds = 0;
    std::int32_t dialingSeconds = 0;
    float price = 0.0f;
    std::string userName;
    std::string entryName;
    std::string deviceName;
    std::string deviceType;

    bool operator==(const CallRecord&) const = default;
};

/// The fixed part of a record in a file: kind, reserved, start, price, two durations.
inline constexpr std::size_t kCallRecordFixedSize = 30;
/// The smallest record: the fixed part and four empty strings.
inline constexpr std::size_t kCallRecordMinSize = kCallRecordFixedSize + 4 * 4;
/// Strings are read into a buffer of this size, terminator included; a longer length in a
/// file is damage and ends the reading as a short read does.
inline constexpr std::int32_t kCallRecordStringBuffer = 1024;

/// Reads (`write` false) or writes (`write` true) one record in the file layout: little-endian
/// integers, the price before the durations, four length-prefixed strings. `Stream` has
/// `bool Transfer(void* data, std::size_t size)`, false on a short transfer. Returns true when
/// the whole record was transferred; a short transfer or a damaged string length ends it.
template <typename Stream>
bool TransferCallRecord(Stream& stream, CallRecord& record, bool write);

/// The record's bytes as a file holds them.
std::string EncodeCallRecord(const CallRecord& record);

/// Reads one record from the front of `bytes`. Returns the bytes it took, or 0 when the front
/// does not hold a whole record.
std::size_t DecodeCallRecord(std::string_view bytes, CallRecord& record);

/// A record read in place: its numbers, and its texts as views into the bytes it was decoded
/// from (each ending at its first zero byte, as the C string it stands for). The reserved
/// bytes are not kept.
struct CallRecordView {
    std::int32_t kind = KindConnected;
    Time32 startTime = 0;
    std::int32_t connectedSeconds = 0;
    std::int32_t dialingSeconds = 0;
    float price = 0.0f;
    std::string_view userName;
    std::string_view entryName;
    std::string_view deviceName;
    std::string_view deviceType;
};

/// As DecodeCallRecord, without copying the texts: for readers of whole months, which keep
/// the file's bytes while they look at the record. Takes exactly the records DecodeCallRecord
/// takes.
std::size_t DecodeCallRecordView(std::string_view bytes, CallRecordView& view);

/// As DecodeCallRecordView, but each text view holds the text's bytes as stored, before the
/// cut at its first zero byte: for readers that compare texts by their bytes first. Always
/// inlined: it runs once per record of a whole call log, and a call costs as much as its body.
[[gnu::always_inline]] inline std::size_t DecodeCallRecordStored(std::string_view bytes,
                                                                 CallRecordView& view) {
    const char* const p = bytes.data();
    const std::size_t size = bytes.size();
    if (size < kCallRecordMinSize) {
        return 0;
    }
    // The fixed part: kind, reserved, start, price, connected, dialing.
    std::memcpy(&view.kind, p, 4);
    std::memcpy(&view.startTime, p + 14, 4);
    std::memcpy(&view.price, p + 18, 4);
    std::memcpy(&view.connectedSeconds, p + 22, 4);
    std::memcpy(&view.dialingSeconds, p + 26, 4);
    std::size_t used = kCallRecordFixedSize;
    // A text: its length, then its bytes, followed by the lengths still to come, 4 bytes
    // each; so before each length at least its 4 bytes are there. A negative length reads as
    // a huge unsigned one.
    auto text = [&](std::string_view& out, std::size_t lengthsAfter) {
        std::uint32_t length = 0;
        std::memcpy(&length, p + used, 4);
        used += 4;
        if (length >= static_cast<std::uint32_t>(kCallRecordStringBuffer) ||
            size - used < length + lengthsAfter) {
            return false;
        }
        out = std::string_view(p + used, length);
        used += length;
        return true;
    };
    return text(view.userName, 12) && text(view.entryName, 8) && text(view.deviceName, 4) &&
                   text(view.deviceType, 0)
               ? used
               : 0;
}

/// The view of a record in memory (views of the record's own strings).
CallRecordView ViewOf(const CallRecord& record);

/// The length of the longest run of whole records at the front of `bytes`.
std::size_t WholeRecordsLength(std::string_view bytes);

namespace detail {

template <typename Stream>
bool TransferCallString(Stream& stream, std::string& text, bool write) {
    if (write) {
        // A longer text could never be read back, and would hide every record after it.
        const std::size_t size =
            std::min(text.size(), static_cast<std::size_t>(kCallRecordStringBuffer - 1));
        auto length = static_cast<std::int32_t>(size);
        return stream.Transfer(&length, sizeof length) &&
               (size == 0 || stream.Transfer(text.data(), size));
    }
    std::int32_t length = 0;
    if (!stream.Transfer(&length, sizeof length)) {
        return false;
    }
    if (length < 0 || length >= kCallRecordStringBuffer) {
        return false;  // no record of ours holds such a length: the file is damaged here
    }
    if constexpr (requires { stream.TakeText(text, std::size_t{}); }) {
        // A stream over memory hands the text over in one copy.
        return stream.TakeText(text, static_cast<std::size_t>(length));
    } else {
        text.resize(static_cast<std::size_t>(length));
        if (length > 0 && !stream.Transfer(text.data(), text.size())) {
            return false;
        }
        // Like the C string it stands for, the text ends at its first zero byte.
        if (const auto zero = text.find('\0'); zero != std::string::npos) {
            text.resize(zero);
        }
        return true;
    }
}

}  // namespace detail

template <typename Stream>
bool TransferCallRecord(Stream& stream, CallRecord& record, bool write) {
    if (write) {
        record.reserved.fill(0);
    }
    return stream.Transfer(&record.kind, 4) &&
           stream.Transfer(record.reserved.data(), record.reserved.size()) &&
           stream.Transfer(&record.startTime, 4) && stream.Transfer(&record.price, 4) &&
           stream.Transfer(&record.connectedSeconds, 4) &&
           stream.Transfer(&record.dialingSeconds, 4) &&
           detail::TransferCallString(stream, record.userName, write) &&
           detail::TransferCallString(stream, record.entryName, write) &&
           detail::TransferCallString(stream, record.deviceName, write) &&
           detail::TransferCallString(stream, record.deviceType, write);
}

}  // namespace ov
