// Feeds arbitrary bytes to the hive file parser: it must never crash, and what it accepts must
// be written and read back to the same text.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/registry/hive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kRoot = "HKEY_CURRENT_USER";
    const auto hive = ov::ParseHive(text, kRoot);
    if (!hive) {
        return 0;
    }
    const std::string saved = ov::SerializeHive(*hive, kRoot);
    const auto again = ov::ParseHive(saved, kRoot);
    if (!again || ov::SerializeHive(*again, kRoot) != saved) {
        std::abort();
    }
    return 0;
}
