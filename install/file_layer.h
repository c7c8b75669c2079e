// What the package extraction needs of the file system, so that the same ZIP walk runs on
// Windows (file_layer_win.cpp) and on a POSIX host (file_layer_posix.cpp).
//
// Paths are texts in the Windows form: GBK bytes with "\" separating the levels (a double-byte
// character whose trail byte is 0x5C is not a separator). The POSIX layer turns the separators
// into "/" itself. Attributes are Windows file-attribute bits; times are Windows file times
// (100 ns units since 1601-01-01 UTC), where 0 means "leave this time as it is".
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "unzip.h"

constexpr uint32_t kAttributeReadOnly = 0x01;
constexpr uint32_t kAttributeHidden = 0x02;
constexpr uint32_t kAttributeSystem = 0x04;
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;
constexpr uint32_t kAttributeNormal = 0x80;

// A file opened for writing by FileLayer::createFile; closed when destroyed.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Writes all size bytes; false when they could not all be written.
  virtual bool write(const void* data, size_t size) = 0;

  // True for a file on disk (not a device or a pipe).
  virtual bool isDiskFile() const = 0;

  // Sets the three times; a 0 leaves that time unchanged. Where the platform keeps no
  // creation time, creation is ignored.
  virtual void setTimes(uint64_t creation, uint64_t lastAccess, uint64_t lastWrite) = 0;

 protected:
  OutputFile() = default;
};

class FileLayer {
 public:
  virtual ~FileLayer() = default;

  // True when a file or a folder of that name exists.
  virtual bool exists(const std::string& path) = 0;

  // Creates one folder level; false when it could not be created (also when it exists).
  virtual bool createDirectory(const std::string& path) = 0;

  // Sets the attributes of an existing file; failures are not reported.
  virtual void setAttributes(const std::string& path, uint32_t attributes) = 0;

  // Creates the file for writing, replacing an existing one, with the given attributes
  // (read-only, hidden, system, archive). Null when it cannot be created.
  virtual std::unique_ptr<OutputFile> createFile(const std::string& path,
                                                 uint32_t attributes) = 0;

  // Up to count bytes from the start of the file; fewer when the file is shorter or
  // unreadable.
  virtual std::string readFileStart(const std::string& path, size_t count) = 0;

  // Opens the archive with minizip, the file opened for reading and shared for reading only.
  // Null when it cannot be opened or has no valid central directory.
  virtual unzFile openArchive(const std::string& path) = 0;

  // The process's current directory, without a trailing separator unless it is a root.
  virtual std::string currentDirectory() = 0;

 protected:
  FileLayer() = default;
};

// The layer of the platform the code was built for.
std::unique_ptr<FileLayer> makeSystemFileLayer();
