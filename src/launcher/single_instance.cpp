#include "launcher/single_instance.h"

#include <unistd.h>

#include <climits>

namespace ov {

std::string CurrentProgramPath() {
    std::string buffer(PATH_MAX, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) {
        return {};
    }
    buffer.resize(static_cast<std::size_t>(n));
    return buffer;
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
