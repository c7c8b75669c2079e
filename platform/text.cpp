#include "platform/text.h"

#include <cmath>

// Length in bytes (1 or 2) of the character that starts at byte offset `at`.
static size_t charLength(const std::string& text, size_t at) {
  if (isLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size()) return 2;
  return 1;
}

size_t characterLength(const std::string& text, size_t at) { return charLength(text, at); }

static bool isSpaceAt(const std::string& text, size_t at, size_t length) {
  if (length == 1) return text[at] == ' ';
  return static_cast<unsigned char>(text[at]) == 0xA1 &&
         static_cast<unsigned char>(text[at + 1]) == 0xA1;
}

static unsigned char foldAscii(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

std::string leftPart(const std::string& text, int32_t count) {
  if (count <= 0) return std::string();
  return text.substr(0, static_cast<size_t>(count));
}

std::string rightPart(const std::string& text, int32_t count) {
  if (count <= 0) return std::string();
  size_t wanted = static_cast<size_t>(count);
  if (wanted >= text.size()) return text;
  return text.substr(text.size() - wanted);
}

std::string middlePart(const std::string& text, int32_t start, int32_t count) {
  if (count <= 0) return std::string();
  size_t offset = start < 1 ? 0 : static_cast<size_t>(start) - 1;
  if (offset >= text.size()) return std::string();
  return text.substr(offset, static_cast<size_t>(count));
}

// Compares the pattern against the text at a character boundary, one text character at a
// time, so a match cannot stop halfway through a double-byte character.
static bool matchesAt(const std::string& text, size_t at, const std::string& pattern,
                      bool ignoreCase) {
  size_t used = 0;
  while (used < pattern.size()) {
    size_t pos = at + used;
    if (pos >= text.size()) return false;
    size_t length = charLength(text, pos);
    if (used + length > pattern.size()) return false;  // would end inside a character
    if (length == 2) {
      // Double-byte characters compare exactly: their trail byte is not a letter.
      if (text[pos] != pattern[used] || text[pos + 1] != pattern[used + 1]) return false;
    } else {
      unsigned char a = static_cast<unsigned char>(text[pos]);
      unsigned char b = static_cast<unsigned char>(pattern[used]);
      if (ignoreCase ? foldAscii(a) != foldAscii(b) : a != b) return false;
    }
    used += length;
  }
  return true;
}

int32_t findText(const std::string& text, const std::string& pattern, int32_t start,
                 bool ignoreCase) {
  if (pattern.empty()) return -1;
  size_t from = start < 1 ? 0 : static_cast<size_t>(start) - 1;
  if (from >= text.size()) return -1;
  // Boundaries are only known by walking from the beginning; a start on a trail byte
  // moves on to the next character.
  for (size_t at = 0; at < text.size(); at += charLength(text, at)) {
    if (at < from) continue;
    if (text.size() - at < pattern.size()) break;
    if (matchesAt(text, at, pattern, ignoreCase)) return static_cast<int32_t>(at + 1);
  }
  return -1;
}

std::string trimSpaces(const std::string& text) {
  size_t first = text.size();
  size_t end = 0;
  for (size_t at = 0; at < text.size();) {
    size_t length = charLength(text, at);
    if (!isSpaceAt(text, at, length)) {
      if (first == text.size()) first = at;
      end = at + length;
    }
    at += length;
  }
  if (first == text.size()) return std::string();
  return text.substr(first, end - first);
}

std::string removeSpaces(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    size_t length = charLength(text, at);
    if (!isSpaceAt(text, at, length)) result.append(text, at, length);
    at += length;
  }
  return result;
}

std::string fillText(const std::string& pattern, const std::vector<std::string>& values) {
  std::string result;
  size_t nextValue = 0;
  for (size_t at = 0; at < pattern.size();) {
    size_t length = charLength(pattern, at);
    if (length == 1 && pattern[at] == '%' && at + 1 < pattern.size()) {
      char kind = pattern[at + 1];
      if (kind == 's') {
        if (nextValue < values.size()) result += values[nextValue];
        ++nextValue;
        at += 2;
        continue;
      }
      if (kind == '%') {
        result += '%';
        at += 2;
        continue;
      }
      // Anything else: keep the '%' and let the next character be copied on its own,
      // so a double-byte character after it stays whole.
    }
    result.append(pattern, at, length);
    at += length;
  }
  return result;
}

int32_t doubleToInt32(double value) {
  if (!std::isfinite(value)) return 0;
  double truncated = std::trunc(value);
  // int64 covers [-2^63, 2^63); outside it the hardware yields 0x8000000000000000.
  const double limit = 9223372036854775808.0;
  if (truncated >= limit || truncated < -limit) return 0;
  uint32_t low = static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(truncated)));
  if (low <= 0x7FFFFFFFu) return static_cast<int32_t>(low);
  return static_cast<int32_t>(static_cast<int64_t>(low) - INT64_C(0x100000000));
}

int32_t percentOf(double part, double whole) {
  // volatile forces rounding to double at each step, so x87 builds (i686) get the same
  // result as SSE builds instead of keeping extended precision.
  volatile double ratio = part / whole;
  volatile double scaled = ratio * 100.0;
  return doubleToInt32(scaled);
}
