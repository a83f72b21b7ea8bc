#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "calllog/call_record.h"
#include "platform/text_source.h"
#include "settings/settings.h"

namespace ov {

/// The five filter lists, in the order of the form view's drop-down lists (3035-3039).
enum class FilterListId : int { Months = 0, Entries, Users, DeviceNames, DeviceTypes };

inline constexpr int kFilterListCount = 5;

/// Which calls the call list shows: the selections of the five lists the settings keep (the
/// month list and the four text lists with their all-entries), the four kind settings, and the
/// flags derived from the selections. The lists and selections live in the settings and are
/// stored with them (`Dates`, the list keys and `PosTime` … `PosEntry`).
class CallFilter {
public:
    explicit CallFilter(Settings& settings);

    /// Derives the flags and the selected texts from the selections; run after every change of
    /// a selection (and after the settings loaded theirs).
    void Recompute();

    /// Selects item `index` of a list and recomputes. An index outside the list is ignored.
    void Select(FilterListId list, int index);

    /// The acceptance test of a record read from the call log or just logged.
    bool Accepts(const CallRecordView& record) const;
    /// The part of the test that looks at the kind alone.
    bool ShowsKind(std::int32_t kind) const;
    /// True when the kind alone decides: every text list on its all-entry and no single
    /// month selected. Loaders take a faster way then.
    bool KindAloneDecides() const {
        return allUsers && allDeviceNames && allDeviceTypes && allEntries &&
               (allMonths || monthSums);
    }
    bool Accepts(const CallRecord& record) const { return Accepts(ViewOf(record)); }

    /// The selected month item, when the selection is a position in the month list.
    std::optional<MonthItem> SelectedMonth() const { return m_month; }

    // True when the selection is the list's first item (the all-entry). A selection that is
    // not a position in its list counts as not all and matches no text.
    bool allUsers = true;
    bool allDeviceNames = true;
    bool allDeviceTypes = true;
    bool allEntries = true;
    bool allMonths = true;   // the selected month item has kind AllMonths
    bool monthSums = false;  // the selected month item has kind MonthSums

    Settings& SettingsRef() const { return m_settings; }

private:
    Settings& m_settings;
    std::optional<std::string> m_user;
    std::optional<std::string> m_deviceName;
    std::optional<std::string> m_deviceType;
    std::optional<std::string> m_entry;
    std::optional<MonthItem> m_month;
};

/// The text of a month item as the month drop-down list shows it: "All months" (entry 51),
/// "Month sums" (entry 52) or the year and month name.
std::string MonthItemText(const TextSource& texts, const MonthItem& item);

/// After a switch of language: the first item of each text list becomes the new language's
/// all-entry. The selections are indexes, so they stay where they were.
void ReplaceAllEntries(SettingsValues& settings, const TextSource& texts);

/// What the form view's five drop-down lists hold, as texts: a mirror of the settings' lists
/// that only ever grows at the end while the list is open.
struct FilterChoices {
    struct Choice {
        std::vector<std::string> items;
        int selected = -1;  // -1: nothing selected
    };
    std::array<Choice, kFilterListCount> lists;

    Choice& operator[](FilterListId id) { return lists[static_cast<std::size_t>(id)]; }
    const Choice& operator[](FilterListId id) const { return lists[static_cast<std::size_t>(id)]; }

    /// Fills every still empty list from the settings' list, in list order, and selects the
    /// current selection: for the text lists the first item equal to it ignoring case.
    void Fill(const SettingsValues& settings, const TextSource& texts);
    /// Appends the last item of each settings' list whose count differs from its mirror's;
    /// returns the lists that got one.
    std::vector<FilterListId> AddNewItems(const SettingsValues& settings, const TextSource& texts);
};

}  // namespace ov
