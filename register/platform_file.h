// A file of the platform, reached by name with a numbered open mode and sharing mode, binary,
// without newline translation. Used by the enciphered file, which adds the cipher on top.
// Names are texts in the system code page (GBK on the installer's Windows, the locale's
// encoding on the host) and are handed to the platform unconverted, except that on the host a
// backslash stands for a slash, so that the installer's own paths work there too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "register/file_modes.h"

#ifdef _WIN32
#include "platform/scoped_handles_win.h"
#endif

class PlatformFile {
 public:
  PlatformFile() = default;
  ~PlatformFile() { close(); }
  PlatformFile(const PlatformFile&) = delete;
  PlatformFile& operator=(const PlatformFile&) = delete;

  // Opens the file so; false (and closed) when the platform refuses, the name is empty or
  // names a folder, or mode or sharing is out of range. A file already open is closed first.
  bool open(const std::string& name, OpenMode mode, Sharing sharing);
  bool isOpen() const;
  void close();

  // Up to `count` bytes at the current offset into `out`, which advances by the count read:
  // the count (0 at the end of the file), or -1 on an error.
  int64_t read(uint8_t* out, size_t count);
  // All `count` bytes at the current offset; false on an error, after which the offset and
  // the amount written are unknown.
  bool write(const uint8_t* bytes, size_t count);
  // The new offset from the start, or -1 when the target lies before the start or the
  // platform refuses; the offset is unchanged then.
  int64_t seek(SeekBase base, int64_t distance);
  int64_t position() { return seek(SeekBase::current, 0); }
  // The length in bytes, or -1.
  int64_t size();

 private:
#ifdef _WIN32
  ScopedFileHandle handle_;
#else
  int descriptor_ = -1;
#endif
};

// Moves `from` to `to`, replacing a file at `to` in one step (a reader sees the old file or
// the new one, never a mix). False when the platform refuses; both files are untouched then.
bool replaceFile(const std::string& from, const std::string& to);

// Deletes the file; false when it cannot be deleted (or did not exist).
bool removeFile(const std::string& name);
