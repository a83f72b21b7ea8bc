#pragma once

#include <cstdint>

namespace ov {

/// The calling thread's last error number, for operations that report failure by a boolean
/// and leave the reason behind, as the platform's own calls do.
std::uint32_t GetLastError();
void SetLastError(std::uint32_t error);

/// Error numbers the program sets or tests.
inline constexpr std::uint32_t ERROR_TOO_MANY_TCBS = 155;

}  // namespace ov
