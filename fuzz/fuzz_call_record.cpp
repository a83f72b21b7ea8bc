// Feeds arbitrary bytes to the call log reader as a month file: reading must never crash or
// read past the data, and every record it accepts must encode back to the bytes it came from
// (the reserved bytes aside, which a write sets to zero), and the reader that works in place
// must take exactly the same records with the same fields.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "calllog/call_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    ov::CallRecord record;
    while (const std::size_t used = ov::DecodeCallRecord(rest, record)) {
        ov::CallRecordView view;
        if (ov::DecodeCallRecordView(rest, view) != used || view.kind != record.kind ||
            view.startTime != record.startTime || view.userName != record.userName ||
            view.entryName != record.entryName || view.deviceName != record.deviceName ||
            view.deviceType != record.deviceType ||
            std::memcmp(&view.price, &record.price, 4) != 0 ||
            view.connectedSeconds != record.connectedSeconds ||
            view.dialingSeconds != record.dialingSeconds) {
            std::abort();
        }
        std::string original(rest.substr(0, used));
        std::memset(original.data() + 4, 0, 10);
        const std::string encoded = ov::EncodeCallRecord(record);
        // A text with a zero byte inside is cut there when read, so it can only shrink.
        if (encoded.size() > original.size() ||
            (encoded.size() == original.size() && encoded != original)) {
            std::abort();
        }
        rest.remove_prefix(used);
    }
    ov::CallRecordView view;
    if (ov::DecodeCallRecordView(rest, view) != 0) {
        std::abort();  // the copying reader stopped here, so must the one reading in place
    }
    if (ov::WholeRecordsLength(std::string_view(reinterpret_cast<const char*>(data), size)) >
        size) {
        std::abort();
    }
    return 0;
}
