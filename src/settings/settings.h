#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ras/call_rule.h"
#include "platform/text_source.h"
#include "settings/page_record.h"
#include "settings/phone_book_lists.h"
#include "settings/program_entry.h"
#include "settings/screen_metrics.h"
#include "settings/stored_records.h"
#include "tariff/tariff.h"

namespace ov {

/// Key paths of the settings below both roots.
inline constexpr const char* kMainKey = "Software\\Quorvex\\Orvanta";
inline constexpr const char* kTariffKey = "Software\\Quorvex\\Orvanta\\Entries\\Time0";
inline constexpr const char* kMonthsKey = "Software\\Quorvex\\Orvanta\\Dates";
inline constexpr const char* kProgramsKey = "Software\\Quorvex\\Orvanta\\ExeFiles";

/// Names of the four text lists; each is a key below the main key.
inline constexpr const char* kListUsers = "ListUsers";
inline constexpr const char* kListDNames = "ListDNames";
inline constexpr const char* kListDTypes = "ListDTypes";
inline constexpr const char* kListEntries = "ListEntries";

/// The user's value that says which active connections are calls.
inline constexpr const char* kCallConnectionsValue = "CallConnections";

/// Text-table entries of the "all" items of the text lists and of the default page header.
inline constexpr int kAllUsersEntry = 53;
inline constexpr int kAllDeviceNamesEntry = 54;
inline constexpr int kAllEntriesEntry = 55;
inline constexpr int kAllDeviceTypesEntry = 56;
inline constexpr int kPageHeaderEntry = 50;

/// How many items a stored list count may ask for at most. Far above anything the program
/// itself stores; a damaged count beyond it would otherwise exhaust memory while loading.
inline constexpr std::int32_t kMaxStoredItems = 65536;

/// A filter list of the call list with its selected item, kept as an index into the list.
template <typename Item>
struct SelectableList {
    std::vector<Item> items;
    int selected = 0;

    /// The index of the selected item, or -1 when the selection is not a position in the list.
    int SelectedIndex() const {
        return selected >= 0 && static_cast<std::size_t>(selected) < items.size() ? selected : -1;
    }
    bool operator==(const SelectableList&) const = default;
};

using TextList = SelectableList<std::string>;
using MonthList = SelectableList<MonthItem>;

/// Indexes into SettingsValues::EventColors.
enum EventColor : int {
    kEventBackground = 0,      // the live display's background
    kEventTextBackground = 1,  // behind the texts
    kEventValueText = 2,       // the figures
    kEventBar = 3,             // the bar of the unit's progress
    kEventCaptionText = 4,     // the captions
};

/// Every value the settings hold. Members named as their registry values hold those values.
struct SettingsValues {
    // Machine: the tariff file, the tariff and currency (main key and tariff key).
    // Fixed for the run: the tariff library (AppPaths::tariffFile), as start-up names it.
    std::string TariffFile;
    Tariff CurrentTariff;

    // Machine, main key.
    std::int32_t AutoOpen = 1;
    std::int32_t EventTotTime = 0;  // seconds since the total limit last fired
    float EventTotPrice = 0.0f;
    std::int32_t EventUseNotification = 0;
    std::int32_t EventType = 0;
    std::int32_t EventValueType = 0;
    float EventPrice = 0.0f;
    std::int32_t EventTime = 0;

    // Machine, their own keys.
    std::vector<ProgramEntry> Programs;
    MonthList Months;
    TextList ListUsers;
    TextList ListDNames;
    TextList ListDTypes;
    TextList ListEntries;

    // User, main key: view and print.
    std::array<std::int32_t, 9> Columns{1, 1, 1, 0, 1, 0, 1, 0, 0};
    COLORREF PrintHCol = 0;
    COLORREF PrintTCol = 0;
    LogFont PrintHFont = LogFont::Make("Times New Roman", -14, 700, 1);
    LogFont PrintTFont = LogFont::Make("Times New Roman", -12, 400, 1);
    PageRecord PrintPage;
    std::int32_t ShowStartMon = 0;
    std::int32_t ShowStopMon = 0;
    std::int32_t ShowConnEvnt = 1;
    std::int32_t ShowDiscEvnt = 1;
    std::int32_t PrintHLines = 1;
    std::int32_t PrintVLines = 1;
    std::int32_t PrintBorders = 1;
    std::int32_t PrintTotSum = 1;
    std::int32_t PrintMonSum = 1;
    std::int32_t PrintGraph = 0;

    // User, main key: live display and hang-up.
    std::int32_t EventWndX = 0;  // screen width - 150 once the defaults are made
    std::int32_t EventWndY = 0;
    std::int32_t ShowEvnWnd = 1;
    std::int32_t HideEvnWnd = 1;  // kept and copied; nothing acts on it
    std::int32_t HangUpAutomatically = 1;
    std::int32_t HangUpTimeout = 10;  // seconds
    std::int32_t NotPromptHangUp = 0;

    // User, main key: which active connections are calls (REG_SZ `CallConnections`, the text
    // of a CallRule: metered, dial-up, all or list:NAME;NAME). Read at start; a text that is
    // none of these counts as the default.
    std::string CallConnections = "metered";

    // User, main key: the main window. The list selections are stored with them.
    std::int32_t PosSprliter = -1;
    WindowPlacement WinPos;

    // Not stored: the look of the live display.
    std::array<COLORREF, 5> EventColors{0xC8FFFF, 0xC8FFFF, 0x61553, 0x6A3E02, 0};
    LogFont EventFont = LogFont::Make("Arial", -9, 400, 1);

    bool operator==(const SettingsValues&) const = default;
};

/// The one settings object of the program: every setting with its default, loaded from and
/// saved to the registry one group at a time. Machine-wide values live under
/// HKEY_LOCAL_MACHINE, one user's view under HKEY_CURRENT_USER, both below kMainKey. Nothing is
/// reported: a value that cannot be read keeps what the setting held. Window thread only.
class Settings : public SettingsValues {
public:
    /// Makes the defaults. `texts` gives the "all" items of the lists and the default page
    /// header and must outlive the settings; `phoneBook` (may be null) fills the default
    /// device and entry lists; `screen` places the live display (null: no screen, a missing
    /// position defaults as on a 1024 x 768 one).
    explicit Settings(const TextSource& texts, const PhoneBookLists* phoneBook = nullptr,
                      const ScreenMetrics* screen = nullptr);
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    /// Every setting to its default and every list to its default items; then, with a reachable
    /// phone book, its device names, device types and entry names added (each list saved).
    void ResetToDefaults();
    /// After a change of language: the lists' entries that stand for all values take the texts
    /// of the new language.
    void RefreshLanguageTexts();
    /// The first tariff of the tariff file meant for the system language replaces the tariff.
    void PickTariffForSystemLanguage();

    /// Every group, loading (`save` false) or saving.
    void Exchange(bool save);
    void ExchangePrograms(bool save);
    void ExchangeMonths(bool save);
    /// One text list; on loading, `allText` is made sure of first and `clearFirst` empties the
    /// list before.
    void ExchangeList(const char* listName, TextList& list, bool save, const std::string& allText,
                      bool clearFirst);
    void ExchangeViewAndPrint(bool save);
    void ExchangeTariff(bool save);
    /// After loading, a live display position off the right or bottom edge of the screen is
    /// moved back onto it; without a screen it is kept as stored.
    void ExchangeEvents(bool save);
    void ExchangePositions(bool save);
    void ExchangeCalls(bool save);

    /// The rule CallConnections stores; the default rule for a text it does not know.
    CallRule CallRuleSetting() const;

    /// Adds the month {kMonthOne, month (0-11), year} unless that month of that year is listed,
    /// and then saves the month list. True when it was added.
    bool AddMonth(int year, int month);
    /// Add the text unless the list holds it exactly, and then save that list. True when added.
    bool AddUser(const std::string& text);
    bool AddDeviceName(const std::string& text);
    bool AddEntry(const std::string& text);
    bool AddDeviceType(const std::string& text);

    /// Every setting and list of `other`; each selection is the item at the same index, or item
    /// 0 when the other's selection is not in its list.
    void CopyFrom(const Settings& other);

    /// Called after the selections are loaded, so that the call list can recompute what it
    /// derives from them. Empty: nothing is called.
    void SetPositionsLoadedHook(std::function<void()> hook) { m_positionsLoaded = std::move(hook); }

    /// The primary screen as the settings see it.
    ScreenSize Screen() const;

private:
    bool AddText(const char* listName, TextList& list, int allEntry, const std::string& text);

    const TextSource& m_texts;
    const PhoneBookLists* m_phoneBook;
    const ScreenMetrics* m_screen;
    std::function<void()> m_positionsLoaded;
};

/// The system language as the registry gives it (4 hexadecimal digits); 0 when unreadable.
std::uint32_t SystemLanguageFromRegistry();

}  // namespace ov
