// Cutting the file name off a path, by the rules of the Windows shell's path functions
// (PathFindFileNameA, PathFindExtensionA) in the system code page. Texts are GBK; a path is
// read up to its first 0 byte, as the shell reads it.
#pragma once

#include <string>

// The last component of the path: what follows the last "\", "/" or ":" that has a character
// after it other than "\" or "/" (so "C:\dir\" gives "dir\"); the whole path when there is
// none. Without the extension, the name loses its last extension (extensionOfPath of the
// name) only.
std::string fileNameOfPath(const std::string& path, bool withExtension);

// From the last "." of the path to its end, the "." included, when no "\" and no space
// follows that "."; empty otherwise.
std::string extensionOfPath(const std::string& path);
