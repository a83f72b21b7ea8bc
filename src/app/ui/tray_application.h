#pragma once

#include <chrono>

#include "platform/paths.h"

namespace ov {

/// The tray program from start-up to exit: single instance, language packs, text table and
/// installation record, phone book, settings, the application window with the monitor; then
/// the event loop until the exit sequence; then the packs released (storing the language).
/// SIGINT, SIGTERM and SIGHUP run the exit sequence. The caller has made the QApplication.
/// `paths` are where the program's files are, `pollPeriod` the monitor's. Returns the
/// process's exit status.
int RunTrayProgram(const ProgramPaths& paths, std::chrono::milliseconds pollPeriod);

}  // namespace ov
