// A ZIP archive's entries as minizip's unzip.c reads its central directory, for checking a
// package without installing it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ZipEntry {
  std::string name;  // as stored (the installer's texts are GBK)
  uint32_t method = 0;
  bool encrypted = false;
  uint64_t size = 0;  // uncompressed
};

class ZipReader {
 public:
  ZipReader() = default;
  ~ZipReader();
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  // Opens the archive and reads its entries in archive order; false when it is no ZIP archive
  // minizip can read.
  bool open(const std::string& path);
  const std::vector<ZipEntry>& entries() const { return entries_; }

  // The uncompressed bytes of entry `index`, at most `limit` of them; nothing when they cannot
  // be read (a damaged or an encrypted entry, or more than the limit).
  std::optional<std::string> read(size_t index, uint64_t limit);

 private:
  void* archive_ = nullptr;  // minizip's unzFile
  std::vector<ZipEntry> entries_;
};
