#include "shell/temp_file_win.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "platform/scoped_handles_win.h"
#include "platform/text.h"

namespace {

std::atomic<uint32_t> earlierCalls{0};

// True when the text's last character is a backslash; the trail byte of a double-byte
// character can be 0x5C too, so the text is read character by character.
bool endsInBackslash(const std::string& text) {
  bool last = false;
  for (size_t at = 0; at < text.size(); ++at) {
    last = text[at] == '\\';
    if (isLeadByte(static_cast<unsigned char>(text[at]))) ++at;
  }
  return last;
}

std::string temporaryFolder() {
  char path[MAX_PATH + 1] = {};
  DWORD length = GetTempPathA(MAX_PATH + 1, path);
  if (length == 0 || length > MAX_PATH) return "";
  std::string folder(path, length);
  if (!endsInBackslash(folder)) folder += '\\';
  return folder;
}

bool nameExists(const std::string& name) {
  WIN32_FIND_DATAA found;
  ScopedFindHandle search(FindFirstFileA(name.c_str(), &found));
  return search.valid();
}

std::string candidate(const std::string& folder, uint32_t number) {
  static const char kDigits[] = "0123456789abcdef";
  char hex[8];
  size_t count = 0;
  do {
    hex[count++] = kDigits[number & 0xF];
    number >>= 4;
  } while (number != 0);
  std::string name = folder;
  for (size_t i = count; i > 0; --i) name += hex[i - 1];
  return name + ".tmp";
}

}  // namespace

std::string tempFileName() {
  std::string folder = temporaryFolder();
  // Two calls within one millisecond still differ: the count of calls is added.
  uint32_t number = GetTickCount() + earlierCalls.fetch_add(1);
  std::string name = candidate(folder, number);
  while (nameExists(name)) name = candidate(folder, ++number);
  return name;
}

bool writeBytesToFile(const std::string& name, std::initializer_list<ByteBlock> blocks) {
  if (name.empty()) return false;
  ScopedFileHandle file(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  for (const ByteBlock& block : blocks) {
    const auto* bytes = static_cast<const unsigned char*>(block.data);
    for (size_t done = 0; done < block.size;) {
      DWORD part = static_cast<DWORD>(std::min<size_t>(block.size - done, 1u << 30));
      DWORD written = 0;
      if (!WriteFile(file.get(), bytes + done, part, &written, nullptr) || written == 0)
        return false;
      done += written;
    }
  }
  return true;
}
