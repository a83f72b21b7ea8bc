// Feeds arbitrary text to the header and footer template expander, with the page number, the
// date and the title taken from the input too, and places what it gives on a line. It must
// never crash; every segment must be in one of the three slots, at most 499 bytes, free of
// control characters, and the lines in order.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "printing/header_footer.h"

namespace {

class Measurer final : public ov::TextMeasurer {
public:
    ov::TextExtent Measure(const ov::LogFont&, std::string_view text) const override {
        return {static_cast<int>(text.size()) * 100, 400};
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first bytes give the fields of the escapes; the rest is the template.
    ov::TemplateFields fields;
    std::int32_t numbers[7] = {};
    const std::size_t head = std::min(size, sizeof numbers);
    std::memcpy(numbers, data, head);
    fields.page = numbers[0];
    fields.now.tm_mday = numbers[1];
    fields.now.tm_mon = numbers[2];
    fields.now.tm_year = numbers[3];
    fields.now.tm_hour = numbers[4];
    fields.now.tm_min = numbers[5];
    fields.now.tm_sec = numbers[6];
    const std::string_view rest(reinterpret_cast<const char*>(data) + head, size - head);
    const std::size_t split = rest.find('\x01');
    fields.title = std::string(rest.substr(0, split == std::string_view::npos ? 0 : split));
    const std::string_view text = split == std::string_view::npos ? rest : rest.substr(split + 1);

    const auto segments = ov::ExpandTemplate(text, fields);
    int line = 0;
    for (const ov::TemplateSegment& segment : segments) {
        if (segment.slot < 0 || segment.slot > 2 || segment.line < line || segment.text.empty() ||
            segment.text.size() > ov::kSegmentLimit) {
            std::abort();
        }
        for (const char c : segment.text) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte == 0x7F) {
                std::abort();
            }
        }
        line = segment.line;
    }
    const Measurer measurer;
    const auto placed = ov::PlaceSegments(segments, measurer, ov::LogFont{}, 1500, 24601, 750);
    if (placed.size() != segments.size()) {
        std::abort();
    }
    return 0;
}
