#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "calllog/call_record.h"

namespace ov {

/// A call record seen through the call list: its numbers and views of its four texts. A row of
/// the store is valid while the store is neither cleared nor destroyed.
using CallRow = CallRecordView;

/// The row of a record in memory (views of the record's own strings).
inline CallRow RowOf(const CallRecord& record) {
    return ViewOf(record);
}

/// Texts kept once each, addressed by a small index. User, entry and device names repeat from
/// call to call, so a list of a million calls holds only a handful of distinct texts.
class StringPool {
public:
    StringPool();
    /// The index of `text`, adding it when new. Index 0 is the empty text.
    std::uint32_t Intern(std::string_view text);
    std::string_view Text(std::uint32_t id) const { return m_views[id]; }
    /// Back to the empty text alone.
    void Clear();
    std::size_t Size() const { return m_views.size(); }
    /// Bytes held, estimated from the sizes of the texts and their table entries.
    std::size_t MemoryBytes() const;

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };
    // Node-based: the keys never move, so the views into them stay valid.
    std::unordered_map<std::string, std::uint32_t, Hash, std::equal_to<>> m_ids;
    std::vector<std::string_view> m_views;
    std::size_t m_textBytes = 0;
};

/// The records of the call list in the order they were added, kept compactly: the numbers of
/// each record and its texts as indexes into one pool. The reserved bytes of the file layout
/// are not kept: nothing the list shows, sorts or exports reads them.
class CallStore {
public:
    /// Appends a copy of the row's record; returns its index.
    std::size_t Append(const CallRow& row);
    std::size_t Append(const CallRecord& record) { return Append(RowOf(record)); }
    std::size_t Size() const { return m_calls.size(); }
    bool Empty() const { return m_calls.empty(); }
    CallRow Row(std::size_t index) const;
    /// A full copy of one record (reserved bytes zero).
    CallRecord Record(std::size_t index) const;
    /// Adds durations and price to a record in place (the month lines of the sums mode).
    void AddToSums(std::size_t index, std::int32_t connected, std::int32_t dialing, float price);
    void Clear();
    /// Gives back the room a load left unused when it is more than the records take; a list
    /// reloaded at about its size keeps its room, so the next load need not grow it again.
    void ShrinkToFit() {
        if (m_calls.capacity() > 2 * m_calls.size() + 1024) {
            m_calls.shrink_to_fit();
        }
    }
    /// Bytes the records and their texts take.
    std::size_t MemoryBytes() const;

private:
    struct StoredCall {
        std::int32_t kind;
        Time32 startTime;
        std::int32_t connectedSeconds;
        std::int32_t dialingSeconds;
        float price;
        std::uint32_t userName;
        std::uint32_t entryName;
        std::uint32_t deviceName;
        std::uint32_t deviceType;
    };

    /// A pool index for one field, trying the texts this field had lately before the pool:
    /// consecutive calls mostly repeat them.
    std::uint32_t InternField(int field, std::string_view text);

    std::vector<StoredCall> m_calls;
    StringPool m_pool;
    static constexpr int kRecent = 4;
    std::uint32_t m_recent[4][kRecent]{};  // per field, most recent first; 0 = empty text
};

}  // namespace ov
