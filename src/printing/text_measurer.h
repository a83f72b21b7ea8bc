#pragma once

#include <string>
#include <string_view>

#include "settings/stored_records.h"

namespace ov {

/// The extent of a text in print units (0.01 mm).
struct TextExtent {
    int width = 0;
    int height = 0;
};

/// Measures texts in a font whose height is already in print units. The report's layout and
/// the header and footer placement measure through it, so that they work and are tested without
/// a drawing library; the drawing side measures with the fonts it draws with.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    virtual TextExtent Measure(const LogFont& font, std::string_view text) const = 0;
};

/// The longest leading part of `text` (whole UTF-8 characters) that is at most `maxWidth`
/// wide in `font`; the whole text when it fits, empty when not even one character does.
std::string FitText(const TextMeasurer& measurer, const LogFont& font, std::string_view text,
                    int maxWidth);

}  // namespace ov
