// The host's files. POSIX has no sharing modes: the sharing number is checked for its range,
// and other openers are never refused.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>

#include "register/platform_file.h"

namespace {

int flagsOf(OpenMode mode) {
  switch (mode) {
    case OpenMode::readExisting: return O_RDONLY;
    case OpenMode::writeExisting: return O_WRONLY;
    case OpenMode::readWriteExisting: return O_RDWR;
    case OpenMode::writeCreateOrEmpty: return O_WRONLY | O_CREAT | O_TRUNC;
    case OpenMode::writeCreateOrKeep: return O_WRONLY | O_CREAT;
    case OpenMode::readWriteCreateOrKeep: return O_RDWR | O_CREAT;
  }
  return O_RDONLY;
}

// The installer's own paths separate folders with backslashes, which Windows also takes as
// slashes' equal; the host reads them the same way.
std::string hostName(const std::string& name) {
  std::string converted = name;
  std::replace(converted.begin(), converted.end(), '\\', '/');
  return converted;
}

}  // namespace

bool PlatformFile::open(const std::string& name, OpenMode mode, Sharing sharing) {
  close();
  if (name.empty() || !isValidOpenMode(mode) || !isValidSharing(sharing)) return false;
  int descriptor;
  do {
    descriptor = ::open(hostName(name).c_str(), flagsOf(mode) | O_CLOEXEC, 0666);
  } while (descriptor < 0 && errno == EINTR);
  if (descriptor < 0) return false;
  // A folder opens for reading here, never on Windows.
  struct stat status;
  if (fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode)) {
    ::close(descriptor);
    return false;
  }
  descriptor_ = descriptor;
  return true;
}

bool PlatformFile::isOpen() const { return descriptor_ >= 0; }

void PlatformFile::close() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
}

int64_t PlatformFile::read(uint8_t* out, size_t count) {
  if (descriptor_ < 0) return -1;
  size_t done = 0;
  while (done < count) {
    ssize_t got = ::read(descriptor_, out + done, std::min<size_t>(count - done, SSIZE_MAX));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      if (done == 0) return -1;
      break;
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return static_cast<int64_t>(done);
}

bool PlatformFile::write(const uint8_t* bytes, size_t count) {
  if (descriptor_ < 0) return false;
  size_t done = 0;
  while (done < count) {
    ssize_t put = ::write(descriptor_, bytes + done, std::min<size_t>(count - done, SSIZE_MAX));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

int64_t PlatformFile::seek(SeekBase base, int64_t distance) {
  if (descriptor_ < 0) return -1;
  int whence;
  switch (base) {
    case SeekBase::start: whence = SEEK_SET; break;
    case SeekBase::end: whence = SEEK_END; break;
    case SeekBase::current: whence = SEEK_CUR; break;
    default: return -1;
  }
  off_t reached = lseek(descriptor_, static_cast<off_t>(distance), whence);
  return reached < 0 ? -1 : static_cast<int64_t>(reached);
}

int64_t PlatformFile::size() {
  if (descriptor_ < 0) return -1;
  struct stat status;
  if (fstat(descriptor_, &status) != 0) return -1;
  return static_cast<int64_t>(status.st_size);
}

bool replaceFile(const std::string& from, const std::string& to) {
  return std::rename(hostName(from).c_str(), hostName(to).c_str()) == 0;
}

bool removeFile(const std::string& name) { return ::unlink(hostName(name).c_str()) == 0; }
