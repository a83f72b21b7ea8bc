#include "viewer/call_store.h"

namespace ov {

StringPool::StringPool() {
    Clear();
}

std::uint32_t StringPool::Intern(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    if (const auto it = m_ids.find(text); it != m_ids.end()) {
        return it->second;
    }
    const auto id = static_cast<std::uint32_t>(m_views.size());
    const auto [it, added] = m_ids.emplace(std::string(text), id);
    m_views.push_back(it->first);
    m_textBytes += it->first.capacity() + 1;
    return id;
}

void StringPool::Clear() {
    m_ids.clear();
    m_views.assign(1, std::string_view());
    m_textBytes = 0;
}

std::size_t StringPool::MemoryBytes() const {
    // Per text: its heap block (when longer than the inline room), the hash node with the
    // string and the index, the bucket and the view.
    constexpr std::size_t kNode = sizeof(void*) + sizeof(std::string) + 8 + sizeof(std::size_t);
    return m_textBytes + m_ids.size() * kNode + m_ids.bucket_count() * sizeof(void*) +
           m_views.capacity() * sizeof(std::string_view);
}

void BufferInterner::Reset() {
    for (Recent& recent : m_recent) {
        recent = Recent{};
    }
    m_lastTexts = {};
}

std::uint32_t BufferInterner::InternNew(Recent& recent, std::string_view stored, const Key& key) {
    // Like the C string it stands for, the text ends at its first zero byte.
    const std::uint32_t id =
        m_pool.Intern(std::string_view(stored.data(), ::strnlen(stored.data(), stored.size())));
    recent.slots[recent.next] = Slot{key, stored.data(), id};
    recent.next = (recent.next + 1) % kSlots;
    return id;
}

std::uint32_t CallStore::InternField(int field, std::string_view text) {
    std::uint32_t* recent = m_recent[field];
    for (int i = 0; i < kRecent; ++i) {
        if (m_pool.Text(recent[i]) == text) {
            // Move it to the front so that the texts in use stay in the cache.
            const std::uint32_t id = recent[i];
            for (int j = i; j > 0; --j) {
                recent[j] = recent[j - 1];
            }
            recent[0] = id;
            return id;
        }
    }
    const std::uint32_t id = m_pool.Intern(text);
    for (int j = kRecent - 1; j > 0; --j) {
        recent[j] = recent[j - 1];
    }
    recent[0] = id;
    return id;
}

std::size_t CallStore::Append(const CallRow& record) {
    m_calls.push_back(
        StoredCall{record.kind, record.startTime, record.connectedSeconds, record.dialingSeconds,
                   record.price, InternField(0, record.userName), InternField(1, record.entryName),
                   InternField(2, record.deviceName), InternField(3, record.deviceType)});
    return m_calls.size() - 1;
}

CallRow CallStore::Row(std::size_t index) const {
    const StoredCall& c = m_calls[index];
    return CallRow{c.kind,
                   c.startTime,
                   c.connectedSeconds,
                   c.dialingSeconds,
                   c.price,
                   m_pool.Text(c.userName),
                   m_pool.Text(c.entryName),
                   m_pool.Text(c.deviceName),
                   m_pool.Text(c.deviceType)};
}

CallRecord CallStore::Record(std::size_t index) const {
    const CallRow row = Row(index);
    CallRecord r;
    r.kind = row.kind;
    r.startTime = row.startTime;
    r.connectedSeconds = row.connectedSeconds;
    r.dialingSeconds = row.dialingSeconds;
    r.price = row.price;
    r.userName = row.userName;
    r.entryName = row.entryName;
    r.deviceName = row.deviceName;
    r.deviceType = row.deviceType;
    return r;
}

void CallStore::AddToSums(std::size_t index, std::int32_t connected, std::int32_t dialing,
                          float price) {
    StoredCall& c = m_calls[index];
    // Wrapping as the 32-bit sums of the month line do, without overflowing a signed number.
    c.connectedSeconds = static_cast<std::int32_t>(static_cast<std::uint32_t>(c.connectedSeconds) +
                                                   static_cast<std::uint32_t>(connected));
    c.dialingSeconds = static_cast<std::int32_t>(static_cast<std::uint32_t>(c.dialingSeconds) +
                                                 static_cast<std::uint32_t>(dialing));
    c.price += price;
}

void CallStore::Clear() {
    m_calls.clear();
    m_pool.Clear();
    for (auto& field : m_recent) {
        for (auto& id : field) {
            id = 0;
        }
    }
}

std::size_t CallStore::MemoryBytes() const {
    return m_calls.capacity() * sizeof(StoredCall) + m_pool.MemoryBytes();
}

}  // namespace ov
