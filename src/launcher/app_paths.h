#pragma once

#include <string>

namespace ov {

/// The system's register of applications by bare name (an executable's file name → its full
/// path), where programs configured without a folder are looked up.
class AppPaths {
public:
    virtual ~AppPaths() = default;
    /// The full path registered for `name`; empty when there is none.
    virtual std::string Lookup(const std::string& name) const = 0;
};

/// Finds a bare name as an executable file in the folders of PATH (the system's default search
/// path when PATH is unset). Empty and relative folders are skipped: a program is never taken
/// from wherever the program happens to run.
class PathSearchAppPaths final : public AppPaths {
public:
    std::string Lookup(const std::string& name) const override;
};

/// A configured program's path as it is started and looked for: an absolute path unchanged, a
/// bare name through `appPaths` (empty when it is not registered).
std::string ResolveProgramPath(const std::string& path, const AppPaths& appPaths);

}  // namespace ov
