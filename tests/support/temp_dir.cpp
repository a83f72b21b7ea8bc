#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/file_util.h"
#include "platform/registry/registry.h"

namespace ov::test {

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/orvanta-test-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        ADD_FAILURE() << "cannot make a temporary folder";
    }
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value)
    : m_name(std::move(name)) {
    if (const char* old = std::getenv(m_name.c_str())) {
        m_old = old;
    }
    if (value) {
        setenv(m_name.c_str(), value->c_str(), 1);
    } else {
        unsetenv(m_name.c_str());
    }
}

ScopedEnv::~ScopedEnv() {
    if (m_old) {
        setenv(m_name.c_str(), m_old->c_str(), 1);
    } else {
        unsetenv(m_name.c_str());
    }
}

namespace {

TempHome* g_current = nullptr;

/// Names `paths` to the registry and the file layer, as a program's main does.
void UsePaths(const ProgramPaths& paths) {
    UseChosenRoots(paths.ChosenRoots());
    RegistryStore::UseDefaultPaths(paths);
}

}  // namespace

TempHome::TempHome() : m_paths(ProgramPaths::InFolder(m_dir.Path())), m_previous(g_current) {
    g_current = this;
    UsePaths(m_paths);
}

TempHome::~TempHome() {
    g_current = m_previous;
    UsePaths(m_previous != nullptr ? m_previous->Paths() : ProgramPaths{});
}

ChildHome::ChildHome()
    : m_home("ORVANTA_HOME", Path()),
      m_config("XDG_CONFIG_HOME", File("config")),
      m_data("XDG_DATA_HOME", File("data")),
      m_ras("ORVANTA_RAS", "sim") {}

std::string ReadFileOrEmpty(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFileOrDie(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    ASSERT_TRUE(out.good()) << path;
}

}  // namespace ov::test
