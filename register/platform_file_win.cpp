#include <windows.h>

#include <limits>

#include "register/platform_file.h"

namespace {

struct Access {
  DWORD desired;
  DWORD disposition;
};

Access accessOf(OpenMode mode) {
  switch (mode) {
    case OpenMode::readExisting: return {GENERIC_READ, OPEN_EXISTING};
    case OpenMode::writeExisting: return {GENERIC_WRITE, OPEN_EXISTING};
    case OpenMode::readWriteExisting: return {GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING};
    case OpenMode::writeCreateOrEmpty: return {GENERIC_WRITE, CREATE_ALWAYS};
    case OpenMode::writeCreateOrKeep: return {GENERIC_WRITE, OPEN_ALWAYS};
    case OpenMode::readWriteCreateOrKeep: return {GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS};
  }
  return {0, 0};
}

DWORD shareFlagsOf(Sharing sharing) {
  switch (sharing) {
    case Sharing::readWrite: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    case Sharing::denyRead: return FILE_SHARE_WRITE;
    case Sharing::denyWrite: return FILE_SHARE_READ;
    case Sharing::exclusive: return 0;
  }
  return 0;
}

// ReadFile and WriteFile move at most a DWORD's worth per call.
DWORD transferOf(size_t remaining) {
  constexpr size_t largest = std::numeric_limits<DWORD>::max() / 2;
  return static_cast<DWORD>(remaining < largest ? remaining : largest);
}

}  // namespace

bool PlatformFile::open(const std::string& name, OpenMode mode, Sharing sharing) {
  close();
  if (name.empty() || !isValidOpenMode(mode) || !isValidSharing(sharing)) return false;
  Access access = accessOf(mode);
  // Without FILE_FLAG_BACKUP_SEMANTICS a folder cannot be opened.
  handle_.reset(CreateFileA(name.c_str(), access.desired, shareFlagsOf(sharing), nullptr,
                            access.disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
  return handle_.valid();
}

bool PlatformFile::isOpen() const { return handle_.valid(); }

void PlatformFile::close() { handle_.reset(); }

int64_t PlatformFile::read(uint8_t* out, size_t count) {
  if (!handle_) return -1;
  size_t done = 0;
  while (done < count) {
    DWORD wanted = transferOf(count - done);
    DWORD got = 0;
    if (!ReadFile(handle_.get(), out + done, wanted, &got, nullptr)) {
      if (done == 0) return -1;
      break;
    }
    if (got == 0) break;
    done += got;
  }
  return static_cast<int64_t>(done);
}

bool PlatformFile::write(const uint8_t* bytes, size_t count) {
  if (!handle_) return false;
  size_t done = 0;
  while (done < count) {
    DWORD wanted = transferOf(count - done);
    DWORD put = 0;
    if (!WriteFile(handle_.get(), bytes + done, wanted, &put, nullptr) || put == 0) return false;
    done += put;
  }
  return true;
}

int64_t PlatformFile::seek(SeekBase base, int64_t distance) {
  if (!handle_) return -1;
  DWORD method;
  switch (base) {
    case SeekBase::start: method = FILE_BEGIN; break;
    case SeekBase::end: method = FILE_END; break;
    case SeekBase::current: method = FILE_CURRENT; break;
    default: return -1;
  }
  LARGE_INTEGER move;
  move.QuadPart = distance;
  LARGE_INTEGER reached;
  if (!SetFilePointerEx(handle_.get(), move, &reached, method)) return -1;
  return reached.QuadPart;
}

int64_t PlatformFile::size() {
  if (!handle_) return -1;
  LARGE_INTEGER length;
  if (!GetFileSizeEx(handle_.get(), &length)) return -1;
  return length.QuadPart;
}

bool replaceFile(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool removeFile(const std::string& name) { return DeleteFileA(name.c_str()) != 0; }
