#pragma once

#include "printing/text_measurer.h"

namespace ov::test {

/// Every character (not byte) 100 units wide; lines as high as the font's height, or 50.
class FakeMeasurer final : public TextMeasurer {
public:
    TextExtent Measure(const LogFont& font, std::string_view text) const override {
        int characters = 0;
        for (const char c : text) {
            characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
        }
        return {characters * 100, font.lfHeight > 0 ? font.lfHeight : 50};
    }
};

}  // namespace ov::test
