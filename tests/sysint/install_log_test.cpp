// The installation record, the shortcuts and the autostart entry, in a temporary home.
#include "sysint/install_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <sstream>

#include "platform/file_util.h"
#include "platform/ras/ras_sim.h"
#include "platform/registry/system_keys.h"
#include "platform/text_util.h"
#include "settings/registry_key.h"
#include "support/bratislava_time.h"
#include "support/run_process.h"
#include "support/temp_dir.h"
#include "sysint/autostart.h"
#include "sysint/shortcuts.h"

namespace ov {
namespace {

namespace fs = std::filesystem;

/// Every desktop entry we write must pass the freedesktop validator.
void ExpectValidDesktopEntry(const std::string& path) {
    const std::string validator = FindInSearchPath("desktop-file-validate");
    ASSERT_FALSE(validator.empty()) << "desktop-file-validate (desktop-file-utils) is missing";
    const auto result = test::RunProcess({validator, path});
    EXPECT_EQ(result.exitCode, 0) << path << ":\n" << result.out << result.err;
    EXPECT_EQ(result.out + result.err, "") << path;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class InstallLogTest : public test::BratislavaTime {
protected:
    InstallLogTest() {
        UseDesktopAutostart(m_home.Paths().autostartFolder);
        EnsureFolder(m_paths.programFolder);
        EnsureFolder(m_home.File("Desktop"));
    }

    std::string Log() const { return test::ReadFileOrEmpty(m_home.File("INSTALL.LOG")); }
    static std::string HklmValue(const std::string& key, const char* name) {
        std::string value;
        RegistryKey(HKEY_LOCAL_MACHINE, key).ReadString(name, value);
        return value;
    }

    test::TempHome m_home;  // also the home folder, with the desktop
    InstallPaths m_paths{m_home.File("bin/orvanta"), m_home.File("bin"), m_home.Path()};
};

TEST_F(InstallLogTest, FirstStartRegistersOnceWithTheExactLogLines) {
    ManualClock clock(Local(2024, 3, 5, 9, 7));
    // An installed copy: the program folder is not the data root, and belongs to the package.
    { InstallLog log("Ombrix", "Orvanta", "2.0", m_paths, clock); }

    const std::string h = m_home.Path();
    const std::string uninstall =
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvanta";
    const std::string appPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\orvanta";
    const std::string expected =
        "***  Installation Started 05/03/2024 09:07  ***\n"
        "Title: Ombrix Orvanta Installation (Ver 2.0  Win95 / NT)\n"
        "Source: Orvanta\n"
        "RegDB Key: SOFTWARE\\Ombrix\\Orvanta\\2.0\n"
        "RegDB Val: " +
        h +
        "/bin/orvanta\n"
        "RegDB Name: \n"
        "RegDB Root: 2\n"
        "RegDB Key: " +
        uninstall +
        "\n"
        "RegDB Val: Orvanta\n"
        "RegDB Name: DisplayName\n"
        "RegDB Root: 2\n"
        "RegDB Key: " +
        appPath +
        "\n"
        "RegDB Val: " +
        h +
        "/bin/orvanta\n"
        "RegDB Name: \n"
        "RegDB Root: 2\n"
        "RegDB Key: " +
        appPath +
        "\n"
        "RegDB Val: " +
        h +
        "/bin\n"
        "RegDB Name: Path\n"
        "RegDB Root: 2\n";
    EXPECT_EQ(Log(), expected);
    EXPECT_EQ(HklmValue("SOFTWARE\\Ombrix\\Orvanta\\2.0", ""), h + "/bin/orvanta");
    EXPECT_EQ(HklmValue(uninstall, "DisplayName"), "Orvanta");
    // No uninstaller: no command that would name a missing program.
    EXPECT_EQ(HklmValue(uninstall, "UninstallString"), "");
    EXPECT_EQ(HklmValue(appPath, "Path"), h + "/bin");

    // A second start finds the product key: no line, no shortcut.
    clock.Advance(3600);
    {
        InstallLog again("Ombrix", "Orvanta", "2.0", m_paths, clock);
        EXPECT_FALSE(again.IsOpen());
        RecordInstalledFiles(again, m_home.File("bin/Langs"), "Orvanta");
        again.WriteRegistryValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Elsewhere", "x", "y");
    }
    EXPECT_EQ(Log(), expected);
    EXPECT_FALSE(RegistryKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Elsewhere").Exists());
    EXPECT_FALSE(fs::exists(m_home.File("data/applications/Orvanta")));
}

TEST_F(InstallLogTest, RecordsAndRootsOfTheOtherRecords) {
    InstallPaths bare = m_paths;
    bare.programPath = "orvanta";  // no folder in it: no application path
    InstallLog log("", "Orvanta", "2.0", bare, ManualClock(0));
    ASSERT_TRUE(log.IsOpen());
    EXPECT_EQ(log.ProductKey(), "SOFTWARE\\Orvanta\\2.0");
    log.LogFolder("LogData");
    log.LogFile("/opt/x/readme.txt");
    log.LogRegistryValue(HKEY_CURRENT_USER, "K", "N", "V");
    log.LogRegistryValue(HKEY_USERS, "K", "", "");
    log.LogRegistryValue(HKEY_CLASSES_ROOT, "K", "N", "V");

    const auto lines = Lines(Log());
    ASSERT_GE(lines.size(), 13u);
    const std::vector<std::string> tail(lines.end() - 13, lines.end());
    EXPECT_EQ(tail,
              (std::vector<std::string>{
                  "Made Dir: " + m_home.Path() + "/bin/LogData", "File Copy: /opt/x/readme.txt",
                  "RegDB Key: K", "RegDB Val: V", "RegDB Name: N", "RegDB Root: 1", "RegDB Key: K",
                  "RegDB Val: ", "RegDB Name: ", "RegDB Root: 3", "RegDB Key: K", "RegDB Val: V",
                  "RegDB Name: N"}));
    EXPECT_EQ(Log().find("App Paths"), std::string::npos);
}

TEST_F(InstallLogTest, UninstallerEndsUpInTheDataRootOnly) {
    const struct {
        bool inProgramFolder;
        bool inDataRoot;
    } cases[] = {{false, false}, {true, false}, {true, true}};
    for (const auto& c : cases) {
        test::TempHome home;
        InstallPaths paths{home.File("bin/orvanta"), home.File("bin"), home.Path()};
        EnsureFolder(paths.programFolder);
        const std::string source = home.File("bin/QXUninst");
        const std::string target = home.File("QXUninst");
        if (c.inProgramFolder) {
            test::WriteFileOrDie(source, "new");
        }
        if (c.inDataRoot) {
            test::WriteFileOrDie(target, "old");
        }
        InstallLog log("Ombrix", "Orvanta", "2.0", paths, ManualClock(0));
        EXPECT_TRUE(log.IsOpen());  // registered either way
        EXPECT_FALSE(fs::exists(source));
        EXPECT_EQ(test::ReadFileOrEmpty(target),
                  c.inDataRoot ? "old" : (c.inProgramFolder ? "new" : ""));
    }

    // A portable copy keeps its data beside the program: its one uninstaller stays.
    test::TempHome portable;
    test::WriteFileOrDie(portable.File("QXUninst"), "only");
    InstallLog log("Ombrix", "Orvanta", "2.0",
                   {portable.File("orvanta"), portable.Path(), portable.Path()}, ManualClock(0));
    EXPECT_EQ(test::ReadFileOrEmpty(portable.File("QXUninst")), "only");
}

TEST_F(InstallLogTest, AnUnwritableLogLeavesTheProgramUnregistered) {
    ASSERT_TRUE(EnsureFolder(m_home.File("INSTALL.LOG")));  // a folder where the log belongs
    {
        InstallLog log("Ombrix", "Orvanta", "2.0", m_paths, ManualClock(0));
        EXPECT_FALSE(log.IsOpen());
    }
    EXPECT_FALSE(RegistryKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Ombrix\\Orvanta\\2.0").Exists());
    fs::remove(m_home.File("INSTALL.LOG"));
    InstallLog log("Ombrix", "Orvanta", "2.0", m_paths, ManualClock(0));
    EXPECT_TRUE(log.IsOpen());  // tried again at the next start
}

/// The arguments a launcher takes from an Exec value as the desktop-entry rules read it: the
/// value's escapes undone, split at blanks outside double quotes, `\` escaping inside them, and
/// `%%` a literal percent sign.
std::vector<std::string> SplitExec(const std::string& value) {
    std::string line;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            line += next == 's' ? ' ' : next == 'n' ? '\n' : next == 't' ? '\t' : next;
        } else {
            line += value[i];
        }
    }
    std::vector<std::string> argv;
    std::string current;
    bool inWord = false;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < line.size()) {
                current += line[++i];
            } else if (c == '%' && i + 1 < line.size() && line[i + 1] == '%') {
                current += line[++i];
            } else {
                current += c;
            }
        } else if (c == ' ') {
            if (inWord) {
                argv.push_back(current);
                current.clear();
                inWord = false;
            }
        } else if (c == '"') {
            quoted = inWord = true;
        } else {
            inWord = true;
            current += c;
            if (c == '%' && i + 1 < line.size() && line[i + 1] == '%') {
                ++i;
            }
        }
    }
    if (inWord) {
        argv.push_back(current);
    }
    return argv;
}

/// The value of the Exec key of a desktop entry file.
std::string ExecValue(const std::string& file) {
    for (const auto& line : Lines(test::ReadFileOrEmpty(file))) {
        if (line.rfind("Exec=", 0) == 0) {
            return line.substr(5);
        }
    }
    return {};
}

TEST_F(InstallLogTest, InstalledAndPortableCopiesRecordOnlyWhatIsTheirs) {
    const struct {
        const char* what;
        std::string programFolder;  // below the home
        std::string dataRoot;       // below the home; empty: the program folder
        std::string langs;          // below the home
        bool uninstaller;
    } cases[] = {
        {"installed under a prefix", "usr/bin", "data/orvanta", "usr/share/orvanta/Langs", false},
        {"installed, data root made by the program", "usr/bin", "data/fresh/orvanta",
         "usr/share/orvanta/Langs", false},
        {"portable with its uninstaller", "My Apps 100% $HOME", "", "My Apps 100% $HOME/Langs",
         true},
        {"portable without one", "portable", "", "portable/Langs", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempHome home;
        const std::string folder = home.File(c.programFolder);
        const std::string root = c.dataRoot.empty() ? folder : home.File(c.dataRoot);
        const bool rootExisted = c.dataRoot != "data/fresh/orvanta";
        const InstallPaths paths{folder + "/orvanta", folder, root};
        EnsureFolder(home.File("Desktop"));  // the home is the user's, with a desktop
        const std::string langs = home.File(c.langs);
        EnsureFolder(langs + "/English");
        EnsureFolder(langs + "/Slovak");
        EnsureFolder(folder);
        test::WriteFileOrDie(langs + "/English/Readme.txt", "read me");
        test::WriteFileOrDie(langs + "/English/Extra notes.txt", "more");
        test::WriteFileOrDie(paths.programPath, "#!/bin/true\n");
        ::chmod(paths.programPath.c_str(), 0700);
        if (rootExisted) {
            EnsureFolder(root);
        }
        if (c.uninstaller) {
            test::WriteFileOrDie(JoinPath(root, kUninstallerName), "#!/bin/true\n");
        }
        {
            InstallLog log("Ombrix", "Orvanta", "2.0", paths, ManualClock(0));
            ASSERT_TRUE(log.IsOpen());
            RecordInstalledFiles(log, langs, "Orvanta");
        }
        const std::string text = test::ReadFileOrEmpty(JoinPath(root, "INSTALL.LOG"));
        const std::string group = home.File("data/applications/Orvanta");
        const std::string desktop = DesktopFolder();

        // Every folder, file and shortcut recorded lies in the data root or the desktop's
        // folders, and for an installed copy nothing of the program's own.
        std::vector<std::string> made;
        std::vector<std::string> links;
        for (const auto& line : Lines(text)) {
            for (const std::string prefix : {"Made Dir: ", "File Copy: ", "Shell Link: "}) {
                if (line.rfind(prefix, 0) == 0) {
                    const std::string path = line.substr(prefix.size());
                    (prefix == "Shell Link: " ? links : made).push_back(path);
                    const bool inside = path.rfind(root, 0) == 0 || path.rfind(group, 0) == 0 ||
                                        path.rfind(desktop, 0) == 0;
                    EXPECT_TRUE(inside) << line;
                }
            }
        }
        const bool portable = c.dataRoot.empty();
        EXPECT_EQ(std::count(made.begin(), made.end(), langs + "/English/Extra notes.txt"),
                  portable ? 1 : 0);
        EXPECT_EQ(std::count(made.begin(), made.end(), paths.programPath), portable ? 1 : 0);
        EXPECT_EQ(std::count(made.begin(), made.end(), root), portable || !rootExisted ? 1 : 0);
        EXPECT_EQ(std::count(made.begin(), made.end(), group), 1);

        std::vector<std::string> expectedLinks{
            group + "/Orvanta.desktop", group + "/Licensee Agreement.desktop",
            group + "/Readme.desktop", desktop + "/Orvanta.desktop"};
        if (c.uninstaller) {
            expectedLinks.push_back(group + "/Uninstall Orvanta.desktop");
        }
        EXPECT_EQ(links, expectedLinks);
        for (const auto& link : links) {
            ASSERT_TRUE(fs::exists(link)) << link;
            ExpectValidDesktopEntry(link);
        }
        EXPECT_FALSE(fs::exists(group + "/Uninstall Orvanta.desktop") && !c.uninstaller);

        // The program's shortcuts start the installed executable; documents open with the
        // desktop's program; the uninstaller gets its two arguments whole.
        EXPECT_EQ(SplitExec(ExecValue(desktop + "/Orvanta.desktop")),
                  std::vector<std::string>{paths.programPath});
        EXPECT_EQ(SplitExec(ExecValue(group + "/Readme.desktop")),
                  (std::vector<std::string>{"xdg-open", langs + "/English/Readme.txt"}));
        const std::string uninstallerPath = JoinPath(root, kUninstallerName);
        const std::vector<std::string> uninstallArgv{
            uninstallerPath, "-f" + JoinPath(root, "INSTALL.LOG"), "-nOrvanta"};
        std::string uninstallString;
        RegistryKey(HKEY_LOCAL_MACHINE,
                    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvanta")
            .ReadString("UninstallString", uninstallString);
        if (c.uninstaller) {
            EXPECT_EQ(SplitExec(ExecValue(group + "/Uninstall Orvanta.desktop")), uninstallArgv);
            EXPECT_EQ(SplitExec(EscapeField(uninstallString)), uninstallArgv);
        } else {
            EXPECT_EQ(uninstallString, "");
        }

        // Taking away the shortcuts the log names leaves nothing of ours in the menu.
        for (const auto& link : links) {
            fs::remove(link);
        }
        EXPECT_TRUE(fs::is_empty(group));
    }
}

TEST_F(InstallLogTest, ExecLinesGiveBackEveryArgumentWhole) {
    const std::string folder = m_home.File("menu");
    EnsureFolder(folder);
    const struct {
        std::string argument;
        std::string quoted;  // as DesktopExecQuote writes it
    } cases[] = {
        {"/usr/bin/orvanta", "/usr/bin/orvanta"},
        {"/opt/My Apps/orvanta", "\"/opt/My Apps/orvanta\""},
        {"/tmp/it's \"quoted\"", "\"/tmp/it's \\\"quoted\\\"\""},
        {"/tmp/100%", "/tmp/100%%"},
        {"/tmp/100% sure", "\"/tmp/100%% sure\""},
        {"/tmp/$HOME/`x`", "\"/tmp/\\$HOME/\\`x\\`\""},
        {"/tmp/back\\slash", "\"/tmp/back\\\\slash\""},
        {"/tmp/tab\there;&|<>~*?#()", "\"/tmp/tab\there;&|<>~*?#()\""},
        {"", "\"\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DesktopExecQuote(c.argument), c.quoted) << c.argument;
        // Written into a shortcut, the launcher reads the argument back unchanged.
        ASSERT_TRUE(CreateShortcut("Case", "/bin/true", folder, {c.argument, "-x"}));
        const std::string file = ShortcutPath(folder, "Case");
        EXPECT_EQ(SplitExec(ExecValue(file)),
                  (std::vector<std::string>{"/bin/true", c.argument, "-x"}))
            << ExecValue(file);
        ExpectValidDesktopEntry(file);
    }
}

TEST_F(InstallLogTest, CreateShortcutIsTrueOnlyWhenWritten) {
    const std::string folder = m_home.File("menu");
    EnsureFolder(folder);
    const struct {
        std::string name;
        std::string folder;
        bool written;
    } cases[] = {
        {"Plain", folder, true},
        {"With \"quotes\" and $sign", folder, true},
        {"a/b", folder, false},
        {"..", folder, false},
        {"Missing folder", m_home.File("nowhere"), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CreateShortcut(c.name, "/bin/true", c.folder, {"100%", "two words"}), c.written)
            << c.name;
        if (c.written) {
            ExpectValidDesktopEntry(ShortcutPath(c.folder, c.name));
        }
    }
    EXPECT_NE(test::ReadFileOrEmpty(ShortcutPath(folder, "Plain"))
                  .find("Exec=/bin/true 100%% \"two words\"\n"),
              std::string::npos);
}

TEST_F(InstallLogTest, AutoStartGoesThroughTheRunList) {
    const std::string file = m_home.File("config/autostart/Orvanta.desktop");
    ASSERT_TRUE(SetAutoStart("Orvanta", "/opt/orvanta dir/orvanta"));
    ASSERT_TRUE(fs::exists(file));
    ExpectValidDesktopEntry(file);
    std::string value;
    RegistryKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run")
        .ReadString("Orvanta", value);
    EXPECT_EQ(value, "/opt/orvanta dir/orvanta");
    ASSERT_TRUE(RemoveAutoStart("Orvanta"));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(RemoveAutoStart("Orvanta"));
}

TEST_F(InstallLogTest, EntryShortcutBringsTheEntryUp) {
    SimRasProvider sim(m_home.File("ras-sim.state"), {});
    const struct {
        std::string entry;
        std::vector<std::string> command;
        std::string execPart;
    } cases[] = {
        {"My ISP",
         {"nmcli", "connection", "up", "id", "My ISP"},
         "Exec=nmcli connection up id \"My ISP\"\n"},
        {"Demo ISP", EntryDialCommand("Demo ISP", sim),
         "ORVANTA_RAS=sim:" + m_home.File("ras-sim.state") + " "},
        {"Odd \"$name\" 50%",
         {"nmcli", "connection", "up", "id", "Odd \"$name\" 50%"},
         "id \"Odd \\\\\"\\\\$name\\\\\" 50%%\"\n"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(EntryShortcutExists(c.entry));
        ASSERT_TRUE(CreateEntryShortcut(c.entry, c.command)) << c.entry;
        EXPECT_TRUE(EntryShortcutExists(c.entry));
        const std::string file = m_home.File("Desktop/" + c.entry + ".desktop");
        ExpectValidDesktopEntry(file);
        EXPECT_NE(test::ReadFileOrEmpty(file).find(c.execPart), std::string::npos)
            << test::ReadFileOrEmpty(file);
    }
    EXPECT_EQ(EntryDialCommand("Demo ISP", sim).back(), "Demo ISP");
    EXPECT_EQ(EntryDialCommand("Demo ISP", sim)[3], "ras");
    EXPECT_FALSE(CreateEntryShortcut("a/b", {"nmcli"}));
    EXPECT_FALSE(EntryShortcutExists("a/b"));
}

}  // namespace
}  // namespace ov
