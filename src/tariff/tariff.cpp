#include "tariff/tariff.h"

#include <cassert>

namespace ov {

TariffBand Tariff::Band(int slot) const {
    assert(slot >= 0 && slot < kTariffSlots);
    const auto i = static_cast<std::size_t>(slot);
    return {TimeFrom[i], TimeTo[i], Price[i], Minuts[i]};
}

void Tariff::SetBand(int slot, const TariffBand& band) {
    assert(slot >= 0 && slot < kTariffSlots);
    const auto i = static_cast<std::size_t>(slot);
    TimeFrom[i] = band.TimeFrom;
    TimeTo[i] = band.TimeTo;
    Price[i] = band.Price;
    Minuts[i] = band.Minuts;
}

}  // namespace ov
