#include "support/probe.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace ov::test {

std::string CopyProbe(const std::string& folder, const std::string& name) {
    const std::string path = folder + "/" + name;
    std::ifstream in(OV_LAUNCH_PROBE, std::ios::binary);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << in.rdbuf();
    out.close();
    ::chmod(path.c_str(), 0755);
    return path;
}

std::string WriteProgram(const std::string& path, const std::string& text) {
    WriteFileOrDie(path, text);
    ::chmod(path.c_str(), 0755);
    return path;
}

pid_t ReportedProbe(const std::string& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".out") {
            return static_cast<pid_t>(std::stol(entry.path().stem().string()));
        }
    }
    return 0;
}

bool IsAlive(pid_t pid) {
    const std::string stat = ReadFileOrEmpty("/proc/" + std::to_string(pid) + "/stat");
    // The state follows the command name in parentheses, which may itself hold ") ".
    const auto close = stat.rfind(") ");
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::optional<std::vector<std::string>> ProbeReport(const std::string& folder, pid_t pid) {
    const std::string path = folder + "/" + std::to_string(pid) + ".out";
    struct stat st {};
    if (!WaitFor([&] { return ::stat(path.c_str(), &st) == 0; })) {
        return std::nullopt;
    }
    std::vector<std::string> fields;
    std::string current;
    for (const char c : ReadFileOrEmpty(path)) {
        if (c == '\0') {
            fields.push_back(current);
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    return fields;
}

ProbeSetup::ProbeSetup(const std::string& reportFolder, bool stay)
    : m_dir("OV_PROBE_DIR", reportFolder),
      m_stay("OV_PROBE_STAY", stay ? std::optional<std::string>("1") : std::nullopt) {}

}  // namespace ov::test
