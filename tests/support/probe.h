#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "launcher/app_paths.h"
#include "support/temp_dir.h"

namespace ov::test {

/// Copies the probe program to `folder/name` (mode 0755) and returns the copy's path. Copy every
/// probe before starting programs: a copy still open for writing cannot be run.
std::string CopyProbe(const std::string& folder, const std::string& name);

/// Whether a process with this id exists and has not ended (a zombie has ended).
bool IsAlive(pid_t pid);

/// Polls `done` every few milliseconds until it holds or `timeout` has passed.
bool WaitFor(const std::function<bool()>& done,
             std::chrono::milliseconds timeout = std::chrono::seconds(10));

/// What the probe with this process id reported: its arguments, then "show=<hint>". Nothing
/// when no report came within the time-out.
std::optional<std::vector<std::string>> ProbeReport(const std::string& folder, pid_t pid);

/// Registered applications as a test gives them.
class FixedAppPaths final : public AppPaths {
public:
    explicit FixedAppPaths(std::map<std::string, std::string> paths) : m_paths(std::move(paths)) {}
    std::string Lookup(const std::string& name) const override {
        const auto it = m_paths.find(name);
        return it == m_paths.end() ? std::string() : it->second;
    }

private:
    std::map<std::string, std::string> m_paths;
};

/// Writes an executable (mode 0755) file, such as a script, and returns its path.
std::string WriteProgram(const std::string& path, const std::string& text);

/// The process id of the one probe that has reported to `folder`; 0 while none has.
pid_t ReportedProbe(const std::string& folder);

/// Points the probes at a report folder; with `stay` they wait for a signal instead of ending.
class ProbeSetup {
public:
    ProbeSetup(const std::string& reportFolder, bool stay);

private:
    ScopedEnv m_dir;
    ScopedEnv m_stay;
};

}  // namespace ov::test
