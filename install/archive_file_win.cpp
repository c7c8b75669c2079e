#include "install/archive_file_win.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/scoped_handles_win.h"

namespace {

constexpr size_t kBufferSize = 64 * 1024;

// An archive file read through one buffer. Reads as large as the buffer go straight to the
// file; smaller ones are served from the buffer, which is refilled at the position asked for.
struct ArchiveFile {
  ScopedFileHandle file;
  uint64_t size = 0;
  uint64_t position = 0;  // where the next read starts
  std::vector<unsigned char> buffer;
  uint64_t bufferStart = 0;
  size_t bufferLength = 0;
  bool failed = false;

  bool readAt(uint64_t at, void* into, DWORD count, DWORD& got) {
    LARGE_INTEGER offset;
    offset.QuadPart = static_cast<LONGLONG>(at);
    got = 0;
    return SetFilePointerEx(file.get(), offset, nullptr, FILE_BEGIN) &&
           ReadFile(file.get(), into, count, &got, nullptr);
  }

  uLong read(void* into, uLong count) {
    unsigned char* out = static_cast<unsigned char*>(into);
    uLong done = 0;
    while (done < count) {
      if (position >= bufferStart && position < bufferStart + bufferLength) {
        size_t offset = static_cast<size_t>(position - bufferStart);
        size_t part = bufferLength - offset;
        if (part > count - done) part = count - done;
        std::memcpy(out + done, buffer.data() + offset, part);
        done += static_cast<uLong>(part);
        position += part;
        continue;
      }
      DWORD got = 0;
      if (count - done >= kBufferSize) {
        if (!readAt(position, out + done, static_cast<DWORD>(count - done), got)) failed = true;
        done += got;
        position += got;
        break;
      }
      if (!readAt(position, buffer.data(), kBufferSize, got)) failed = true;
      bufferStart = position;
      bufferLength = got;
      if (got == 0) break;
    }
    return done;
  }
};

voidpf ZCALLBACK openFile(voidpf, const void* name, int mode) {
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
  ScopedFileHandle file(CreateFileA(static_cast<const char*>(name), GENERIC_READ,
                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(file.get(), &size)) return nullptr;
  ArchiveFile* archive = new ArchiveFile;
  archive->file = std::move(file);
  archive->size = static_cast<uint64_t>(size.QuadPart);
  archive->buffer.resize(kBufferSize);
  return archive;
}

uLong ZCALLBACK readFile(voidpf, voidpf stream, void* buffer, uLong count) {
  return static_cast<ArchiveFile*>(stream)->read(buffer, count);
}

uLong ZCALLBACK writeFile(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK tellFile(voidpf, voidpf stream) {
  return static_cast<ArchiveFile*>(stream)->position;
}

long ZCALLBACK seekFile(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  ArchiveFile& archive = *static_cast<ArchiveFile*>(stream);
  uint64_t base = origin == ZLIB_FILEFUNC_SEEK_CUR   ? archive.position
                  : origin == ZLIB_FILEFUNC_SEEK_END ? archive.size
                                                     : 0;
  archive.position = base + offset;
  return 0;
}

int ZCALLBACK closeFile(voidpf, voidpf stream) {
  delete static_cast<ArchiveFile*>(stream);
  return 0;
}

int ZCALLBACK fileError(voidpf, voidpf stream) {
  return static_cast<ArchiveFile*>(stream)->failed ? 1 : 0;
}

}  // namespace

unzFile openArchiveFile(const std::string& path) {
  zlib_filefunc64_def functions = {openFile, readFile, writeFile, tellFile,
                                   seekFile, closeFile, fileError, nullptr};
  return unzOpen2_64(path.c_str(), &functions);
}
