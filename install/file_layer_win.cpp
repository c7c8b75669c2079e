// The file layer on Windows: the ANSI file functions, so paths are in the system code page.
#include <windows.h>

#include <vector>

#include "install/archive_file_win.h"
#include "install/file_layer.h"
#include "platform/scoped_handles_win.h"

namespace {

FILETIME toFileTime(uint64_t time) {
  FILETIME result;
  result.dwLowDateTime = static_cast<DWORD>(time);
  result.dwHighDateTime = static_cast<DWORD>(time >> 32);
  return result;
}

class WindowsOutputFile : public OutputFile {
 public:
  explicit WindowsOutputFile(ScopedFileHandle file) : file_(std::move(file)) {}

  bool write(const void* data, size_t size) override {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
      DWORD part = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
      DWORD written = 0;
      if (!WriteFile(file_.get(), bytes, part, &written, nullptr) || written == 0) return false;
      bytes += written;
      size -= written;
    }
    return true;
  }

  bool isDiskFile() const override { return GetFileType(file_.get()) == FILE_TYPE_DISK; }

  void setTimes(uint64_t creation, uint64_t lastAccess, uint64_t lastWrite) override {
    FILETIME times[3] = {toFileTime(creation), toFileTime(lastAccess), toFileTime(lastWrite)};
    // A time of 0 is passed as "no change".
    SetFileTime(file_.get(), creation ? &times[0] : nullptr, lastAccess ? &times[1] : nullptr,
                lastWrite ? &times[2] : nullptr);
  }

 private:
  ScopedFileHandle file_;
};

class WindowsFileLayer : public FileLayer {
 public:
  bool exists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  bool createDirectory(const std::string& path) override {
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
  }

  void setAttributes(const std::string& path, uint32_t attributes) override {
    SetFileAttributesA(path.c_str(), attributes);
  }

  std::unique_ptr<OutputFile> createFile(const std::string& path, uint32_t attributes) override {
    // "Normal" is valid only alone; the directory bit is never asked of a file.
    DWORD flags = attributes & (kAttributeReadOnly | kAttributeHidden | kAttributeSystem |
                                kAttributeArchive);
    if (flags == 0) flags = FILE_ATTRIBUTE_NORMAL;
    ScopedFileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      flags, nullptr));
    if (!file) return nullptr;
    return std::make_unique<WindowsOutputFile>(std::move(file));
  }

  std::string readFileStart(const std::string& path, size_t count) override {
    ScopedFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::string();
    std::string bytes(count, '\0');
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(count), &got, nullptr)) got = 0;
    bytes.resize(got);
    return bytes;
  }

  unzFile openArchive(const std::string& path) override { return openArchiveFile(path); }

  std::string currentDirectory() override {
    std::vector<char> buffer(MAX_PATH + 1);
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length >= buffer.size()) {
      buffer.resize(length + 1);
      length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    }
    return length > 0 && length < buffer.size() ? std::string(buffer.data(), length)
                                                : std::string();
  }
};

}  // namespace

std::unique_ptr<FileLayer> makeSystemFileLayer() { return std::make_unique<WindowsFileLayer>(); }
