// One entry of a package as the extraction sees it: its name, the Windows attributes and file
// times derived from its ZIP records, and the rules that decide whether its name may be
// written below the installation directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct ZipEntryInfo {
  std::string name;              // as stored in the central directory, at most 259 bytes
  uint32_t attributes = 0;       // Windows attribute bits, see deriveAttributes
  uint64_t lastAccessTime = 0;   // Windows file times; 0 when the entry gives none
  uint64_t creationTime = 0;
  uint64_t lastWriteTime = 0;
  uint64_t uncompressedSize = 0;

  bool isFolder() const;  // the directory attribute, or a name ending in a separator
};

// The longest entry name and destination path, in bytes (the Windows path limit without the
// NUL).
constexpr size_t kLongestPath = 259;

// Windows attributes from the entry's external attributes: normal (0x80); with the Unix or the
// DOS directory bit normal + directory (0x90); plus archive and hidden as given; plus
// read-only when the Unix owner-write bit is missing or the DOS read-only bit is set; plus
// system as given. The host system of the entry is not consulted.
uint32_t deriveAttributes(uint32_t externalAttributes);

// A DOS date (high 16 bits) and time (low 16 bits) as a file time, the fields taken as they
// are, without any time-zone conversion. 0 for a date or time that does not exist.
uint64_t dosDateTimeToFileTime(uint32_t dosDateTime);

// Seconds since 1970-01-01 UTC (an unsigned 32-bit count) as a file time.
uint64_t unixTimeToFileTime(uint32_t seconds);

// Applies the first "UT" (extended timestamp) block of a local header's extra field: its flag
// byte says which 32-bit Unix times follow, last-write (bit 0), last-access (bit 1), creation
// (bit 2), in that order; each one present replaces that time. Blocks and values that run past
// the field's end are not used. A field of 4 bytes or fewer is not examined.
void applyExtendedTimestamp(const unsigned char* extraField, size_t size, ZipEntryInfo& entry);

// Why an entry name may not be written below the installation directory.
enum class NameRefusal {
  None,
  Empty,
  TooLong,              // more than kLongestPath bytes
  LeadingSeparator,     // "/" or "\" first: an absolute or network path
  DriveLetter,          // "C:..."
  EmptyLevel,           // two separators in a row
  ParentLevel,          // a ".." level
  TrailingDotOrSpace,   // a level ending in "." or " ", which Windows drops (also ".")
  ForbiddenCharacter,   // a control character or one of < > : " | ? *
  ReservedDeviceName,   // CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, with any extension
  DestinationTooLong,   // the joined destination path is longer than kLongestPath bytes
};

// Checks a name as stored (either separator). A trailing separator (a folder entry) is allowed.
NameRefusal checkEntryName(const std::string& name);

// A short English description, for the publisher's tool.
const char* describe(NameRefusal refusal);

// The text with one "\" appended unless its last character already is "\" (a double-byte
// character counts as one, so a trail byte 0x5C is not taken for a separator).
std::string withTrailingBackslash(const std::string& text);

// The destination of an entry: the target with a trailing "\", then the name with every "/"
// turned into "\".
std::string destinationPath(const std::string& target, const std::string& name);

