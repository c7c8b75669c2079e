// Settings of the package: enciphered text files (register/encrypted_file.h) of section header
// lines "[name]" and entry lines "key=value", in GBK. Every lookup opens, reads and closes its
// file by itself; nothing is kept between lookups, and nothing is reported: a missing file,
// section or key gives the default.
//
// The rules, byte for byte (case-sensitive, nothing trimmed):
// - lines are read with EncryptedFile::readLine, and a 0 or 0x1A byte ends the text;
// - the section starts after the first line that equals "[" + section + "]"; later headers of
//   the same name are never seen;
// - it ends at the next line whose first byte is "[" and whose last byte is "]";
// - the first line in it that begins with key + "=" is the entry; its value is the rest of
//   the line, spaces included.
#pragma once

#include <string>

// The password of every settings file of a package (ten ASCII characters).
extern const char kPackagePassword[];

// A lookup the installer makes in the package it has extracted: the file is appended to the
// installation directory text.
struct PackageSetting {
  const char* file;
  const char* section;
  const char* key;
  const char* defaultValue;
};
// The program to start after installation (only its file name is used); no default.
extern const PackageSetting kProgramSetting;
// The software name: the names of the desktop shortcut, the program group and its item.
extern const PackageSetting kSoftwareNameSetting;

// The setting's value in the package extracted into installDir (the directory text as it
// stands, the setting's file appended), or its default.
std::string lookupPackageSetting(const std::string& installDir, const PackageSetting& setting);

// The value of `key` in `section` of the settings file at `path`, or `defaultValue`. The
// file is opened for reading and writing, as the installer always has: a read-only file
// gives the default. With pathGiven false the file is the run directory (the folder of this
// program's own file) + "\zhi\ecrt.dll". On the window thread, the thread's pending window
// events are handled between two lines.
std::string lookupSetting(const std::string& path, bool pathGiven, const std::string& section,
                          const std::string& key, const std::string& defaultValue = std::string());

// The same lookup in a file enciphered under another password (an empty one: a plain file).
std::string lookupSettingWithPassword(const std::string& password, const std::string& path,
                                      const std::string& section, const std::string& key,
                                      const std::string& defaultValue = std::string());

// The folder of this program's own file, without a trailing separator; empty when unknown.
std::string runDirectory();
