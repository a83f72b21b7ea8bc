#pragma once

namespace ov {

// Resources of the language packs that the call list and its form view use.

/// The form view's dialog template and its controls: the five filter lists and the nine
/// summary fields.
inline constexpr unsigned kFormViewTemplate = 132;
inline constexpr int kMonthsList = 3035;
inline constexpr int kEntriesList = 3036;
inline constexpr int kUsersList = 3037;
inline constexpr int kDeviceNamesList = 3038;
inline constexpr int kDeviceTypesList = 3039;

/// The kind icons: one 16-pixel image per record kind, magenta transparent.
inline constexpr unsigned kKindBitmap = 313;
inline constexpr int kKindImageSize = 16;

/// The save dialog of the export: its title, the three file types, and the message when the
/// file cannot be written.
inline constexpr unsigned kExportTitleString = 3454;
inline constexpr unsigned kExportTextFilterString = 3455;
inline constexpr unsigned kExportCsvFilterString = 3456;
inline constexpr unsigned kExportJsonFilterString = 3457;
inline constexpr unsigned kExportFailedString = 3345;

}  // namespace ov
