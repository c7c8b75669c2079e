// The ZIP walk on the Windows file layer, under Wine as an ordinary user (so read-only files
// bind): attributes, file times, and the targets a user may type. The test packages come from
// tests/fixtures/make_packages.py; their folder is given as --packages=FOLDER.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "install/zip_extractor.h"
#include "platform/scoped_handles_win.h"
#include "tests/fixtures/extraction_outcome.h"
#include "tests/register/scratch_folder.h"

namespace {

std::string packagesFolder;

std::string package(const std::string& name) { return packagesFolder + "\\" + name; }

uint64_t asNumber(const FILETIME& time) {
  return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

DWORD attributesOf(const std::string& path) { return GetFileAttributesA(path.c_str()); }

constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM;

// Keeps the current directory of the test program as it was.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::string& path) {
    char buffer[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, buffer);
    saved_ = buffer;
    EXPECT_TRUE(SetCurrentDirectoryA(path.c_str())) << path;
  }
  ~CurrentDirectory() { SetCurrentDirectoryA(saved_.c_str()); }

 private:
  std::string saved_;
};

// 29 February of a common year is left out: Wine's conversion takes it for 1 March, where
// Windows refuses it (as the host tests show the extraction does).
TEST(WindowsTimes, DosTimesAsTheSystemConvertsThem) {
  for (uint32_t date : {0x0000u, 0x0021u, 0x5022u, 0x4E3Du, 0xFF9Fu, 0x0240u, 0x585Eu})
    for (uint32_t time : {0x0000u, 0x1863u, 0xBF7Du, 0xBF7Eu, 0xC000u, 0x0F80u, 0x001Eu}) {
      FILETIME system = {};
      uint64_t expected = DosDateTimeToFileTime(static_cast<WORD>(date), static_cast<WORD>(time),
                                                &system)
                              ? asNumber(system)
                              : 0;
      EXPECT_EQ(dosDateTimeToFileTime(date << 16 | time), expected)
          << std::hex << "date " << date << " time " << time;
    }
}

TEST(WindowsExtraction, ReadOnlyAndHiddenFilesAreReplacedAndEndNormal) {
  ScratchFolder scratch;
  std::string target = scratch.path("target") + "\\";
  CreateDirectoryA(target.c_str(), nullptr);
  writeRawFile(target + "windows.txt", "left by an earlier installation");
  writeRawFile(target + "unix.txt", "left by an earlier installation");
  ASSERT_TRUE(SetFileAttributesA((target + "windows.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(SetFileAttributesA((target + "unix.txt").c_str(),
                                 FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  // A read-only file binds here: it cannot be opened for writing as it is.
  HANDLE probe = CreateFileA((target + "windows.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(probe, INVALID_HANDLE_VALUE);
  if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);

  ExtractionOutcome run = extract(package("attributes.zip"), target);
  ASSERT_EQ(run.result, kExtractionDone) << describe(run.fault) << " " << run.entry;
  for (const char* name : {"windows.txt", "windows-readonly.txt", "windows-hidden.txt",
                           "unix-readonly.txt", "unix.txt"}) {
    EXPECT_EQ(readRawFile(target + name), name);
    DWORD attributes = attributesOf(target + name);
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << name;
    EXPECT_EQ(attributes & kKeptAttributes, 0u) << name << std::hex << " " << attributes;
  }
}

TEST(WindowsExtraction, FileTimesComeFromTheEntry) {
  ScratchFolder scratch;
  ASSERT_EQ(extract(package("ut-times.zip"), scratch.path()).result, kExtractionDone);
  ScopedFileHandle file(CreateFileA(scratch.path("stamped.txt").c_str(), GENERIC_READ,
                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file.valid());
  FILETIME creation, access, write;
  ASSERT_TRUE(GetFileTime(file.get(), &creation, &access, &write));
  EXPECT_EQ(asNumber(write), unixTimeToFileTime(1614834367));
  EXPECT_EQ(asNumber(access), unixTimeToFileTime(1651234567));

  ASSERT_EQ(extract(package("dos-time.zip"), scratch.path()).result, kExtractionDone);
  ScopedFileHandle dos(CreateFileA(scratch.path("dos.txt").c_str(), GENERIC_READ,
                                   FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(GetFileTime(dos.get(), &creation, &access, &write));
  SYSTEMTIME stated = {2020, 1, 4, 2, 3, 4, 6, 0};  // the DOS fields, as they stand
  FILETIME expected;
  ASSERT_TRUE(SystemTimeToFileTime(&stated, &expected));
  EXPECT_EQ(asNumber(write), asNumber(expected));
  EXPECT_EQ(asNumber(access), asNumber(expected));
}

TEST(WindowsExtraction, TargetWithoutTrailingBackslashIsCreated) {
  ScratchFolder scratch;
  std::string target = scratch.path("Mervantis");
  ExtractionOutcome run = extract(package("tree.zip"), target);
  EXPECT_EQ(run.result, kExtractionDone);
  EXPECT_EQ(run.percents, (std::vector<int32_t>{0, 25, 50, 75, 100}));
  EXPECT_NE(attributesOf(target + "\\zhi\\pz") & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(readRawFile(target + "\\zhi\\pz\\pro.dll").size(), 3000u);
}

TEST(WindowsExtraction, EmptyTargetIsTheRootOfTheCurrentDrive) {
  ScratchFolder scratch;
  CurrentDirectory current(scratch.path());
  char root[4] = {scratch.path()[0], ':', '\\', '\0'};
  std::string folder = std::string(root) + "mervantis-drive-root";
  ExtractionOutcome run = extract(package("drive-root.zip"), "");
  EXPECT_EQ(run.result, kExtractionDone) << describe(run.fault);
  EXPECT_EQ(readRawFile(folder + "\\a.txt"), "at the root");
  DeleteFileA((folder + "\\a.txt").c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST(WindowsExtraction, TargetWithSlashesIsCreatedAsOneLevel) {
  ScratchFolder scratch;
  std::string slashed = scratch.path();
  for (char& c : slashed)
    if (c == '\\') c = '/';
  ExtractionOutcome missingParent = extract(package("one.zip"), slashed + "/new1/new2");
  EXPECT_EQ(missingParent.result, kExtractionFailed);
  EXPECT_EQ(missingParent.fault, ExtractionFault::TargetNotCreated);
  EXPECT_EQ(missingParent.percents, (std::vector<int32_t>{0}));
  EXPECT_EQ(attributesOf(scratch.path("new1")), INVALID_FILE_ATTRIBUTES);

  ASSERT_TRUE(CreateDirectoryA(scratch.path("new1").c_str(), nullptr));
  ExtractionOutcome oneLevel = extract(package("one.zip"), slashed + "/new1/new2");
  EXPECT_EQ(oneLevel.result, kExtractionDone);
  EXPECT_EQ(readRawFile(scratch.path("new1\\new2\\only.txt")).size(), 5000u);
}

TEST(WindowsExtraction, FileOnlyPackageStopsAtItsFirstFileBelowAnAbsoluteTarget) {
  ScratchFolder scratch;
  ExtractionOutcome run = extract(package("files-only.zip"), scratch.path());
  EXPECT_EQ(run.result, kExtractionFailed);
  EXPECT_EQ(run.fault, ExtractionFault::FileNotCreated);
  EXPECT_EQ(run.entry, "zhi/pz/pro.dll");
  EXPECT_EQ(run.percents, (std::vector<int32_t>{0}));
  EXPECT_EQ(attributesOf(scratch.path("zhi")), INVALID_FILE_ATTRIBUTES);

  // Below a relative target the folders are made from the file's name.
  CurrentDirectory current(scratch.path());
  ExtractionOutcome relative = extract(package("files-only.zip"), "inst");
  EXPECT_EQ(relative.result, kExtractionDone);
  EXPECT_EQ(readRawFile(scratch.path("inst\\zhi\\pz\\pro.dll")).size(), 3000u);
}

TEST(WindowsExtraction, AFileInUseFailsTheExtractionWhereItIs) {
  ScratchFolder scratch;
  ScopedFileHandle held(CreateFileA(scratch.path("c.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held.valid());
  ExtractionOutcome run = extract(package("four.zip"), scratch.path());
  EXPECT_EQ(run.result, kExtractionFailed);
  EXPECT_EQ(run.fault, ExtractionFault::FileNotCreated);
  EXPECT_EQ(run.entry, "c.txt");
  EXPECT_EQ(run.percents, (std::vector<int32_t>{0, 25}));
  EXPECT_EQ(attributesOf(scratch.path("d.txt")), INVALID_FILE_ATTRIBUTES);
}

TEST(WindowsExtraction, GbkNamesWithTrailByte5C) {
  ScratchFolder scratch;
  ASSERT_EQ(extract(package("gbk-names.zip"), scratch.path()).result, kExtractionDone);
  // Joined as bytes: a path object would read them as UTF-8.
  EXPECT_EQ(readRawFile(scratch.path() + "\\dir\x81\x5c\\file\x81\x5c.txt"), "gbk");
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const char kOption[] = "--packages=";
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], kOption, sizeof kOption - 1) == 0)
      packagesFolder = argv[i] + sizeof kOption - 1;
  if (packagesFolder.empty()) {
    std::fprintf(stderr, "usage: install_tests --packages=FOLDER\n");
    return 2;
  }
  return RUN_ALL_TESTS();
}
