#include "platform/file_util.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <random>

namespace ov {

namespace {

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

bool SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

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

bool EnsureFolder(const std::string& path, std::string* error) {
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

std::optional<std::string> ReadWholeFile(const std::string& path, std::string* error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        SetError(error, ErrnoText(path));
        return std::nullopt;
    }
    // Read straight into the result, sized by the file's length plus room to see the end.
    std::string data;
    struct stat st {};
    const std::size_t expected =
        ::fstat(fd, &st) == 0 && st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
    data.resize(expected + 4096);
    std::size_t used = 0;
    for (;;) {
        if (used == data.size()) {
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
    const std::string folder = ParentFolder(path);
    std::random_device entropy;
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = path + ".tmp-" + std::to_string(entropy());
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        SetError(error, ErrnoText(temp));
        return false;
    }
    if (!WriteAll(fd, data) || ::fsync(fd) != 0) {
        SetError(error, ErrnoText(temp));
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    }
    ::close(fd);
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        SetError(error, ErrnoText(path));
        ::unlink(temp.c_str());
        return false;
    }
    if (!SyncFolder(folder)) {
        SetError(error, ErrnoText(folder));
        return false;
    }
    return true;
}

std::optional<std::string> KeepAside(const std::string& path, std::string_view tag) {
    const std::string base =
        path + "." + std::string(tag) + "-" + std::to_string(std::time(nullptr));
    for (int n = 0; n < 1000; ++n) {
        const std::string candidate = n == 0 ? base : base + "." + std::to_string(n);
        // link + unlink instead of rename: never replaces a file kept aside earlier.
        if (::link(path.c_str(), candidate.c_str()) == 0) {
            ::unlink(path.c_str());
            return candidate;
        }
        if (errno != EEXIST) {
            if (::rename(path.c_str(), candidate.c_str()) == 0) {
                return candidate;
            }
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<FileLock> FileLock::Acquire(const std::string& lockPath, std::string* error) {
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        SetError(error, ErrnoText(lockPath));
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
