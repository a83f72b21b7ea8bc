#pragma once

namespace ov {

/// The kind of system the program runs on. The first three are the Windows kinds the program's
/// behaviour knows; Linux is a kind of its own and takes the branch with full executable paths.
enum class PlatformKind : int {
    Other = 0,
    Win32s = 1,
    Windows9x = 2,
    WindowsNT = 3,
    Linux = 4,
};

/// The platform kind, with the kernel's major and minor version when asked for. Computed at the
/// first call and then kept; safe to call from any thread.
PlatformKind GetPlatformKind(int* major = nullptr, int* minor = nullptr);

}  // namespace ov
