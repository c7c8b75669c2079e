// What the registration of an installed package computes before it touches the shell: the
// program to start, the desktop shortcut, the program group and the uninstall record, all as
// GBK texts built from the installation directory (the text of dirEdit, as typed), the
// package's settings and the shell's folders (each with one trailing backslash).
#pragma once

#include <array>
#include <string>

// The program the installer starts: the installation directory followed by the file name of
// the program setting (its last path component only), with one "\" between them when the
// directory text does not end with one. Empty when the setting is empty.
std::string programPathFor(const std::string& installDir, const std::string& programSetting);

// The desktop shortcut's path without ".lnk": the desktop folder followed by the software
// name, with leading and trailing spaces (ASCII and full-width) removed from the whole.
std::string shortcutPathFor(const std::string& desktopFolder, const std::string& softwareName);

// The start-menu program group of a software name N, as the name is read (not trimmed). Windows
// drops trailing spaces and dots from the last component of a folder it creates, so the items
// are placed in the folder under that name: the folder that exists.
struct ProgramGroup {
  std::string folder;         // programs folder + N
  std::string programItem;    // folder as created + "\" + N + ".lnk"
  std::string uninstallItem;  // folder as created + "\卸载.lnk"
};
ProgramGroup programGroupFor(const std::string& programsFolder, const std::string& softwareName);

// Files of the installed package that the registration uses, appended to the installation
// directory text.
extern const char kUninstallerFile[];      // "\uninst.exe", the uninstall item's target
extern const char kUninstallRecordFile[];  // "\uninst.dat"

// The uninstall record: three GBK lines, written each followed by CR LF, with no byte-order
// mark. Line 1 is the installation directory without a last "\" character, line 2 the desktop
// shortcut's full path, line 3 the program group's folder.
struct UninstallRecord {
  std::array<std::string, 3> lines;
};
UninstallRecord uninstallRecordFor(const std::string& installDir,
                                   const std::string& shortcutPath,
                                   const std::string& groupFolder);
