#pragma once

#include "limits/window_commands.h"

namespace ov {

// Resources of the language packs that the live display and the limit notification use.

/// The captions of the live display's rows and of its time column.
inline constexpr unsigned kNowString = 25301;
inline constexpr unsigned kTotalString = 25302;
inline constexpr unsigned kTimeString = 25303;
/// The product name: the desktop notification's summary.
inline constexpr unsigned kProductNameString = 3316;
/// The texts of the monitor toggle and of the display toggle in the display's context menu.
inline constexpr unsigned kStopMonitorString = 3337;
inline constexpr unsigned kHideDisplayString = 3340;

/// The live display's dialog template with its placeholder, its buttons and their icons.
inline constexpr unsigned kLiveDisplayTemplate = 3403;
inline constexpr unsigned kLiveDisplayPlaceholder = 3387;
inline constexpr unsigned kHideButton = 3388;
inline constexpr unsigned kHangUpButton = 3389;
inline constexpr unsigned kHideIcon = 3404;
inline constexpr unsigned kHangUpIcon = 3405;
inline constexpr unsigned kConnectedIcon = 129;

/// The menus of the packs; the live display's context menu is the second sub-menu.
inline constexpr unsigned kPackMenu = 200;
inline constexpr int kDisplayContextMenu = 1;

/// The limit notification's template: its message and buttons.
inline constexpr unsigned kLimitNotifyTemplate = 333;
inline constexpr unsigned kLimitMessageControl = 3386;
inline constexpr unsigned kOkButton = 1;
inline constexpr unsigned kCancelButton = 2;

/// The display's context menu's own command: hang up the connection it shows. The commands
/// it shares with the application window are in limits/window_commands.h.
inline constexpr unsigned kHangUpShownCommand = 3026;

}  // namespace ov
