#include "viewer/call_filter.h"

#include <ctime>

#include "platform/text_util.h"
#include "tariff/price_format.h"

namespace ov {

namespace {

constexpr int kAllMonthsEntry = 51;
constexpr int kMonthSumsEntry = 52;

template <typename Values>
auto& TextListOf(Values& settings, FilterListId id) {
    switch (id) {
        case FilterListId::Entries:
            return settings.ListEntries;
        case FilterListId::Users:
            return settings.ListUsers;
        case FilterListId::DeviceNames:
            return settings.ListDNames;
        default:
            return settings.ListDTypes;
    }
}

/// The selected text of a list: nothing when the selection is the all-entry (`all` set) or not
/// a position in the list.
std::optional<std::string> SelectedText(const TextList& list, bool& all) {
    const int index = list.SelectedIndex();
    all = index == 0;
    if (index <= 0) {
        return std::nullopt;
    }
    return list.items[static_cast<std::size_t>(index)];
}

/// Passes when the list stands for all values, else when `text` equals the selection exactly.
bool Matches(bool all, const std::optional<std::string>& selected, std::string_view text) {
    return all || (selected && *selected == text);
}

}  // namespace

CallFilter::CallFilter(Settings& settings) : m_settings(settings) {
    Recompute();
}

void CallFilter::Recompute() {
    m_user = SelectedText(m_settings.ListUsers, allUsers);
    m_deviceName = SelectedText(m_settings.ListDNames, allDeviceNames);
    m_deviceType = SelectedText(m_settings.ListDTypes, allDeviceTypes);
    m_entry = SelectedText(m_settings.ListEntries, allEntries);
    const int month = m_settings.Months.SelectedIndex();
    m_month = month < 0 ? std::nullopt
                        : std::optional(m_settings.Months.items[static_cast<std::size_t>(month)]);
    allMonths = m_month && m_month->kind == kMonthAll;
    monthSums = m_month && m_month->kind == kMonthSums;
}

void CallFilter::Select(FilterListId list, int index) {
    auto apply = [&](auto& selectable) {
        if (index >= 0 && static_cast<std::size_t>(index) < selectable.items.size()) {
            selectable.selected = index;
        }
    };
    if (list == FilterListId::Months) {
        apply(m_settings.Months);
    } else {
        apply(TextListOf(m_settings, list));
    }
    Recompute();
}

bool CallFilter::ShowsKind(std::int32_t kind) const {
    switch (kind) {
        case KindMonthSum:
            return false;  // month lines are made by the list, never read
        case KindConnected:
            return m_settings.ShowConnEvnt != 0;
        case KindUnconnected:
            return m_settings.ShowDiscEvnt != 0;
        case KindMonitorStart:
            return m_settings.ShowStartMon != 0;
        case KindMonitorStop:
            return m_settings.ShowStopMon != 0;
        default:
            return true;  // a kind of no name is shown with an empty kind text
    }
}

bool CallFilter::Accepts(const CallRecordView& record) const {
    if (!ShowsKind(record.kind)) {
        return false;
    }
    if (!Matches(allUsers, m_user, record.userName)) {
        return false;
    }
    if (!allMonths && !monthSums) {
        std::tm local{};
        if (!m_month || !ToLocalTime(record.startTime, local) ||
            local.tm_year + 1900 != m_month->year || local.tm_mon != m_month->month) {
            return false;
        }
    }
    return Matches(allDeviceNames, m_deviceName, record.deviceName) &&
           Matches(allDeviceTypes, m_deviceType, record.deviceType) &&
           Matches(allEntries, m_entry, record.entryName);
}

std::string MonthItemText(const TextSource& texts, const MonthItem& item) {
    switch (item.kind) {
        case kMonthAll:
            return texts.Entry(kAllMonthsEntry);
        case kMonthSums:
            return texts.Entry(kMonthSumsEntry);
        default:
            return MonthCaption(texts, item.year, item.month);
    }
}

void ReplaceAllEntries(SettingsValues& settings, const TextSource& texts) {
    const std::pair<TextList*, int> lists[] = {
        {&settings.ListUsers, kAllUsersEntry},
        {&settings.ListDNames, kAllDeviceNamesEntry},
        {&settings.ListDTypes, kAllDeviceTypesEntry},
        {&settings.ListEntries, kAllEntriesEntry},
    };
    for (const auto& [list, entry] : lists) {
        if (!list->items.empty()) {
            list->items.front() = texts.Entry(entry);
        }
    }
}

void FilterChoices::Fill(const SettingsValues& settings, const TextSource& texts) {
    Choice& months = (*this)[FilterListId::Months];
    if (months.items.empty()) {
        for (const MonthItem& item : settings.Months.items) {
            months.items.push_back(MonthItemText(texts, item));
        }
        months.selected = settings.Months.SelectedIndex();
    }
    for (const auto id : {FilterListId::Entries, FilterListId::Users, FilterListId::DeviceNames,
                          FilterListId::DeviceTypes}) {
        Choice& choice = (*this)[id];
        if (!choice.items.empty()) {
            continue;
        }
        const TextList& list = TextListOf(settings, id);
        choice.items = list.items;
        choice.selected = -1;
        const int index = list.SelectedIndex();
        if (index < 0) {
            continue;
        }
        const std::string& selected = list.items[static_cast<std::size_t>(index)];
        for (std::size_t i = 0; i < choice.items.size(); ++i) {
            if (EqualsIgnoreCase(choice.items[i], selected)) {
                choice.selected = static_cast<int>(i);
                break;
            }
        }
    }
}

std::vector<FilterListId> FilterChoices::AddNewItems(const SettingsValues& settings,
                                                     const TextSource& texts) {
    std::vector<FilterListId> grown;
    Choice& months = (*this)[FilterListId::Months];
    // A list the form view has not filled yet gets all its items when it is filled.
    if (!months.items.empty() && months.items.size() != settings.Months.items.size()) {
        months.items.push_back(MonthItemText(texts, settings.Months.items.back()));
        grown.push_back(FilterListId::Months);
    }
    for (const auto id : {FilterListId::Entries, FilterListId::Users, FilterListId::DeviceNames,
                          FilterListId::DeviceTypes}) {
        Choice& choice = (*this)[id];
        const TextList& list = TextListOf(settings, id);
        if (!choice.items.empty() && choice.items.size() != list.items.size()) {
            choice.items.push_back(list.items.back());
            grown.push_back(id);
        }
    }
    return grown;
}

}  // namespace ov
