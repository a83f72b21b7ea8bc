// The system keys: the Run key, application paths, the system language, the shell folders
// and the language names, as the program reads and writes them through the registry.
#include "platform/registry/system_keys.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/registry/registry.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

class SystemKeysTest : public ::testing::Test {
protected:
    SystemKeysTest()
        : m_store([this] { return m_home.File("machine.reg"); },
                  [this] { return m_home.File("user.reg"); }) {}

    /// The text of a value, or "(error N)".
    std::string Read(HKEY root, const std::string& path, const char* name) {
        HKEY key = 0;
        if (const auto error = m_store.OpenKey(root, path.c_str(), KEY_READ, &key)) {
            return "(error " + std::to_string(error) + ")";
        }
        char buffer[1024];
        std::uint32_t size = sizeof buffer;
        const auto error =
            m_store.QueryValue(key, name, nullptr, reinterpret_cast<std::uint8_t*>(buffer), &size);
        m_store.CloseKey(key);
        if (error) {
            return "(error " + std::to_string(error) + ")";
        }
        return std::string(buffer, strnlen(buffer, size));
    }

    std::uint32_t Write(HKEY root, const std::string& path, const char* name,
                        const std::string& text, std::uint32_t type = REG_SZ) {
        HKEY key = 0;
        if (const auto error =
                m_store.CreateKey(root, path.c_str(), KEY_ALL_ACCESS, &key, nullptr)) {
            return error;
        }
        const auto error =
            m_store.SetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(text.data()),
                             static_cast<std::uint32_t>(text.size()));
        m_store.CloseKey(key);
        return error;
    }

    std::uint32_t Delete(HKEY root, const std::string& path, const char* name) {
        HKEY key = 0;
        if (const auto error = m_store.OpenKey(root, path.c_str(), KEY_ALL_ACCESS, &key)) {
            return error;
        }
        const auto error = m_store.DeleteValue(key, name);
        m_store.CloseKey(key);
        return error;
    }

    test::TempHome m_home;
    RegistryStore m_store;
};

TEST_F(SystemKeysTest, TheRunKeyIsEmptyAndTakesNoValuesWithoutAnAutostartList) {
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kRunKey, "Orvanta"), "(error 2)");
    EXPECT_EQ(Write(HKEY_LOCAL_MACHINE, kRunKey, "Orvanta", "/usr/bin/orvanta"),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(Delete(HKEY_LOCAL_MACHINE, kRunKey, "Orvanta"), ERROR_FILE_NOT_FOUND);
    // Never kept in the machine hive instead.
    EXPECT_EQ(test::ReadFileOrEmpty(m_home.File("machine.reg")).find("Orvanta\"="),
              std::string::npos);
}

TEST_F(SystemKeysTest, ApplicationPathsComeFromTheHiveElseFromThePath) {
    const std::string bin = m_home.File("bin");
    std::filesystem::create_directory(bin);
    test::WriteFileOrDie(bin + "/tool", "#!/bin/sh\n");
    ::chmod((bin + "/tool").c_str(), 0700);
    test::WriteFileOrDie(bin + "/plain", "not executable\n");
    test::ScopedEnv path("PATH", "relative:" + bin);

    const struct {
        std::string name;
        std::string program;
    } cases[] = {
        {"tool", bin + "/tool"},
        {"TOOL.EXE", ""},  // the file name is matched exactly, only
                           // .exe is dropped
        {"tool.exe", bin + "/tool"},
        {"plain", "(error 2)"},
        {"missing.exe", "(error 2)"},
    };
    for (const auto& c : cases) {
        const std::string expected = c.program.empty() ? "(error 2)" : c.program;
        EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kAppPaths + c.name, nullptr), expected) << c.name;
    }
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "tool", "Path"), bin);

    // Registered in the hive: the hive's entry is the answer, not the search.
    ASSERT_EQ(Write(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "tool", nullptr, "/opt/tool"), 0u);
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "Tool", nullptr), "/opt/tool");
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "Tool", "Path"), "(error 2)");
}

TEST_F(SystemKeysTest, TheSystemLanguageAndItsNames) {
    const struct {
        const char* locale;
        const char* language;
        const char* locale8;
        const char* rfc1766;  // the entry of the language under Rfc1766
    } cases[] = {
        {"sk_SK.UTF-8", "041B", "0000041B", "sk;Slovak"},
        {"en_US.UTF-8", "0409", "00000409", "en-us;English (United States)"},
        {"de_AT", "0C07", "00000C07", "de-at;German (Austria)"},
        {"C", "0409", "00000409", "en-us;English (United States)"},
    };
    for (const auto& c : cases) {
        test::ScopedEnv all("LC_ALL", c.locale);
        EXPECT_EQ(
            Read(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Nls\\Language", nullptr),
            c.language);
        EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Nls\\Locale", ""),
                  c.locale8);
        EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "MIME\\Database\\Rfc1766", c.language), c.rfc1766);
    }
    EXPECT_EQ(
        Read(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Nls\\Locale", "0000041b"),
        "Slovak");
    EXPECT_EQ(Read(HKEY_CLASSES_ROOT, "MIME\\Database\\Rfc1766", "0000"), "(error 2)");
}

TEST_F(SystemKeysTest, ShellFoldersFollowTheDesktopSettings) {
    const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    EXPECT_EQ(Read(HKEY_CURRENT_USER, key, "Programs"), m_home.File("data/applications"));
    EXPECT_EQ(Read(HKEY_CURRENT_USER, key, "Desktop"), m_home.File("Desktop"));

    std::filesystem::create_directories(m_home.File("config"));
    test::WriteFileOrDie(m_home.File("config/user-dirs.dirs"),
                         "# comment\nXDG_DESKTOP_DIR=\"$HOME/Plocha\"\n");
    EXPECT_EQ(Read(HKEY_CURRENT_USER, key, "Desktop"), m_home.File("Plocha"));
    // A value stored by the user stands over what the system says.
    ASSERT_EQ(Write(HKEY_CURRENT_USER, key, "Desktop", "/elsewhere"), 0u);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, key, "Desktop"), "/elsewhere");
}

TEST_F(SystemKeysTest, SystemKeysAndTheirParentsExistWithoutHiveData) {
    const struct {
        HKEY root;
        const char* path;
        std::vector<std::string> subkeys;
    } cases[] = {
        {HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Nls", {"Language", "Locale"}},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", {"Run", "App Paths"}},
        {HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion", {"Explorer"}},
        {HKEY_CLASSES_ROOT, "", {"MIME"}},
    };
    for (const auto& c : cases) {
        HKEY key = 0;
        ASSERT_EQ(m_store.OpenKey(c.root, c.path, KEY_READ, &key), 0u) << c.path;
        std::vector<std::string> subkeys;
        ASSERT_EQ(m_store.ListKey(key, nullptr, &subkeys), 0u);
        EXPECT_EQ(subkeys, c.subkeys) << c.path;
        m_store.CloseKey(key);
    }
    EXPECT_FALSE(std::filesystem::exists(m_home.File("machine.reg")));
}

}  // namespace
}  // namespace ov
