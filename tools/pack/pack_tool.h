// The publisher's package tool: makes a package the installer can install, and tells what an
// installation of a package would do.
//
//   pack FOLDER OUT.zip --program NAME [--name SOFTWARE]
//   pack --check PACKAGE.zip
//
// pack writes OUT.zip from everything in FOLDER, which it leaves unchanged: each folder as an
// entry of its own before what it holds, each file deflated, and the two enciphered settings
// files the installer reads after the extraction, zhi/pz/pro.dll naming the program NAME and,
// with --name, zhi/pz/cl.dll naming the software SOFTWARE (without it FOLDER's own cl.dll goes
// in as it is, or the installer uses "hq"). It writes nothing when NAME or "uninst.exe" is not
// a file at the top of FOLDER, or when a name is one the installer's extraction refuses; OUT is
// replaced only once it is complete.
//
// --check reads PACKAGE.zip as the installer would: the program it would start, the shortcut,
// group and record it would make, and every piece that is missing or would stop it.
//
// NAME, SOFTWARE and FOLDER's file names are in the terminal's encoding (UTF-8 on the host, the
// ANSI code page on Windows) and stored as GBK; names are printed in the terminal's encoding.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Exit codes of the tool.
constexpr int kPackSucceeded = 0;  // written; or checked and complete
constexpr int kPackFailed = 1;     // nothing written; or checked and something missing
constexpr int kPackUsageError = 2;

// Runs the tool on its arguments (without the program's name): reports go to `out`, messages
// to `errors`. The exit code.
int runPackTool(const std::vector<std::string>& arguments, std::ostream& out,
                std::ostream& errors);
