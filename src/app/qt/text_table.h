#pragma once

#include "app/text_table_source.h"

#include <array>
#include <string>

namespace ov {

/// The 60 texts of the text table, copied from a pack when it is loaded, so that they stay
/// as they were loaded until the next load.
class TextTable final : public TextTableSource {
public:
    /// Copies every entry from `source` (the current pack).
    void Load(const TextSource& source) {
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            m_entries[i] = source.String(kTextTableResources[i]);
        }
    }
    void Clear() { m_entries = {}; }
    /// The text of a string resource the table holds; empty for any other number.
    std::string String(unsigned resourceId) const override {
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            if (kTextTableResources[i] == resourceId) {
                return m_entries[i];
            }
        }
        return {};
    }

private:
    std::array<std::string, kTextTableSize> m_entries;
};

}  // namespace ov
