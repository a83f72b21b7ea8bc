#include "platform/paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/file_util.h"

namespace ov {

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool IsWritableFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ::access(path.c_str(), W_OK) == 0;
}

/// The effective user's home folder from the password database, else /tmp.
std::string PasswordHome() {
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_dir) {
        return pw->pw_dir;
    }
    return "/tmp";
}

}  // namespace

std::string ProgramFolder() {
    std::vector<char> buffer(4096);
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) {
        return ".";
    }
    return ParentFolder(std::string(buffer.data(), static_cast<std::size_t>(n)));
}

ProgramPaths ProgramPaths::FromVariables(const std::function<std::string(const char*)>& variable,
                                         const std::string& programFolder,
                                         const std::string& userHome) {
    std::string home = variable("HOME");
    if (home.empty()) {
        home = userHome;
    }
    std::string configHome = variable("XDG_CONFIG_HOME");
    if (configHome.empty()) {
        configHome = JoinPath(home, ".config");
    }
    std::string dataHome = variable("XDG_DATA_HOME");
    if (dataHome.empty()) {
        dataHome = JoinPath(home, ".local/share");
    }

    ProgramPaths paths;
    paths.programFolder = programFolder;
    const std::string chosenHome = variable("ORVANTA_HOME");
    if (!chosenHome.empty()) {
        paths.dataRoot = chosenHome;
    } else if (IsWritableFolder(programFolder) &&
               IsWritableFolder(JoinPath(programFolder, "Langs"))) {
        paths.dataRoot = programFolder;
    } else {
        paths.dataRoot = JoinPath(dataHome, "orvanta");
    }
    paths.logFolder = JoinPath(paths.dataRoot, "LogData");
    paths.tariffFile = JoinPath(paths.dataRoot, "Prices.ini");
    paths.machineHive = JoinPath(paths.dataRoot, "machine.reg");
    paths.userHive = chosenHome.empty() ? JoinPath(JoinPath(configHome, "orvanta"), "user.reg")
                                        : JoinPath(chosenHome, "user.reg");
    paths.simulatorState = JoinPath(paths.dataRoot, "ras-sim.state");
    paths.autostartFolder = JoinPath(configHome, "autostart");
    paths.homeFolder = home;
    paths.configHome = configHome;
    paths.dataHome = dataHome;
    return paths;
}

ProgramPaths ProgramPaths::FromEnvironment(const std::string& home) {
    return FromVariables(
        [&home](const char* name) {
            return !home.empty() && std::string_view(name) == "ORVANTA_HOME" ? home : Env(name);
        },
        ProgramFolder(), PasswordHome());
}

ProgramPaths ProgramPaths::InFolder(const std::string& folder) {
    return FromVariables(
        [&folder](const char* name) -> std::string {
            const std::string_view which(name);
            if (which == "ORVANTA_HOME" || which == "HOME") {
                return folder;
            }
            if (which == "XDG_CONFIG_HOME") {
                return JoinPath(folder, "config");
            }
            if (which == "XDG_DATA_HOME") {
                return JoinPath(folder, "data");
            }
            return {};
        },
        ProgramFolder(), folder);
}

std::vector<std::string> ProgramPaths::ChosenRoots() const {
    return {dataRoot, ParentFolder(userHive)};
}

bool ProgramPaths::EnsureDataRoot(std::string* error) const {
    return EnsureFolder(dataRoot, error);
}

}  // namespace ov
