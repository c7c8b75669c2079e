#include "install/zip_extractor.h"

#include <cstring>
#include <vector>

#include "platform/text.h"

namespace {

constexpr size_t kChunkSize = 16384;       // entry data go to the file in chunks of this size
constexpr size_t kArchiveTestSize = 32;
constexpr uint32_t kLocalHeaderSignature = 0x04034B50;
constexpr int kMethodStored = 0;
constexpr int kMethodDeflated = 8;
constexpr unsigned kFlagEncrypted = 0x01;

uint32_t littleEndian32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i)
    value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return value;
}

bool isAbsolute(const std::string& path) {
  return (!path.empty() && (path[0] == '\\' || path[0] == '/')) ||
         (path.size() >= 2 && path[1] == ':');
}

// Byte offset of the last "\" or "/" that is a character of its own, or npos.
size_t lastSeparator(const std::string& path) {
  size_t found = std::string::npos;
  for (size_t at = 0; at < path.size(); at += characterLength(path, at))
    if (path[at] == '\\' || path[at] == '/') found = at;
  return found;
}

}  // namespace

// The open archive with minizip's position in it. The data of at most one entry is open; it
// is closed before the archive.
class ZipExtractor::Archive {
 public:
  enum class Query { Found, End, Unreadable };

  explicit Archive(unzFile file) : file_(file) {
    unz_global_info64 info = {};
    if (file_ != nullptr && unzGetGlobalInfo64(file_, &info) == UNZ_OK)
      entryCount_ = info.number_entry;
  }
  ~Archive() {
    if (file_ == nullptr) return;
    if (entryOpen_) unzCloseCurrentFile(file_);
    unzClose(file_);
  }
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;

  bool isOpen() const { return file_ != nullptr; }

  // Positions on entry index and fills entry from its central and local records; on Found
  // the entry's data is open for reading. End when index is not below the entry count.
  Query query(int32_t index, ZipEntryInfo& entry) {
    closeEntry();
    entry = ZipEntryInfo();
    if (index < 0 || static_cast<uint64_t>(index) >= entryCount_) return Query::End;
    if (!moveTo(index)) return Query::Unreadable;

    char name[kLongestPath + 1] = {};
    unz_file_info64 info = {};
    if (unzGetCurrentFileInfo64(file_, &info, name, sizeof name, nullptr, 0, nullptr, 0) !=
        UNZ_OK)
      return Query::Unreadable;
    // A longer name is cut short by minizip; keep its length so the name check refuses it.
    size_t nameSize = info.size_filename;
    entry.name.assign(name, nameSize <= kLongestPath ? nameSize : kLongestPath);
    if (nameSize > kLongestPath) entry.name.resize(nameSize, '?');
    entry.attributes = deriveAttributes(static_cast<uint32_t>(info.external_fa));
    entry.uncompressedSize = info.uncompressed_size;
    uint64_t dosTime = dosDateTimeToFileTime(static_cast<uint32_t>(info.dosDate));
    entry.lastAccessTime = entry.creationTime = entry.lastWriteTime = dosTime;

    // Without a password the data of an encrypted entry is only noise; another method than
    // stored or deflated cannot be inflated.
    if (info.flag & kFlagEncrypted) return Query::Unreadable;
    if (info.compression_method != kMethodStored && info.compression_method != kMethodDeflated)
      return Query::Unreadable;
    if (unzOpenCurrentFile(file_) != UNZ_OK) return Query::Unreadable;
    entryOpen_ = true;
    int extraSize = unzGetLocalExtrafield(file_, nullptr, 0);
    if (extraSize < 0) return Query::Unreadable;
    extra_.resize(static_cast<size_t>(extraSize));
    if (extraSize > 0 &&
        unzGetLocalExtrafield(file_, extra_.data(), static_cast<unsigned>(extraSize)) != extraSize)
      return Query::Unreadable;
    applyExtendedTimestamp(extra_.data(), extra_.size(), entry);
    return Query::Found;
  }

  // Bytes of the open entry's data: a count, 0 at its end, negative on an error.
  int read(void* buffer, unsigned size) { return unzReadCurrentFile(file_, buffer, size); }

  // Closes the open entry's data; false on a CRC mismatch of fully read data.
  bool closeEntry() {
    if (!entryOpen_) return true;
    entryOpen_ = false;
    return unzCloseCurrentFile(file_) == UNZ_OK;
  }

 private:
  bool moveTo(int32_t index) {
    if (position_ < 0 || index < position_) {
      position_ = -1;
      if (unzGoToFirstFile(file_) != UNZ_OK) return false;
      position_ = 0;
    }
    while (position_ < index) {
      if (unzGoToNextFile(file_) != UNZ_OK) {
        position_ = -1;
        return false;
      }
      ++position_;
    }
    return true;
  }

  unzFile file_;
  uint64_t entryCount_ = 0;
  int32_t position_ = -1;  // the entry minizip stands on; -1 when unknown
  bool entryOpen_ = false;
  std::vector<unsigned char> extra_;
};

const char* describe(ExtractionFault fault) {
  switch (fault) {
    case ExtractionFault::None: return "extracted";
    case ExtractionFault::ArchiveMissing: return "the package file does not exist";
    case ExtractionFault::TargetNotCreated: return "the target directory cannot be created";
    case ExtractionFault::NotZipArchive: return "the package is not a ZIP archive";
    case ExtractionFault::ArchiveUnreadable: return "the package has no readable central directory";
    case ExtractionFault::EntryUnreadable:
      return "an entry cannot be read (damaged records, encrypted, or not deflated)";
    case ExtractionFault::NameRefused: return "an entry name is refused";
    case ExtractionFault::FolderNotCreated: return "a folder cannot be created";
    case ExtractionFault::FileNotCreated: return "a file cannot be created";
    case ExtractionFault::DataCorrupt: return "an entry's data is corrupt or truncated";
    case ExtractionFault::WriteFailed: return "a file cannot be written";
  }
  return "failed";
}

bool createDirectoryChain(FileLayer& files, const std::string& path) {
  std::string chain = withTrailingBackslash(path);
  for (size_t at = 0; at < chain.size(); at += characterLength(chain, at)) {
    if (chain[at] != '\\' || characterLength(chain, at) != 1) continue;
    std::string level = chain.substr(0, at + 1);
    if (!files.exists(level) && !files.createDirectory(level)) return false;
  }
  return true;
}

int32_t ZipExtractor::extractArchive(const std::string& archivePath,
                                     const std::string& targetDirectory) {
  total_ = current_ = 0;
  reported_ = false;
  fault_ = ExtractionFault::None;
  refusal_ = NameRefusal::None;
  faultEntry_.clear();

  if (!files_.exists(archivePath)) return finish(kArchiveMissing, ExtractionFault::ArchiveMissing);
  if (!files_.exists(targetDirectory) && !createDirectoryChain(files_, targetDirectory))
    return finish(kExtractionFailed, ExtractionFault::TargetNotCreated);
  if (!passesArchiveTest(archivePath))
    return finish(kExtractionFailed, ExtractionFault::NotZipArchive);

  Archive archive(files_.openArchive(archivePath));
  baseDirectory_ = withTrailingBackslash(files_.currentDirectory());
  if (!archive.isOpen()) return finish(kExtractionFailed, ExtractionFault::ArchiveUnreadable);
  if (!checkEntries(archive, targetDirectory)) return finish(kExtractionFailed, fault_, faultEntry_);

  ZipEntryInfo entry;
  for (int32_t i = 0; i < total_; ++i) {
    if (archive.query(i, entry) != Archive::Query::Found)
      return finish(kExtractionFailed, ExtractionFault::EntryUnreadable, entry.name);
    if (!extractEntry(archive, entry, targetDirectory))
      return finish(kExtractionFailed, fault_, entry.name);
    current_ = i;
    reportProgress();
  }
  return finish(kExtractionDone, ExtractionFault::None);
}

int32_t ZipExtractor::finish(int32_t result, ExtractionFault fault, const std::string& entry) {
  fault_ = fault;
  faultEntry_ = entry;
  if (fault == ExtractionFault::None) {
    current_ = total_;
    reportProgress();
  } else if (!reported_) {
    // A failure shows as 0 when nothing was shown yet; otherwise the last percent stays.
    current_ = total_ = 0;
    reportProgress();
  }
  total_ = current_ = 0;
  return result;
}

bool ZipExtractor::passesArchiveTest(const std::string& archivePath) {
  std::string start = files_.readFileStart(archivePath, kArchiveTestSize);
  // Bytes 24 to 27: the upper half of the first entry's size and its name length, so a first
  // entry with a name of 1 to 32767 bytes passes.
  return start.size() == kArchiveTestSize && littleEndian32(start, 0) == kLocalHeaderSignature &&
         static_cast<int32_t>(littleEndian32(start, 24)) >= 1;
}

// Reads every entry's records and checks every name before anything is written, so a damaged
// or hostile archive leaves the target as it was. Sets total to the number of entries.
bool ZipExtractor::checkEntries(Archive& archive, const std::string& target) {
  ZipEntryInfo entry;
  for (int32_t i = 0;; ++i) {
    Archive::Query query = archive.query(i, entry);
    if (query == Archive::Query::End) {
      total_ = i;
      return true;
    }
    if (query == Archive::Query::Unreadable) {
      fault_ = ExtractionFault::EntryUnreadable;
      faultEntry_ = entry.name;
      return false;
    }
    refusal_ = checkEntryName(entry.name);
    if (refusal_ == NameRefusal::None && destinationPath(target, entry.name).size() > kLongestPath)
      refusal_ = NameRefusal::DestinationTooLong;
    if (refusal_ != NameRefusal::None) {
      fault_ = ExtractionFault::NameRefused;
      faultEntry_ = entry.name;
      return false;
    }
  }
}

bool ZipExtractor::extractEntry(Archive& archive, const ZipEntryInfo& entry,
                                const std::string& target) {
  std::string path = destinationPath(target, entry.name);
  if (entry.isFolder()) {
    if (files_.exists(path) || createDirectoryChain(files_, path)) return true;
    fault_ = ExtractionFault::FolderNotCreated;
    return false;
  }
  // Clears read-only, hidden and system on a file left by an earlier installation, which
  // would refuse to be replaced.
  files_.setAttributes(path, kAttributeNormal);
  if (!writeEntry(archive, entry, path)) return false;
  // Every extracted file ends with normal attributes, whatever the entry says.
  files_.setAttributes(path, kAttributeNormal);
  return true;
}

bool ZipExtractor::writeEntry(Archive& archive, const ZipEntryInfo& entry,
                              const std::string& path) {
  createRelativeFolders(path);
  std::unique_ptr<OutputFile> file = files_.createFile(path, entry.attributes);
  if (!file) {
    fault_ = ExtractionFault::FileNotCreated;
    return false;
  }
  buffer_.resize(kChunkSize);
  uint64_t written = 0;
  for (;;) {
    int count = archive.read(buffer_.data(), static_cast<unsigned>(buffer_.size()));
    if (count < 0) {
      fault_ = ExtractionFault::DataCorrupt;
      break;
    }
    if (count == 0) break;
    if (!file->write(buffer_.data(), static_cast<size_t>(count))) {
      fault_ = ExtractionFault::WriteFailed;
      break;
    }
    written += static_cast<uint64_t>(count);
  }
  if (fault_ == ExtractionFault::None && file->isDiskFile())
    file->setTimes(entry.creationTime, entry.lastAccessTime, entry.lastWriteTime);
  file.reset();  // the file is closed before the entry's data
  bool crcMatches = archive.closeEntry();
  // Data that ends early is never checked by minizip, so its length is checked here.
  if (fault_ == ExtractionFault::None && (!crcMatches || written != entry.uncompressedSize))
    fault_ = ExtractionFault::DataCorrupt;
  return fault_ == ExtractionFault::None;
}

// A relative destination gets its folders below the directory that was current when the
// archive was opened; an absolute one must find its folder in place. Failures show when the
// file is created.
void ZipExtractor::createRelativeFolders(const std::string& path) {
  size_t separator = lastSeparator(path);
  if (separator == std::string::npos || separator == 0) return;
  std::string folder = path.substr(0, separator);
  if (isAbsolute(folder) || findText(folder, "..\\") > 0 || findText(folder, "../") > 0) return;
  createDirectoryChain(files_, baseDirectory_ + folder);
}

void ZipExtractor::reportProgress() {
  reported_ = true;
  if (progress_) progress_(percentOf(current_, total_));
}
