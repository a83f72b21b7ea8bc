#include "platform/data_root_lock.h"

#include <unistd.h>

#include "platform/text_util.h"

namespace ov {

namespace {

/// "1234 (orvanta-cli)": the process id with its command name when the system still has it.
std::string ProcessText(pid_t pid) {
    std::string text = std::to_string(pid);
    if (auto name = ReadWholeFile("/proc/" + text + "/comm", nullptr, 4096)) {
        while (!name->empty() && name->back() == '\n') {
            name->pop_back();
        }
        if (!name->empty()) {
            text += " (" + *name + ")";
        }
    }
    return text;
}

}  // namespace

std::optional<DataRootLock> DataRootLock::Acquire(const std::string& root, std::string* error,
                                                  pid_t* holder) {
    if (holder) {
        *holder = 0;
    }
    const std::string path = JoinPath(root, kFileName);
    std::string why;
    if (!EnsureFolder(root, &why)) {
        if (error) {
            *error = why;
        }
        return std::nullopt;
    }
    bool busy = false;
    auto lock = FileLock::TryAcquire(path, &busy, &why);
    if (!lock) {
        if (busy) {
            auto text = ReadWholeFile(path, nullptr, 64);
            while (text && !text->empty() && text->back() == '\n') {
                text->pop_back();
            }
            const auto pid = text ? ParseInteger(*text) : std::nullopt;
            const pid_t other = pid && *pid > 0 && *pid <= INT32_MAX ? static_cast<pid_t>(*pid) : 0;
            if (holder) {
                *holder = other;
            }
            why = "the data root " + root + " is in use by " +
                  (other > 0 ? "process " + ProcessText(other) : std::string("another process"));
        }
        if (error) {
            *error = why;
        }
        return std::nullopt;
    }
    // Ours now: the process id replaces whatever an earlier holder left. Should it not be
    // written, the lock still holds and a second monitor names no process.
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(lock->Fd(), 0) == 0) {
        static_cast<void>(::pwrite(lock->Fd(), pid.data(), pid.size(), 0));
    }
    return DataRootLock(std::move(*lock));
}

}  // namespace ov
