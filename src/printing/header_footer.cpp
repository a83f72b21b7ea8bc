#include "printing/header_footer.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "printing/paper.h"

namespace ov {

namespace {

/// Appends `piece` to a segment, stopping at the limit on a whole UTF-8 character.
void AppendCut(std::string& segment, std::string_view piece) {
    for (std::size_t i = 0; i < piece.size();) {
        std::size_t length = 1;
        const auto lead = static_cast<unsigned char>(piece[i]);
        if (lead >= 0xF0) {
            length = 4;
        } else if (lead >= 0xE0) {
            length = 3;
        } else if (lead >= 0xC0) {
            length = 2;
        }
        length = std::min(length, piece.size() - i);
        if (segment.size() + length > kSegmentLimit) {
            return;
        }
        segment.append(piece.substr(i, length));
        i += length;
    }
}

/// Blanks and visible characters print; tabs, carriage returns and other control characters
/// would draw as boxes or move nothing, so they are dropped. Bytes of multi-byte characters
/// are kept.
bool Printable(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte != 0x7F;
}

std::string Expansion(char escape, const TemplateFields& fields) {
    char buffer[64];
    switch (escape) {
        case 'p':
            std::snprintf(buffer, sizeof buffer, "%d", fields.page);
            return buffer;
        case 'd':
            // In long long: the fields are whatever a clock gave, the sums must not overflow.
            std::snprintf(buffer, sizeof buffer, "%2d.%2lld.%4lld", fields.now.tm_mday,
                          static_cast<long long>(fields.now.tm_mon) + 1,
                          static_cast<long long>(fields.now.tm_year) + 1900);
            return buffer;
        case 't':
            std::snprintf(buffer, sizeof buffer, "%2d:%2d:%2d", fields.now.tm_hour,
                          fields.now.tm_min, fields.now.tm_sec);
            return buffer;
        case 'D': {
            // The title prints on one line like the rest of the text.
            std::string title;
            std::copy_if(fields.title.begin(), fields.title.end(), std::back_inserter(title),
                         Printable);
            return title;
        }
        default:
            return Printable(escape) ? std::string(1, escape) : std::string();
    }
}

}  // namespace

std::vector<TemplateSegment> ExpandTemplate(std::string_view text, const TemplateFields& fields) {
    std::vector<TemplateSegment> segments;
    std::string segment;
    int line = 0;
    int slot = 0;
    auto endSlot = [&] {
        if (slot < 3 && !segment.empty()) {
            segments.push_back({line, slot, segment});
        }
        segment.clear();
        ++slot;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            endSlot();
            ++line;
            slot = 0;
            continue;
        }
        if (c != '#') {
            if (Printable(c)) {
                AppendCut(segment, text.substr(i, 1));
            }
            continue;
        }
        if (i + 1 == text.size()) {
            break;  // a lone "#" ends the text
        }
        const char escape = text[++i];
        if (escape == '|') {
            endSlot();
        } else if (escape == 'B') {
            // "#B{...}" is a note to the reader of the template and prints nothing; without a
            // closing brace the rest of the text is such a note.
            if (i + 1 < text.size() && text[i + 1] == '{') {
                const std::size_t close = text.find('}', i + 2);
                i = close == std::string_view::npos ? text.size() : close;
            }
        } else {
            AppendCut(segment, Expansion(escape, fields));
        }
    }
    endSlot();
    return segments;
}

std::vector<PlacedText> PlaceSegments(const std::vector<TemplateSegment>& segments,
                                      const TextMeasurer& measurer, const LogFont& font, int left,
                                      int width, int base) {
    std::vector<PlacedText> placed;
    placed.reserve(segments.size());
    for (const TemplateSegment& segment : segments) {
        const TextExtent extent = measurer.Measure(font, segment.text);
        int x = left;
        if (segment.slot == 1) {
            x = left + (width - extent.width) / 2;
        } else if (segment.slot == 2) {
            x = left + width - extent.width;
        }
        placed.push_back({x, base + extent.height * segment.line, segment.text});
    }
    return placed;
}

HeaderFooterTexts LayOutHeaderFooter(const PageRecord& page, const TextMeasurer& measurer,
                                     const TemplateFields& fields) {
    HeaderFooterTexts texts;
    const int width = PaperWidthOf(page) - page.rightMargin - page.leftMargin;
    if (page.headerOn != 0) {
        texts.header = PlaceSegments(ExpandTemplate(page.HeaderText(), fields), measurer,
                                     page.headerFont, page.leftMargin, width, page.headerPosition);
    }
    if (page.footerOn != 0) {
        texts.footer =
            PlaceSegments(ExpandTemplate(page.FooterText(), fields), measurer, page.footerFont,
                          page.leftMargin, width, PaperHeightOf(page) - page.footerPosition);
    }
    return texts;
}

std::string FitText(const TextMeasurer& measurer, const LogFont& font, std::string_view text,
                    int maxWidth) {
    if (text.empty() || measurer.Measure(font, text).width <= maxWidth) {
        return std::string(text);
    }
    // Character boundaries of the text; the widest prefix that fits is searched among them.
    std::vector<std::size_t> ends;
    for (std::size_t i = 1; i <= text.size(); ++i) {
        if (i == text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ends.push_back(i);
        }
    }
    std::size_t low = 0;                 // prefixes of ends[0..low) characters fit
    std::size_t high = ends.size() - 1;  // the whole text does not
    while (low < high) {
        const std::size_t mid = (low + high + 1) / 2;
        if (measurer.Measure(font, text.substr(0, ends[mid - 1])).width <= maxWidth) {
            low = mid;
        } else {
            high = mid - 1;
        }
    }
    return low == 0 ? std::string() : std::string(text.substr(0, ends[low - 1]));
}

}  // namespace ov
