#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "printing/text_measurer.h"
#include "settings/page_record.h"

namespace ov {

/// What the escapes of a header or footer text stand for on one page.
struct TemplateFields {
    int page = 1;
    std::tm now{};      // local date and time, taken once per page
    std::string title;  // the document title of "#D"
};

/// One piece of a header or footer: the text of one slot of one line.
struct TemplateSegment {
    int line = 0;
    int slot = 0;  // 0 left, 1 centre, 2 right
    std::string text;

    bool operator==(const TemplateSegment&) const = default;
};

/// A segment holds at most this many bytes; longer expansions are cut.
inline constexpr std::size_t kSegmentLimit = 499;

/// Expands a header or footer text into its segments: lines split at line feeds, slots at
/// "#|", escapes replaced, control characters dropped. Empty segments and those of a fourth or
/// later slot are left out: they print nothing.
std::vector<TemplateSegment> ExpandTemplate(std::string_view text, const TemplateFields& fields);

/// A text placed on the page, its top left in print units.
struct PlacedText {
    int x = 0;
    int y = 0;
    std::string text;

    bool operator==(const PlacedText&) const = default;
};

/// The segments placed on a line of `width` starting at `left`, the first line's top at
/// `base`: slot 0 flush left, slot 1 centred, slot 2 flush right; line k lies k segment
/// heights lower.
std::vector<PlacedText> PlaceSegments(const std::vector<TemplateSegment>& segments,
                                      const TextMeasurer& measurer, const LogFont& font, int left,
                                      int width, int base);

/// The header and the footer of one page, each empty when it is off or has no text.
struct HeaderFooterTexts {
    std::vector<PlacedText> header;
    std::vector<PlacedText> footer;
};

/// Places the page settings' header and footer for one page. Coordinates are full-page ones:
/// the header's first line at the header position, the footer's at paper height less the
/// footer position.
HeaderFooterTexts LayOutHeaderFooter(const PageRecord& page, const TextMeasurer& measurer,
                                     const TemplateFields& fields);

}  // namespace ov
