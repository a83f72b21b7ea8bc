#pragma once

#include <optional>
#include <string>

#include "platform/paths.h"

namespace ov::test {

/// A fresh folder under $TMPDIR, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

/// Sets (or, with nothing, unsets) an environment variable for the object's lifetime.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

/// A temporary data root: the program's paths all in a fresh folder (ProgramPaths::InFolder),
/// handed to the code under test. While it lives its hives and folders are the ones the
/// process's registry and file layer use, as a program's main names its own; the one made
/// before it takes over again when it goes. Nothing a test does reaches the user's own files.
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::string& Path() const { return m_dir.Path(); }
    std::string File(const std::string& name) const { return m_dir.File(name); }
    const ProgramPaths& Paths() const { return m_paths; }

private:
    TempDir m_dir;
    ProgramPaths m_paths;
    TempHome* m_previous;
};

/// A TempHome that the programs a test starts find too: ORVANTA_HOME, XDG_CONFIG_HOME and
/// XDG_DATA_HOME point into it (as a user would set them), and ORVANTA_RAS chooses the
/// simulator.
class ChildHome : public TempHome {
public:
    ChildHome();

private:
    ScopedEnv m_home;
    ScopedEnv m_config;
    ScopedEnv m_data;
    ScopedEnv m_ras;
};

std::string ReadFileOrEmpty(const std::string& path);
void WriteFileOrDie(const std::string& path, const std::string& text);

}  // namespace ov::test
