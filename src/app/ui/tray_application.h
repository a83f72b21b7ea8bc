#pragma once

namespace ov {

/// The tray program from start-up to exit: single instance, language packs, text table and
/// installation record, phone book, settings, the application window with the monitor; then
/// the event loop until the exit sequence; then the packs released (storing the language).
/// SIGINT, SIGTERM and SIGHUP run the exit sequence. The caller has made the QApplication.
/// Returns the process's exit status.
int RunTrayProgram();

}  // namespace ov
