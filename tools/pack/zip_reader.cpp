#include "tools/pack/zip_reader.h"

#include <unzip.h>

ZipReader::~ZipReader() {
  if (archive_ != nullptr) unzClose(archive_);
}

bool ZipReader::open(const std::string& path) {
  archive_ = unzOpen64(path.c_str());
  if (archive_ == nullptr) return false;
  int status = unzGoToFirstFile(archive_);
  for (; status == UNZ_OK; status = unzGoToNextFile(archive_)) {
    unz_file_info64 info{};
    char name[65536];
    if (unzGetCurrentFileInfo64(archive_, &info, name, sizeof(name), nullptr, 0, nullptr, 0) !=
        UNZ_OK)
      return false;
    entries_.push_back({std::string(name, info.size_filename),
                        static_cast<uint32_t>(info.compression_method), (info.flag & 1) != 0,
                        info.uncompressed_size});
  }
  // An archive without entries has no first entry; anything else must end at the last one.
  return status == UNZ_END_OF_LIST_OF_FILE;
}

std::optional<std::string> ZipReader::read(size_t index, uint64_t limit) {
  if (archive_ == nullptr || index >= entries_.size() || entries_[index].encrypted)
    return std::nullopt;
  if (unzGoToFirstFile(archive_) != UNZ_OK) return std::nullopt;
  for (size_t at = 0; at < index; ++at)
    if (unzGoToNextFile(archive_) != UNZ_OK) return std::nullopt;
  if (unzOpenCurrentFile(archive_) != UNZ_OK) return std::nullopt;
  std::string bytes;
  char buffer[16384];
  int count = 0;
  while ((count = unzReadCurrentFile(archive_, buffer, sizeof(buffer))) > 0 &&
         bytes.size() + static_cast<size_t>(count) <= limit)
    bytes.append(buffer, static_cast<size_t>(count));
  // Closing checks the CRC once the whole entry has been read.
  const int closed = unzCloseCurrentFile(archive_);
  if (count != 0 || closed != UNZ_OK) return std::nullopt;
  return bytes;
}
