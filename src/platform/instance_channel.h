#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "platform/file_util.h"

namespace ov {

/// The per-user folder for the program's sockets: `orvanta` in $XDG_RUNTIME_DIR (else
/// /tmp/orvanta-<uid>), made 0700. Refused when it is not a folder of this user that only this
/// user can enter; empty then, with `error` saying why.
std::string InstanceFolder(std::string* error = nullptr);

/// The name of the single-instance channel of the program at `programPath`: copies of the
/// same executable share it, other copies of the program do not.
std::string InstanceChannelName(const std::string& programPath);

/// The running copy's end of the single-instance channel: a lock that says "a copy runs" and a
/// local socket on which a later copy asks it to come forward. Held while the object lives;
/// the lock goes with the process, so a socket left by a crashed copy is taken over by the
/// next one.
class InstanceServer {
public:
    /// What a later copy asks for.
    static constexpr const char* kRaiseRequest = "raise";

    /// Claims the channel `name` in `folder`. Nothing when another copy holds it (`busy` set)
    /// or the channel cannot be made (`error` set).
    static std::optional<InstanceServer> Claim(const std::string& folder, const std::string& name,
                                               bool* busy, std::string* error = nullptr);
    InstanceServer(InstanceServer&& other) noexcept;
    InstanceServer& operator=(InstanceServer&& other) = delete;
    InstanceServer(const InstanceServer&) = delete;
    InstanceServer& operator=(const InstanceServer&) = delete;
    ~InstanceServer();

    /// The listening socket (non-blocking), to watch for readability.
    int Fd() const { return m_listenFd; }
    const std::string& SocketPath() const { return m_socketPath; }

    /// Takes one waiting request and answers it. True when it was a raise request from a
    /// process of this user; a peer of another user is refused and closed unanswered.
    bool AcceptRequest() const;

private:
    InstanceServer(FileLock lock, int listenFd, std::string socketPath)
        : m_lock(std::move(lock)), m_listenFd(listenFd), m_socketPath(std::move(socketPath)) {}

    FileLock m_lock;
    int m_listenFd = -1;
    std::string m_socketPath;
};

/// Asks the copy holding channel `name` in `folder` to come forward, retrying while that copy
/// is still starting, until `timeout`. True once it answered; a listener of another user is
/// never asked.
bool AskRunningCopy(const std::string& folder, const std::string& name,
                    std::chrono::milliseconds timeout, std::string* error = nullptr);

}  // namespace ov
