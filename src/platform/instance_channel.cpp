#include "platform/instance_channel.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace ov {

namespace {

using Clock = std::chrono::steady_clock;

/// How long a peer may take to send its request or answer one: the running copy reads the
/// request on its window thread and must not hang there on a peer that says nothing.
constexpr int kPeerTimeoutMs = 500;

bool SetError(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
    return false;
}

/// Whether `path` is a folder of this user that nobody else can enter, making it so when it
/// is ours but too open.
bool CheckPrivateFolder(const std::string& path, std::string* error) {
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        return SetError(error, ErrnoText("cannot make " + path));
    }
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        return SetError(error, ErrnoText("cannot read " + path));
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != geteuid()) {
        return SetError(error, path + " is not a folder of this user");
    }
    if ((info.st_mode & 077) != 0 && chmod(path.c_str(), 0700) != 0) {
        return SetError(error, ErrnoText("cannot make " + path + " private"));
    }
    return true;
}

bool FillAddress(const std::string& path, sockaddr_un& address, std::string* error) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) {
        return SetError(error, "the socket path is too long: " + path);
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool PeerIsThisUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof(peer);
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == geteuid();
}

/// Reads one line (without its newline) within the peer timeout.
std::optional<std::string> ReadLine(int fd) {
    std::string line;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kPeerTimeoutMs);
    while (line.size() < 64) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd watch{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&watch, 1, static_cast<int>(left.count())) <= 0) {
            return std::nullopt;
        }
        char c = 0;
        const ssize_t got = read(fd, &c, 1);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (got <= 0) {
            return std::nullopt;
        }
        if (c == '\n') {
            return line;
        }
        line.push_back(c);
    }
    return std::nullopt;
}

bool WriteLine(int fd, const std::string& text) {
    const std::string line = text + "\n";
    return send(fd, line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size());
}

}  // namespace

std::string InstanceFolder(std::string* error) {
    std::string base;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime) {
        base = runtime;
    } else {
        base = "/tmp";
    }
    std::string folder =
        base + (base == "/tmp" ? "/orvanta-" + std::to_string(geteuid()) : std::string("/orvanta"));
    if (!CheckPrivateFolder(folder, error)) {
        return {};
    }
    return folder;
}

std::string InstanceChannelName(const std::string& programPath) {
    // FNV-1a: the same name for the same path in every build.
    std::uint64_t hash = 14695981039346656037ULL;
    for (const unsigned char c : programPath) {
        hash = (hash ^ c) * 1099511628211ULL;
    }
    char name[32];
    (void)std::snprintf(name, sizeof(name), "instance-%016llx",
                        static_cast<unsigned long long>(hash));
    return name;
}

std::optional<InstanceServer> InstanceServer::Claim(const std::string& folder,
                                                    const std::string& name, bool* busy,
                                                    std::string* error) {
    *busy = false;
    auto lock = FileLock::TryAcquire(folder + "/" + name + ".lock", busy, error);
    if (!lock) {
        return std::nullopt;
    }
    // The lock is ours, so a socket still there was left by a copy that ended without removing
    // it.
    const std::string socketPath = folder + "/" + name + ".sock";
    sockaddr_un address{};
    if (!FillAddress(socketPath, address, error)) {
        return std::nullopt;
    }
    unlink(socketPath.c_str());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        SetError(error, ErrnoText("cannot make the instance socket"));
        return std::nullopt;
    }
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        chmod(socketPath.c_str(), 0600) != 0 || listen(fd, 8) != 0) {
        SetError(error, ErrnoText("cannot listen on " + socketPath));
        close(fd);
        return std::nullopt;
    }
    return InstanceServer(std::move(*lock), fd, socketPath);
}

InstanceServer::InstanceServer(InstanceServer&& other) noexcept
    : m_lock(std::move(other.m_lock)),
      m_listenFd(other.m_listenFd),
      m_socketPath(std::move(other.m_socketPath)) {
    other.m_listenFd = -1;
    other.m_socketPath.clear();
}

InstanceServer::~InstanceServer() {
    if (m_listenFd >= 0) {
        // Removed while the lock is still held, so it never removes a successor's socket.
        unlink(m_socketPath.c_str());
        close(m_listenFd);
    }
}

bool InstanceServer::AcceptRequest() const {
    const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool raise = false;
    if (PeerIsThisUser(fd)) {
        const auto request = ReadLine(fd);
        raise = request && *request == kRaiseRequest;
        WriteLine(fd, raise ? "ok" : "unknown request");
    }
    close(fd);
    return raise;
}

bool AskRunningCopy(const std::string& folder, const std::string& name,
                    std::chrono::milliseconds timeout, std::string* error) {
    sockaddr_un address{};
    if (!FillAddress(folder + "/" + name + ".sock", address, error)) {
        return false;
    }
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            return SetError(error, ErrnoText("cannot make a socket"));
        }
        if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) {
            if (!PeerIsThisUser(fd)) {
                close(fd);
                return SetError(error, "the instance socket belongs to another user");
            }
            const bool answered = WriteLine(fd, InstanceServer::kRaiseRequest) &&
                                  ReadLine(fd) == std::optional<std::string>("ok");
            close(fd);
            if (answered) {
                return true;
            }
        } else {
            close(fd);
        }
        // The running copy may hold the lock and not listen yet: it is still starting.
        if (Clock::now() >= deadline) {
            return SetError(error, "the running copy does not answer");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace ov
