#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace ov {

/// How many band slots a tariff holds: three day sets of three rows.
inline constexpr int kTariffSlots = 9;
/// Rows per day set; slot index = kRowsPerSet * set + row.
inline constexpr int kRowsPerSet = 3;

/// The day sets of a tariff.
enum DaySet : int {
    EveryDay = 0,  // any day whose own set has no active slot
    Workdays = 1,  // Monday to Friday, local calendar
    Weekend = 2,   // Saturday and Sunday
};

/// Slot index of a row (0-2) of a day set.
constexpr int SlotIndex(int set, int row) {
    return kRowsPerSet * set + row;
}

/// One band slot of a tariff, gathered from the tariff's four parallel arrays.
struct TariffBand {
    std::int16_t TimeFrom = 0;   // first minute of the band after local midnight
    std::int16_t TimeTo = 1439;  // last minute of the band, inclusive
    float Price = 0.0f;          // price of one charging unit
    std::int16_t Minuts = 1;     // length of one charging unit in minutes
};

/// A slot prices calls only with a positive unit and a price that is not exactly 0. A unit
/// below 0 can reach the registry directly; it would make the pricing loop run backwards, so
/// such a slot counts as inactive like a unit of 0.
constexpr bool IsActive(const TariffBand& band) {
    return band.Minuts > 0 && band.Price != 0.0f;
}

namespace detail {
template <typename T>
constexpr std::array<T, kTariffSlots> FilledSlots(T value) {
    std::array<T, kTariffSlots> filled{};
    filled.fill(value);
    return filled;
}
}  // namespace detail

/// What a call costs: currency settings and nine band slots. A plain record: the settings
/// store and the tariff file exchange it field by field, the slots as four parallel arrays in
/// their order of storage (all TimeFrom, all TimeTo, all Price, all Minuts).
struct Tariff {
    std::string CurrCompany = "User defined";  // the provider the tariff describes
    std::string CurrName = "Dolar";            // currency name
    std::string CurrShort = "$";               // currency symbol written next to prices
    std::array<std::int16_t, kTariffSlots> TimeFrom = detail::FilledSlots<std::int16_t>(0);
    std::array<std::int16_t, kTariffSlots> TimeTo = detail::FilledSlots<std::int16_t>(1439);
    std::array<float, kTariffSlots> Price = detail::FilledSlots(0.0f);
    std::array<std::int16_t, kTariffSlots> Minuts = detail::FilledSlots<std::int16_t>(1);
    std::int32_t CurrDecName = 2;   // decimals of shown prices
    std::int32_t CountryID = 0;     // language identifier the tariff is meant for (1033, 1051…)
    std::int32_t CurrAfterNum = 0;  // 1: symbol after the number; 0: before it

    /// The band in `slot` (0-8).
    TariffBand Band(int slot) const;
    /// Stores `band` into `slot` (0-8).
    void SetBand(int slot, const TariffBand& band);
    /// Whether the band in `slot` prices calls.
    bool IsSlotActive(int slot) const { return IsActive(Band(slot)); }

    bool operator==(const Tariff&) const = default;
};

}  // namespace ov
