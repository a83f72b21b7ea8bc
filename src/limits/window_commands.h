#pragma once

namespace ov {

// Command identifiers the metering's windows and the application window share: the live
// display's menu and buttons and the limit notification send them, the application window
// handles them. Defined once here, below both.

/// Hang up every connection; run the limit notification.
inline constexpr unsigned ID_HANGUP_ALL = 3400;
inline constexpr unsigned ID_LIMIT_NOTIFY = 3401;
/// Show or hide the live display; start or stop the monitor; open the main frame.
inline constexpr unsigned ID_DISPLAY_TOGGLE = 3203;
inline constexpr unsigned ID_MONITOR_TOGGLE = 3204;
inline constexpr unsigned ID_OPEN_MAIN = 3211;

}  // namespace ov
