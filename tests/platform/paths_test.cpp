#include "platform/paths.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace ov {
namespace {

TEST(PathsTest, HomeVariableWinsForDataAndBothHives) {
    test::TempDir dir;
    test::ScopedEnv home("ORVANTA_HOME", dir.Path());
    EXPECT_EQ(DataRoot(), dir.Path());
    EXPECT_EQ(MachineHivePath(), dir.File("machine.reg"));
    EXPECT_EQ(UserHivePath(), dir.File("user.reg"));
}

TEST(PathsTest, WithoutHomeTheXdgFoldersAreUsed) {
    test::TempDir dir;
    test::ScopedEnv home("ORVANTA_HOME", std::nullopt);
    test::ScopedEnv config("XDG_CONFIG_HOME", dir.File("cfg"));
    test::ScopedEnv data("XDG_DATA_HOME", dir.File("data"));
    // The test binary's folder holds no Langs folder, so it is not a portable copy.
    EXPECT_EQ(DataRoot(), dir.File("data/orvanta"));
    EXPECT_EQ(UserHivePath(), dir.File("cfg/orvanta/user.reg"));
    EXPECT_EQ(EnsureDataRoot(), dir.File("data/orvanta"));

    test::ScopedEnv noData("XDG_DATA_HOME", std::nullopt);
    test::ScopedEnv fakeHome("HOME", dir.Path());
    EXPECT_EQ(DataRoot(), dir.File(".local/share/orvanta"));
}

}  // namespace
}  // namespace ov
