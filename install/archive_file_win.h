// The package as minizip reads it on Windows.
#pragma once

#include <string>

#include "unzip.h"

// Opens the archive with minizip through a read buffer of its own: the file is opened for
// reading and shared for reading only, and minizip's many small reads of header fields are
// served from memory. Null when the file cannot be opened or has no valid central directory.
unzFile openArchiveFile(const std::string& path);
