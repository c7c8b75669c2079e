// What the package tool needs of the platform's file system: the files and folders below a
// folder, full names for comparing places, and temporary files. Names are in the system's
// encoding (UTF-8 on the host, the ANSI code page on Windows), as the terminal gives them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TreeEntry {
  std::string name;    // relative to the root, levels joined by "/"; a folder's ends with "/"
  std::string path;    // the name to open it by
  bool isFolder = false;
  uint64_t size = 0;
  int64_t modified = 0;  // last write, seconds since 1970 (UTC)
};

// Every folder and file below root: a folder before what it holds, the entries of each level
// in byte order of their names. False with a message when root is no folder or part of the
// tree cannot be read, or holds something that is neither a file nor a folder (a folder link,
// a device).
bool listFolderTree(const std::string& root, std::vector<TreeEntry>& entries, std::string& error);

// True when the file `name` (which need not exist) lies inside the folder `folder`, at any
// depth.
bool isInsideFolder(const std::string& name, const std::string& folder);

// A new empty file in the system's temporary folder, for the caller to use and remove; empty
// when none can be made.
std::string newTemporaryFile();
