// The Windows shell's shortcuts and change notifications, as the registration uses them.
// Paths are texts in the system code page. The calling thread must have COM initialised (the
// window thread has: initialiseRuntime).
#pragma once

#include <optional>
#include <string>

// Writes the shortcut file linkFile (replacing one that exists) with target as its only path,
// and showCommand (a SW_ value) when one is given. The target need not exist. False when the
// shell refuses; no file is written then.
bool saveShellLink(const std::string& linkFile, const std::string& target,
                   std::optional<int> showCommand = std::nullopt);

// Tells the shell of a new folder or a new file at path, then of the change in its containing
// folder; each notice is delivered before the call returns.
void notifyShellOfNewFolder(const std::string& path, const std::string& containingFolder);
void notifyShellOfNewFile(const std::string& path, const std::string& containingFolder);
