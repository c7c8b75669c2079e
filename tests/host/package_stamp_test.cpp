#include "download/package_stamp.h"

#include <gtest/gtest.h>

#include "download/download_rules.h"

namespace {

const std::string kBegin = kStampBeginMarker;
const std::string kEnd = kStampEndMarker;

std::string field(const std::string& inner) {
  std::string text = kBegin + inner;
  text.resize(kPackageStampLength, ' ');
  return text;
}

TEST(TextBetween, SingleMode) {
  struct Case {
    std::string text, begin, end;
    bool ignoreCase;
    std::string expected;
  } cases[] = {
      {field("abc" + kEnd), kBegin, kEnd, false, "abc"},
      {field(" abc " + kEnd), kBegin, kEnd, false, " abc "},  // blanks stay
      {field("abc"), kBegin, kEnd, false, ""},                 // no end marker after it
      {kEnd + field("abc"), kBegin, kEnd, false, ""},          // an end marker before counts not
      {field(kEnd), kBegin, kEnd, false, ""},                  // markers side by side
      {"no markers here", kBegin, kEnd, false, ""},
      {kBegin + "ab  ", kBegin, "", false, "ab  "},            // empty end: all after begin
      {"abc]def", "", "]", false, "abc"},                      // empty begin: from the start
      {"xxAByyBAzz", "ab", "ba", true, "yy"},
      {"xxAByyBAzz", "ab", "ba", false, ""},
      {"a\xB0" "b]", "a", "]", false, "\xB0" "b"},
      // "\xB0]" is one double-byte character: its "]" is no end marker.
      {"a\xB0]b]", "a", "]", false, "\xB0]b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::string separator = "unchanged";
    EXPECT_EQ(textBetween(c.text, c.begin, c.end, c.ignoreCase, false, separator), c.expected);
    EXPECT_EQ(separator, "unchanged");
  }
}

TEST(TextBetween, AllModeFollowsEveryPieceWithTheSeparator) {
  std::string separator;
  EXPECT_EQ(textBetween("aXbYaZb", "a", "b", false, true, separator), "X\r\nZ\r\n");
  EXPECT_EQ(separator, "\r\n");

  std::string comma = ",";
  int calls = 0;
  static int* counter;
  counter = &calls;
  EXPECT_EQ(textBetween("#A#B#", "#", "#", false, true, comma, [] { ++*counter; }), "A,B,");
  EXPECT_EQ(calls, 2);  // pending events are let through between searches
  EXPECT_EQ(textBetween("no pieces", "#", "#", false, true, comma), "");
}

TEST(PackageStamp, DeliveredFieldAndAddress) {
  EXPECT_EQ(std::string(packageStamp.text).size(), kPackageStampLength);
  EXPECT_EQ(readPackageIdentifier(), "00000");
  EXPECT_EQ(downloadAddress("12345"),
            "http://" MERVANTIS_TEST_DOWNLOAD_HOST "/down/12345/12345.zip");
}

TEST(PackageStamp, FieldsAreFoundOnlyWhereTheyHaveTheFieldsShape) {
  const std::string good = field("00042" + kEnd);
  struct Case {
    std::string bytes;
    std::vector<size_t> expected;
  } cases[] = {
      {"head" + good + '\0' + "tail", {4}},
      {good + '\0' + good + '\0', {0, 247}},
      // The marker constants themselves, each followed by its NUL.
      {kBegin + '\0' + kEnd + '\0' + std::string(300, 'x'), {}},
      {field("00042" + kEnd + "x") + '\0', {}},  // not only spaces after the end marker
      {good + ' ' + '\0', {}},                   // no NUL at 246
      {field("00042") + '\0', {}},               // no end marker
      {good, {}},                                // cut off before its NUL
  };
  for (const auto& c : cases) EXPECT_EQ(findStampFields(c.bytes), c.expected);
}

TEST(PackageStamp, NewFieldsReadBackAsGiven) {
  const std::string longest(kLongestIdentifier, '7');
  for (const std::string& identifier : {std::string("12345"), std::string(""), longest,
                                        std::string("\xD6\xD0\xCE\xC4")}) {
    std::string made = stampFieldFor(identifier);
    ASSERT_EQ(made.size(), kPackageStampLength) << identifier;
    EXPECT_EQ(textBetween(made, kBegin, kEnd), identifier);
    EXPECT_EQ(findStampFields(made + '\0'), std::vector<size_t>{0});
  }
  for (const std::string& refused :
       {longest + "7", "a" + kEnd, kBegin + "a", std::string("ab\xB0"), std::string("a\0b", 3)}) {
    EXPECT_EQ(stampFieldFor(refused), "") << refused;
  }
}

TEST(DownloadProgress, PercentDividesFirstAndNeverPassesAHundred) {
  struct Case {
    int64_t downloaded, total;
    int32_t expected;
  } cases[] = {
      {29, 100, 28}, {57, 100, 56}, {58, 100, 57}, {50, 100, 50}, {100, 100, 100},
      {0, 100, 0},   {10, 0, 0},    {150, 100, 100},
      // Over 2 GiB: 64-bit counts keep the percentage right.
      {3'000'000'000LL, 6'000'000'000LL, 50}, {6'000'000'000LL, 6'000'000'000LL, 100},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(downloadPercent(c.downloaded, c.total), c.expected)
        << c.downloaded << " of " << c.total;
  }
  EXPECT_EQ(downloadStatusText(42),
            "\xCF\xB5\xCD\xB3\xD5\xFD\xD4\xDA\xCE\xAA\xC4\xFA\xB8\xDF\xCB\xD9\xCF\xC2\xD4\xD8"
            "42%,\xC7\xEB\xC9\xD4\xBA\xF3......");
}

}  // namespace
