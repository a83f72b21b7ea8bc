#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
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

/// The room a buffer of file bytes keeps readable after its end, so that BufferInterner may
/// compare texts near the end a machine word at a time.
inline constexpr std::size_t kBufferPadding = 16;

/// Pool indexes of the texts of records read from one buffer of file bytes. Consecutive
/// records mostly repeat a few texts in each field, so a text is first compared by its bytes
/// with the last ones this field had in the same buffer (cheaply: by its length and first
/// sixteen bytes, read as two words), and only a text new to the buffer is looked up in the
/// pool. The texts given must lie in one buffer with kBufferPadding readable bytes after its
/// end; Reset (or a new interner) before the next buffer.
class BufferInterner {
public:
    explicit BufferInterner(StringPool& pool) : m_pool(pool) {}
    void Reset();
    /// The pool index of text `field` (0-3) of a record; `stored` are the text's bytes as
    /// stored, which stand for the text up to their first zero byte.
    std::uint32_t Intern(int field, std::string_view stored) {
        Recent& recent = m_recent[field];
        const std::size_t n = stored.size();
        Key key{0, 0, n};
        if (n <= 16) {
            // Little-endian: the first bytes are the low ones. The padding makes both words
            // readable even for the last text of the buffer.
            std::memcpy(&key.head0, stored.data(), 8);
            std::memcpy(&key.head1, stored.data() + 8, 8);
            key.head0 &= kHeadMasks[n].first;
            key.head1 &= kHeadMasks[n].second;
            for (const Slot& slot : recent.slots) {
                if (slot.key.size == n && slot.key.head0 == key.head0 &&
                    slot.key.head1 == key.head1) {
                    return slot.id;
                }
            }
        } else {
            for (const Slot& slot : recent.slots) {
                if (slot.key.size == n && std::memcmp(slot.bytes, stored.data(), n) == 0) {
                    return slot.id;
                }
            }
        }
        return InternNew(recent, stored, key);
    }

    /// The pool indexes of a record's four texts into `ids`. `texts` are the record's bytes
    /// from its first text's length to its end, which hold all four: a record whose texts
    /// are the same bytes as the last record's (most are: one user on one line) takes the
    /// last indexes at the cost of one comparison.
    void InternTexts(const CallRow& row, std::string_view texts, std::uint32_t (&ids)[4]) {
        if (texts.size() == m_lastTexts.size() &&
            std::memcmp(texts.data(), m_lastTexts.data(), texts.size()) == 0) {
            std::memcpy(ids, m_lastIds, sizeof ids);
            return;
        }
        ids[0] = Intern(0, row.userName);
        ids[1] = Intern(1, row.entryName);
        ids[2] = Intern(2, row.deviceName);
        ids[3] = Intern(3, row.deviceType);
        m_lastTexts = texts;
        std::memcpy(m_lastIds, ids, sizeof ids);
    }

private:
    /// A text as its slot knows it: the length, and for a text of up to sixteen bytes the
    /// bytes as two words, zero beyond the text.
    struct Key {
        std::uint64_t head0 = 0;
        std::uint64_t head1 = 0;
        std::size_t size = ~std::size_t{0};  // no text has this length: an empty slot
    };
    struct Slot {
        Key key;
        const char* bytes = nullptr;
        std::uint32_t id = 0;
    };
    static constexpr int kSlots = 4;
    struct Recent {
        Slot slots[kSlots];
        int next = 0;  // the slot to fill next: the oldest
    };

    /// The masks of the two words of a text of 0-16 bytes.
    static constexpr auto kHeadMasks = [] {
        std::array<std::pair<std::uint64_t, std::uint64_t>, 17> masks{};
        auto low = [](std::size_t bytes) {
            return bytes >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * bytes)) - 1;
        };
        for (std::size_t n = 0; n <= 16; ++n) {
            masks[n] = {low(n), low(n > 8 ? n - 8 : 0)};
        }
        return masks;
    }();

    std::uint32_t InternNew(Recent& recent, std::string_view stored, const Key& key);

    StringPool& m_pool;
    Recent m_recent[4];
    std::string_view m_lastTexts;  // none yet: no record's texts take no bytes
    std::uint32_t m_lastIds[4]{};
};

/// The records of the call list in the order they were added, kept compactly: the numbers of
/// each record and its texts as indexes into one pool. The reserved bytes of the file layout
/// are not kept: nothing the list shows, sorts or exports reads them.
class CallStore {
public:
    /// Appends a copy of the row's record; returns its index.
    std::size_t Append(const CallRow& row);
    std::size_t Append(const CallRecord& record) { return Append(RowOf(record)); }
    /// Appends a record read from a buffer of file bytes, its texts pooled by `interner` (made
    /// over Pool()).
    void AppendPooled(const CallRow& row, BufferInterner& interner) {
        m_calls.push_back(
            StoredCall{row.kind, row.startTime, row.connectedSeconds, row.dialingSeconds, row.price,
                       interner.Intern(0, row.userName), interner.Intern(1, row.entryName),
                       interner.Intern(2, row.deviceName), interner.Intern(3, row.deviceType)});
    }
    /// As AppendPooled, with the record's bytes from its first text's length to its end (see
    /// BufferInterner::InternTexts).
    void AppendPooled(const CallRow& row, std::string_view texts, BufferInterner& interner) {
        std::uint32_t ids[4];
        interner.InternTexts(row, texts, ids);
        m_calls.push_back(StoredCall{row.kind, row.startTime, row.connectedSeconds,
                                     row.dialingSeconds, row.price, ids[0], ids[1], ids[2],
                                     ids[3]});
    }
    StringPool& Pool() { return m_pool; }
    std::size_t Size() const { return m_calls.size(); }
    bool Empty() const { return m_calls.empty(); }
    CallRow Row(std::size_t index) const;
    /// A full copy of one record (reserved bytes zero).
    CallRecord Record(std::size_t index) const;
    /// Adds durations and price to a record in place (the month lines of the sums mode).
    void AddToSums(std::size_t index, std::int32_t connected, std::int32_t dialing, float price);
    void Clear();
    /// Room for `records` records in all, so that appending up to them never moves the store.
    void Reserve(std::size_t records) { m_calls.reserve(records); }
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
