// Host tests for the GBK text and number helpers. Expected bytes are written as hex
// escapes so the results do not depend on -fexec-charset.
#include "platform/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace {

// Failure messages show the bytes, since most cases are not printable.
std::string hex(const std::string& bytes) {
  std::string out;
  char buffer[4];
  for (unsigned char byte : bytes) {
    std::snprintf(buffer, sizeof buffer, "%02X ", byte);
    out += buffer;
  }
  return out.empty() ? "(empty)" : out;
}

TEST(LeadByte, HighBitStartsADoubleByteCharacter) {
  EXPECT_FALSE(isLeadByte(0x00));
  EXPECT_FALSE(isLeadByte(0x7F));
  EXPECT_TRUE(isLeadByte(0x80));
  EXPECT_TRUE(isLeadByte(0xA1));
  EXPECT_TRUE(isLeadByte(0xFF));
}

struct EndPartCase {
  std::string text;
  int32_t count;
  std::string left;
  std::string right;
};

TEST(TextParts, LeftAndRightCountBytes) {
  const int32_t big = std::numeric_limits<int32_t>::max();
  const std::vector<EndPartCase> cases = {
      {"abcdef", 2, "ab", "ef"},
      {"abcdef", 6, "abcdef", "abcdef"},
      {"abcdef", 7, "abcdef", "abcdef"},
      {"abcdef", big, "abcdef", "abcdef"},
      {"abcdef", 0, "", ""},
      {"abcdef", -3, "", ""},
      {"", 3, "", ""},
      // Bytes, not characters: a double-byte character can be cut in half.
      {"\xB0\xA1x\xB0\xA2", 1, "\xB0", "\xA2"},
      {"\xB0\xA1x\xB0\xA2", 3, "\xB0\xA1x", "x\xB0\xA2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(hex(c.text) + "count " + std::to_string(c.count));
    EXPECT_EQ(hex(leftPart(c.text, c.count)), hex(c.left));
    EXPECT_EQ(hex(rightPart(c.text, c.count)), hex(c.right));
  }
}

struct MiddleCase {
  std::string text;
  int32_t start;
  int32_t count;
  std::string expected;
};

TEST(TextParts, MiddleUsesOneBasedBytePositions) {
  const int32_t big = std::numeric_limits<int32_t>::max();
  const int32_t low = std::numeric_limits<int32_t>::min();
  const std::vector<MiddleCase> cases = {
      {"abcdef", 1, 2, "ab"},
      {"abcdef", 3, 2, "cd"},
      {"abcdef", 6, 1, "f"},
      {"abcdef", 4, 10, "def"},
      {"abcdef", 2, big, "bcdef"},
      {"abcdef", 0, 2, "ab"},
      {"abcdef", low, 2, "ab"},
      {"abcdef", 7, 1, ""},
      {"abcdef", big, big, ""},
      {"abcdef", 2, 0, ""},
      {"abcdef", 2, -1, ""},
      {"", 1, 1, ""},
      {"\xB0\xA1\xB0\xA2", 2, 2, "\xA1\xB0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(hex(c.text) + "start " + std::to_string(c.start) + " count " +
                 std::to_string(c.count));
    EXPECT_EQ(hex(middlePart(c.text, c.start, c.count)), hex(c.expected));
  }
}

struct FindCase {
  std::string text;
  std::string pattern;
  int32_t start;
  bool ignoreCase;
  int32_t expected;
};

TEST(FindText, PositionsAndStart) {
  const std::vector<FindCase> cases = {
      {"abcabc", "c", 1, false, 3},
      {"abcabc", "bc", 3, false, 5},
      {"abcabc", "c", 3, false, 3},
      {"abcabc", "c", 4, false, 6},
      {"abcabc", "c", 6, false, 6},
      {"abcabc", "c", 7, false, -1},
      {"abcabc", "c", 0, false, 3},
      {"abcabc", "c", -5, false, 3},
      {"abcabc", "abcabc", 1, false, 1},
      {"abcabc", "abcabcx", 1, false, -1},
      {"abcabc", "x", 1, false, -1},
      {"abcabc", "", 1, false, -1},
      {"", "", 1, false, -1},
      {"", "a", 1, false, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text + " / " + c.pattern + " from " + std::to_string(c.start));
    EXPECT_EQ(findText(c.text, c.pattern, c.start, c.ignoreCase), c.expected);
  }
}

TEST(FindText, MatchesOnlyWholeCharacters) {
  const std::vector<FindCase> cases = {
      // Trail byte 0x5C is not a backslash.
      {"\x95\x5C", "\\", 1, false, -1},
      {"\x95\x5C\\", "\\", 1, false, 3},
      {"C:\\\x95\x5C\\x", "\\x", 1, false, 6},
      // Trail byte 0x41 is not an 'A', with or without case folding.
      {"\x81\x41", "A", 1, false, -1},
      {"\x81\x41", "a", 1, true, -1},
      {"\x81\x41" "A", "A", 1, false, 3},
      // A pattern starting with the trail byte of the text's characters.
      {"\x95\x5C\x95\x5C", "\x5C\x95", 1, false, -1},
      {"\xA1\xA1\xA1\xA1", "\xA1\xA1", 1, false, 1},
      // A start on a trail byte moves on to the next character.
      {"\xA1\xA1\xA1\xA1", "\xA1\xA1", 2, false, 3},
      {"\x81\x81\x81", "\x81\x81", 2, false, -1},
      // A match spanning characters in the middle of the text.
      {"ab\xB0\xA1" "cd", "b\xB0\xA1" "c", 1, false, 2},
      // A match may not end halfway through a character...
      {"\xB0\xA1", "\xB0", 1, false, -1},
      {"x\xB0\xA1y", "x\xB0", 1, false, -1},
      // ...but a lone lead byte at the end of the text is a character of its own.
      {"a\xB0", "\xB0", 1, false, 2},
      {"\xB0\xA1\xB0", "\xB0", 1, false, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(hex(c.text) + "/ " + hex(c.pattern) + "from " + std::to_string(c.start));
    EXPECT_EQ(findText(c.text, c.pattern, c.start, c.ignoreCase), c.expected);
  }
}

TEST(FindText, IgnoreCaseFoldsOnlyAsciiLetters) {
  const std::vector<FindCase> cases = {
      {"xABCy", "abc", 1, true, 2},
      {"xABCy", "abc", 1, false, -1},
      {"xabcy", "ABC", 1, true, 2},
      {"Setup.EXE", "setup.exe", 1, true, 1},
      // Bytes 0x20 apart that are not letters stay distinct.
      {"{", "[", 1, true, -1},
      {"@", "`", 1, true, -1},
      {"^", "~", 1, true, -1},
      // Double-byte characters compare exactly, even when the trail is a letter.
      {"\x81\x61", "\x81\x41", 1, true, -1},
      {"\x81\x41", "\x81\x41", 1, true, 1},
      {"\xB0\xA1" "A", "\xB0\xA1" "a", 1, true, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(hex(c.text) + "/ " + hex(c.pattern));
    EXPECT_EQ(findText(c.text, c.pattern, c.start, c.ignoreCase), c.expected);
  }
}

TEST(FindText, DefaultsSearchWholeTextCaseSensitively) {
  EXPECT_EQ(findText("aAbB", "B"), 4);
  EXPECT_EQ(findText("aAbB", "b"), 3);
}

struct SpaceCase {
  std::string text;
  std::string trimmed;
  std::string removed;
};

TEST(Spaces, TrimAndRemoveRespectCharacters) {
  const std::vector<SpaceCase> cases = {
      {"  a b  ", "a b", "ab"},
      {"\xA1\xA1 a\xA1\xA1" "b \xA1\xA1", "a\xA1\xA1" "b", "ab"},
      {"", "", ""},
      {"   ", "", ""},
      {"\xA1\xA1 \xA1\xA1", "", ""},
      // Only spaces: tabs, CR and LF are kept.
      {"\t a \r\n", "\t a \r\n", "\ta\r\n"},
      {" \r\n ", "\r\n", "\r\n"},
      // B0A1 then A1A1: the trailing full-width space goes.
      {"\xB0\xA1\xA1\xA1", "\xB0\xA1", "\xB0\xA1"},
      // A1A1 then a lone A1: only the leading character is a full-width space.
      {"\xA1\xA1\xA1", "\xA1", "\xA1"},
      {"x\xA1\xA1\xA1", "x\xA1\xA1\xA1", "x\xA1"},
      // A 0x20 trail byte belongs to its character.
      {" \x81\x20 ", "\x81\x20", "\x81\x20"},
      {"\xA1 x", "\xA1 x", "\xA1 x"},
      {" \xA1", "\xA1", "\xA1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(hex(c.text));
    EXPECT_EQ(hex(trimSpaces(c.text)), hex(c.trimmed));
    EXPECT_EQ(hex(removeSpaces(c.text)), hex(c.removed));
  }
}

struct FillCase {
  std::string pattern;
  std::vector<std::string> values;
  std::string expected;
};

TEST(FillText, Placeholders) {
  const std::vector<FillCase> cases = {
      {"Hello %s, %s!", {"a", "b"}, "Hello a, b!"},
      {"%s%s", {"x", "y"}, "xy"},
      {"%s-%s", {"x"}, "x-"},
      {"%s", {}, ""},
      {"%s", {"a", "b"}, "a"},
      {"100%%", {}, "100%"},
      {"%%s", {"v"}, "%s"},
      {"%%%s", {"v"}, "%v"},
      {"%d %s %S", {"v"}, "%d v %S"},
      {"50%", {}, "50%"},
      {"", {"v"}, ""},
      // Values are inserted as they are, not filled again.
      {"%s%s", {"%s", "b"}, "%sb"},
      // Trail byte 0x25 is not a '%'.
      {"\x81\x25s%s", {"v"}, "\x81\x25sv"},
      {"\x81\x25%s", {"v"}, "\x81\x25v"},
      // An unknown '%x' keeps the double-byte character after it whole.
      {"%\x81\x25s", {"v"}, "%\x81\x25s"},
      {"%s\xB0\xA1%s", {"\xB0\xA2", ""}, "\xB0\xA2\xB0\xA1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(hex(c.pattern));
    EXPECT_EQ(hex(fillText(c.pattern, c.values)), hex(c.expected));
  }
}

struct ConvertCase {
  double value;
  int32_t expected;
};

TEST(DoubleToInt32, TruncatesAndKeepsLow32Bits) {
  const int32_t min32 = std::numeric_limits<int32_t>::min();
  const int32_t max32 = std::numeric_limits<int32_t>::max();
  const double two32 = 4294967296.0;
  const double two63 = 9223372036854775808.0;
  const std::vector<ConvertCase> cases = {
      {2.9, 2},
      {-2.9, -2},
      {0.999, 0},
      {-0.999, 0},
      {-0.0, 0},
      {5e-324, 0},
      {2147483647.0, max32},
      {2147483648.0, min32},
      {-2147483648.0, min32},
      {-2147483649.0, max32},
      {two32 - 1.0, -1},
      {two32 + 5.0, 5},
      {two32 + 5.7, 5},
      {-two32 - 5.0, -5},
      {9007199254740994.0, 2},  // 2^53 + 2
      {two63 - 1024.0, -1024},  // largest double below 2^63
      {-two63, 0},              // smallest int64, low bits all zero
      {two63, 0},
      {-two63 - 2048.0, 0},
      {1e300, 0},
      {-1e300, 0},
      {std::numeric_limits<double>::infinity(), 0},
      {-std::numeric_limits<double>::infinity(), 0},
      {std::numeric_limits<double>::quiet_NaN(), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(doubleToInt32(c.value), c.expected);
  }
}

struct PercentCase {
  double part;
  double whole;
  int32_t expected;
};

TEST(PercentOf, DividesFirstThenScales) {
  const std::vector<PercentCase> cases = {
      {1, 3, 33},
      {2, 3, 66},
      {-1, 3, -33},
      {50, 100, 50},
      {100, 100, 100},
      {150, 100, 150},
      {3e9, 4e9, 75},
      {29, 100, 28},  // 0.29 * 100 is 28.999999999999996
      {57, 100, 56},  // 0.57 * 100 is 56.99999999999999
      {14, 100, 14},  // 0.14 * 100 is 14.000000000000002
      {0, 0, 0},
      {5, 0, 0},
      {-5, 0, 0},
      {1, 1e-300, 0},  // far outside the int64 range
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.part) + " of " + std::to_string(c.whole));
    EXPECT_EQ(percentOf(c.part, c.whole), c.expected);
  }
}

TEST(PercentOf, DivisionFirstDiffersFromMultiplyingFirst) {
  // The progress percentage divides first; multiplying first would show one percent
  // more for this case, so the order of operations is part of the result.
  volatile double part = 29;
  volatile double whole = 100;
  double multipliedFirst = part * 100.0 / whole;
  EXPECT_EQ(doubleToInt32(multipliedFirst), 29);
  EXPECT_EQ(percentOf(part, whole), 28);
}

}  // namespace
