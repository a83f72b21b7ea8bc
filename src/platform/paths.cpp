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

}  // namespace

std::string HomeFolder() {
    if (std::string home = Env("HOME"); !home.empty()) {
        return home;
    }
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_dir) {
        return pw->pw_dir;
    }
    return "/tmp";
}

std::string ProgramFolder() {
    std::vector<char> buffer(4096);
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) {
        return ".";
    }
    return ParentFolder(std::string(buffer.data(), static_cast<std::size_t>(n)));
}

std::string ConfigHome() {
    std::string config = Env("XDG_CONFIG_HOME");
    return config.empty() ? JoinPath(HomeFolder(), ".config") : config;
}

std::string DataHome() {
    std::string data = Env("XDG_DATA_HOME");
    return data.empty() ? JoinPath(HomeFolder(), ".local/share") : data;
}

std::string DataRoot() {
    if (std::string home = Env("ORVANTA_HOME"); !home.empty()) {
        return home;
    }
    const std::string program = ProgramFolder();
    if (IsWritableFolder(program) && IsWritableFolder(JoinPath(program, "Langs"))) {
        return program;
    }
    return JoinPath(DataHome(), "orvanta");
}

std::string EnsureDataRoot(std::string* error) {
    std::string root = DataRoot();
    return EnsureFolder(root, error) ? root : std::string();
}

std::string MachineHivePath() {
    return JoinPath(DataRoot(), "machine.reg");
}

std::string UserHivePath() {
    if (std::string home = Env("ORVANTA_HOME"); !home.empty()) {
        return JoinPath(home, "user.reg");
    }
    return JoinPath(JoinPath(ConfigHome(), "orvanta"), "user.reg");
}

std::vector<std::string> ChosenRoots() {
    return {DataRoot(), ParentFolder(UserHivePath())};
}

}  // namespace ov
