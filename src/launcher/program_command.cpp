#include "launcher/program_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <fstream>
#include <system_error>

namespace ov {

namespace {

constexpr std::string_view kBlanks = " \t\n";

std::string ErrorText(int error) {
    std::string text = std::generic_category().message(error);
    if (!text.empty()) {
        text.front() = static_cast<char>(std::tolower(static_cast<unsigned char>(text.front())));
    }
    return text;
}

/// The interpreter a script's "#!" line names; empty for a file without one.
std::string InterpreterOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string line;
    if (!std::getline(file, line) || !line.starts_with("#!")) {
        return {};
    }
    const auto begin = line.find_first_not_of(kBlanks, 2);
    if (begin == std::string::npos) {
        return {};
    }
    return line.substr(begin, line.find_first_of(kBlanks, begin) - begin);
}

}  // namespace

std::optional<std::vector<std::string>> SplitCommandLine(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (kBlanks.find(c) != std::string_view::npos) {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
            continue;
        }
        inWord = true;
        if (c == '\'') {
            const auto close = text.find('\'', i + 1);
            if (close == std::string_view::npos) {
                return std::nullopt;
            }
            word.append(text.substr(i + 1, close - i - 1));
            i = close;
        } else if (c == '"') {
            for (++i;; ++i) {
                if (i >= text.size()) {
                    return std::nullopt;
                }
                if (text[i] == '"') {
                    break;
                }
                if (text[i] == '\\' && i + 1 < text.size() &&
                    std::string_view("\"\\$`").find(text[i + 1]) != std::string_view::npos) {
                    ++i;
                }
                word.push_back(text[i]);
            }
        } else if (c == '\\' && i + 1 < text.size()) {
            word.push_back(text[++i]);
        } else {
            word.push_back(c);
        }
    }
    if (inWord) {
        words.push_back(std::move(word));
    }
    return words;
}

ProgramCommand ParseProgramCommand(const std::string& text, const AppPaths& appPaths) {
    if (!text.empty() && text.front() == '/') {
        struct stat st {};
        if (::stat(text.c_str(), &st) == 0) {
            return {text, {}};
        }
    } else if (std::string registered = appPaths.Lookup(text); !registered.empty()) {
        return {std::move(registered), {}};
    }
    const auto words = SplitCommandLine(text);
    if (!words || words->empty()) {
        return {ResolveProgramPath(text, appPaths), {}};
    }
    return {ResolveProgramPath(words->front(), appPaths), {words->begin() + 1, words->end()}};
}

std::string StartFailureReason(const std::string& path, int error) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? "no such file" : ErrorText(errno);
    }
    if (S_ISDIR(st.st_mode)) {
        return "a folder";
    }
    if (!S_ISREG(st.st_mode)) {
        return "not a regular file";
    }
    if (::access(path.c_str(), X_OK) != 0) {
        return "not executable";
    }
    switch (error) {
        case ENOENT:
        case ENOTDIR: {
            // The file is there, so what is missing is the program its first line names.
            const std::string interpreter = InterpreterOf(path);
            return interpreter.empty() ? "its interpreter cannot be found"
                                       : "its interpreter " + interpreter + " cannot be found";
        }
        case ENOEXEC:
            return "not a program the system can run (a script needs a #! line)";
        default:
            return ErrorText(error);
    }
}

}  // namespace ov
