#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

namespace ov {

// The records below are stored in the registry as the bytes of their in-memory form, as the
// program always stored them: little-endian integers, IEEE single floats, no padding.
static_assert(std::endian::native == std::endian::little,
              "stored records are the little-endian in-memory form");

/// A colour as red, green and blue bytes from the low byte up, then a zero byte.
using COLORREF = std::uint32_t;

/// Bytes of a font description's face name, including its terminating zero.
inline constexpr std::size_t kFaceNameSize = 32;

/// A font description in the 60-byte layout of the platform's logical font record; the face
/// name is 8-bit text.
struct LogFont {
    std::int32_t lfHeight = 0;  // negative: character height; positive: cell height
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0;
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = 0;  // 400 normal, 700 bold
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = 0;  // 1: the default character set
    std::uint8_t lfOutPrecision = 0;
    std::uint8_t lfClipPrecision = 0;
    std::uint8_t lfQuality = 0;
    std::uint8_t lfPitchAndFamily = 0;
    std::array<char, kFaceNameSize> lfFaceName{};

    /// A font of `face` (cut to 31 bytes) with the given height, weight and character set.
    static LogFont Make(std::string_view face, std::int32_t height, std::int32_t weight,
                        std::uint8_t charSet);
    /// The face name up to its terminating zero.
    std::string_view FaceName() const;
    /// Ends the face name within its 32 bytes, whatever a stored record held.
    void Terminate() { lfFaceName.back() = '\0'; }

    bool operator==(const LogFont&) const = default;
};
static_assert(sizeof(LogFont) == 60 && std::is_trivially_copyable_v<LogFont>);

/// A point in screen pixels.
struct StoredPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const StoredPoint&) const = default;
};

/// A rectangle in screen pixels, right and bottom exclusive.
struct StoredRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    bool operator==(const StoredRect&) const = default;
};

/// The placement of the main window in the 44-byte layout of the platform's window placement
/// record. All zero until a window has been placed.
struct WindowPlacement {
    std::uint32_t length = 0;
    std::uint32_t flags = 0;
    std::uint32_t showCmd = 0;
    StoredPoint ptMinPosition;
    StoredPoint ptMaxPosition;
    StoredRect rcNormalPosition;

    bool operator==(const WindowPlacement&) const = default;
};
static_assert(sizeof(WindowPlacement) == 44 && std::is_trivially_copyable_v<WindowPlacement>);

/// Kinds of the items of the month list.
enum MonthItemKind : std::uint8_t {
    kMonthAll = 0,   // every month
    kMonthSums = 1,  // one sum line per month
    kMonthOne = 2,   // one month of one year
};

/// One item of the month list, stored as its four bytes.
struct MonthItem {
    std::uint8_t kind = kMonthAll;
    std::uint8_t month = 0;  // 0 = January … 11
    std::int16_t year = 0;

    bool operator==(const MonthItem&) const = default;
};
static_assert(sizeof(MonthItem) == 4 && std::is_trivially_copyable_v<MonthItem>);

}  // namespace ov
