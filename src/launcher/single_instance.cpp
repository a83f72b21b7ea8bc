#include "launcher/single_instance.h"

#include <filesystem>
#include <system_error>

namespace ov {

std::string CurrentProgramPath() {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).string();
}

std::optional<ProcessEntry> FindRunningCopy(ProcessList& processes,
                                            const std::string& programPath) {
    processes.Refresh();
    if (const ProcessEntry* entry = processes.Find(programPath)) {
        return *entry;
    }
    return std::nullopt;
}

std::optional<ProcessEntry> FindRunningCopy(ProcessList& processes) {
    return FindRunningCopy(processes, CurrentProgramPath());
}

}  // namespace ov
