#include "calllog/call_record.h"

#include <bit>

namespace ov {

namespace {

static_assert(std::endian::native == std::endian::little,
              "call log files are little-endian and are read and written as memory images");
static_assert(sizeof(float) == 4);

/// A stream that appends to a string.
class StringWriter {
public:
    explicit StringWriter(std::string& out) : m_out(out) {}
    bool Transfer(const void* data, std::size_t size) {
        m_out.append(static_cast<const char*>(data), size);
        return true;
    }

private:
    std::string& m_out;
};

/// A stream over bytes already in memory; counts what it took.
class MemoryReader {
public:
    explicit MemoryReader(std::string_view bytes) : m_bytes(bytes) {}
    bool Transfer(void* data, std::size_t size) {
        if (m_bytes.size() - m_used < size) {
            return false;
        }
        std::memcpy(data, m_bytes.data() + m_used, size);
        m_used += size;
        return true;
    }
    /// The next `size` bytes as a text that ends at its first zero byte, as a C string does.
    bool TakeText(std::string& text, std::size_t size) {
        if (m_bytes.size() - m_used < size) {
            return false;
        }
        const char* start = m_bytes.data() + m_used;
        text.assign(start, ::strnlen(start, size));
        m_used += size;
        return true;
    }
    std::size_t Used() const { return m_used; }

private:
    std::string_view m_bytes;
    std::size_t m_used = 0;
};

}  // namespace

std::string EncodeCallRecord(const CallRecord& record) {
    std::string out;
    out.reserve(kCallRecordMinSize + record.userName.size() + record.entryName.size() +
                record.deviceName.size() + record.deviceType.size());
    StringWriter writer(out);
    CallRecord copy = record;
    TransferCallRecord(writer, copy, true);
    return out;
}

std::size_t DecodeCallRecord(std::string_view bytes, CallRecord& record) {
    MemoryReader reader(bytes);
    return TransferCallRecord(reader, record, false) ? reader.Used() : 0;
}

std::size_t DecodeCallRecordView(std::string_view bytes, CallRecordView& view) {
    const std::size_t used = DecodeCallRecordStored(bytes, view);
    if (used == 0) {
        return 0;
    }
    for (std::string_view* text :
         {&view.userName, &view.entryName, &view.deviceName, &view.deviceType}) {
        text->remove_suffix(text->size() - ::strnlen(text->data(), text->size()));
    }
    return used;
}

CallRecordView ViewOf(const CallRecord& record) {
    return CallRecordView{record.kind,           record.startTime,  record.connectedSeconds,
                          record.dialingSeconds, record.price,      record.userName,
                          record.entryName,      record.deviceName, record.deviceType};
}

std::size_t WholeRecordsLength(std::string_view bytes) {
    std::size_t offset = 0;
    CallRecordView record;
    while (const std::size_t used = DecodeCallRecordView(bytes.substr(offset), record)) {
        offset += used;
    }
    return offset;
}

}  // namespace ov
