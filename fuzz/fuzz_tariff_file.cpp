// Feeds arbitrary text to the tariff file reader: it must never crash, every tariff it reads
// must be written back whole, and after one writing (which rounds prices to two decimals and
// brings out-of-range times into the file's own form) reading and writing change nothing.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tariff/tariff_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<ov::Tariff> library;
    ov::ParseTariffText(std::string(reinterpret_cast<const char*>(data), size), library);
    std::vector<ov::Tariff> second;
    ov::ParseTariffText(ov::TariffFileText(library), second);
    const std::string written = ov::TariffFileText(second);
    std::vector<ov::Tariff> third;
    ov::ParseTariffText(written, third);
    if (second.size() != library.size() || ov::TariffFileText(third) != written) {
        std::abort();
    }
    return 0;
}
