#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/app_paths.h"

namespace ov {

/// A configured program read as a command line: the file to start and its arguments.
struct ProgramCommand {
    std::string path;  // empty when a bare name is registered nowhere
    std::vector<std::string> arguments;

    bool operator==(const ProgramCommand&) const = default;
};

/// Splits `text` into words as a shell does, without expanding or running anything: blanks
/// separate words; single quotes keep everything up to the next one; double quotes keep
/// everything up to the next unescaped one, a backslash in them standing for the '"', '\\', '$'
/// or '`' after it; a backslash outside quotes keeps the next character. Nothing when a quote
/// is left open.
std::optional<std::vector<std::string>> SplitCommandLine(std::string_view text);

/// What a configured program text starts. The whole text is the program when it names an
/// existing file (a full path) or a registered application (a bare name), so a path with blanks
/// is never split. Otherwise the text is a command line: its first word, resolved by
/// ResolveProgramPath, is the program and the other words are its arguments. A text with a
/// quote left open is taken whole.
ProgramCommand ParseProgramCommand(const std::string& text, const AppPaths& appPaths);

/// Why `path` could not be started when the system's start failed with `error`, in words for
/// the user ("no such file", "a folder", "not executable", ...).
std::string StartFailureReason(const std::string& path, int error);

}  // namespace ov
