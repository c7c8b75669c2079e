// The registration and the hand-over at the end of the extraction: the desktop shortcut, the
// start-menu program group with its items and the uninstall record, then the installed
// program started and the installer ended.
//
// Threads: completeInstallation runs on the extraction worker and hands the shell work to the
// window thread through relayLabel's feedback event, waiting until it is done; the globals
// programPath and shortcutPath are written before that event and only read after it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What the extraction worker learns before the registration (register/registration.h).
struct HandOver {
  std::string programPath;
  std::string shortcutPath;  // without ".lnk"
};

// From the settings files below installDir and the shell's desktop folder. Nothing when the
// package names no program to start (missing file, section or entry, or an empty value). Any
// thread.
std::optional<HandOver> prepareHandOver(const std::string& installDir);

// The shell registrations for the package installed into installDir, each failure skipped
// alone and silently: the desktop shortcut shortcutPath + ".lnk" to programPath (show command
// SW_SHOW; the target need not exist), the program group of the software name under the
// current user's programs folder (an existing folder is kept), in it the program item and the
// uninstall item, each only when its target file exists, and the uninstall record written
// anew. Window thread: COM and the shell's notifications.
void registerWithShell(const std::string& installDir, const std::string& programPath,
                       const std::string& shortcutPath);

// Starts programPath (quoted, without arguments) in the installer's current directory, shown
// normally, and waits up to 1000 ms for it to be ready for input; it is not waited for
// further. False when it could not be started.
bool startInstalledProgram(const std::string& programPath);

// The installer's exit code when the installed program could not be started.
constexpr int32_t kExitProgramNotStarted = 1;

// Run on the extraction worker at 100 percent. Reads the settings, stores the globals, has
// registerInstallation run on the window thread, hides the main window, starts the program
// and ends the installer: exit code 0, or kExitProgramNotStarted. Returns only when the
// package names no program to start, having made nothing.
void completeInstallation();

// relayLabel's feedback handler, on the window thread: registerWithShell with the text of
// dirEdit and the globals, when first is 1. Returns 0, which nobody reads.
int32_t registerInstallation(int32_t first, int32_t second);
