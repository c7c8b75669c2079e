#include "tools/pack/zip_writer.h"

#include <zip.h>

#include <array>
#include <ctime>

namespace {

// Unix modes in the upper half of the external attributes, with the DOS directory bit for
// folders: the extraction makes a file read-only when the owner-write bit is missing.
constexpr uint32_t kFolderAttributes = (040755u << 16) | 0x10;
constexpr uint32_t kFileAttributes = 0100644u << 16;
// Made by Unix (3), ZIP 3.0: the upper half holds a Unix mode.
constexpr uLong kVersionMadeBy = (3 << 8) | 30;

uint32_t dosDateTime(int64_t seconds) {
  // The DOS fields cover 1980 to 2107.
  constexpr int64_t k1980 = 315532800;
  constexpr int64_t k2107End = 4354819199;
  if (seconds < k1980) seconds = k1980;
  if (seconds > k2107End) seconds = k2107End;
  const std::time_t value = static_cast<std::time_t>(seconds);
  std::tm parts{};
#ifdef _WIN32
  gmtime_s(&parts, &value);
#else
  gmtime_r(&value, &parts);
#endif
  return static_cast<uint32_t>(parts.tm_year - 80) << 25 |
         static_cast<uint32_t>(parts.tm_mon + 1) << 21 | static_cast<uint32_t>(parts.tm_mday) << 16 |
         static_cast<uint32_t>(parts.tm_hour) << 11 | static_cast<uint32_t>(parts.tm_min) << 5 |
         static_cast<uint32_t>(parts.tm_sec / 2);
}

// An extended timestamp block ("UT") with the last-write time only, in seconds since 1970.
std::array<unsigned char, 9> timestampBlock(int64_t seconds) {
  const uint32_t value =
      seconds < 0 ? 0 : seconds > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<uint32_t>(seconds);
  return {'U', 'T', 5, 0, 1, static_cast<unsigned char>(value),
          static_cast<unsigned char>(value >> 8), static_cast<unsigned char>(value >> 16),
          static_cast<unsigned char>(value >> 24)};
}

}  // namespace

ZipWriter::~ZipWriter() { close(); }

bool ZipWriter::create(const std::string& path) {
  close();
  archive_ = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  return archive_ != nullptr;
}

bool ZipWriter::startEntry(const std::string& name, int64_t modified, uint32_t attributes,
                           int method, bool large) {
  if (archive_ == nullptr) return false;
  zip_fileinfo info{};
  info.dosDate = dosDateTime(modified);
  info.external_fa = attributes;
  const std::array<unsigned char, 9> timestamp = timestampBlock(modified);
  return zipOpenNewFileInZip4_64(archive_, name.c_str(), &info, timestamp.data(),
                                 timestamp.size(), timestamp.data(), timestamp.size(), nullptr,
                                 method,
                                 method == 0 ? 0 : Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS,
                                 DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, kVersionMadeBy, 0,
                                 large ? 1 : 0) == ZIP_OK;
}

bool ZipWriter::addFolder(const std::string& name, int64_t modified) {
  return startEntry(name, modified, kFolderAttributes, 0, false) &&
         zipCloseFileInZip(archive_) == ZIP_OK;
}

bool ZipWriter::startFile(const std::string& name, int64_t modified, uint64_t size) {
  return startEntry(name, modified, kFileAttributes, Z_DEFLATED, size >= 0xFFFFFFFFu);
}

bool ZipWriter::write(const char* bytes, size_t count) {
  while (count > 0) {
    const unsigned piece = count > (1u << 30) ? (1u << 30) : static_cast<unsigned>(count);
    if (zipWriteInFileInZip(archive_, bytes, piece) != ZIP_OK) return false;
    bytes += piece;
    count -= piece;
  }
  return true;
}

bool ZipWriter::finishFile() { return zipCloseFileInZip(archive_) == ZIP_OK; }

bool ZipWriter::close() {
  if (archive_ == nullptr) return false;
  const bool closed = zipClose(archive_, nullptr) == ZIP_OK;
  archive_ = nullptr;
  return closed;
}
