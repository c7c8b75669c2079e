// libFuzzer target over the ZIP walk: each input is a package, extracted on the POSIX file
// layer into a scratch folder. Whatever the input, nothing may land outside the target (not
// beside it, not in the current directory), and the progress must keep its rules: whole
// percents that never go back, 100 only last and only for a successful extraction.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "install/zip_extractor.h"

namespace fs = std::filesystem;

namespace {

// Bytes all files of one input may take, so a small package that inflates to gigabytes
// stays quick; writes beyond it fail like a full disk.
constexpr size_t kWriteBudget = 8 << 20;

fs::path scratch;

class BudgetFile : public OutputFile {
 public:
  BudgetFile(std::unique_ptr<OutputFile> file, size_t& budget)
      : file_(std::move(file)), budget_(budget) {}
  bool write(const void* data, size_t size) override {
    if (size > budget_) return false;
    budget_ -= size;
    return file_->write(data, size);
  }
  bool isDiskFile() const override { return file_->isDiskFile(); }
  void setTimes(uint64_t creation, uint64_t access, uint64_t write) override {
    file_->setTimes(creation, access, write);
  }

 private:
  std::unique_ptr<OutputFile> file_;
  size_t& budget_;
};

// The system's layer with a budget on the bytes written.
class BudgetFileLayer : public FileLayer {
 public:
  BudgetFileLayer() : system_(makeSystemFileLayer()) {}
  bool exists(const std::string& path) override { return system_->exists(path); }
  bool createDirectory(const std::string& path) override { return system_->createDirectory(path); }
  void setAttributes(const std::string& path, uint32_t attributes) override {
    system_->setAttributes(path, attributes);
  }
  std::unique_ptr<OutputFile> createFile(const std::string& path, uint32_t attributes) override {
    std::unique_ptr<OutputFile> file = system_->createFile(path, attributes);
    if (!file) return nullptr;
    return std::make_unique<BudgetFile>(std::move(file), budget_);
  }
  std::string readFileStart(const std::string& path, size_t count) override {
    return system_->readFileStart(path, count);
  }
  unzFile openArchive(const std::string& path) override { return system_->openArchive(path); }
  std::string currentDirectory() override { return system_->currentDirectory(); }

 private:
  std::unique_ptr<FileLayer> system_;
  size_t budget_ = kWriteBudget;
};

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "zip walk fuzzer: %s\n", what.c_str());
  std::abort();
}

void checkProgress(int32_t result, const std::vector<int32_t>& percents) {
  if (percents.empty()) fail("no percent was reported");
  for (size_t i = 0; i < percents.size(); ++i) {
    if (percents[i] < 0 || percents[i] > 100) fail("a percent outside 0 to 100");
    if (i > 0 && percents[i] < percents[i - 1]) fail("the percent went back");
    if (percents[i] == 100 && i + 1 != percents.size()) fail("100 before the end");
  }
  bool reached100 = percents.back() == 100;
  if (result != kExtractionDone && reached100) fail("a failed extraction reported 100");
  if (result == kExtractionDone && !reached100 && percents != std::vector<int32_t>{0})
    fail("a successful extraction ended below 100");
}

// Only the package, the target and the (empty) current directory may be in the scratch folder.
void checkNothingOutsideTheTarget() {
  for (const fs::directory_entry& item : fs::directory_iterator(scratch)) {
    std::string name = item.path().filename().string();
    if (name != "package.zip" && name != "target" && name != "cwd")
      fail("written beside the target: " + name);
    if (item.is_symlink()) fail("a link in the scratch folder: " + name);
  }
  if (!fs::is_empty(scratch / "cwd")) fail("written into the current directory");
  if (!fs::exists(scratch / "target")) return;
  for (const fs::directory_entry& item : fs::recursive_directory_iterator(scratch / "target"))
    if (item.is_symlink()) fail("a link below the target: " + item.path().string());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/mervantis-fuzz-XXXXXX";
  if (mkdtemp(pattern) == nullptr) fail("no scratch folder");
  scratch = pattern;
  fs::create_directory(scratch / "cwd");
  fs::current_path(scratch / "cwd");
  std::atexit([] {
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    std::ofstream package(scratch / "package.zip", std::ios::binary | std::ios::trunc);
    package.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  std::string target = (scratch / "target").string();
  std::vector<int32_t> percents;
  BudgetFileLayer files;
  ZipExtractor extractor(files, [&percents](int32_t percent) { percents.push_back(percent); });
  int32_t result = extractor.extractArchive((scratch / "package.zip").string(), target);
  if (result != kExtractionDone && result != kExtractionFailed) fail("an unexpected result");
  checkProgress(result, percents);
  checkNothingOutsideTheTarget();
  std::error_code ignored;
  fs::permissions(scratch / "target", fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(scratch / "target", ignored);
  return 0;
}
