// The ZIP walk on the POSIX file layer, over packages made by Info-ZIP zip and Python's
// zipfile (tests/fixtures/make_packages.py). Successful extractions are compared with what
// Info-ZIP unzip makes of the same package.
#include "install/zip_extractor.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/fixtures/extraction_outcome.h"

namespace fs = std::filesystem;

namespace {

std::string package(const std::string& name) { return std::string(MERVANTIS_PACKAGES) + "/" + name; }

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Every file and folder below root: relative name → content (folders end in "/", no content).
std::map<std::string, std::string> treeOf(const fs::path& root) {
  std::map<std::string, std::string> tree;
  if (!fs::exists(root)) return tree;
  for (const fs::directory_entry& item : fs::recursive_directory_iterator(root)) {
    std::string name = fs::relative(item.path(), root).string();
    if (item.is_directory())
      tree[name + "/"] = "";
    else
      tree[name] = readFile(item.path());
  }
  return tree;
}

class Extraction : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/mervantis-extract-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    scratch_ = pattern;
  }
  void TearDown() override { fs::remove_all(scratch_); }

  std::string at(const std::string& name) const { return (scratch_ / name).string(); }

  // What Info-ZIP unzip makes of the package, in a folder of its own.
  std::map<std::string, std::string> unzipped(const std::string& name) {
    fs::path folder = scratch_ / "unzip-reference";
    std::string command = "unzip -q -o '" + package(name) + "' -d '" + folder.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return treeOf(folder);
  }

  fs::path scratch_;
};

TEST_F(Extraction, ReportsAPercentAfterEachEntryThen100) {
  ExtractionOutcome four = extract(package("four.zip"), at("four"));
  EXPECT_EQ(four.result, kExtractionDone);
  EXPECT_EQ(four.percents, (std::vector<int32_t>{0, 25, 50, 75, 100}));
  EXPECT_EQ(treeOf(at("four")), unzipped("four.zip"));

  ExtractionOutcome one = extract(package("one.zip"), at("one"));
  EXPECT_EQ(one.percents, (std::vector<int32_t>{0, 100}));

  // The quotient first: 29 of 100 is 28 percent.
  ExtractionOutcome hundred = extract(package("hundred.zip"), at("hundred"));
  EXPECT_EQ(hundred.result, kExtractionDone);
  ASSERT_EQ(hundred.percents.size(), 101u);
  EXPECT_EQ(hundred.percents[29], 28);
  EXPECT_EQ(hundred.percents[57], 56);
  EXPECT_EQ(hundred.percents[58], 57);
  EXPECT_TRUE(std::is_sorted(hundred.percents.begin(), hundred.percents.end()));
  EXPECT_EQ(hundred.percents[100], 100);
  EXPECT_EQ(treeOf(at("hundred")).size(), 100u);
}

TEST_F(Extraction, CreatesFoldersFromFolderEntriesAndReplacesAnEarlierInstallation) {
  // The target does not exist yet.
  std::string target = at("Mervantis");
  ExtractionOutcome first = extract(package("tree.zip"), target);
  EXPECT_EQ(first.result, kExtractionDone);
  EXPECT_EQ(first.percents, (std::vector<int32_t>{0, 25, 50, 75, 100}));
  std::map<std::string, std::string> expected = unzipped("tree.zip");
  EXPECT_EQ(treeOf(target), expected);
  ASSERT_TRUE(expected.count("zhi/pz/"));

  // Installing again over a read-only file of the first installation.
  fs::path pro = fs::path(target) / "zhi/pz/pro.dll";
  std::ofstream(pro, std::ios::binary | std::ios::trunc) << "changed";
  fs::permissions(pro, fs::perms::owner_read | fs::perms::group_read);
  ExtractionOutcome again = extract(package("tree.zip"), target + "/");
  EXPECT_EQ(again.result, kExtractionDone);
  EXPECT_EQ(treeOf(target), expected);
  // Every extracted file ends writable, whatever the entry or the old file said.
  EXPECT_NE(fs::status(pro).permissions() & fs::perms::owner_write, fs::perms::none);
}

TEST_F(Extraction, FileOnlyPackageNeedsItsFoldersUnlessTheTargetIsRelative) {
  // Below an absolute target the folders of a file entry must be there already.
  ExtractionOutcome absolute = extract(package("files-only.zip"), at("absolute"));
  EXPECT_EQ(absolute.result, kExtractionFailed);
  EXPECT_EQ(absolute.fault, ExtractionFault::FileNotCreated);
  EXPECT_EQ(absolute.entry, "zhi/pz/pro.dll");
  EXPECT_EQ(absolute.percents, (std::vector<int32_t>{0}));

  // A relative target gets them below the current directory.
  fs::path before = fs::current_path();
  fs::current_path(scratch_);
  ExtractionOutcome relative = extract(package("files-only.zip"), "inst");
  fs::current_path(before);
  EXPECT_EQ(relative.result, kExtractionDone);
  EXPECT_EQ(relative.percents, (std::vector<int32_t>{0, 100}));
  EXPECT_EQ(readFile(scratch_ / "inst/zhi/pz/pro.dll"), unzipped("files-only.zip")["zhi/pz/pro.dll"]);
}

TEST_F(Extraction, FilesGetTheTimesOfTheirEntries) {
  ASSERT_EQ(extract(package("ut-times.zip"), at("ut")).result, kExtractionDone);
  struct stat status;
  ASSERT_EQ(stat(at("ut/stamped.txt").c_str(), &status), 0);
  EXPECT_EQ(status.st_mtime, 1614834367);  // the "UT" times, UTC
  EXPECT_EQ(status.st_atime, 1651234567);

  // Without a "UT" block the DOS time is taken as it stands, as if it were UTC.
  ASSERT_EQ(extract(package("dos-time.zip"), at("dos")).result, kExtractionDone);
  ASSERT_EQ(stat(at("dos/dos.txt").c_str(), &status), 0);
  EXPECT_EQ(status.st_mtime, 1577934246);  // 2020-01-02 03:04:06
}

TEST_F(Extraction, EveryFileEndsWithNormalAttributes) {
  ASSERT_EQ(extract(package("attributes.zip"), at("attributes")).result, kExtractionDone);
  for (const char* name : {"windows.txt", "windows-readonly.txt", "windows-hidden.txt",
                           "unix-readonly.txt", "unix.txt"}) {
    fs::perms perms = fs::status(at(std::string("attributes/") + name)).permissions();
    EXPECT_NE(perms & fs::perms::owner_write, fs::perms::none) << name;
    EXPECT_EQ(readFile(at(std::string("attributes/") + name)), name);
  }
}

TEST_F(Extraction, GbkNamesKeepTheirTrailBytes) {
  ASSERT_EQ(extract(package("gbk-names.zip"), at("gbk")).result, kExtractionDone);
  EXPECT_EQ(readFile(at("gbk/dir\x81\x5c/file\x81\x5c.txt")), "gbk");
}

TEST_F(Extraction, StreamedEntriesWithDataDescriptors) {
  ExtractionOutcome run = extract(package("streamed.zip"), at("streamed"));
  EXPECT_EQ(run.result, kExtractionDone);
  EXPECT_EQ(treeOf(at("streamed")), unzipped("streamed.zip"));
}

struct RefusedCase {
  const char* package;
  NameRefusal refusal;
};

TEST_F(Extraction, RefusedNamesStopThePackageBeforeAnythingIsWritten) {
  const RefusedCase cases[] = {
      {"parent", NameRefusal::ParentLevel},
      {"inner-parent", NameRefusal::ParentLevel},
      {"absolute", NameRefusal::LeadingSeparator},
      {"backslash-absolute", NameRefusal::LeadingSeparator},
      {"network", NameRefusal::LeadingSeparator},
      {"drive", NameRefusal::DriveLetter},
      {"drive-relative", NameRefusal::DriveLetter},
      {"empty-level", NameRefusal::EmptyLevel},
      {"forbidden", NameRefusal::ForbiddenCharacter},
      {"stream", NameRefusal::ForbiddenCharacter},
      {"control", NameRefusal::ForbiddenCharacter},
      {"device", NameRefusal::ReservedDeviceName},
      {"device-extension", NameRefusal::ReservedDeviceName},
      {"device-number", NameRefusal::ReservedDeviceName},
      {"trailing-dot", NameRefusal::TrailingDotOrSpace},
      {"trailing-space", NameRefusal::TrailingDotOrSpace},
      {"long", NameRefusal::TooLong},
  };
  for (const RefusedCase& c : cases) {
    std::string name = std::string("refused-") + c.package;
    ExtractionOutcome run = extract(package(name + ".zip"), at(name));
    EXPECT_EQ(run.result, kExtractionFailed) << name;
    EXPECT_EQ(run.fault, ExtractionFault::NameRefused) << name;
    EXPECT_EQ(run.refusal, c.refusal) << name;
    EXPECT_EQ(run.percents, (std::vector<int32_t>{0})) << name;
    // Not even the harmless first entry.
    EXPECT_TRUE(fs::is_directory(at(name))) << name;
    EXPECT_TRUE(treeOf(at(name)).empty()) << name;
  }
  // Nor anything beside the targets.
  for (const auto& item : treeOf(scratch_))
    EXPECT_TRUE(item.first.back() == '/' && item.first.find('/') == item.first.size() - 1)
        << item.first;
}

TEST_F(Extraction, DestinationsLongerThan259BytesAreRefused) {
  std::string shortTarget = at("t");
  EXPECT_EQ(extract(package("long-name.zip"), shortTarget).result, kExtractionDone);
  std::string longTarget = at(std::string(259 - 205 - scratch_.string().size(), 'd'));
  ASSERT_EQ(longTarget.size() + 1 + 204, 259u + 1);
  ExtractionOutcome run = extract(package("long-name.zip"), longTarget);
  EXPECT_EQ(run.fault, ExtractionFault::NameRefused);
  EXPECT_EQ(run.refusal, NameRefusal::DestinationTooLong);
  EXPECT_EQ(extract(package("long-name.zip"), longTarget.substr(0, longTarget.size() - 1)).result,
            kExtractionDone);
}

struct FailureCase {
  const char* package;
  int32_t result;
  ExtractionFault fault;
  const char* entry;
  std::vector<int32_t> percents;
  std::vector<const char*> written;  // what is in the target afterwards
};

TEST_F(Extraction, FailuresNeverReport100AndStopWhereTheyAre) {
  const FailureCase cases[] = {
      // The second entry's data is damaged: the first was reported (0) and stays, complete.
      {"crc-mismatch.zip", 0, ExtractionFault::DataCorrupt, "second.bin", {0},
       {"first.bin", "second.bin"}},
      {"corrupt-deflate.zip", 0, ExtractionFault::DataCorrupt, "second.bin", {0},
       {"first.bin", "second.bin"}},
      {"short-data.zip", 0, ExtractionFault::DataCorrupt, "second.bin", {0},
       {"first.bin", "second.bin"}},
      {"long-size.zip", 0, ExtractionFault::DataCorrupt, "second.bin", {0},
       {"first.bin", "second.bin"}},
      // Records that cannot be read stop the package before anything is written.
      {"bad-local-header.zip", 0, ExtractionFault::EntryUnreadable, "second.bin", {0}, {}},
      {"encrypted.zip", 0, ExtractionFault::EntryUnreadable, "secret.txt", {0}, {}},
      {"bzip2.zip", 0, ExtractionFault::EntryUnreadable, "secret.txt", {0}, {}},
      {"truncated.zip", 0, ExtractionFault::ArchiveUnreadable, "", {0}, {}},
      {"not-a-zip.zip", 0, ExtractionFault::NotZipArchive, "", {0}, {}},
      // The archive test: a first entry without a name and under 64 KiB is not a package; a
      // larger one passes the test, and its name is refused.
      {"empty-first-name.zip", 0, ExtractionFault::NotZipArchive, "", {0}, {}},
      {"empty-first-name-large.zip", 0, ExtractionFault::NameRefused, "", {0}, {}},
      // An archive of no entries is too short for the archive test.
      {"empty.zip", 0, ExtractionFault::NotZipArchive, "", {0}, {}},
      {"missing.zip", -1, ExtractionFault::ArchiveMissing, "", {0}, {}},
  };
  for (const FailureCase& c : cases) {
    fs::path target = scratch_ / c.package;
    ExtractionOutcome run = extract(package(c.package), target.string());
    EXPECT_EQ(run.result, c.result) << c.package;
    EXPECT_EQ(run.fault, c.fault) << c.package << ": " << describe(run.fault);
    EXPECT_EQ(run.entry, c.entry) << c.package;
    EXPECT_EQ(run.percents, c.percents) << c.package;
    std::map<std::string, std::string> tree = treeOf(target);
    std::vector<std::string> names;
    for (const auto& item : tree) names.push_back(item.first);
    EXPECT_EQ(names, std::vector<std::string>(c.written.begin(), c.written.end())) << c.package;
    if (tree.count("first.bin")) {
      EXPECT_EQ(tree["first.bin"].size(), std::string(c.package) == "crc-mismatch.zip" ? 4000u
                                                                                    : 40000u);
    }
  }
}

TEST_F(Extraction, ATargetThatCannotBeCreatedFailsAtZero) {
  std::ofstream(at("file.txt")) << "a file where a folder should be";
  ExtractionOutcome run = extract(package("four.zip"), at("file.txt/sub"));
  EXPECT_EQ(run.result, kExtractionFailed);
  EXPECT_EQ(run.fault, ExtractionFault::TargetNotCreated);
  EXPECT_EQ(run.percents, (std::vector<int32_t>{0}));
}

TEST_F(Extraction, OnlyBackslashesSeparateTheLevelsOfANewTarget) {
  // On the host "/" still separates for the system, so a missing parent fails the one level.
  ExtractionOutcome missingParent = extract(package("one.zip"), at("new1/new2"));
  EXPECT_EQ(missingParent.fault, ExtractionFault::TargetNotCreated);
  ExtractionOutcome levels = extract(package("one.zip"), at("new1\\new2"));
  EXPECT_EQ(levels.result, kExtractionDone);
  EXPECT_TRUE(fs::exists(scratch_ / "new1/new2/only.txt"));
}

}  // namespace
