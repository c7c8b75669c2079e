// The rules for one entry: attributes and times from its records, and which names may be
// written below the installation directory.
#include "install/zip_entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/file_layer.h"

namespace {

struct AttributeCase {
  const char* what;
  uint32_t external;
  uint32_t expected;
};

TEST(EntryAttributes, DerivedFromTheExternalAttributesAlone) {
  const AttributeCase cases[] = {
      {"made on Windows, archive bit: read-only, since no Unix owner-write bit", 0x20, 0xA1},
      {"made on Windows, nothing set", 0x00, 0x81},
      {"Windows hidden and system", 0x06, 0x87},
      {"Unix 0644", 0100644u << 16, 0x80},
      {"Unix 0444", 0100444u << 16, 0x81},
      {"Unix 0644 with the DOS read-only bit", (0100644u << 16) | 0x01, 0x81},
      {"Unix folder 0755", (040755u << 16), 0x90},
      {"Unix folder 0755 with the DOS folder bit, as zip writes it", (040755u << 16) | 0x10, 0x90},
      {"DOS folder bit alone: also read-only", 0x10, 0x91},
  };
  for (const AttributeCase& c : cases)
    EXPECT_EQ(deriveAttributes(c.external), c.expected) << c.what;
}

TEST(EntryAttributes, FolderEntriesByAttributeOrTrailingSeparator) {
  ZipEntryInfo entry;
  entry.name = "zhi/";
  entry.attributes = 0x81;  // a folder entry without the directory bit
  EXPECT_TRUE(entry.isFolder());
  entry.name = "zhi";
  EXPECT_FALSE(entry.isFolder());
  entry.attributes = 0x90;
  EXPECT_TRUE(entry.isFolder());
  entry.attributes = 0x80;
  entry.name = "file\x81\x5c";  // a GBK character whose trail byte is 0x5C
  EXPECT_FALSE(entry.isFolder());
}

constexpr uint64_t kSecond = 10000000;
constexpr uint64_t k1970 = 116444736000000000ULL;  // 1970-01-01 as a file time

uint32_t dos(int year, int month, int day, int hour, int minute, int second) {
  uint32_t date = static_cast<uint32_t>((year - 1980) << 9 | month << 5 | day);
  uint32_t time = static_cast<uint32_t>(hour << 11 | minute << 5 | second / 2);
  return date << 16 | time;
}

TEST(EntryTimes, DosDateAndTimeTakenAsTheyAre) {
  EXPECT_EQ(dosDateTimeToFileTime(dos(1980, 1, 1, 0, 0, 0)), k1970 + 315532800 * kSecond);
  // 2020-01-02 03:04:06, as zipfile writes it, with no time-zone shift.
  EXPECT_EQ(dosDateTimeToFileTime(dos(2020, 1, 2, 3, 4, 6)), k1970 + 1577934246 * kSecond);
  EXPECT_EQ(dosDateTimeToFileTime(dos(2024, 2, 29, 23, 59, 58)), k1970 + 1709251198 * kSecond);
  EXPECT_EQ(dosDateTimeToFileTime(dos(2107, 12, 31, 0, 0, 0)), k1970 + 4354732800ULL * kSecond);
  // Dates and times that do not exist give no time.
  EXPECT_EQ(dosDateTimeToFileTime(0), 0u);                          // month 0, day 0
  EXPECT_EQ(dosDateTimeToFileTime(dos(2023, 2, 29, 0, 0, 0)), 0u);  // not a leap year
  EXPECT_EQ(dosDateTimeToFileTime(dos(2023, 13, 1, 0, 0, 0)), 0u);
  EXPECT_EQ(dosDateTimeToFileTime(dos(2023, 1, 1, 24, 0, 0)), 0u);
  EXPECT_EQ(dosDateTimeToFileTime(dos(2023, 1, 1, 0, 60, 0)), 0u);
  EXPECT_EQ(dosDateTimeToFileTime(dos(2023, 1, 1, 0, 0, 60)), 0u);
}

TEST(EntryTimes, UnixSecondsAreUtc) {
  EXPECT_EQ(unixTimeToFileTime(0), k1970);
  EXPECT_EQ(unixTimeToFileTime(1614834367), k1970 + 1614834367 * kSecond);
  EXPECT_EQ(unixTimeToFileTime(0xFFFFFFFF), k1970 + 0xFFFFFFFFULL * kSecond);  // 2106
}

std::vector<unsigned char> block(uint16_t tag, std::vector<unsigned char> data) {
  std::vector<unsigned char> bytes = {static_cast<unsigned char>(tag),
                                      static_cast<unsigned char>(tag >> 8),
                                      static_cast<unsigned char>(data.size()),
                                      static_cast<unsigned char>(data.size() >> 8)};
  bytes.insert(bytes.end(), data.begin(), data.end());
  return bytes;
}

std::vector<unsigned char> le32(uint32_t value) {
  return {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
          static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
}

std::vector<unsigned char> utBlock(unsigned char flags, std::vector<uint32_t> times) {
  std::vector<unsigned char> data = {flags};
  for (uint32_t t : times) {
    std::vector<unsigned char> bytes = le32(t);
    data.insert(data.end(), bytes.begin(), bytes.end());
  }
  return block(0x5455, data);
}

std::vector<unsigned char> concat(std::vector<std::vector<unsigned char>> parts) {
  std::vector<unsigned char> all;
  for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

struct TimestampCase {
  const char* what;
  std::vector<unsigned char> extra;
  uint64_t write, access, creation;  // expected; 1 stands for the DOS time left alone
};

TEST(EntryTimes, ExtendedTimestampReplacesTheTimesItHolds) {
  const uint64_t W = unixTimeToFileTime(1000), A = unixTimeToFileTime(2000),
                 C = unixTimeToFileTime(3000), D = 1;
  const TimestampCase cases[] = {
      {"write, access and creation, in that order", utBlock(7, {1000, 2000, 3000}), W, A, C},
      {"write and access, as zip writes the local header", utBlock(3, {1000, 2000}), W, A, D},
      {"access and creation only", utBlock(6, {2000, 3000}), D, A, C},
      {"after another block", concat({block(0x7875, {1, 4, 0, 0, 0, 0}), utBlock(1, {1000})}),
       W, D, D},
      {"only the first UT block counts",
       concat({utBlock(1, {1000}), utBlock(7, {5, 6, 7})}), W, D, D},
      {"flags promising more than the block holds: what is there",
       concat({block(0x5455, {3, 0xE8, 3, 0, 0})}), W, D, D},
      {"a block size past the field's end: what is there", [] {
         std::vector<unsigned char> b = utBlock(1, {1000});
         b[2] = 200;
         return b;
       }(), W, D, D},
      {"a UT block behind a block that claims more than the field holds is not reached", [] {
         std::vector<unsigned char> b = concat({block(0x000A, {1, 2, 3}), utBlock(1, {1000})});
         b[2] = 100;
         return b;
       }(), D, D, D},
      {"four bytes or fewer: not examined", {0x55, 0x54, 0, 0}, D, D, D},
      {"no UT block", block(0x7875, {1, 4, 0, 0, 0, 0}), D, D, D},
  };
  for (const TimestampCase& c : cases) {
    ZipEntryInfo entry;
    entry.lastWriteTime = entry.lastAccessTime = entry.creationTime = D;
    applyExtendedTimestamp(c.extra.data(), c.extra.size(), entry);
    EXPECT_EQ(entry.lastWriteTime, c.write) << c.what;
    EXPECT_EQ(entry.lastAccessTime, c.access) << c.what;
    EXPECT_EQ(entry.creationTime, c.creation) << c.what;
  }
}

struct NameCase {
  std::string name;
  NameRefusal expected;
};

TEST(EntryNames, OnlyNamesThatStayBelowTheTargetAreAccepted) {
  const NameCase cases[] = {
      {"readme.txt", NameRefusal::None},
      {"zhi/pz/pro.dll", NameRefusal::None},
      {"zhi/pz/", NameRefusal::None},
      {"zhi\\pz\\pro.dll", NameRefusal::None},
      {"..a/b..c/.hidden", NameRefusal::None},
      {"CONSOLE/COM10/nul2.txt", NameRefusal::None},
      {"\xb0\xb2\xd7\xb0/\x81\x5c.txt", NameRefusal::None},  // GBK, one trail byte 0x5C
      {"\x81|", NameRefusal::None},                          // trail byte 0x7C, not a "|"
      {"", NameRefusal::Empty},
      {std::string(260, 'n'), NameRefusal::TooLong},
      {std::string(259, 'n'), NameRefusal::None},
      {"/etc/passwd", NameRefusal::LeadingSeparator},
      {"\\windows\\evil.dll", NameRefusal::LeadingSeparator},
      {"\\\\server\\share\\x", NameRefusal::LeadingSeparator},
      {"C:/evil.txt", NameRefusal::DriveLetter},
      {"c:evil.txt", NameRefusal::DriveLetter},
      {"a//b.txt", NameRefusal::EmptyLevel},
      {"a/\\b.txt", NameRefusal::EmptyLevel},
      {"../evil.txt", NameRefusal::ParentLevel},
      {"a/../../evil.txt", NameRefusal::ParentLevel},
      {"a\\..\\..\\evil.txt", NameRefusal::ParentLevel},
      {"a/..", NameRefusal::ParentLevel},
      {"./a.txt", NameRefusal::TrailingDotOrSpace},
      {"a./b.txt", NameRefusal::TrailingDotOrSpace},
      {"a.txt ", NameRefusal::TrailingDotOrSpace},
      {"a/.../b", NameRefusal::TrailingDotOrSpace},
      {"a<b", NameRefusal::ForbiddenCharacter},
      {"a>b", NameRefusal::ForbiddenCharacter},
      {"a\"b", NameRefusal::ForbiddenCharacter},
      {"a|b", NameRefusal::ForbiddenCharacter},
      {"a?b", NameRefusal::ForbiddenCharacter},
      {"a*b", NameRefusal::ForbiddenCharacter},
      {"a.txt:stream", NameRefusal::ForbiddenCharacter},
      {std::string("a\0b", 3), NameRefusal::ForbiddenCharacter},
      {"a\x1f" "b", NameRefusal::ForbiddenCharacter},
      {"CON", NameRefusal::ReservedDeviceName},
      {"sub/con.txt", NameRefusal::ReservedDeviceName},
      {"Nul .tar.gz", NameRefusal::ReservedDeviceName},
      {"aux/readme", NameRefusal::ReservedDeviceName},
      {"prn", NameRefusal::ReservedDeviceName},
      {"COM1.log", NameRefusal::ReservedDeviceName},
      {"lpt9", NameRefusal::ReservedDeviceName},
      {"conout$", NameRefusal::ReservedDeviceName},
  };
  for (const NameCase& c : cases)
    EXPECT_EQ(checkEntryName(c.name), c.expected) << "name: " << c.name;
}

TEST(EntryPaths, NamesJoinTheTargetWithBackslashes) {
  EXPECT_EQ(destinationPath("C:\\Program Files\\Mervantis\\", "zhi/pz/pro.dll"),
            "C:\\Program Files\\Mervantis\\zhi\\pz\\pro.dll");
  EXPECT_EQ(destinationPath("D:\\Apps", "a.txt"), "D:\\Apps\\a.txt");
  EXPECT_EQ(destinationPath("", "zhi/"), "\\zhi\\");
  EXPECT_EQ(destinationPath("inst/sub", "a/b"), "inst/sub\\a\\b");
  // A target whose last character has the trail byte 0x5C still gets its separator.
  EXPECT_EQ(destinationPath("D:\\\x81\x5c", "a"), "D:\\\x81\x5c\\a");
  EXPECT_EQ(withTrailingBackslash("D:\\\x81\x5c\\"), "D:\\\x81\x5c\\");
}

}  // namespace
