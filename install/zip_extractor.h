// The extraction of a package (a ZIP archive) into the installation directory, over minizip
// and zlib, writing through a FileLayer. The same walk runs in the installer, in the
// publisher's unpack tool and in the host tests, fuzzing and benchmark.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "install/file_layer.h"
#include "install/zip_entry.h"

// Results of extractArchive.
constexpr int32_t kExtractionDone = 1;     // every entry was extracted (or there was none)
constexpr int32_t kExtractionFailed = 0;   // the archive exists, but the extraction failed
constexpr int32_t kArchiveMissing = -1;    // no file of the archive's name

// What stopped an extraction, for the publisher's tool and the tests; the installer only sees
// the progress.
enum class ExtractionFault {
  None,
  ArchiveMissing,
  TargetNotCreated,    // the target directory could not be created
  NotZipArchive,       // the archive test failed
  ArchiveUnreadable,   // minizip cannot open it or finds no valid central directory
  EntryUnreadable,     // an entry's records cannot be read, or it is encrypted or not deflated
  NameRefused,         // see refusal()
  FolderNotCreated,
  FileNotCreated,
  DataCorrupt,         // the data cannot be inflated, is short, or fails its CRC
  WriteFailed,
};

const char* describe(ExtractionFault fault);

// Receives each whole percent as it is reported, on the extracting thread; the extraction goes
// on when it returns.
using ProgressCallback = std::function<void(int32_t percent)>;

// Creates every level of path from the outermost, levels separated by "\" only (a trail byte
// 0x5C is not a separator); an existing level, even a file, is passed over. True when no
// creation failed.
bool createDirectoryChain(FileLayer& files, const std::string& path);

class ZipExtractor {
 public:
  ZipExtractor(FileLayer& files, ProgressCallback progress)
      : files_(files), progress_(std::move(progress)) {}
  ZipExtractor(const ZipExtractor&) = delete;
  ZipExtractor& operator=(const ZipExtractor&) = delete;

  // Extracts the archive into the target directory (taken as typed: it may be relative, lack
  // its trailing "\" or be empty, which means the root of the current drive), creating the
  // target first when it does not exist. Folder entries are created, file entries written in
  // archive order, each file left with normal attributes and its times from the entry.
  //
  // Progress: after entry i (0-based) of n the percent of i in n, then 100 once at the end.
  // An archive without entries reports a single 0. Before anything is written every entry's
  // records and name are checked. A failure reports nothing more once a percent was reported
  // (the last one stays, the one of the entry before), and a single 0 otherwise; 100 never
  // comes, and what was written stays on disk.
  int32_t extractArchive(const std::string& archivePath, const std::string& targetDirectory);

  ExtractionFault fault() const { return fault_; }
  NameRefusal refusal() const { return refusal_; }
  // The entry the fault concerns (empty for a fault of the whole archive).
  const std::string& faultEntry() const { return faultEntry_; }

 private:
  class Archive;

  int32_t finish(int32_t result, ExtractionFault fault, const std::string& entry = {});
  bool passesArchiveTest(const std::string& archivePath);
  bool checkEntries(Archive& archive, const std::string& target);
  bool extractEntry(Archive& archive, const ZipEntryInfo& entry, const std::string& target);
  bool writeEntry(Archive& archive, const ZipEntryInfo& entry, const std::string& path);
  void createRelativeFolders(const std::string& path);
  void reportProgress();

  FileLayer& files_;
  ProgressCallback progress_;
  int32_t total_ = 0;
  int32_t current_ = 0;
  bool reported_ = false;  // whether a percent was reported in this extraction
  std::vector<unsigned char> buffer_;
  std::string baseDirectory_;  // the current directory when the archive was opened, with "\"
  ExtractionFault fault_ = ExtractionFault::None;
  NameRefusal refusal_ = NameRefusal::None;
  std::string faultEntry_;
};
