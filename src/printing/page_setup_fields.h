#pragma once

#include <string>
#include <string_view>

namespace ov {

/// The header or footer position as its field shows it: whole millimetres and the unit, "7mm"
/// for 750.
std::string PositionFieldText(int position);

/// A position field read back: its leading decimal digits as millimetres, in 0.01 mm; other
/// characters are ignored and a field without leading digits gives 0. "12 mm" gives 1200.
int ParsePositionField(std::string_view text);

/// A length of the page settings (0.01 mm) in the page setup's units: unchanged in millimetre
/// mode, thousandths of an inch otherwise (rounded).
int ToDialogUnits(int hundredthsOfMillimetre, bool metric);
/// The way back: a length in the page setup's units as 0.01 mm.
int FromDialogUnits(int value, bool metric);

}  // namespace ov
