// Whether a name can stand in a package: the extraction writes an entry only below the
// installation directory, under a name Windows keeps as it is.
#pragma once

#include <optional>
#include <string>

// Why the extraction would refuse the entry name (GBK, either separator, a folder's ending in
// one), in a few English words; nothing when it is acceptable.
std::optional<std::string> entryNameProblem(const std::string& name);

// The same for the name of one file or folder, which holds no separator either.
std::optional<std::string> singleNameProblem(const std::string& name);
