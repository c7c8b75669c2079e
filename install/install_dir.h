// The installation directory: the text of dirEdit and nothing else. The default is the
// Program Files folder followed by "Mervantis\"; a browsed folder always ends with "\"; a
// typed text is taken exactly as typed.
#pragma once

#include <cstdint>
#include <string>

// A shell folder's answer as the program uses it: "\" appended to a non-empty answer, then
// every pair of adjacent backslashes made one, in one left-to-right pass that steps over
// double-byte characters (so "C:\" stays "C:\" and a trail byte 0x5C is never matched).
std::string folderPathFromAnswer(const std::string& answer);

// The folder dialog's result as dirEdit takes it: unchanged when its last byte is "\",
// else with "\" appended. Empty stays empty (the edit box keeps its text then).
std::string browsedFolderText(const std::string& chosen);

#ifdef _WIN32
// Shows dirEdit, browseButton and installButton, hides progressCanvas, fills dirEdit with the
// default directory and shows the prompt. Runs on the download worker.
void enterInstallStage();

// The shell folder's path (a CSIDL value) with one trailing backslash; empty when unknown.
std::string specialFolderPath(int32_t folder);

// The click handler of browseButton, on the window thread: the folder dialog with the window
// off top while it is open, and on top again after every browse.
void chooseInstallDir();

// The folder dialog titled `title`, with every top-level window of the program disabled while
// it is open. The chosen file-system path, or empty (cancelled, no file-system path).
std::string browseForFolder(const std::string& title);
#endif
