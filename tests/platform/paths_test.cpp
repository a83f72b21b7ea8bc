#include "platform/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "support/temp_dir.h"

namespace ov {
namespace {

using Variables = std::map<std::string, std::string>;

ProgramPaths FromVariables(const Variables& variables, const std::string& programFolder,
                           const std::string& userHome = "/home/pw") {
    return ProgramPaths::FromVariables(
        [&variables](const char* name) {
            const auto it = variables.find(name);
            return it == variables.end() ? std::string() : it->second;
        },
        programFolder, userHome);
}

TEST(PathsTest, TheDataRootAndTheUserHiveFollowTheVariablesInTheirOrder) {
    test::TempDir dir;
    // A portable copy: a writable program folder holding Langs.
    const std::string portable = dir.File("portable");
    std::filesystem::create_directories(portable + "/Langs");
    // An installed copy: its folder holds no Langs.
    const std::string installed = dir.File("installed");
    std::filesystem::create_directories(installed);

    struct Case {
        const char* what;
        Variables variables;
        std::string programFolder;
        std::string dataRoot;
        std::string userHive;
        std::string autostartFolder;
    };
    const Case cases[] = {
        {"ORVANTA_HOME holds both hives and wins over a portable copy",
         {{"ORVANTA_HOME", "/o"}, {"XDG_CONFIG_HOME", "/c"}, {"XDG_DATA_HOME", "/d"}},
         portable,
         "/o",
         "/o/user.reg",
         "/c/autostart"},
        {"a portable copy keeps its data beside the program, the user hive in the config folder",
         {{"XDG_CONFIG_HOME", "/c"}, {"XDG_DATA_HOME", "/d"}},
         portable,
         portable,
         "/c/orvanta/user.reg",
         "/c/autostart"},
        {"an installed copy uses the XDG folders",
         {{"XDG_CONFIG_HOME", "/c"}, {"XDG_DATA_HOME", "/d"}},
         installed,
         "/d/orvanta",
         "/c/orvanta/user.reg",
         "/c/autostart"},
        {"without the XDG variables, the folders below HOME",
         {{"HOME", "/h"}},
         installed,
         "/h/.local/share/orvanta",
         "/h/.config/orvanta/user.reg",
         "/h/.config/autostart"},
        {"without HOME, the password database's home",
         {},
         installed,
         "/home/pw/.local/share/orvanta",
         "/home/pw/.config/orvanta/user.reg",
         "/home/pw/.config/autostart"},
        {"a program folder that does not exist is no portable copy",
         {{"XDG_DATA_HOME", "/d"}, {"HOME", "/h"}},
         dir.File("missing"),
         "/d/orvanta",
         "/h/.config/orvanta/user.reg",
         "/h/.config/autostart"},
    };
    for (const auto& c : cases) {
        const ProgramPaths paths = FromVariables(c.variables, c.programFolder);
        EXPECT_EQ(paths.dataRoot, c.dataRoot) << c.what;
        EXPECT_EQ(paths.userHive, c.userHive) << c.what;
        EXPECT_EQ(paths.autostartFolder, c.autostartFolder) << c.what;
        EXPECT_EQ(paths.programFolder, c.programFolder) << c.what;
        // Everything else of the program's lies in the data root, under its fixed names.
        EXPECT_EQ(paths.logFolder, c.dataRoot + "/LogData") << c.what;
        EXPECT_EQ(paths.tariffFile, c.dataRoot + "/Prices.ini") << c.what;
        EXPECT_EQ(paths.machineHive, c.dataRoot + "/machine.reg") << c.what;
        EXPECT_EQ(paths.simulatorState, c.dataRoot + "/ras-sim.state") << c.what;
        EXPECT_EQ(
            paths.ChosenRoots(),
            (std::vector<std::string>{c.dataRoot, c.userHive.substr(0, c.userHive.rfind('/'))}))
            << c.what;
    }
}

TEST(PathsTest, TheEnvironmentIsReadAsTheVariablesAreAndAGivenHomeTakesItsPlace) {
    test::TempDir dir;
    test::ScopedEnv home("ORVANTA_HOME", dir.File("env"));
    test::ScopedEnv config("XDG_CONFIG_HOME", dir.File("cfg"));
    EXPECT_EQ(ProgramPaths::FromEnvironment().dataRoot, dir.File("env"));
    EXPECT_EQ(ProgramPaths::FromEnvironment().userHive, dir.File("env/user.reg"));
    EXPECT_EQ(ProgramPaths::FromEnvironment().autostartFolder, dir.File("cfg/autostart"));
    // orvanta-cli --home DIR: as ORVANTA_HOME=DIR.
    const ProgramPaths given = ProgramPaths::FromEnvironment(dir.File("given"));
    EXPECT_EQ(given.dataRoot, dir.File("given"));
    EXPECT_EQ(given.machineHive, dir.File("given/machine.reg"));
    EXPECT_EQ(given.userHive, dir.File("given/user.reg"));

    test::ScopedEnv noHome("ORVANTA_HOME", std::nullopt);
    test::ScopedEnv data("XDG_DATA_HOME", dir.File("data"));
    // The test binary's folder holds no Langs folder, so it is not a portable copy.
    const ProgramPaths xdg = ProgramPaths::FromEnvironment();
    EXPECT_EQ(xdg.dataRoot, dir.File("data/orvanta"));
    EXPECT_EQ(xdg.userHive, dir.File("cfg/orvanta/user.reg"));
    std::string error;
    EXPECT_TRUE(xdg.EnsureDataRoot(&error)) << error;
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("data/orvanta")));
}

TEST(PathsTest, AFolderOfItsOwnHoldsEverything) {
    const ProgramPaths paths = ProgramPaths::InFolder("/t");
    EXPECT_EQ(paths.dataRoot, "/t");
    EXPECT_EQ(paths.userHive, "/t/user.reg");
    EXPECT_EQ(paths.autostartFolder, "/t/config/autostart");
    EXPECT_EQ(paths.homeFolder, "/t");
    EXPECT_EQ(paths.dataHome, "/t/data");
}

}  // namespace
}  // namespace ov
