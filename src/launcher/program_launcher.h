#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
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
/// The worker starts the program (its path, then any arguments given, never through a shell), waits
/// until it ends or the launcher goes, then clears the process handle and, when the program
/// ended and a notify window is set, sends it WM_COMMAND with the notify command. The launcher
/// and its worker share their state, so the worker never reaches a destroyed launcher and the
/// process handle (a pidfd) is closed exactly once, by the worker, after its last use.
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

    /// Ends the program by force (SIGKILL). True when there was nothing to end; false when the
    /// program was told to end: the worker then sees it go and clears the handle.
    bool Close();

    const std::string& CommandLine() const { return m_commandLine; }
    int ShowCommand() const { return m_showCommand; }
    /// Whether the program is running: set from its start until the worker sees it end.
    bool HasProcess() const;
    /// The program's process id; 0 until it has been started, kept after it has ended.
    pid_t ProcessId() const;

private:
    struct State;

    std::string m_commandLine;
    int m_showCommand;
    bool m_closeOnDestroy;
    MessageWindow* m_notifyWindow;
    std::shared_ptr<State> m_state;
    std::thread m_worker;
};

/// The show command for a program's window style: 1 minimised, 2 maximised, else normal.
int ShowCommandForStyle(int style);

}  // namespace ov
