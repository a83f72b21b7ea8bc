#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace ov {

/// The fixed ids of the call list's columns; `Columns` of the settings has one flag per id.
enum ColumnId : int {
    ColKind = 0,
    ColStart = 1,
    ColConnected = 2,
    ColDialing = 3,
    ColPrice = 4,
    ColUser = 5,
    ColEntry = 6,
    ColDeviceName = 7,
    ColDeviceType = 8,
};

inline constexpr int kColumnCount = 9;

/// What the list, the report and the text export need to know of one column.
struct ColumnInfo {
    int width;            // list column width, pixels
    bool shownByDefault;  // the default of its `Columns` flag
    int listTitleEntry;   // text-table entry of the list title
    int printTitleEntry;  // text-table entry of the printed title
    int exportWidth;      // minimum field width of the text export
};

inline constexpr std::array<ColumnInfo, kColumnCount> kColumnTable{{
    {120, true, 12, 21, 25},   // ColKind
    {120, true, 13, 22, 25},   // ColStart
    {60, true, 14, 23, 15},    // ColConnected
    {60, false, 15, 24, 15},   // ColDialing
    {60, true, 16, 25, 12},    // ColPrice
    {80, false, 17, 26, 10},   // ColUser
    {80, true, 18, 27, 10},    // ColEntry
    {100, false, 19, 28, 50},  // ColDeviceName
    {70, false, 20, 29, 10},   // ColDeviceType
}};

/// True for the ids 0-8.
inline bool IsColumnId(int id) {
    return id >= 0 && id < kColumnCount;
}

/// The column ids the list shows, in list order, from the `Columns` flags: the kind column
/// always first (it carries the row's icon and item text, so the list cannot do without it),
/// then every other id whose flag is non-zero, in id order.
std::vector<std::int16_t> VisibleColumnsFrom(const std::array<std::int32_t, kColumnCount>& flags);

}  // namespace ov
