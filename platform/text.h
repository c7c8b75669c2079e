// Text and number helpers shared by every part of the installer.
// A "text" is a std::string of GBK (code page 936) bytes; an empty string stands for
// an absent text. Positions are 1-based byte positions, counts are in bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// True for a byte that starts a double-byte character (0x80..0xFF). The byte after it
// belongs to the same character, whatever its value; a lead byte at the very end stands alone.
inline bool isLeadByte(unsigned char byte) { return byte >= 0x80; }

// Length in bytes (1 or 2) of the character that starts at byte offset at (below the size).
size_t characterLength(const std::string& text, size_t at);

// The first `count` bytes; empty for count <= 0, the whole text if count exceeds it.
std::string leftPart(const std::string& text, int32_t count);

// The last `count` bytes; empty for count <= 0, the whole text if count exceeds it.
std::string rightPart(const std::string& text, int32_t count);

// `count` bytes from 1-based byte position `start` (start < 1 counts as 1); empty for
// count <= 0 or a start past the end, the rest of the text if count runs past the end.
std::string middlePart(const std::string& text, int32_t start, int32_t count);

// 1-based byte position of the first match of `pattern` at or after byte `start`, or -1.
// A match must begin and end on character boundaries; -1 for an empty pattern or a start
// past the end (start < 1 counts as 1). ignoreCase folds single-byte A-Z/a-z only.
int32_t findText(const std::string& text, const std::string& pattern, int32_t start = 1,
                 bool ignoreCase = false);

// The text without leading and trailing spaces (0x20) and full-width spaces (A1A1).
// Tabs, CR and LF are kept.
std::string trimSpaces(const std::string& text);

// The text with every space (0x20) and full-width space (A1A1) character removed.
std::string removeSpaces(const std::string& text);

// Replaces each "%s" by the next value (empty once values run out) and "%%" by "%";
// any other '%' is copied as is. Values are inserted verbatim, not scanned again.
std::string fillText(const std::string& pattern, const std::vector<std::string>& values);

// Truncates toward zero to 64 bits and keeps the low 32 bits as a signed value, like the
// x86 conversion does. 0 for NaN, infinities and values outside the int64 range.
int32_t doubleToInt32(double value);

// doubleToInt32((part / whole) * 100.0), dividing first; 0 when whole is 0.
int32_t percentOf(double part, double whole);
