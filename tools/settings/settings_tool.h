// The publisher's settings tool: enciphers and deciphers package settings files and reads one
// setting the way the installer does.
//
//   settings [--password P] [--plain-prefix N] encrypt IN OUT
//   settings [--password P] [--plain-prefix N] decrypt IN OUT
//   settings [--password P] get FILE SECTION KEY [DEFAULT]
//
// File contents pass unchanged (a settings file is GBK text; encrypt takes it as it is).
// P, SECTION, KEY and DEFAULT are in the terminal's encoding and are converted to GBK; the
// value printed by get is converted back. OUT is written beside itself under a temporary
// name and renamed into place only when complete, so a failure never leaves a partial OUT.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Exit codes of the tool.
constexpr int kToolSucceeded = 0;
constexpr int kToolFailed = 1;      // a file could not be read or written, a text not converted
constexpr int kToolUsageError = 2;  // the command line is wrong

// Runs the tool on its arguments (without the program's name): results go to `out`,
// messages to `errors`. The exit code.
int runSettingsTool(const std::vector<std::string>& arguments, std::ostream& out,
                    std::ostream& errors);
