// The options pages' rules that need no window: read-back conversions, caps, what enables
// what, the entry properties the phone-book page writes, and which dropped files are programs.

#include "dialogs/options_rules.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

namespace ov {
namespace {

TEST(OptionsRules, TypedNumbersReadBackAsPlainDecimals) {
    const struct {
        const char* text;
        std::int32_t integer;
        float decimal;
    } cases[] = {
        {"42", 42, 42.0f}, {" 7 ", 7, 7.0f},   {"-3", -3, -3.0f},
        {"+5", 5, 5.0f},   {"12.5", 0, 12.5f}, {"12,5", 0, 12.5f},
        {"abc", 0, 0.0f},  {"", 0, 0.0f},      {"99999999999", 0, 99999999999.0f},
        {"4x", 0, 0.0f},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadInteger(c.text), c.integer) << c.text;
        EXPECT_FLOAT_EQ(ReadDecimal(c.text), c.decimal) << c.text;
    }
}

TEST(OptionsRules, TotalTimeCapsMinutesAndDropsSeconds) {
    const struct {
        std::int32_t hours, minutes, seconds;
    } cases[] = {
        {100, 75, 100 * 3600 + 59 * 60},       {0, 59, 59 * 60}, {1, 0, 3600}, {0, 0, 0},
        {596522, 59, 596522 * 3600 + 59 * 60},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TotalTimeSeconds(c.hours, c.minutes), c.seconds) << c.hours << " h " << c.minutes;
    }
    // A stored total shows without its seconds, and the next read-back drops them.
    const std::int32_t stored = 2 * 3600 + 5 * 60 + 42;
    EXPECT_EQ(TotalTimeHours(stored), 2);
    EXPECT_EQ(TotalTimeMinutes(stored), 5);
    EXPECT_EQ(TotalTimeSeconds(TotalTimeHours(stored), TotalTimeMinutes(stored)), stored - 42);
}

TEST(OptionsRules, LimitKindsShowTimeOrPrice) {
    EXPECT_TRUE(LimitIsTime(0));
    EXPECT_TRUE(LimitIsTime(1));
    EXPECT_FALSE(LimitIsTime(2));
    EXPECT_FALSE(LimitIsTime(3));
}

TEST(OptionsRules, TariffRowsAreCappedWhenStored) {
    Tariff tariff;
    StoreBandRow(tariff, Workdays, 1, {25, 75, 23, 59, 1.5f, 2000});
    const TariffBand band = tariff.Band(SlotIndex(Workdays, 1));
    EXPECT_EQ(band.TimeFrom, 23 * 60 + 59);
    EXPECT_EQ(band.TimeTo, 23 * 60 + 59);
    EXPECT_FLOAT_EQ(band.Price, 1.5f);
    EXPECT_EQ(band.Minuts, 1439);
    const BandRow row = BandRowOf(tariff, Workdays, 1);
    EXPECT_EQ(row.fromHour, 23);
    EXPECT_EQ(row.fromMinute, 59);
    EXPECT_EQ(row.minutes, 1439);
    // The other slots are untouched.
    EXPECT_EQ(tariff.TimeFrom[SlotIndex(Workdays, 0)], Tariff().TimeFrom[0]);
    EXPECT_EQ(tariff.Minuts[SlotIndex(Workdays, 0)], Tariff().Minuts[0]);
    EXPECT_EQ(CapDecimals(9), 5);
    EXPECT_EQ(CapDecimals(3), 3);
}

TEST(OptionsRules, PresetGivesCurrencyAndBands) {
    Tariff preset;
    preset.CurrCompany = "Slovakia";
    preset.CurrName = "Euro";
    preset.CurrShort = "EUR";
    preset.CurrDecName = 3;
    preset.CountryID = 1051;
    preset.CurrAfterNum = 1;
    preset.SetBand(4, {60, 120, 0.25f, 3});
    Tariff tariff;
    TakePreset(tariff, preset);
    EXPECT_EQ(tariff, preset);
}

TEST(OptionsRules, EntryButtonsFollowTheNameAndTheDevices) {
    const struct {
        bool devices, exists;
        EntryButtons expected;
    } cases[] = {
        {true, false, {true, false, false}},
        {true, true, {false, true, true}},
        {false, false, {false, false, false}},
        {false, true, {false, false, true}},
    };
    for (const auto& c : cases) {
        const EntryButtons b = EntryButtonsFor(c.devices, c.exists);
        EXPECT_EQ(b.create, c.expected.create);
        EXPECT_EQ(b.update, c.expected.update);
        EXPECT_EQ(b.remove, c.expected.remove);
    }
}

TEST(OptionsRules, AddressPartsAreCappedAt255) {
    const struct {
        const char* text;
        int part;
    } cases[] = {{"300", 255}, {"255", 255}, {"0", 0}, {"17", 17}, {"x", 0}, {"-4", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(AddressPart(c.text), c.part) << c.text;
    }
}

TEST(OptionsRules, EntryPropertiesForCreateAndUpdate) {
    EntryFields fields;
    fields.serverAssignsAddresses = false;
    fields.areaCode = "02";
    fields.phoneNumber = "555 0100";
    fields.deviceType = "modem";
    fields.deviceName = "Simulated Modem";
    fields.address = {10, 0, 0, 255};
    fields.alternateDns = {8, 8, 4, 4};
    const RASENTRY fresh = BuildEntryProperties(nullptr, fields);
    EXPECT_EQ(fresh.dwSize, 1768u);
    EXPECT_EQ(fresh.dwfOptions, 0x2317u);
    EXPECT_EQ(fresh.dwCountryID, 1u);
    EXPECT_EQ(fresh.dwfNetProtocols, 4u);
    EXPECT_EQ(fresh.dwFramingProtocol, 1u);
    EXPECT_STREQ(fresh.szAreaCode, "02");
    EXPECT_STREQ(fresh.szLocalPhoneNumber, "555 0100");
    EXPECT_STREQ(fresh.szDeviceName, "Simulated Modem");
    EXPECT_EQ(fresh.ipaddr, (RASIPADDR{10, 0, 0, 255}));
    EXPECT_EQ(fresh.ipaddrDns, (RASIPADDR{10, 0, 0, 255}));
    EXPECT_EQ(fresh.ipaddrDnsAlt, (RASIPADDR{8, 8, 4, 4}));

    // An update keeps what the page does not show; a number too long is cut, not overrun.
    RASENTRY base{};
    base.dwCountryID = 421;
    base.dwFrameSize = 1500;
    fields.serverAssignsAddresses = true;
    fields.phoneNumber = std::string(500, '9');
    const RASENTRY updated = BuildEntryProperties(&base, fields);
    EXPECT_EQ(updated.dwfOptions, 0x2311u);
    EXPECT_EQ(updated.dwCountryID, 421u);
    EXPECT_EQ(updated.dwFrameSize, 1500u);
    EXPECT_EQ(std::string(updated.szLocalPhoneNumber).size(),
              sizeof(updated.szLocalPhoneNumber) - 1);
    EXPECT_EQ(AddressParts(updated.ipaddrDnsAlt), (std::array<std::uint8_t, 4>{8, 8, 4, 4}));
}

TEST(OptionsRules, ProgramButtons) {
    const struct {
        bool selected, editEmpty;
        ProgramButtons expected;
    } cases[] = {
        {false, true, {false, false, false}},
        {false, false, {true, false, false}},
        {true, true, {false, false, true}},
        {true, false, {true, true, true}},
    };
    for (const auto& c : cases) {
        const ProgramButtons b = ProgramButtonsFor(c.selected, c.editEmpty);
        EXPECT_EQ(b.add, c.expected.add);
        EXPECT_EQ(b.change, c.expected.change);
        EXPECT_EQ(b.remove, c.expected.remove);
    }
}

TEST(OptionsRules, OnlyProgramsNotListedYetAreDropped) {
    test::TempDir dir;
    const std::string program = dir.File("dialer");
    const std::string text = dir.File("notes.txt");
    const std::string folder = dir.File("bin");
    test::WriteFileOrDie(program, "#!/bin/sh\n");
    test::WriteFileOrDie(text, "hello\n");
    ASSERT_EQ(chmod(program.c_str(), 0700), 0);
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    std::vector<ProgramEntry> list;
    EXPECT_TRUE(AcceptsDroppedProgram(list, program));
    EXPECT_FALSE(AcceptsDroppedProgram(list, text));
    EXPECT_FALSE(AcceptsDroppedProgram(list, folder));  // executable, but no regular file
    EXPECT_FALSE(AcceptsDroppedProgram(list, dir.File("missing")));
    list.push_back({program, 0, 0});
    EXPECT_FALSE(AcceptsDroppedProgram(list, program));
    list.back().path = dir.Path() + "/DIALER";  // listed in another case: the same program
    EXPECT_FALSE(AcceptsDroppedProgram(list, program));
}

}  // namespace
}  // namespace ov
