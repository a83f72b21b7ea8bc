#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ov {

/// `a/b`, without doubling the separator.
std::string JoinPath(std::string_view folder, std::string_view name);

/// The folder part of a path ("." when there is none).
std::string ParentFolder(std::string_view path);

/// Creates `path` and any missing parents with mode 0700. A component that exists must be a
/// real folder: a symbolic link planted where a folder we create should be is refused.
bool EnsureFolder(const std::string& path, std::string* error = nullptr);

/// Reads a whole file without following a symbolic link in its last component.
/// Returns nothing (and says why in `error`) when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path, std::string* error = nullptr);

/// Replaces `path` with `data` so that a crash leaves either the old or the new file: a
/// temporary file in the same folder (mode 0600), fsync, rename over the old one, fsync of
/// the folder.
bool WriteFileAtomically(const std::string& path, std::string_view data,
                         std::string* error = nullptr);

/// Moves a damaged file out of the way as `<path>.<tag>-<seconds since 1970>` (with a counter
/// when that name is taken) and returns the new name, or nothing when the rename failed.
std::optional<std::string> KeepAside(const std::string& path, std::string_view tag);

/// An exclusive advisory lock (flock) on a lock file, held while the object lives. Serialises
/// the writers of one file across processes.
class FileLock {
public:
    /// Blocks until the lock on `lockPath` is ours; the lock file is created 0600 when missing.
    static std::optional<FileLock> Acquire(const std::string& lockPath,
                                           std::string* error = nullptr);
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

private:
    explicit FileLock(int fd) : m_fd(fd) {}
    int m_fd = -1;
};

/// "what: strerror(errno)" for the current errno.
std::string ErrnoText(std::string_view what);

}  // namespace ov
