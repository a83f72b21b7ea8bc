#include "platform/file_util.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <mutex>
#include <random>
#include <utility>
#include <vector>

namespace ov {

namespace {

std::mutex g_chosenMutex;
std::vector<std::string> g_chosenRoots;

std::vector<std::string> ChosenRoots() {
    std::lock_guard lock(g_chosenMutex);
    return g_chosenRoots;
}

void SetError(std::string* error, std::string text) {
    if (error) {
        *error = std::move(text);
    }
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

/// EnsureFolder by path alone, for folders outside the chosen ones (and to make those).
bool EnsureFolderByPath(const std::string& path, std::string* error);

std::string SizeText(std::uint64_t bytes) {
    if (bytes % (std::uint64_t{1} << 30) == 0) {
        return std::to_string(bytes >> 30) + " GiB";
    }
    return std::to_string(bytes) + " bytes";
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

/// A path split at the chosen folder it lies in: `root` may be a link, `below` is walked
/// without following any.
struct RootedPath {
    std::string root;
    std::vector<std::string> below;  // the names after the root, never empty
};

std::optional<RootedPath> SplitAtChosenRoot(const std::string& path) {
    std::optional<RootedPath> best;
    for (std::string root : ChosenRoots()) {
        root = WithoutTrailingSlashes(std::move(root));
        if (root.empty() || path.size() <= root.size() + 1 ||
            path.compare(0, root.size(), root) != 0 || (path[root.size()] != '/' && root != "/")) {
            continue;
        }
        if (best && best->root.size() >= root.size()) {
            continue;
        }
        RootedPath split{root, {}};
        std::size_t start = root.size();
        while (start < path.size()) {
            const auto slash = path.find('/', start);
            const auto end = slash == std::string::npos ? path.size() : slash;
            if (end > start) {
                split.below.push_back(path.substr(start, end - start));
            }
            start = end + 1;
        }
        if (!split.below.empty()) {
            best = std::move(split);
        }
    }
    return best;
}

/// Opens a chosen folder, making it when asked. It may be a symbolic link (dotfiles, a data
/// disk), but then only to a folder the user owns and no one else can write.
int OpenChosenRoot(const std::string& root, bool create, std::string* error) {
    struct stat st {};
    if (::lstat(root.c_str(), &st) != 0 && errno == ENOENT && create &&
        !EnsureFolderByPath(root, error)) {
        return -1;
    }
    const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        SetError(error, ErrnoText(root));
        return -1;
    }
    if (::lstat(root.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        struct stat target {};
        if (::fstat(fd, &target) != 0 || target.st_uid != ::geteuid() ||
            (target.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
            SetError(error, root +
                                ": a symbolic link to a folder that is not the user's own alone; "
                                "not followed");
            ::close(fd);
            return -1;
        }
    }
    return fd;
}

/// The reason an entry of `folder` could not be opened without following links.
std::string NoFollowError(int folder, const std::string& name, const std::string& path) {
    const int saved = errno;
    struct stat st {};
    if ((saved == ELOOP || saved == ENOTDIR || saved == EMLINK) &&
        ::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
        return path + ": a symbolic link, not followed";
    }
    errno = saved;
    return ErrnoText(path);
}

/// The open folder that holds a path, reached without following a link below a chosen root,
/// and the name of the path's last component in it.
class ParentHandle {
public:
    static std::optional<ParentHandle> Open(const std::string& path, bool create,
                                            std::string* error) {
        const auto rooted = SplitAtChosenRoot(path);
        if (!rooted) {
            // Outside the chosen folders the path is the caller's own choice: only its last
            // component is not followed.
            const std::string folder = ParentFolder(path);
            if (create && !EnsureFolderByPath(folder, error)) {
                return std::nullopt;
            }
            const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd < 0) {
                SetError(error, ErrnoText(folder));
                return std::nullopt;
            }
            const auto slash = path.find_last_of('/');
            return ParentHandle(fd, slash == std::string::npos ? path : path.substr(slash + 1));
        }
        int fd = OpenChosenRoot(rooted->root, create, error);
        if (fd < 0) {
            return std::nullopt;
        }
        std::string walked = rooted->root;
        for (std::size_t i = 0; i + 1 < rooted->below.size(); ++i) {
            const std::string& name = rooted->below[i];
            walked = JoinPath(walked, name);
            int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (next < 0 && errno == ENOENT && create) {
                if (::mkdirat(fd, name.c_str(), 0700) != 0 && errno != EEXIST) {
                    SetError(error, ErrnoText(walked));
                    ::close(fd);
                    return std::nullopt;
                }
                next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            }
            if (next < 0) {
                SetError(error, NoFollowError(fd, name, walked));
                ::close(fd);
                return std::nullopt;
            }
            ::close(fd);
            fd = next;
        }
        return ParentHandle(fd, rooted->below.back());
    }

    ParentHandle(ParentHandle&& other) noexcept
        : m_fd(std::exchange(other.m_fd, -1)), m_name(std::move(other.m_name)) {}
    ParentHandle& operator=(ParentHandle&&) = delete;
    ParentHandle(const ParentHandle&) = delete;
    ParentHandle& operator=(const ParentHandle&) = delete;
    ~ParentHandle() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }

    int Fd() const { return m_fd; }
    const std::string& Name() const { return m_name; }
    /// The folder's descriptor, now the caller's to close.
    int Release() { return std::exchange(m_fd, -1); }

private:
    ParentHandle(int fd, std::string name) : m_fd(fd), m_name(std::move(name)) {}
    int m_fd = -1;
    std::string m_name;
};

}  // namespace

void UseChosenRoots(std::vector<std::string> roots) {
    std::lock_guard lock(g_chosenMutex);
    g_chosenRoots = std::move(roots);
}

bool EnsureFolder(const std::string& path, std::string* error) {
    if (!SplitAtChosenRoot(path)) {
        const std::string clean = WithoutTrailingSlashes(path);
        for (std::string root : ChosenRoots()) {
            if (WithoutTrailingSlashes(std::move(root)) == clean && !clean.empty()) {
                const int fd = OpenChosenRoot(clean, true, error);
                if (fd < 0) {
                    return false;
                }
                ::close(fd);
                return true;
            }
        }
        return EnsureFolderByPath(path, error);
    }
    // The folder itself is made as the last step of a walk to a name inside it.
    const auto parent = ParentHandle::Open(JoinPath(path, "."), true, error);
    return parent.has_value();
}

int OpenNoFollow(const std::string& path, int flags, mode_t mode, bool createFolders,
                 std::string* error) {
    const auto parent = ParentHandle::Open(path, createFolders, error);
    if (!parent) {
        return -1;
    }
    const int fd =
        ::openat(parent->Fd(), parent->Name().c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) {
        SetError(error, NoFollowError(parent->Fd(), parent->Name(), path));
    }
    return fd;
}

std::optional<NoFollowFolder> NoFollowFolder::Open(const std::string& folder, std::string* error) {
    // The folder as the parent of a name in it: reached exactly as OpenNoFollow reaches it.
    auto parent = ParentHandle::Open(JoinPath(folder, "."), false, error);
    if (!parent) {
        return std::nullopt;
    }
    return NoFollowFolder(parent->Release());
}

int NoFollowFolder::OpenFile(const std::string& name, const std::string& path, int flags,
                             std::string* error) const {
    const int fd = ::openat(m_fd, name.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, 0);
    if (fd < 0) {
        SetError(error, NoFollowError(m_fd, name, path));
    }
    return fd;
}

bool NoFollowFolder::Stat(const std::string& name, struct stat& st) const {
    return ::fstatat(m_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

NoFollowFolder::NoFollowFolder(NoFollowFolder&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)) {}

NoFollowFolder& NoFollowFolder::operator=(NoFollowFolder&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

NoFollowFolder::~NoFollowFolder() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

std::string ErrnoText(std::string_view what) {
    return std::string(what) + ": " + std::strerror(errno);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (!out.empty() && out.back() != '/') {
        out += '/';
    }
    out += name;
    return out;
}

std::string ParentFolder(std::string_view path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string_view::npos) {
        return ".";
    }
    if (slash == 0) {
        return "/";
    }
    return std::string(path.substr(0, slash));
}

namespace {

bool EnsureFolderByPath(const std::string& path, std::string* error) {
    if (path.empty()) {
        SetError(error, "empty folder name");
        return false;
    }
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        const std::string part = path.substr(0, pos);
        struct stat st {};
        if (::lstat(part.c_str(), &st) == 0) {
            if (S_ISDIR(st.st_mode)) {
                continue;
            }
            if (S_ISLNK(st.st_mode) && pos != std::string::npos) {
                // A link higher up the path is the user's own layout (say /home -> /data);
                // only the folder we are asked to make must be a real one.
                struct stat target {};
                if (::stat(part.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) {
                    continue;
                }
            }
            SetError(error, part + ": exists and is not a folder");
            return false;
        }
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            SetError(error, ErrnoText(part));
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::uint64_t> StoredFileSize(int fd, const std::string& path, std::uint64_t maxBytes,
                                            std::string* error) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        SetError(error, ErrnoText(path));
        return std::nullopt;
    }
    if (!S_ISREG(st.st_mode)) {
        SetError(error, path + ": not a regular file");
        return std::nullopt;
    }
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        SetError(error, path + ": larger than " + SizeText(maxBytes) + ", not read");
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(st.st_size);
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::string* error,
                                         std::uint64_t maxBytes) {
    // Non-blocking, so that a FIFO planted here is refused below instead of waited on.
    const int fd = OpenNoFollow(path, O_RDONLY | O_NONBLOCK, 0, false, error);
    if (fd < 0) {
        return std::nullopt;
    }
    const auto size = StoredFileSize(fd, path, maxBytes, error);
    if (!size) {
        ::close(fd);
        return std::nullopt;
    }
    // Read straight into the result, sized by the file's length plus room to see the end.
    std::string data;
    data.resize(static_cast<std::size_t>(*size) + 4096);
    std::size_t used = 0;
    for (;;) {
        if (used == data.size()) {
            if (used > maxBytes) {
                // It grew past the limit while we read it.
                SetError(error, path + ": larger than " + SizeText(maxBytes) + ", not read");
                ::close(fd);
                return std::nullopt;
            }
            data.resize(data.size() * 2);
        }
        const ssize_t n = ::read(fd, data.data() + used, data.size() - used);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            SetError(error, ErrnoText(path));
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        used += static_cast<std::size_t>(n);
    }
    data.resize(used);
    ::close(fd);
    return data;
}

bool WriteFileAtomically(const std::string& path, std::string_view data, std::string* error) {
    const auto parent = ParentHandle::Open(path, false, error);
    if (!parent) {
        return false;
    }
    const std::string folder = ParentFolder(path);
    std::random_device entropy;
    std::string tempName;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tempName = parent->Name() + ".tmp-" + std::to_string(entropy());
        fd = ::openat(parent->Fd(), tempName.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    const std::string temp = JoinPath(folder, tempName);
    if (fd < 0) {
        SetError(error, ErrnoText(temp));
        return false;
    }
    if (!WriteAll(fd, data) || ::fsync(fd) != 0) {
        SetError(error, ErrnoText(temp));
        ::close(fd);
        ::unlinkat(parent->Fd(), tempName.c_str(), 0);
        return false;
    }
    ::close(fd);
    if (::renameat(parent->Fd(), tempName.c_str(), parent->Fd(), parent->Name().c_str()) != 0) {
        SetError(error, ErrnoText(path));
        ::unlinkat(parent->Fd(), tempName.c_str(), 0);
        return false;
    }
    if (::fsync(parent->Fd()) != 0) {
        SetError(error, ErrnoText(folder));
        return false;
    }
    return true;
}

std::optional<std::string> KeepAside(const std::string& path, std::string_view tag) {
    const auto parent = ParentHandle::Open(path, false, nullptr);
    if (!parent) {
        return std::nullopt;
    }
    const int dir = parent->Fd();
    const std::string& name = parent->Name();
    const std::string base =
        name + "." + std::string(tag) + "-" + std::to_string(std::time(nullptr));
    for (int n = 0; n < 1000; ++n) {
        const std::string candidate = n == 0 ? base : base + "." + std::to_string(n);
        // link + unlink instead of rename: never replaces a file kept aside earlier.
        if (::linkat(dir, name.c_str(), dir, candidate.c_str(), 0) == 0) {
            ::unlinkat(dir, name.c_str(), 0);
            return JoinPath(ParentFolder(path), candidate);
        }
        if (errno != EEXIST) {
            if (::renameat(dir, name.c_str(), dir, candidate.c_str()) == 0) {
                return JoinPath(ParentFolder(path), candidate);
            }
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<FileLock> FileLock::Acquire(const std::string& lockPath, std::string* error) {
    const int fd = OpenNoFollow(lockPath, O_RDWR | O_CREAT, 0600, false, error);
    if (fd < 0) {
        return std::nullopt;
    }
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            SetError(error, ErrnoText(lockPath));
            ::close(fd);
            return std::nullopt;
        }
    }
    return FileLock(fd);
}

std::optional<FileLock> FileLock::TryAcquire(const std::string& lockPath, bool* busy,
                                             std::string* error) {
    *busy = false;
    const int fd = OpenNoFollow(lockPath, O_RDWR | O_CREAT, 0600, false, error);
    if (fd < 0) {
        return std::nullopt;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR) {
            *busy = errno == EWOULDBLOCK;
            SetError(error, ErrnoText(lockPath));
            ::close(fd);
            return std::nullopt;
        }
    }
    return FileLock(fd);
}

FileLock::FileLock(FileLock&& other) noexcept : m_fd(other.m_fd) {
    other.m_fd = -1;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

FileLock::~FileLock() {
    if (m_fd >= 0) {
        ::close(m_fd);  // closing the last descriptor releases the flock
    }
}

}  // namespace ov
