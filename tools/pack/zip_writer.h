// A ZIP archive written entry by entry through minizip's zip.c: folder entries and deflated
// file entries, each with the times and attributes the installer's extraction reads.
#pragma once

#include <cstdint>
#include <string>

class ZipWriter {
 public:
  ZipWriter() = default;
  ~ZipWriter();  // an archive still open is closed as it stands
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  // Creates (or empties) the archive file `path` (a name in the system's encoding).
  bool create(const std::string& path);

  // Entry names are stored as given (GBK, "/" between levels), without the UTF-8 flag. A
  // folder name ends with "/". `modified` is seconds since 1970 (UTC): the DOS time holds it
  // as UTC and an extended timestamp ("UT") holds it exactly.
  bool addFolder(const std::string& name, int64_t modified);

  // Starts a file entry; its bytes follow through write, and finishFile ends it.
  bool startFile(const std::string& name, int64_t modified, uint64_t size);
  bool write(const char* bytes, size_t count);
  bool finishFile();

  // Writes the central directory and closes the file; false when anything failed.
  bool close();

 private:
  bool startEntry(const std::string& name, int64_t modified, uint32_t attributes, int method,
                  bool large);
  void* archive_ = nullptr;  // minizip's zipFile
};
