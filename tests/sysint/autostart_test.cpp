// The desktop's autostart files as the registry's Run key: what the program writes there
// becomes one .desktop file, and other programs' files are left alone.
#include "sysint/autostart.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/registry/registry.h"
#include "platform/win_error.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

class AutostartTest : public ::testing::Test {
protected:
    AutostartTest()
        : m_store([this] { return m_home.File("machine.reg"); },
                  [this] { return m_home.File("user.reg"); }) {
        UseDesktopAutostart(m_home.Paths().autostartFolder);
    }

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

TEST_F(AutostartTest, TheAutostartFileFollowsTheRunValue) {
    const std::string file = m_home.Paths().autostartFolder + "/Orvanta.desktop";
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kRunKey, "Orvanta"), "(error 2)");

    ASSERT_EQ(Write(HKEY_LOCAL_MACHINE, kRunKey, "Orvanta", "/opt/my apps/orvanta"), 0u);
    const std::string text = test::ReadFileOrEmpty(file);
    EXPECT_NE(text.find("[Desktop Entry]\nType=Application\nName=Orvanta\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("\nExec=\"/opt/my apps/orvanta\"\n"), std::string::npos) << text;
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kRunKey, "orvanta"), "/opt/my apps/orvanta");

    // A new path rewrites the same file, whatever the case of the name.
    ASSERT_EQ(Write(HKEY_LOCAL_MACHINE, kRunKey, "ORVANTA", "/usr/bin/orvanta %u"), 0u);
    EXPECT_NE(test::ReadFileOrEmpty(file).find("\nExec=\"/usr/bin/orvanta %%u\"\n"),
              std::string::npos);
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kRunKey, "Orvanta"), "/usr/bin/orvanta %u");
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(m_home.Paths().autostartFolder), {}), 1);
    // Nothing of it went into the machine hive.
    EXPECT_EQ(test::ReadFileOrEmpty(m_home.File("machine.reg")).find("Orvanta\"="),
              std::string::npos);

    ASSERT_EQ(Delete(HKEY_LOCAL_MACHINE, kRunKey, "orvanta"), 0u);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(Delete(HKEY_LOCAL_MACHINE, kRunKey, "Orvanta"), ERROR_FILE_NOT_FOUND);
}

TEST_F(AutostartTest, OtherProgramsAutostartFilesAreLeftAlone) {
    ASSERT_TRUE(std::filesystem::create_directories(m_home.Paths().autostartFolder));
    const std::string foreign = m_home.Paths().autostartFolder + "/Other.desktop";
    test::WriteFileOrDie(foreign, "[Desktop Entry]\nExec=other\n");
    EXPECT_EQ(Write(HKEY_LOCAL_MACHINE, kRunKey, "Other", "/bin/x"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Delete(HKEY_LOCAL_MACHINE, kRunKey, "Other"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Write(HKEY_LOCAL_MACHINE, kRunKey, "../escape", "/bin/x"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(Write(HKEY_LOCAL_MACHINE, kRunKey, "Num", "1234", REG_DWORD),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(test::ReadFileOrEmpty(foreign), "[Desktop Entry]\nExec=other\n");
}

}  // namespace
}  // namespace ov
