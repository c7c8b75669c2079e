// Starting a test program and dealing with the message box it shows, for the tests that need
// a whole process.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

struct MessageBoxSeen {
  bool shown = false;
  std::string title;
  std::string text;
};

// The folder that holds the running test program, with a trailing backslash.
std::string testProgramFolder();

// A fresh, empty file name in the temporary folder.
std::string freshTempFile(const char* prefix);

// Runs commandLine in folder and waits up to timeoutMs for it to end. When it shows a message
// box, the box's title and text are recorded and its OK button pressed. Returns the exit code,
// or -2 when the process did not end in time (it is then killed).
DWORD runAndAnswerBox(const std::string& commandLine, const std::string& folder,
                      MessageBoxSeen* box, DWORD timeoutMs = 240000);

std::string readWholeFile(const std::string& path);
