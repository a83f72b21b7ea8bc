#include "calllog/call_log_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/file_util.h"

namespace ov {

namespace {

bool ReadAt(int fd, std::string& out, off_t size) {
    out.resize(static_cast<std::size_t>(size));
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n =
            ::pread(fd, out.data() + done, out.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteAt(int fd, std::string_view data, off_t offset) {
    while (!data.empty()) {
        const ssize_t n = ::pwrite(fd, data.data(), data.size(), offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
        offset += n;
    }
    return true;
}

/// Copies a torn tail beside the log before it is cut off, so nothing is thrown away; the
/// name of the copy, or nothing.
std::optional<std::string> KeepTornTail(const std::string& path, std::string_view tail,
                                        std::string* error) {
    const std::string base = path + ".torn-" + std::to_string(std::time(nullptr));
    std::string aside = base;
    for (int n = 1;
         ::faccessat(AT_FDCWD, aside.c_str(), F_OK, AT_SYMLINK_NOFOLLOW) == 0 && n < 1000; ++n) {
        aside = base + "." + std::to_string(n);
    }
    if (!WriteFileAtomically(aside, tail, error)) {
        return std::nullopt;
    }
    return aside;
}

}  // namespace

std::string MonthFilePath(const std::string& folder, int year, int month) {
    char name[48];
    std::snprintf(name, sizeof name, "OV%d_%d.ovl", year, month);
    return JoinPath(folder, name);
}

bool LoadMonth(const std::string& folder, int year, int monthIndex,
               const std::function<void(const CallRecord&)>& consumer) {
    const auto bytes = ReadWholeFile(MonthFilePath(folder, year, monthIndex + 1));
    if (!bytes) {
        return false;
    }
    std::string_view rest(*bytes);
    CallRecord record;  // reused: its strings keep their room from record to record
    while (const std::size_t used = DecodeCallRecord(rest, record)) {
        consumer(record);
        rest.remove_prefix(used);
    }
    return true;
}

bool CallLogAppender::Append(const std::string& path, const CallRecord& record, std::string* error,
                             std::string* notice) {
    // The folder is made again when it went away while we ran.
    const int fd = OpenNoFollow(path, O_RDWR | O_CREAT, 0600, true, error);
    if (fd < 0) {
        return false;
    }
    auto fail = [&](const std::string& why) {
        if (error) {
            *error = why;
        }
        ::close(fd);  // releases the lock too
        return false;
    };
    // The program and orvanta-cli may append to the same month at once.
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            return fail(ErrnoText(path));
        }
    }
    std::string why;
    const auto size = StoredFileSize(fd, path, kMaxStoredFileBytes, &why);
    if (!size) {
        return fail(why);
    }
    auto end = static_cast<off_t>(*size);
    const auto known = m_knownSizes.find(path);
    if (known == m_knownSizes.end() || known->second != end) {
        std::string bytes;
        if (!ReadAt(fd, bytes, end)) {
            return fail(ErrnoText(path));
        }
        const auto whole = static_cast<off_t>(WholeRecordsLength(bytes));
        if (whole < end) {
            std::string why;
            const auto aside = KeepTornTail(
                path, std::string_view(bytes).substr(static_cast<std::size_t>(whole)), &why);
            if (!aside) {
                return fail(why);
            }
            if (::ftruncate(fd, whole) != 0) {
                return fail(ErrnoText(path));
            }
            if (notice) {
                const off_t kept = end - whole;
                *notice = path + ": unreadable from byte " + std::to_string(whole) + "; the " +
                          std::to_string(kept) + (kept == 1 ? " byte" : " bytes") +
                          " from there are kept in " + *aside;
            }
            end = whole;
        }
    }
    const std::string encoded = EncodeCallRecord(record);
    if (!WriteAt(fd, encoded, end) || ::fdatasync(fd) != 0) {
        const std::string why = ErrnoText(path);
        // Leave no part of this record behind: the file stays a run of whole records.
        if (::ftruncate(fd, end) == 0) {
            m_knownSizes[path] = end;
        }
        return fail(why);
    }
    m_knownSizes[path] = end + static_cast<off_t>(encoded.size());
    ::close(fd);
    return true;
}

}  // namespace ov
