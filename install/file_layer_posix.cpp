// The file layer on a POSIX host. Windows paths become POSIX paths by turning the "\"
// separators into "/". Read-only maps to a mode without write bits and normal to an
// owner-writable mode; hidden, system and the creation time have no counterpart and are
// dropped.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

#include "install/file_layer.h"
#include "platform/text.h"

namespace {

constexpr uint64_t kFileTimeUnitsPerSecond = 10000000;
constexpr uint64_t kSecondsFrom1601To1970 = 11644473600ULL;

std::string posixPath(const std::string& path) {
  std::string result = path;
  for (size_t at = 0; at < result.size(); at += characterLength(result, at))
    if (result[at] == '\\') result[at] = '/';
  return result;
}

timespec toTimespec(uint64_t fileTime) {
  timespec time = {};
  if (fileTime == 0) {
    time.tv_nsec = UTIME_OMIT;
    return time;
  }
  int64_t seconds = static_cast<int64_t>(fileTime / kFileTimeUnitsPerSecond) -
                    static_cast<int64_t>(kSecondsFrom1601To1970);
  time.tv_sec = static_cast<time_t>(seconds);
  time.tv_nsec = static_cast<long>(fileTime % kFileTimeUnitsPerSecond) * 100;
  return time;
}

class PosixOutputFile : public OutputFile {
 public:
  explicit PosixOutputFile(int descriptor) : descriptor_(descriptor) {}
  ~PosixOutputFile() override { close(descriptor_); }

  bool write(const void* data, size_t size) override {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
      ssize_t written = ::write(descriptor_, bytes, size);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return false;
      bytes += written;
      size -= static_cast<size_t>(written);
    }
    return true;
  }

  bool isDiskFile() const override {
    struct stat status;
    return fstat(descriptor_, &status) == 0 && S_ISREG(status.st_mode);
  }

  void setTimes(uint64_t, uint64_t lastAccess, uint64_t lastWrite) override {
    timespec times[2] = {toTimespec(lastAccess), toTimespec(lastWrite)};
    futimens(descriptor_, times);
  }

 private:
  int descriptor_;
};

class PosixFileLayer : public FileLayer {
 public:
  bool exists(const std::string& path) override {
    struct stat status;
    return lstat(posixPath(path).c_str(), &status) == 0;
  }

  bool createDirectory(const std::string& path) override {
    return mkdir(posixPath(path).c_str(), 0777) == 0;
  }

  void setAttributes(const std::string& path, uint32_t attributes) override {
    std::string name = posixPath(path);
    struct stat status;
    // Only plain files: a folder or a link of that name is left alone.
    if (lstat(name.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return;
    mode_t mode = status.st_mode & 07777;
    mode = (attributes & kAttributeReadOnly) ? mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)
                                             : mode | S_IWUSR;
    chmod(name.c_str(), mode);
  }

  std::unique_ptr<OutputFile> createFile(const std::string& path, uint32_t attributes) override {
    mode_t mode = (attributes & kAttributeReadOnly) ? 0444 : 0666;
    // A link at the destination is not followed: the file lands where its name says.
    int descriptor = open(posixPath(path).c_str(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, mode);
    if (descriptor < 0) return nullptr;
    return std::make_unique<PosixOutputFile>(descriptor);
  }

  std::string readFileStart(const std::string& path, size_t count) override {
    int descriptor = open(posixPath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return std::string();
    std::string bytes(count, '\0');
    ssize_t got = read(descriptor, bytes.data(), count);
    close(descriptor);
    bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return bytes;
  }

  unzFile openArchive(const std::string& path) override {
    return unzOpen64(posixPath(path).c_str());
  }

  std::string currentDirectory() override {
    std::vector<char> buffer(PATH_MAX);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
      if (errno != ERANGE) return std::string();
      buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
  }
};

}  // namespace

std::unique_ptr<FileLayer> makeSystemFileLayer() { return std::make_unique<PosixFileLayer>(); }
