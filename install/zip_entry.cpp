#include "install/zip_entry.h"

#include <cstring>

#include "install/file_layer.h"
#include "platform/text.h"

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

uint32_t littleEndian16(const unsigned char* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8;
}

uint32_t littleEndian32(const unsigned char* bytes) {
  return littleEndian16(bytes) | littleEndian16(bytes + 2) << 16;
}

constexpr uint64_t kFileTimeUnitsPerSecond = 10000000;
constexpr int64_t kDaysFrom1601To1970 = 134774;

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
int64_t daysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2;
  int64_t era = (year >= 0 ? year : year - 399) / 400;
  int64_t yearOfEra = year - era * 400;
  int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

bool isLeapYear(int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int64_t daysInMonth(int64_t year, int64_t month) {
  static const int64_t days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

// True when the text's last character is the single-byte character c: a trail byte of the
// same value does not count, and character boundaries are only known from the start.
bool endsWithCharacter(const std::string& text, char c) {
  if (text.empty()) return false;
  size_t last = 0;
  for (size_t at = 0; at < text.size(); at += characterLength(text, at)) last = at;
  return last == text.size() - 1 && text[last] == c;
}

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The device names Windows opens instead of a file, whatever extension follows.
bool isReservedDeviceName(const std::string& level) {
  std::string base = level.substr(0, level.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) c = upperAscii(c);
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" ||
      base == "CONOUT$")
    return true;
  return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

bool isForbiddenCharacter(unsigned char c) {
  return c < 0x20 || std::strchr("<>:\"|?*", c) != nullptr;
}

NameRefusal checkLevel(const std::string& level) {
  if (level.empty()) return NameRefusal::EmptyLevel;
  if (level == "..") return NameRefusal::ParentLevel;
  for (size_t at = 0; at < level.size(); at += characterLength(level, at)) {
    // The trail byte of a double-byte character may be any byte from 0x40 up; it is part of
    // the character, not a character of its own.
    if (characterLength(level, at) == 1 && isForbiddenCharacter(level[at]))
      return NameRefusal::ForbiddenCharacter;
  }
  if (isReservedDeviceName(level)) return NameRefusal::ReservedDeviceName;
  if (endsWithCharacter(level, '.') || endsWithCharacter(level, ' '))
    return NameRefusal::TrailingDotOrSpace;
  return NameRefusal::None;
}

}  // namespace

bool ZipEntryInfo::isFolder() const {
  if (attributes & kAttributeDirectory) return true;
  return endsWithCharacter(name, '/') || endsWithCharacter(name, '\\');
}

uint32_t deriveAttributes(uint32_t externalAttributes) {
  uint32_t attributes = kAttributeNormal;
  if (externalAttributes & 0x40000000 || externalAttributes & 0x10)
    attributes = kAttributeNormal | kAttributeDirectory;
  if (externalAttributes & 0x20) attributes |= kAttributeArchive;
  if (externalAttributes & 0x02) attributes |= kAttributeHidden;
  if (!(externalAttributes & 0x00800000) || externalAttributes & 0x01)
    attributes |= kAttributeReadOnly;
  if (externalAttributes & 0x04) attributes |= kAttributeSystem;
  return attributes;
}

uint64_t dosDateTimeToFileTime(uint32_t dosDateTime) {
  uint32_t date = dosDateTime >> 16;
  uint32_t time = dosDateTime & 0xFFFF;
  int64_t year = 1980 + (date >> 9);
  int64_t month = (date >> 5) & 0x0F;
  int64_t day = date & 0x1F;
  int64_t hour = time >> 11;
  int64_t minute = (time >> 5) & 0x3F;
  int64_t second = (time & 0x1F) * 2;
  if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 ||
      minute > 59 || second > 59)
    return 0;
  int64_t days = daysFromCivil(year, month, day) + kDaysFrom1601To1970;
  int64_t seconds = days * 86400 + hour * 3600 + minute * 60 + second;
  return static_cast<uint64_t>(seconds) * kFileTimeUnitsPerSecond;
}

uint64_t unixTimeToFileTime(uint32_t seconds) {
  return (static_cast<uint64_t>(kDaysFrom1601To1970) * 86400 + seconds) * kFileTimeUnitsPerSecond;
}

void applyExtendedTimestamp(const unsigned char* extraField, size_t size, ZipEntryInfo& entry) {
  if (size <= 4) return;
  size_t at = 0;
  while (size - at >= 4) {
    uint32_t tag = littleEndian16(extraField + at);
    size_t dataSize = littleEndian16(extraField + at + 2);
    const unsigned char* data = extraField + at + 4;
    size_t available = size - at - 4;
    if (tag == 0x5455) {  // "UT"
      if (dataSize > available) dataSize = available;
      if (dataSize == 0) return;
      unsigned flags = data[0];
      uint64_t* times[] = {&entry.lastWriteTime, &entry.lastAccessTime, &entry.creationTime};
      size_t offset = 1;
      for (int bit = 0; bit < 3; ++bit) {
        if (!(flags & (1u << bit))) continue;
        if (dataSize - offset < 4) return;
        *times[bit] = unixTimeToFileTime(littleEndian32(data + offset));
        offset += 4;
      }
      return;
    }
    if (dataSize > available) return;
    at += 4 + dataSize;
  }
}

NameRefusal checkEntryName(const std::string& name) {
  if (name.empty()) return NameRefusal::Empty;
  if (name.size() > kLongestPath) return NameRefusal::TooLong;
  if (isSeparator(name[0])) return NameRefusal::LeadingSeparator;
  if (name.size() >= 2 && name[1] == ':') return NameRefusal::DriveLetter;
  std::string level;
  for (size_t at = 0; at < name.size(); at += characterLength(name, at)) {
    if (characterLength(name, at) == 1 && isSeparator(name[at])) {
      NameRefusal refusal = checkLevel(level);
      if (refusal != NameRefusal::None) return refusal;
      level.clear();
    } else {
      level.append(name, at, characterLength(name, at));
    }
  }
  // A trailing separator (a folder entry) leaves an empty last level, which is fine.
  return level.empty() ? NameRefusal::None : checkLevel(level);
}

const char* describe(NameRefusal refusal) {
  switch (refusal) {
    case NameRefusal::None: return "acceptable";
    case NameRefusal::Empty: return "the name is empty";
    case NameRefusal::TooLong: return "the name is longer than 259 bytes";
    case NameRefusal::LeadingSeparator: return "the name begins with a separator";
    case NameRefusal::DriveLetter: return "the name begins with a drive letter";
    case NameRefusal::EmptyLevel: return "the name has two separators in a row";
    case NameRefusal::ParentLevel: return "the name has a \"..\" level";
    case NameRefusal::TrailingDotOrSpace: return "a level of the name ends in a dot or a space";
    case NameRefusal::ForbiddenCharacter: return "the name has a character Windows forbids";
    case NameRefusal::ReservedDeviceName: return "a level of the name is a device name";
    case NameRefusal::DestinationTooLong: return "the destination path is longer than 259 bytes";
  }
  return "refused";
}

std::string withTrailingBackslash(const std::string& text) {
  return endsWithCharacter(text, '\\') ? text : text + '\\';
}

std::string destinationPath(const std::string& target, const std::string& name) {
  std::string path = withTrailingBackslash(target);
  size_t start = path.size();
  path += name;
  // "/" (0x2F) is never the trail byte of a GBK character, so every one is a separator.
  for (size_t at = start; at < path.size(); ++at)
    if (path[at] == '/') path[at] = '\\';
  return path;
}
