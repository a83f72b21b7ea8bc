#include "settings/settings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <type_traits>

#include "settings/registry_key.h"
#include "tariff/tariff_file.h"

namespace ov {

namespace {

constexpr const char* kLanguageKey = "System\\CurrentControlSet\\Control\\Nls\\Language";

std::uint32_t Access(bool save) {
    return save ? KEY_WRITE : KEY_READ;
}

/// Exchanges a fixed-size record as its bytes: read with the record's size as capacity, so a
/// longer stored value is not read and a shorter one overwrites only its own length.
template <typename Record>
bool ExchangeRecord(RegistryKey& key, const char* name, Record& record, bool save) {
    static_assert(std::is_trivially_copyable_v<Record>);
    std::uint32_t size = sizeof record;
    return key.ExchangeBinary(name, &record, &size, save);
}

std::string Subkey(const char* parent, const std::string& name) {
    return std::string(parent) + "\\" + name;
}

/// A stored count as a loop bound: never more than a damaged value could make us allocate.
std::int32_t LoopBound(std::int32_t count) {
    return std::min(count, kMaxStoredItems);
}

/// The selection of a copied list: the same index when it is in the source list, else item 0.
template <typename Item>
int CopiedSelection(const SelectableList<Item>& source) {
    const int index = source.SelectedIndex();
    return index < 0 ? 0 : index;
}

/// A loaded selection: the stored index when it is a position in the list, else item 0.
template <typename Item>
void Select(SelectableList<Item>& list, std::int32_t index) {
    list.selected = index >= 0 && static_cast<std::size_t>(index) < list.items.size() ? index : 0;
}

}  // namespace

std::uint32_t SystemLanguageFromRegistry() {
    RegistryKey key(HKEY_LOCAL_MACHINE, kLanguageKey);
    std::string text;
    if (!key.Open(HKEY_LOCAL_MACHINE, kLanguageKey, KEY_READ) || !key.ReadString(nullptr, text)) {
        return 0;
    }
    return static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 16));
}

Settings::Settings(const TextSource& texts, const PhoneBookLists* phoneBook,
                   const ScreenMetrics* screen)
    : m_texts(texts), m_phoneBook(phoneBook), m_screen(screen) {
    ResetToDefaults();
}

void Settings::RefreshLanguageTexts() {
    // Item 0 of each list always stands for all values (loading makes sure of it).
    const std::pair<TextList*, int> lists[] = {{&ListUsers, kAllUsersEntry},
                                               {&ListDNames, kAllDeviceNamesEntry},
                                               {&ListDTypes, kAllDeviceTypesEntry},
                                               {&ListEntries, kAllEntriesEntry}};
    for (const auto& [list, entry] : lists) {
        if (!list->items.empty()) {
            list->items[0] = m_texts.Entry(entry);
        }
    }
}

ScreenSize Settings::Screen() const {
    return m_screen ? m_screen->PrimaryScreen() : FixedScreenMetrics().PrimaryScreen();
}

void Settings::ResetToDefaults() {
    std::string tariffFile = std::move(TariffFile);
    static_cast<SettingsValues&>(*this) = SettingsValues{};
    TariffFile = std::move(tariffFile);

    EventWndX = Screen().width - 150;

    PrintPage = FreshPageRecord();
    PrintPage.SetHeaderText(m_texts.Entry(kPageHeaderEntry));
    PrintPage.SetFooterText("#d  #t#|#|Orvanta");
    PrintPage.leftMargin = 1500;
    PrintPage.rightMargin = 2000;
    PrintPage.topMargin = 1500;
    PrintPage.bottomMargin = 2500;
    PrintPage.headerPosition = 750;
    PrintPage.footerPosition = 1250;
    PrintPage.orientation = 2;  // landscape
    PrintPage.paperHeight = 20320;
    PrintPage.paperWidth = 28101;

    Months.items = {MonthItem{kMonthAll, 0, 0}, MonthItem{kMonthSums, 0, 0}};
    Months.selected = 0;
    ListUsers = {{m_texts.Entry(kAllUsersEntry)}, 0};
    ListDNames = {{m_texts.Entry(kAllDeviceNamesEntry)}, 0};
    ListDTypes = {{m_texts.Entry(kAllDeviceTypesEntry)}, 0};
    ListEntries = {{m_texts.Entry(kAllEntriesEntry)}, 0};
    Programs.clear();

    if (m_phoneBook && m_phoneBook->Status() == 0) {
        for (const auto& name : m_phoneBook->DeviceNames()) {
            AddDeviceName(name);
        }
        for (const auto& type : m_phoneBook->DeviceTypes()) {
            AddDeviceType(type);
        }
        for (const auto& name : m_phoneBook->EntryNames()) {
            AddEntry(name);
        }
    }
}

void Settings::PickTariffForSystemLanguage() {
    std::vector<Tariff> library;
    ReadTariffFile(TariffFile, library);
    const auto language = static_cast<std::int32_t>(SystemLanguageFromRegistry());
    const auto match = std::find_if(library.begin(), library.end(),
                                    [&](const Tariff& t) { return t.CountryID == language; });
    if (match != library.end()) {
        CurrentTariff = *match;
    }
}

void Settings::Exchange(bool save) {
    ExchangePrograms(save);
    ExchangeMonths(save);
    ExchangeList(kListUsers, ListUsers, save, m_texts.Entry(kAllUsersEntry), true);
    ExchangeList(kListDNames, ListDNames, save, m_texts.Entry(kAllDeviceNamesEntry), false);
    ExchangeList(kListDTypes, ListDTypes, save, m_texts.Entry(kAllDeviceTypesEntry), false);
    ExchangeList(kListEntries, ListEntries, save, m_texts.Entry(kAllEntriesEntry), false);
    ExchangeViewAndPrint(save);
    ExchangeTariff(save);
    ExchangeEvents(save);
    ExchangePositions(save);
    ExchangeCalls(save);
}

void Settings::ExchangeCalls(bool save) {
    RegistryKey user(HKEY_CURRENT_USER, kMainKey);
    if (user.Open(HKEY_CURRENT_USER, kMainKey, Access(save))) {
        user.ExchangeString(kCallConnectionsValue, CallConnections, save);
    }
}

CallRule Settings::CallRuleSetting() const {
    return ParseCallRule(CallConnections).value_or(CallRule{});
}

void Settings::ExchangePrograms(bool save) {
    RegistryKey key(HKEY_LOCAL_MACHINE, kProgramsKey);
    auto count = static_cast<std::int32_t>(Programs.size());
    if (!key.Open(HKEY_LOCAL_MACHINE, kProgramsKey, Access(save)) ||
        !key.ExchangeNumber("Count", count, save)) {
        return;
    }
    if (save) {
        // Keys of higher numbers from earlier saves stay; Count tells how many are in use.
        for (std::size_t n = 0; n < Programs.size(); ++n) {
            const std::string path = Subkey(kProgramsKey, "Exe" + std::to_string(n));
            RegistryKey program(HKEY_LOCAL_MACHINE, path);
            if (program.Open(HKEY_LOCAL_MACHINE, path, KEY_WRITE)) {
                program.WriteString("Path", Programs[n].path);
                program.WriteNumber("Style", static_cast<std::uint32_t>(Programs[n].style));
                program.WriteNumber("Exit", static_cast<std::uint32_t>(Programs[n].exit));
            }
        }
        return;
    }
    Programs.clear();
    for (std::int32_t n = 0; n < LoopBound(count); ++n) {
        const std::string path = Subkey(kProgramsKey, "Exe" + std::to_string(n));
        RegistryKey program(HKEY_LOCAL_MACHINE, path);
        if (!program.Open(HKEY_LOCAL_MACHINE, path, KEY_READ)) {
            continue;  // a program whose key is gone is dropped
        }
        ProgramEntry entry;
        std::int32_t style = entry.style;
        std::int32_t exit = entry.exit;
        program.ReadString("Path", entry.path);
        program.ReadNumber("Style", style);
        program.ReadNumber("Exit", exit);
        entry.style = style;
        entry.exit = exit;
        Programs.push_back(std::move(entry));
    }
}

void Settings::ExchangeMonths(bool save) {
    RegistryKey key(HKEY_LOCAL_MACHINE, kMonthsKey);
    auto count = static_cast<std::int32_t>(Months.items.size());
    if (!key.Open(HKEY_LOCAL_MACHINE, kMonthsKey, Access(save)) ||
        !key.ExchangeNumber("Count", count, save)) {
        return;
    }
    if (save) {
        for (std::size_t i = 0; i < Months.items.size(); ++i) {
            ExchangeRecord(key, ("Dt_" + std::to_string(i)).c_str(), Months.items[i], true);
        }
        return;
    }
    Months.items.clear();
    for (std::int32_t i = 0; i < LoopBound(count); ++i) {
        MonthItem item{0, 0, 0};  // stays zero when its value is missing
        ExchangeRecord(key, ("Dt_" + std::to_string(i)).c_str(), item, false);
        Months.items.push_back(item);
    }
}

void Settings::ExchangeList(const char* listName, TextList& list, bool save,
                            const std::string& allText, bool clearFirst) {
    const std::string path = Subkey(kMainKey, listName);
    RegistryKey key(HKEY_LOCAL_MACHINE, path);
    auto count = static_cast<std::int32_t>(list.items.size());
    if (!key.Open(HKEY_LOCAL_MACHINE, path, Access(save)) ||
        !key.ExchangeNumber("Count", count, save)) {
        return;
    }
    if (save) {
        // Item 0 is the "all" entry; its text comes from the language pack, not the registry.
        for (std::size_t i = 1; i < list.items.size(); ++i) {
            key.WriteString(("Str" + std::to_string(i)).c_str(), list.items[i]);
        }
        return;
    }
    const auto holds = [&list](const std::string& text) {
        return std::find(list.items.begin(), list.items.end(), text) != list.items.end();
    };
    if (clearFirst) {
        list.items.clear();
    }
    if (!holds(allText)) {
        list.items.push_back(allText);
    }
    for (std::int32_t i = 1; i < LoopBound(count); ++i) {
        std::string text;  // empty when the value is missing
        key.ReadString(("Str" + std::to_string(i)).c_str(), text);
        if (!holds(text)) {
            list.items.push_back(std::move(text));
        }
    }
}

void Settings::ExchangeViewAndPrint(bool save) {
    {
        RegistryKey machine(HKEY_LOCAL_MACHINE, kMainKey);
        if (machine.Open(HKEY_LOCAL_MACHINE, kMainKey, Access(save))) {
            machine.ExchangeNumber("AutoOpen", AutoOpen, save);
        }
    }
    RegistryKey user(HKEY_CURRENT_USER, kMainKey);
    if (!user.Open(HKEY_CURRENT_USER, kMainKey, Access(save))) {
        return;
    }
    ExchangeRecord(user, "Columns", Columns, save);
    ExchangeRecord(user, "PrintHCol", PrintHCol, save);
    ExchangeRecord(user, "PrintTCol", PrintTCol, save);
    ExchangeRecord(user, "PrintHFont", PrintHFont, save);
    ExchangeRecord(user, "PrintTFont", PrintTFont, save);
    ExchangeRecord(user, "PrintPage", PrintPage, save);
    if (!save) {
        // A stored record may end its texts nowhere; every reader expects them ended.
        PrintHFont.Terminate();
        PrintTFont.Terminate();
        PrintPage.Terminate();
        PrintPage.BringIntoRange();
    }
    user.ExchangeNumber("ShowStartMon", ShowStartMon, save);
    user.ExchangeNumber("ShowStopMon", ShowStopMon, save);
    user.ExchangeNumber("ShowConnEvnt", ShowConnEvnt, save);
    user.ExchangeNumber("ShowDiscEvnt", ShowDiscEvnt, save);
    user.ExchangeNumber("PrintHLines", PrintHLines, save);
    user.ExchangeNumber("PrintVLines", PrintVLines, save);
    user.ExchangeNumber("PrintBorders", PrintBorders, save);
    user.ExchangeNumber("PrintTotSum", PrintTotSum, save);
    user.ExchangeNumber("PrintMonSum", PrintMonSum, save);
    user.ExchangeNumber("PrintGraph", PrintGraph, save);
}

void Settings::ExchangeTariff(bool save) {
    Tariff& t = CurrentTariff;
    {
        RegistryKey bands(HKEY_LOCAL_MACHINE, kTariffKey);
        if (bands.Open(HKEY_LOCAL_MACHINE, kTariffKey, Access(save))) {
            ExchangeRecord(bands, "TimeFrom", t.TimeFrom, save);
            ExchangeRecord(bands, "TimeTo", t.TimeTo, save);
            ExchangeRecord(bands, "Minuts", t.Minuts, save);
            ExchangeRecord(bands, "Price", t.Price, save);
        }
    }
    RegistryKey main(HKEY_LOCAL_MACHINE, kMainKey);
    if (!main.Open(HKEY_LOCAL_MACHINE, kMainKey, Access(save))) {
        return;
    }
    main.ExchangeNumber("CountryID", t.CountryID, save);
    main.ExchangeString("CurrCompany", t.CurrCompany, save);
    main.ExchangeNumber("CurrAfterNum", t.CurrAfterNum, save);
    main.ExchangeNumber("CurrDecName", t.CurrDecName, save);
    main.ExchangeString("CurrName", t.CurrName, save);
    main.ExchangeString("CurrShort", t.CurrShort, save);
}

void Settings::ExchangeEvents(bool save) {
    {
        RegistryKey user(HKEY_CURRENT_USER, kMainKey);
        if (user.Open(HKEY_CURRENT_USER, kMainKey, Access(save))) {
            user.ExchangeNumber("EventWndX", EventWndX, save);
            user.ExchangeNumber("EventWndY", EventWndY, save);
            user.ExchangeNumber("ShowEvnWnd", ShowEvnWnd, save);
            user.ExchangeNumber("HideEvnWnd", HideEvnWnd, save);
            user.ExchangeNumber("HangUpAutomatically", HangUpAutomatically, save);
            user.ExchangeNumber("HangUpTimeout", HangUpTimeout, save);
            user.ExchangeNumber("NotPromptHangUp", NotPromptHangUp, save);
        }
    }
    {
        RegistryKey machine(HKEY_LOCAL_MACHINE, kMainKey);
        if (machine.Open(HKEY_LOCAL_MACHINE, kMainKey, Access(save))) {
            machine.ExchangeNumber("EventTotTime", EventTotTime, save);
            ExchangeRecord(machine, "EventTotPrice", EventTotPrice, save);
            machine.ExchangeNumber("EventUseNotification", EventUseNotification, save);
            machine.ExchangeNumber("EventType", EventType, save);
            machine.ExchangeNumber("EventValueType", EventValueType, save);
            ExchangeRecord(machine, "EventPrice", EventPrice, save);
            machine.ExchangeNumber("EventTime", EventTime, save);
        }
    }
    // Without a screen there is no edge to keep the display on: a stored position stays as
    // it is, so that a program without windows does not move the windows' display.
    if (!save && m_screen != nullptr) {
        const ScreenSize screen = Screen();
        if (EventWndX > screen.width - 20) {
            EventWndX = screen.width - 150;
        }
        if (EventWndY > screen.height - 20) {
            EventWndY = 0;
        }
    }
}

void Settings::ExchangePositions(bool save) {
    RegistryKey user(HKEY_CURRENT_USER, kMainKey);
    if (user.Open(HKEY_CURRENT_USER, kMainKey, Access(save))) {
        std::int32_t positions[5] = {Months.SelectedIndex(), ListUsers.SelectedIndex(),
                                     ListDNames.SelectedIndex(), ListDTypes.SelectedIndex(),
                                     ListEntries.SelectedIndex()};
        if (!save) {
            std::fill(std::begin(positions), std::end(positions), 0);
        }
        user.ExchangeNumber("PosTime", positions[0], save);
        user.ExchangeNumber("PosUser", positions[1], save);
        user.ExchangeNumber("PosDevName", positions[2], save);
        user.ExchangeNumber("PosDevType", positions[3], save);
        user.ExchangeNumber("PosEntry", positions[4], save);
        user.ExchangeNumber("PosSprliter", PosSprliter, save);
        ExchangeRecord(user, "WinPos", WinPos, save);
        if (!save) {
            Select(Months, positions[0]);
            Select(ListUsers, positions[1]);
            Select(ListDNames, positions[2]);
            Select(ListDTypes, positions[3]);
            Select(ListEntries, positions[4]);
        }
    }
    if (!save && m_positionsLoaded) {
        m_positionsLoaded();
    }
}

bool Settings::AddMonth(int year, int month) {
    const MonthItem item{kMonthOne, static_cast<std::uint8_t>(month),
                         static_cast<std::int16_t>(year)};
    const bool listed = std::any_of(Months.items.begin(), Months.items.end(), [&](const auto& m) {
        return m.month == item.month && m.year == item.year;
    });
    if (listed) {
        return false;
    }
    Months.items.push_back(item);
    ExchangeMonths(true);
    return true;
}

bool Settings::AddText(const char* listName, TextList& list, int allEntry,
                       const std::string& text) {
    if (std::find(list.items.begin(), list.items.end(), text) != list.items.end()) {
        return false;
    }
    list.items.push_back(text);
    ExchangeList(listName, list, true, m_texts.Entry(allEntry), false);
    return true;
}

bool Settings::AddUser(const std::string& text) {
    return AddText(kListUsers, ListUsers, kAllUsersEntry, text);
}

bool Settings::AddDeviceName(const std::string& text) {
    return AddText(kListDNames, ListDNames, kAllDeviceNamesEntry, text);
}

bool Settings::AddEntry(const std::string& text) {
    return AddText(kListEntries, ListEntries, kAllEntriesEntry, text);
}

bool Settings::AddDeviceType(const std::string& text) {
    return AddText(kListDTypes, ListDTypes, kAllDeviceTypesEntry, text);
}

void Settings::CopyFrom(const Settings& other) {
    if (&other == this) {
        return;
    }
    static_cast<SettingsValues&>(*this) = other;
    Months.selected = CopiedSelection(other.Months);
    ListUsers.selected = CopiedSelection(other.ListUsers);
    ListDNames.selected = CopiedSelection(other.ListDNames);
    ListDTypes.selected = CopiedSelection(other.ListDTypes);
    ListEntries.selected = CopiedSelection(other.ListEntries);
}

}  // namespace ov
