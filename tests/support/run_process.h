#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace ov::test {

struct ProcessResult {
    int exitCode = -1;  // -1 when it did not exit normally
    std::string out;
    std::string err;
};

/// Runs a program with an argument vector (no shell), feeding `input` to its standard input,
/// and returns its exit code and output.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input = {});

/// A program left running in the background whose standard output is read line by line.
class BackgroundProcess {
public:
    /// Standard error goes to `errorFile` when one is given, else where ours goes.
    explicit BackgroundProcess(const std::vector<std::string>& argv,
                               const std::string& errorFile = {});
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    /// The next line of standard output without its LF; empty with `ok` false on a timeout or
    /// at the end of the output.
    std::string ReadLine(std::chrono::milliseconds timeout, bool* ok = nullptr);
    void Signal(int signal);
    /// Stops reading: the program's next writes to standard output fail (a closed pipe).
    void CloseOutput();
    /// Waits for the end; the exit code, or -1 when it was killed by a signal.
    int Wait();
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_buffer;
    bool m_reaped = false;
};

}  // namespace ov::test
