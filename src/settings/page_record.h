#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "settings/stored_records.h"

namespace ov {

/// Bytes of the header and of the footer text, including the terminating zero.
inline constexpr std::size_t kPageTextSize = 400;

/// The page settings of the printed call report, stored whole as one 980-byte value. Lengths
/// are in 0.01 mm unless said otherwise.
struct PageRecord {
    std::array<char, kPageTextSize> headerText{};  // 8-bit, zero-terminated template
    LogFont headerFont;                            // height in print units (0.01 mm)
    COLORREF headerColor = 0;
    std::int32_t headerOn = 0;  // non-zero: printed
    std::array<char, kPageTextSize> footerText{};
    LogFont footerFont;
    COLORREF footerColor = 0;
    std::int32_t footerOn = 0;
    std::int32_t leftMargin = 0;
    std::int32_t rightMargin = 0;
    std::int32_t topMargin = 0;
    std::int32_t bottomMargin = 0;
    std::int32_t headerPosition = 0;  // top of the header's first line below the page top
    std::int32_t footerPosition = 0;  // top of the footer's first line above paper height
    std::int32_t metric = 0;          // 1: the page setup works in millimetres, 0: in inches
    std::int16_t orientation = 0;     // 1 portrait, 2 landscape
    std::int16_t paperSize = 0;       // the printer's paper code; 9 = A4
    std::int16_t paperHeight = 0;
    std::int16_t paperWidth = 0;
    std::int16_t copies = 0;
    std::int16_t printQuality = 0;  // the printer's quality code; -3 = medium
    std::int16_t duplex = 0;        // 1 = simplex
    std::int16_t reserved = 0;

    /// The header text up to its terminating zero.
    std::string_view HeaderText() const;
    std::string_view FooterText() const;
    /// Stores `text`, cut to 399 bytes, zero-filling the rest of the field.
    void SetHeaderText(std::string_view text);
    void SetFooterText(std::string_view text);
    /// Ends both texts and both face names within their fields, whatever a stored record held.
    void Terminate();
    /// Brings the lengths of a stored record within what a page can have: margins and
    /// positions 0 to 65535 (no paper is larger), font heights and widths within the same
    /// size either way. A damaged value would otherwise overflow the page's arithmetic.
    void BringIntoRange();

    bool operator==(const PageRecord&) const = default;
};
static_assert(sizeof(PageRecord) == 980 && std::is_trivially_copyable_v<PageRecord>);
static_assert(offsetof(PageRecord, headerFont) == 400 && offsetof(PageRecord, footerText) == 468 &&
              offsetof(PageRecord, footerFont) == 868 && offsetof(PageRecord, leftMargin) == 936 &&
              offsetof(PageRecord, metric) == 960 && offsetof(PageRecord, orientation) == 964 &&
              offsetof(PageRecord, reserved) == 978);

/// A fresh record: A4 portrait, margins of 20 mm, the page number centred in the header.
PageRecord FreshPageRecord();

}  // namespace ov
