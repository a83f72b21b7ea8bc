#pragma once

#include <cstdint>

namespace ov {

/// The platform's general error numbers, shared by every stand-in that answers with them
/// (registry, RAS, processes). Subsystem-specific numbers live with their subsystem.
inline constexpr std::uint32_t ERROR_SUCCESS = 0;
inline constexpr std::uint32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr std::uint32_t ERROR_ACCESS_DENIED = 5;
inline constexpr std::uint32_t ERROR_INVALID_HANDLE = 6;
inline constexpr std::uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr std::uint32_t ERROR_BAD_PATHNAME = 161;
inline constexpr std::uint32_t ERROR_MORE_DATA = 234;
inline constexpr std::uint32_t ERROR_REGISTRY_IO_FAILED = 1016;

}  // namespace ov
