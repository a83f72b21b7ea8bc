#include "dialogs/options_rules.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace ov {

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())) != 0) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())) != 0) {
        text.remove_suffix(1);
    }
    return text;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

template <std::size_t N>
void CopyText(char (&field)[N], const std::string& text) {
    const std::size_t length = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

RASIPADDR MakeAddress(const std::array<std::uint8_t, 4>& parts) {
    return RASIPADDR{parts[0], parts[1], parts[2], parts[3]};
}

}  // namespace

std::int32_t ReadInteger(std::string_view text) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return 0;
    }
    return value;
}

float ReadDecimal(std::string_view text) {
    std::string copy(Trimmed(text));
    std::replace(copy.begin(), copy.end(), ',', '.');
    if (!copy.empty() && copy.front() == '+') {
        copy.erase(0, 1);
    }
    float value = 0.0f;
    const auto [end, error] =
        std::from_chars(copy.data(), copy.data() + copy.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != copy.data() + copy.size()) {
        return 0.0f;
    }
    return value;
}

std::int32_t TotalTimeSeconds(std::int32_t hours, std::int32_t minutes) {
    const std::int64_t total = static_cast<std::int64_t>(hours) * 3600 +
                               static_cast<std::int64_t>(CapMinute(minutes)) * 60;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(total, INT32_MIN, INT32_MAX));
}

std::int32_t TotalTimeHours(std::int32_t seconds) {
    return seconds / 3600;
}

std::int32_t TotalTimeMinutes(std::int32_t seconds) {
    return seconds / 60 - TotalTimeHours(seconds) * 60;
}

BandRow BandRowOf(const Tariff& tariff, int daySet, int row) {
    const TariffBand band = tariff.Band(SlotIndex(daySet, row));
    return {band.TimeFrom / 60, band.TimeFrom % 60, band.TimeTo / 60,
            band.TimeTo % 60,   band.Price,         band.Minuts};
}

void StoreBandRow(Tariff& tariff, int daySet, int row, const BandRow& values) {
    TariffBand band;
    band.TimeFrom = static_cast<std::int16_t>(CapHour(std::max(values.fromHour, 0)) * 60 +
                                              CapMinute(std::max(values.fromMinute, 0)));
    band.TimeTo = static_cast<std::int16_t>(CapHour(std::max(values.toHour, 0)) * 60 +
                                            CapMinute(std::max(values.toMinute, 0)));
    band.Price = values.price;
    band.Minuts = static_cast<std::int16_t>(CapUnitMinutes(std::max(values.minutes, 0)));
    tariff.SetBand(SlotIndex(daySet, row), band);
}

void TakePreset(Tariff& tariff, const Tariff& preset) {
    tariff.CurrCompany = preset.CurrCompany;
    tariff.CurrName = preset.CurrName;
    tariff.CurrShort = preset.CurrShort;
    tariff.CurrDecName = preset.CurrDecName;
    tariff.CountryID = preset.CountryID;
    tariff.CurrAfterNum = preset.CurrAfterNum;
    tariff.TimeFrom = preset.TimeFrom;
    tariff.TimeTo = preset.TimeTo;
    tariff.Price = preset.Price;
    tariff.Minuts = preset.Minuts;
}

EntryButtons EntryButtonsFor(bool haveDevices, bool entryExists) {
    return {haveDevices && !entryExists, haveDevices && entryExists, entryExists};
}

std::uint8_t AddressPart(std::string_view text) {
    const std::int32_t value = ReadInteger(text);
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

RASENTRY BuildEntryProperties(const RASENTRY* base, const EntryFields& fields) {
    RASENTRY entry{};
    if (base != nullptr) {
        entry = *base;
    } else {
        entry.dwCountryID = 1;
        entry.dwfNetProtocols = kEntryNetProtocolIp;
        entry.dwFramingProtocol = kEntryFramingPpp;
    }
    entry.dwSize = sizeof(RASENTRY);
    entry.dwfOptions =
        fields.serverAssignsAddresses ? kEntryOptionsServerAssigned : kEntryOptionsSpecific;
    CopyText(entry.szAreaCode, fields.areaCode);
    CopyText(entry.szLocalPhoneNumber, fields.phoneNumber);
    CopyText(entry.szDeviceType, fields.deviceType);
    CopyText(entry.szDeviceName, fields.deviceName);
    entry.ipaddr = MakeAddress(fields.address);
    entry.ipaddrDns = MakeAddress(fields.address);
    entry.ipaddrDnsAlt = MakeAddress(fields.alternateDns);
    return entry;
}

std::array<std::uint8_t, 4> AddressParts(const RASIPADDR& address) {
    return {address.a, address.b, address.c, address.d};
}

ProgramButtons ProgramButtonsFor(bool itemSelected, bool editEmpty) {
    return {!editEmpty, itemSelected && !editEmpty, itemSelected};
}

bool IsProgramFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

bool AcceptsDroppedProgram(const std::vector<ProgramEntry>& programs, const std::string& path) {
    if (!IsProgramFile(path)) {
        return false;
    }
    return std::none_of(programs.begin(), programs.end(),
                        [&](const ProgramEntry& entry) { return EqualNoCase(entry.path, path); });
}

}  // namespace ov
