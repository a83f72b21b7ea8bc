#include "launcher/app_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace ov {

namespace {

std::string SearchPath() {
    if (const char* path = std::getenv("PATH")) {
        return path;
    }
    std::string fallback(::confstr(_CS_PATH, nullptr, 0), '\0');
    if (!fallback.empty()) {
        ::confstr(_CS_PATH, fallback.data(), fallback.size());
        fallback.pop_back();  // the terminating NUL
    }
    return fallback;
}

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string PathSearchAppPaths::Lookup(const std::string& name) const {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        return {};
    }
    const std::string folders = SearchPath();
    std::string_view rest = folders;
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
        if (folder.empty() || folder.front() != '/') {
            continue;
        }
        std::string candidate(folder);
        if (candidate.back() != '/') {
            candidate.push_back('/');
        }
        candidate += name;
        if (IsExecutableFile(candidate)) {
            return candidate;
        }
    }
    return {};
}

std::string ResolveProgramPath(const std::string& path, const AppPaths& appPaths) {
    // A full path is one that starts at the root.
    if (!path.empty() && path.front() == '/') {
        return path;
    }
    return appPaths.Lookup(path);
}

}  // namespace ov
