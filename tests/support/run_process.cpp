#include "support/run_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace ov::test {

namespace {

std::vector<char*> ArgvOf(const std::vector<std::string>& argv) {
    std::vector<char*> out;
    out.reserve(argv.size() + 1);
    for (const auto& a : argv) {
        out.push_back(const_cast<char*>(a.c_str()));
    }
    out.push_back(nullptr);
    return out;
}

std::string Drain(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return text;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

int ExitCodeOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input) {
    int in[2];
    int out[2];
    int err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    pid_t pid = -1;
    auto args = ArgvOf(argv);
    const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    ProcessResult result;
    if (rc != 0) {
        ::close(in[1]);
        ::close(out[0]);
        ::close(err[0]);
        return result;
    }
    // Feed and read at the same time so that neither side fills a pipe and waits forever.
    std::thread feeder([fd = in[1], &input] {
        std::size_t done = 0;
        while (done < input.size()) {
            const ssize_t n = ::write(fd, input.data() + done, input.size() - done);
            if (n <= 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        ::close(fd);
    });
    std::thread errReader([&result, fd = err[0]] { result.err = Drain(fd); });
    result.out = Drain(out[0]);
    errReader.join();
    feeder.join();
    ::close(out[0]);
    ::close(err[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = ExitCodeOf(status);
    return result;
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv,
                                     const std::string& errorFile) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    if (!errorFile.empty()) {
        posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    auto args = ArgvOf(argv);
    if (posix_spawn(&m_pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
        m_pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    m_out = out[0];
}

BackgroundProcess::~BackgroundProcess() {
    if (m_pid > 0 && !m_reaped) {
        ::kill(m_pid, SIGKILL);
        Wait();
    }
    if (m_out >= 0) {
        ::close(m_out);
    }
}

std::string BackgroundProcess::ReadLine(std::chrono::milliseconds timeout, bool* ok) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (const auto eol = m_buffer.find('\n'); eol != std::string::npos) {
            std::string line = m_buffer.substr(0, eol);
            m_buffer.erase(0, eol + 1);
            if (ok) {
                *ok = true;
            }
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{m_out, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            break;
        }
        char buffer[4096];
        const ssize_t n = ::read(m_out, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        m_buffer.append(buffer, static_cast<std::size_t>(n));
    }
    if (ok) {
        *ok = false;
    }
    return {};
}

void BackgroundProcess::CloseOutput() {
    if (m_out >= 0) {
        ::close(m_out);
        m_out = -1;
    }
}

void BackgroundProcess::Signal(int signal) {
    if (m_pid > 0 && !m_reaped) {
        ::kill(m_pid, signal);
    }
}

int BackgroundProcess::Wait() {
    if (m_pid <= 0) {
        return -1;
    }
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_reaped = true;
    return ExitCodeOf(status);
}

}  // namespace ov::test
