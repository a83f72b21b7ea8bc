#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ov {

/// `a/b`, without doubling the separator.
std::string JoinPath(std::string_view folder, std::string_view name);

/// The folder part of a path ("." when there is none).
std::string ParentFolder(std::string_view path);

/// The most a reader of a stored file takes in: anything larger is refused, not read.
inline constexpr std::uint64_t kMaxStoredFileBytes = std::uint64_t{1} << 30;

/// The folders the user chose for the program's files (ProgramPaths::ChosenRoots), for the whole
/// process: a program names them once at start. They may be symbolic links; nothing below
/// them is followed. Until they are named, no folder is a chosen one.
void UseChosenRoots(std::vector<std::string> roots);

/// Creates `path` and any missing parents with mode 0700. A component that exists must be a
/// real folder: a symbolic link planted where a folder we create should be is refused. Below a
/// folder the user chose (see UseChosenRoots) no link is followed at all; the chosen folder itself
/// may be a link to a folder of the user's own that no one else can write.
bool EnsureFolder(const std::string& path, std::string* error = nullptr);

/// Opens `path` as open(2) does with `flags` and `mode`, but never through a symbolic link:
/// not in its last component, and not in any folder below a folder the user chose. With
/// `createFolders` the missing folders on the way are made (0700). -1, with the reason in
/// `error` (a link is named as one), when it cannot be opened.
int OpenNoFollow(const std::string& path, int flags, mode_t mode, bool createFolders,
                 std::string* error = nullptr);

/// A folder held open to open many files in it, each as OpenNoFollow would open it: the folder
/// is reached once as OpenNoFollow reaches it, and no file's name is followed as a link. Saves
/// the walk from the chosen folder for every file of a long run (the months of a call log).
class NoFollowFolder {
public:
    /// Nothing, with the reason in `error`, when the folder cannot be reached.
    static std::optional<NoFollowFolder> Open(const std::string& folder,
                                              std::string* error = nullptr);
    /// Opens `name` in the folder as OpenNoFollow(path, flags, mode, false, error) opens
    /// `path`, the folder's path joined with `name`; the reason names `path`.
    int OpenFile(const std::string& name, const std::string& path, int flags,
                 std::string* error = nullptr) const;
    /// lstat(2) of `name` in the folder: a link is described, not followed.
    bool Stat(const std::string& name, struct stat& st) const;

    NoFollowFolder(NoFollowFolder&& other) noexcept;
    NoFollowFolder& operator=(NoFollowFolder&& other) noexcept;
    NoFollowFolder(const NoFollowFolder&) = delete;
    NoFollowFolder& operator=(const NoFollowFolder&) = delete;
    ~NoFollowFolder();

private:
    explicit NoFollowFolder(int fd) : m_fd(fd) {}
    int m_fd = -1;
};

/// The size of an opened stored file when it is a regular file no larger than `maxBytes`;
/// else nothing, with the reason in `error`. Keeps readers off devices, FIFOs and huge files.
std::optional<std::uint64_t> StoredFileSize(int fd, const std::string& path, std::uint64_t maxBytes,
                                            std::string* error);

/// Reads a whole regular file of at most `maxBytes`, as OpenNoFollow opens it.
/// Returns nothing (and says why in `error`) when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path, std::string* error = nullptr,
                                         std::uint64_t maxBytes = kMaxStoredFileBytes);

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
    /// Takes the lock only when no one holds it; nothing (with `busy` set) when someone does.
    static std::optional<FileLock> TryAcquire(const std::string& lockPath, bool* busy,
                                              std::string* error = nullptr);
    /// The lock file's descriptor, for what the holder writes in it.
    int Fd() const { return m_fd; }
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
