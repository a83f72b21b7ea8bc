#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ras/ras.h"
#include "settings/program_entry.h"
#include "tariff/tariff.h"

namespace ov {

// The values and rules of the options sheet's pages that need no window: how typed texts are
// read back, the caps of the fields, what enables what. The pages in app/ui apply them.

/// A typed number read back as plain decimal text: leading blanks, a sign and digits; text that
/// is not a number gives 0, as does a number too large for the field.
std::int32_t ReadInteger(std::string_view text);
/// A typed decimal number ("12.5", "12,5"); text that is not a number gives 0.
float ReadDecimal(std::string_view text);

/// The total time limit from its hours and minutes fields: minutes above 59 count as 59.
std::int32_t TotalTimeSeconds(std::int32_t hours, std::int32_t minutes);
/// The two fields of a stored total time; the seconds of it are not shown.
std::int32_t TotalTimeHours(std::int32_t seconds);
std::int32_t TotalTimeMinutes(std::int32_t seconds);

/// Whether the limit of an `EventType` is a time (0 and 1: the unit combo and the time field
/// show) rather than a price (2 and 3: the price field and its currency label show).
constexpr bool LimitIsTime(int eventType) {
    return eventType == 0 || eventType == 1;
}

/// The caps of a tariff row's fields.
constexpr int CapHour(int hour) {
    return hour > 23 ? 23 : hour;
}
constexpr int CapMinute(int minute) {
    return minute > 59 ? 59 : minute;
}
constexpr int CapUnitMinutes(int minutes) {
    return minutes >= 1440 ? 1439 : minutes;
}
/// The decimals of prices: at most 5.
constexpr int CapDecimals(int decimals) {
    return decimals > 5 ? 5 : decimals;
}

/// One row of a day type's bands as the tariff page shows it.
struct BandRow {
    int fromHour = 0;
    int fromMinute = 0;
    int toHour = 0;
    int toMinute = 0;
    float price = 0.0f;
    int minutes = 0;
};
/// Row `row` (0 or 1) of day type `daySet` of a tariff.
BandRow BandRowOf(const Tariff& tariff, int daySet, int row);
/// Stores a row back, with its caps applied.
void StoreBandRow(Tariff& tariff, int daySet, int row, const BandRow& values);
/// Copies what the tariff page's country list takes from a preset: the name, the currency,
/// decimals, country, symbol position and the nine bands.
void TakePreset(Tariff& tariff, const Tariff& preset);

/// The phone-book entry page's buttons for the name in the entry box.
struct EntryButtons {
    bool create = false;
    bool update = false;
    bool remove = false;
};
EntryButtons EntryButtonsFor(bool haveDevices, bool entryExists);

/// One part of a typed address, 0 to 255: a larger number counts as 255, text that is not a
/// number as 0.
std::uint8_t AddressPart(std::string_view text);

/// What the entry page writes into an entry's properties.
struct EntryFields {
    bool serverAssignsAddresses = true;
    std::string areaCode;
    std::string phoneNumber;
    std::string deviceType;
    std::string deviceName;
    std::array<std::uint8_t, 4> address{};       // the entry's address and first name server
    std::array<std::uint8_t, 4> alternateDns{};  // the second name server
};
/// The dwfOptions the entry page stores: the same five options always, and the specific
/// addresses when the server does not assign them.
inline constexpr std::uint32_t kEntryOptionsServerAssigned = 0x2311;
inline constexpr std::uint32_t kEntryOptionsSpecific = 0x2317;
/// The protocols of a fresh entry: IP over PPP, with country code 1.
inline constexpr std::uint32_t kEntryNetProtocolIp = 4;
inline constexpr std::uint32_t kEntryFramingPpp = 1;
/// The properties for a create (`base` null: a fresh entry) or an update of `base`.
RASENTRY BuildEntryProperties(const RASENTRY* base, const EntryFields& fields);
/// The four parts of an address.
std::array<std::uint8_t, 4> AddressParts(const RASIPADDR& address);

/// The programs page's buttons.
struct ProgramButtons {
    bool add = false;
    bool change = false;
    bool remove = false;
};
ProgramButtons ProgramButtonsFor(bool itemSelected, bool editEmpty);

/// Whether a dropped file is a program: an executable regular file.
bool IsProgramFile(const std::string& path);
/// Whether a dropped file joins the list: a program not listed yet (the listed paths compared
/// without regard to case).
bool AcceptsDroppedProgram(const std::vector<ProgramEntry>& programs, const std::string& path);

}  // namespace ov
