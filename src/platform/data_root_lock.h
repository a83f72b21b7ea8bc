#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

#include "platform/file_util.h"

namespace ov {

/// The claim of one monitoring program on a data root: only the holder logs calls and keeps
/// the running totals there, so two monitors (the tray program and orvanta-cli monitor, or two
/// of either) never log a call twice. Held while the object lives; the holder's process id is
/// written in the lock file so that another can say who holds it.
class DataRootLock {
public:
    /// The lock file's name in the data root.
    static constexpr const char* kFileName = "monitor.lock";

    /// Takes the lock on `root` without waiting. Nothing when another process holds it (then
    /// `holder` is its process id, 0 when it cannot be told) or the lock file cannot be made;
    /// `error` says which, naming the holder.
    static std::optional<DataRootLock> Acquire(const std::string& root, std::string* error,
                                               pid_t* holder = nullptr);

private:
    explicit DataRootLock(FileLock lock) : m_lock(std::move(lock)) {}
    FileLock m_lock;
};

}  // namespace ov
