// Feeds arbitrary text to the tariff file reader: it must never crash, and a library it reads
// must come back the same from the text the program would write for it (prices to two
// decimals, so those are compared as written).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tariff/tariff_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<ov::Tariff> library;
    ov::ParseTariffText(std::string(reinterpret_cast<const char*>(data), size), library);
    const std::string written = ov::TariffFileText(library);
    std::vector<ov::Tariff> again;
    ov::ParseTariffText(written, again);
    if (again.size() != library.size() || ov::TariffFileText(again) != written) {
        std::abort();
    }
    return 0;
}
