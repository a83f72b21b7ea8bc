#pragma once

#include <optional>
#include <string>

#include "launcher/process_list.h"

namespace ov {

/// The full path of this program's executable; empty when the system cannot say.
std::string CurrentProgramPath();

/// Another running copy of the program at `programPath` (this process never counts), found in
/// a freshly refreshed `processes`; nothing when there is none.
std::optional<ProcessEntry> FindRunningCopy(ProcessList& processes, const std::string& programPath);

/// Another running copy of this program, for start-up's single-instance check.
std::optional<ProcessEntry> FindRunningCopy(ProcessList& processes);

}  // namespace ov
