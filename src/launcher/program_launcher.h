#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/message_loop.h"

namespace ov {

/// The window message that carries a command identifier in wParam.
inline constexpr std::uint32_t WM_COMMAND = 0x0111;

/// Show commands: how a started program is asked to show its window.
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMaximized = 3;
inline constexpr int kShowMinimized = 6;
inline constexpr int kShowDefault = 10;

/// The environment variable that passes the show command to a started program. Nothing on the
/// desktop obeys it; a program (or a wrapper script) that cares may read it.
inline constexpr const char* kShowCommandVariable = "ORVANTA_SHOW_COMMAND";

/// One program started by the program, with the worker thread that waits for its end.
///
/// The worker starts the program (its path, then any arguments given, never through a shell) in
/// a session of its own with /dev/null for its standard input, output and error, waits until
/// it ends or the launcher goes, then clears the process handle and, when the program ended and
/// a notify window is set, sends it WM_COMMAND with the notify command. A program still running
/// when its launcher goes is handed to the ProgramReaper, which reaps it when it ends. The
/// launcher and its worker share their state, so the worker never reaches a destroyed launcher
/// and the process handle (a pidfd) is closed exactly once, after its last use.
class ProgramLauncher {
public:
    /// Starts the worker. `notifyWindow`, when set, must outlive the launcher. `arguments`
    /// follow the path in the argument vector, each as it is (a system tool's options).
    ProgramLauncher(MessageWindow* notifyWindow, std::string commandLine, int notifyCommand,
                    bool closeOnDestroy, int showCommand, std::vector<std::string> arguments = {});
    /// Ends the program first when close-on-destroy is set; waits for the worker, which ends
    /// at once (a program left running is no longer watched). Sends no notify command.
    ~ProgramLauncher();
    ProgramLauncher(const ProgramLauncher&) = delete;
    ProgramLauncher& operator=(const ProgramLauncher&) = delete;

    /// Ends the program with everything it started (its process group): SIGTERM now, SIGKILL
    /// when anything of it is still there after kCloseGrace. Does not wait. True when there was
    /// nothing to end; false when the program was told to end: the worker then sees it go and
    /// clears the handle.
    bool Close();

    /// The path of the program started (its arguments are separate).
    const std::string& CommandLine() const { return m_commandLine; }
    const std::vector<std::string>& Arguments() const { return m_arguments; }
    int ShowCommand() const { return m_showCommand; }
    /// Whether the program is running: set from its start until the worker sees it end.
    bool HasProcess() const;
    /// The program's process id; 0 until it has been started, kept after it has ended.
    pid_t ProcessId() const;
    /// How the start went, once it has been tried: 0 when the program started, else the error
    /// number that says why not. Nothing when the start has not been tried within `timeout`.
    std::optional<int> StartError(std::chrono::milliseconds timeout) const;

private:
    struct State;

    std::string m_commandLine;
    std::vector<std::string> m_arguments;
    int m_showCommand;
    bool m_closeOnDestroy;
    MessageWindow* m_notifyWindow;
    std::shared_ptr<State> m_state;
    std::thread m_worker;
};

/// Waits until every program told to end by ProgramLauncher::Close is gone, by itself or by
/// force after its grace; for the program's exit, so that nothing it was to end outlives it.
void WaitForEndingPrograms();

/// The show command for a program's window style: 1 minimised, 2 maximised, else normal.
int ShowCommandForStyle(int style);

}  // namespace ov
