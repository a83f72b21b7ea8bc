#pragma once

#include <array>
#include <map>
#include <string>

#include "platform/text_source.h"

namespace ov {

/// How many texts the text table holds.
inline constexpr int kTextTableSize = 60;

/// The string resource behind each text-table index (months, column and kind titles, sums
/// labels, messages, the all-entries of the filter lists, the product name).
inline constexpr std::array<unsigned, kTextTableSize> kTextTableResources{
    3303, 3304, 3305, 3306, 3307, 3308, 3309, 3310, 3311, 3312, 3313, 3314,  // 0-11 months
    3356, 3364, 3376, 3377, 3361, 3367, 3368, 3369, 3370,  // 12-20 list column titles
    3356, 3364, 3365, 3366, 3361, 3367, 3368, 3369, 3370,  // 21-29 printed column titles
    3365, 3371, 3372, 3373, 3374,                          // 30-34 record kind names
    3357, 3358, 3359, 3360, 3361, 3362, 3363, 3355,        // 35-42 printed sums
    3329, 3330,                                            // 43-44 record write/read failure
    3344, 3345, 3346, 3347, 3348,                          // 45-49 other messages
    3349,                                                  // 50 default page header
    3350, 3351,                                            // 51-52 all months, month sums
    3352, 3353, 3378, 3354,                                // 53-56 the all-entries of the lists
    3316, 3318, 3316,                                      // 57-59 product name, About text
};

/// A TextSource whose text-table entries are its string resources by the numbers above.
class TextTableSource : public TextSource {
public:
    std::string Entry(int index) const final {
        if (index < 0 || index >= kTextTableSize) {
            return {};
        }
        return String(kTextTableResources[static_cast<std::size_t>(index)]);
    }
};

/// A TextSource over a fixed map of resource numbers to texts.
class FixedTextSource final : public TextTableSource {
public:
    explicit FixedTextSource(std::map<unsigned, std::string> strings = {})
        : m_strings(std::move(strings)) {}
    std::string String(unsigned resourceId) const override {
        const auto it = m_strings.find(resourceId);
        return it == m_strings.end() ? std::string() : it->second;
    }
    void Set(unsigned resourceId, std::string text) { m_strings[resourceId] = std::move(text); }

private:
    std::map<unsigned, std::string> m_strings;
};

}  // namespace ov
