#pragma once

#include <string>

#include "platform/text_source.h"
#include "tariff/tariff.h"
#include "viewer/call_columns.h"
#include "viewer/call_store.h"

namespace ov {

/// The text of one cell of the call list, the export and the report: with no row, the
/// column's list title. Times in local time; prices in the tariff's currency format; markers
/// (kinds 3 and 4) show no times, price, entry or device; month lines (kind 2) show the year
/// and month name and no user. A kind without a name of its own shows an empty kind text.
std::string CellText(const TextSource& texts, const Tariff& tariff, int columnId,
                     const CallRow* row);

/// The sort order of two rows by one column: -1, 0 or 1. Times and durations as numbers, the
/// price as a float, texts ignoring case, where month lines and markers count as having no
/// entry or device.
int CompareRows(int columnId, const CallRow& a, const CallRow& b);

}  // namespace ov
