// Feeds arbitrary bytes to the call log reader as a month file: reading must never crash or
// read past the data, and every record it accepts must encode back to the bytes it came from
// (the reserved bytes aside, which a write sets to zero).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "calllog/call_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    ov::CallRecord record;
    while (const std::size_t used = ov::DecodeCallRecord(rest, record)) {
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
    if (ov::WholeRecordsLength(std::string_view(reinterpret_cast<const char*>(data), size)) >
        size) {
        std::abort();
    }
    return 0;
}
