#pragma once

#include <string>

namespace ov {

/// The texts of the current language pack as code without Qt sees them. The language packs
/// implement it; tests and tools give it a fixed table (app/text_table_source.h).
class TextSource {
public:
    virtual ~TextSource() = default;
    /// A string resource by number; empty when the pack has none.
    virtual std::string String(unsigned resourceId) const = 0;
    /// Text-table entry `index` (0-59: months, column titles, kind names, sums labels, the
    /// all-entries of the lists, ...); empty outside the table. Which string each entry is
    /// belongs to the packs, so the application's sources answer it.
    virtual std::string Entry(int index) const = 0;
};

}  // namespace ov
