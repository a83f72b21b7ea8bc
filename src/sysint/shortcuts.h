#pragma once

#include <string>
#include <vector>

namespace ov {

class RasProvider;

/// Writes the desktop entry "<folder>/<name>.desktop" that starts `target` with `arguments`,
/// or, for a target that is not a program (a document), opens it. The entry is named by
/// `name` (a comment repeating it is what desktop entries are told not to have). True only
/// when the file was written.
bool CreateShortcut(const std::string& name, const std::string& target, const std::string& folder,
                    const std::vector<std::string>& arguments = {});

/// The file CreateShortcut writes for `name` in `folder`.
std::string ShortcutPath(const std::string& folder, const std::string& name);

/// The program's entry of the autostart list: written with the program path, or removed.
bool SetAutoStart(const std::string& valueName, const std::string& programPath);
bool RemoveAutoStart(const std::string& valueName);

/// The command that brings a phone-book entry's connection up on the dial-up service in use:
/// NetworkManager's command-line client, or our own command driving the simulator's state file.
std::vector<std::string> EntryDialCommand(const std::string& entry, RasProvider& provider);

/// The desktop shortcut of a phone-book entry, "<desktop>/<entry>.desktop", running
/// `dialCommand`. True when it was written.
bool CreateEntryShortcut(const std::string& entry, const std::vector<std::string>& dialCommand);
bool EntryShortcutExists(const std::string& entry);

/// Opens a file with the program the desktop associates with it (xdg-open, started without a
/// shell; nobody waits for it). True when it could be started.
bool OpenDocument(const std::string& file);

}  // namespace ov
