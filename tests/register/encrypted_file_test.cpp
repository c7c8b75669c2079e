// The file facility: open modes and sharing, the cipher on disk, reading and positioning.
// Built for the host and for Windows; the sharing and read-only cases are Windows' own.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "register/encrypted_file.h"
#include "tests/register/scratch_folder.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

const std::string kPassword = "507132640?";

std::string randomBytes(size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(count, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

// Lines of text, none holding a 0 or 0x1A byte, running over several cipher blocks.
std::string textLines(size_t count) {
  std::string text;
  for (size_t line = 0; line < count; ++line)
    text += "entry" + std::to_string(line) + "=" + std::string(line % 97, 'v') + "\xB2\xE2\n";
  return text;
}

EncryptedFile openFile(const std::string& name, OpenMode mode, const std::string& password,
                       int64_t plainPrefix = 0) {
  return EncryptedFile::open(name, mode, Sharing::readWrite, password, plainPrefix);
}

void writeThrough(const std::string& name, const std::string& plain, const std::string& password,
                  int64_t plainPrefix = 0) {
  EncryptedFile file = openFile(name, OpenMode::writeCreateOrEmpty, password, plainPrefix);
  ASSERT_TRUE(file.isOpen());
  ASSERT_TRUE(file.write(plain));
}

// --- open modes -------------------------------------------------------------------------

struct ModeCase {
  OpenMode mode;
  bool opensMissing;  // creates a missing file
  bool keepsContent;  // an existing file keeps its bytes
  bool reads;
  bool writes;
};

const ModeCase kModes[] = {
    {OpenMode::readExisting, false, true, true, false},
    {OpenMode::writeExisting, false, true, false, true},
    {OpenMode::readWriteExisting, false, true, true, true},
    {OpenMode::writeCreateOrEmpty, true, false, false, true},
    {OpenMode::writeCreateOrKeep, true, true, false, true},
    {OpenMode::readWriteCreateOrKeep, true, true, true, true},
};

TEST(EncryptedFileModes, EachModeOpensCreatesKeepsReadsAndWritesAsNumbered) {
  for (const ModeCase& row : kModes) {
    SCOPED_TRACE("mode " + std::to_string(static_cast<int>(row.mode)));
    ScratchFolder folder;
    const std::string missing = folder.path("missing.txt");
    EXPECT_EQ(openFile(missing, row.mode, "").isOpen(), row.opensMissing);
    EXPECT_EQ(std::filesystem::exists(missing), row.opensMissing);

    const std::string existing = folder.path("existing.txt");
    writeRawFile(existing, "hello");
    EncryptedFile file = openFile(existing, row.mode, "");
    ASSERT_TRUE(file.isOpen());
    EXPECT_EQ(file.read(5), row.reads && row.keepsContent ? "hello" : "");
    ASSERT_TRUE(file.seekToStart());
    EXPECT_EQ(file.write("HE"), row.writes);
    file.close();
    std::string expected = row.keepsContent ? "hello" : "";
    if (row.writes) expected.replace(0, 2, "HE");
    EXPECT_EQ(readRawFile(existing), expected);
  }
}

TEST(EncryptedFileModes, RefusesAnEmptyNameAFolderAndNumbersOutOfRange) {
  ScratchFolder folder;
  const std::string name = folder.path("file.txt");
  writeRawFile(name, "x");
  EXPECT_FALSE(EncryptedFile::open("").isOpen());
  EXPECT_FALSE(EncryptedFile::open(folder.path(), OpenMode::readExisting).isOpen());
  for (int mode : {0, 7, -1})
    EXPECT_FALSE(EncryptedFile::open(name, static_cast<OpenMode>(mode)).isOpen()) << mode;
  for (int sharing : {0, 5})
    EXPECT_FALSE(EncryptedFile::open(name, OpenMode::readExisting,
                                     static_cast<Sharing>(sharing)).isOpen())
        << sharing;
  EXPECT_TRUE(EncryptedFile::open(name).isOpen());  // mode 3 and sharing 1 by default
}

TEST(EncryptedFileModes, AClosedFileAnswersHarmlessly) {
  EncryptedFile file;
  EXPECT_FALSE(file.isOpen());
  EXPECT_EQ(file.read(10), "");
  EXPECT_EQ(file.readLine(), "");
  EXPECT_FALSE(file.write("x"));
  EXPECT_FALSE(file.writeLine("x"));
  EXPECT_TRUE(file.atEnd(true));
  EXPECT_TRUE(file.atEnd(false));
  EXPECT_EQ(file.getPosition(), -1);
  EXPECT_FALSE(file.seekToStart());
  file.close();
  file.close();
}

#ifdef _WIN32
// POSIX knows neither sharing modes nor a read-only attribute that binds root; these are
// Windows' own.
TEST(EncryptedFileModes, AReadOnlyFileOpensForReadingOnly) {
  ScratchFolder folder;
  const std::string name = folder.path("read-only.txt");
  writeRawFile(name, "kept");
  ASSERT_TRUE(SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY));
  for (OpenMode mode : {OpenMode::writeExisting, OpenMode::readWriteExisting,
                        OpenMode::writeCreateOrEmpty, OpenMode::writeCreateOrKeep,
                        OpenMode::readWriteCreateOrKeep})
    EXPECT_FALSE(EncryptedFile::open(name, mode).isOpen()) << static_cast<int>(mode);
  EXPECT_EQ(EncryptedFile::open(name, OpenMode::readExisting).read(10), "kept");
  SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(EncryptedFileModes, SharingDecidesWhoElseMayReadAndWrite) {
  const struct {
    Sharing held;
    bool othersRead;
    bool othersWrite;
  } rows[] = {
      {Sharing::readWrite, true, true},
      {Sharing::denyRead, false, true},
      {Sharing::denyWrite, true, false},
      {Sharing::exclusive, false, false},
  };
  ScratchFolder folder;
  const std::string name = folder.path("shared.txt");
  writeRawFile(name, "shared");
  for (const auto& row : rows) {
    SCOPED_TRACE("sharing " + std::to_string(static_cast<int>(row.held)));
    EncryptedFile holder = EncryptedFile::open(name, OpenMode::readWriteExisting, row.held);
    ASSERT_TRUE(holder.isOpen());
    EXPECT_EQ(EncryptedFile::open(name, OpenMode::readExisting).isOpen(), row.othersRead);
    EXPECT_EQ(EncryptedFile::open(name, OpenMode::writeExisting).isOpen(), row.othersWrite);
  }
  // A second opener that itself forbids what the first one does is refused too.
  EncryptedFile reader = EncryptedFile::open(name, OpenMode::readExisting);
  EXPECT_FALSE(
      EncryptedFile::open(name, OpenMode::readExisting, Sharing::denyRead).isOpen());
}
#endif

// --- the cipher on disk ------------------------------------------------------------------

TEST(EncryptedFileCipher, StoresExactlyThePlainLengthAndReadsItBack) {
  const std::string plain = randomBytes(3 * 4096 + 500, 1);
  const std::vector<std::string> passwords = {
      "x", kPassword, "\xBF\xDA\xC1\xEE\xC3\xDC\xC2\xEB", std::string(300, 'p') + "\xD6\xD0"};
  for (const std::string& password : passwords) {
    SCOPED_TRACE("password of " + std::to_string(password.size()) + " bytes");
    ScratchFolder folder;
    const std::string name = folder.path("settings.dll");
    writeThrough(name, plain, password);
    std::string stored = readRawFile(name);
    ASSERT_EQ(stored.size(), plain.size());
    size_t same = 0;
    for (size_t at = 0; at < plain.size(); ++at) same += stored[at] == plain[at];
    EXPECT_LT(same, plain.size() / 64);  // about 1 in 256 by chance
    EXPECT_EQ(openFile(name, OpenMode::readExisting, password).read(plain.size() + 10), plain);
    EXPECT_NE(openFile(name, OpenMode::readExisting, password + "!").read(plain.size()), plain);
  }
}

TEST(EncryptedFileCipher, APlainPrefixStaysAsItIsWhereverItEnds) {
  const std::string plain = randomBytes(2 * 4096 + 77, 2);
  ScratchFolder folder;
  const std::string whole = folder.path("whole");
  writeThrough(whole, plain, kPassword, 0);
  const std::string wholeStored = readRawFile(whole);
  for (int64_t prefix : {int64_t{-5}, int64_t{0}, int64_t{10}, int64_t{4096}, int64_t{5000},
                         int64_t{20000}}) {
    SCOPED_TRACE("prefix " + std::to_string(prefix));
    const std::string name = folder.path("prefixed" + std::to_string(prefix));
    writeThrough(name, plain, kPassword, prefix);
    std::string stored = readRawFile(name);
    size_t cut = static_cast<size_t>(std::clamp<int64_t>(prefix, 0, static_cast<int64_t>(plain.size())));
    // Plain before the cut; after it the same bytes as without a prefix: the key stream
    // depends on the absolute offset only.
    EXPECT_EQ(stored.substr(0, cut), plain.substr(0, cut));
    EXPECT_EQ(stored.substr(cut), wholeStored.substr(cut));
    EXPECT_EQ(openFile(name, OpenMode::readExisting, kPassword, prefix).read(plain.size()), plain);
  }
}

TEST(EncryptedFileCipher, AnEmptyPasswordPassesBytesThrough) {
  const std::string plain = randomBytes(5000, 3);
  ScratchFolder folder;
  const std::string name = folder.path("plain.bin");
  writeThrough(name, plain, "");
  EXPECT_EQ(readRawFile(name), plain);
  EXPECT_EQ(openFile(name, OpenMode::readExisting, "").read(plain.size()), plain);
}

TEST(EncryptedFileCipher, BytesAcrossABlockBorderReadTheSameInOneCallOrTwo) {
  const std::string plain = randomBytes(3 * 4096, 4);
  ScratchFolder folder;
  const std::string name = folder.path("border.dll");
  writeThrough(name, plain, kPassword);
  EncryptedFile file = openFile(name, OpenMode::readExisting, kPassword);
  ASSERT_TRUE(file.seek(SeekBase::start, 4095));
  EXPECT_EQ(file.read(2), plain.substr(4095, 2));
  ASSERT_TRUE(file.seek(SeekBase::start, 4096));
  EXPECT_EQ(file.read(1), plain.substr(4096, 1));
  ASSERT_TRUE(file.seek(SeekBase::start, 4095));
  EXPECT_EQ(file.read(1), plain.substr(4095, 1));
  // A fresh file, so that nothing is left from the reads before.
  EncryptedFile fresh = openFile(name, OpenMode::readExisting, kPassword);
  ASSERT_TRUE(fresh.seek(SeekBase::start, 8191));
  EXPECT_EQ(fresh.read(2), plain.substr(8191, 2));
  ASSERT_TRUE(fresh.seek(SeekBase::start, 4095));
  EXPECT_EQ(fresh.read(4098), plain.substr(4095, 4098));
}

TEST(EncryptedFileCipher, WholeLineByLineAndByteByByteReadsAgree) {
  const std::string plain = textLines(300);
  ASSERT_GT(plain.size(), 3 * 4096u);
  ScratchFolder folder;
  const std::string name = folder.path("lines.dll");
  writeThrough(name, plain, kPassword);

  EXPECT_EQ(openFile(name, OpenMode::readExisting, kPassword).read(plain.size()), plain);

  EncryptedFile byLine = openFile(name, OpenMode::readExisting, kPassword);
  std::string lines;
  while (!byLine.atEnd(true)) lines += byLine.readLine() + "\n";
  EXPECT_EQ(lines, plain);

  EncryptedFile byByte = openFile(name, OpenMode::readExisting, kPassword);
  std::string bytes;
  for (std::string byte = byByte.read(1); !byte.empty(); byte = byByte.read(1)) bytes += byte;
  EXPECT_EQ(bytes, plain);
}

TEST(EncryptedFileCipher, WritesInPiecesAndOverwritesInPlace) {
  const std::string plain = randomBytes(4096 + 300, 5);
  ScratchFolder folder;
  const std::string name = folder.path("pieces.dll");
  {
    EncryptedFile file = openFile(name, OpenMode::readWriteCreateOrKeep, kPassword);
    for (size_t at = 0; at < plain.size(); at += 1000) ASSERT_TRUE(file.write(plain.substr(at, 1000)));
    // Back over the block border, overwriting what is there.
    ASSERT_TRUE(file.seek(SeekBase::start, 4090));
    ASSERT_TRUE(file.write("ABCDEFGHIJ"));
    EXPECT_EQ(file.getPosition(), 4100);
  }
  std::string expected = plain;
  expected.replace(4090, 10, "ABCDEFGHIJ");
  EXPECT_EQ(openFile(name, OpenMode::readExisting, kPassword).read(expected.size()), expected);
}

// --- positions -----------------------------------------------------------------------------

TEST(EncryptedFilePosition, SeeksFromStartEndAndCurrent) {
  ScratchFolder folder;
  const std::string name = folder.path("seek.txt");
  writeRawFile(name, "0123456789");
  EncryptedFile file = openFile(name, OpenMode::readExisting, "");
  EXPECT_EQ(file.getPosition(), 0);
  EXPECT_TRUE(file.seek(SeekBase::end, -3));
  EXPECT_EQ(file.read(10), "789");
  EXPECT_TRUE(file.seek(SeekBase::start, 2));
  EXPECT_TRUE(file.seek(SeekBase::current, 3));
  EXPECT_EQ(file.getPosition(), 5);
  EXPECT_FALSE(file.seek(SeekBase::current, -6));
  EXPECT_FALSE(file.seek(static_cast<SeekBase>(0), 1));
  EXPECT_FALSE(file.seek(static_cast<SeekBase>(4), 1));
  EXPECT_EQ(file.getPosition(), 5);
  EXPECT_TRUE(file.seek(SeekBase::end, 5));  // past the end: allowed, nothing to read
  EXPECT_TRUE(file.atEnd(false));
  EXPECT_EQ(file.read(1), "");
}

TEST(EncryptedFilePosition, WriteLineEndsEachTextWithCrLf) {
  for (const std::string& password : {std::string(), kPassword}) {
    ScratchFolder folder;
    const std::string name = folder.path("record.dat");
    {
      EncryptedFile file = openFile(name, OpenMode::writeCreateOrEmpty, password);
      ASSERT_TRUE(file.writeLine("C:\\\xB3\xCC\xD0\xF2"));
      ASSERT_TRUE(file.writeLine(""));
    }
    EXPECT_EQ(openFile(name, OpenMode::readExisting, password).read(100),
              "C:\\\xB3\xCC\xD0\xF2\r\n\r\n");
  }
}

// --- readLine and atEnd ----------------------------------------------------------------------

struct LineCase {
  const char* what;
  std::string content;
  std::vector<std::string> lines;  // read while atEnd in text mode is false
  int64_t finalPosition;
};

std::vector<LineCase> lineCases() {
  const std::string a511(511, 'a');
  return {
      {"CR LF and LF alike, a last line without its end", "one\r\ntwo\nthree",
       {"one", "two", "three"}, 14},
      {"a trailing CR of the last line is dropped, one inside stays", "a\rb\r\nlast\r",
       {"a\rb", "last"}, 10},
      {"empty lines", "\n\r\n\n", {"", "", ""}, 4},
      {"a 600-byte line", std::string(600, 'x') + "\nend", {std::string(600, 'x'), "end"}, 604},
      {"a double-byte character across the 512-byte chunk border",
       a511 + "\xB0\xA1" + "\nnext\n", {a511 + "\xB0\xA1", "next"}, 519},
      {"a lead byte at the chunk border takes the LF after it", a511 + "\x81\ntail\nz",
       {a511 + "\x81\ntail", "z"}, 519},
      {"a lead byte before LF takes the LF and the line goes on", "\x81\nabc\nz",
       {"\x81\nabc", "z"}, 7},
      {"0x1A ends the text", std::string("a\nb\x1A" "c\n"), {"a", "b"}, 3},
      {"a 0 byte ends the text", std::string("a\nb\0c\n", 6), {"a", "b"}, 3},
      {"a lead byte followed by 0 ends the line before the 0", std::string("a\x81\0b", 4),
       {"a\x81"}, 2},
      {"a lead byte that is the last byte", "ab\x81", {"ab\x81"}, 3},
      {"a lead byte that is the last byte, after a full chunk", a511 + "\x81", {a511 + "\x81"},
       512},
      {"an empty file", "", {}, 0},
  };
}

TEST(EncryptedFileLines, ReadLineFollowsTheLineRulesPlainAndEnciphered) {
  for (const std::string& password : {std::string(), kPassword}) {
    for (const LineCase& row : lineCases()) {
      SCOPED_TRACE(std::string(row.what) + (password.empty() ? " (plain)" : " (enciphered)"));
      ScratchFolder folder;
      const std::string name = folder.path("lines.dll");
      writeThrough(name, row.content, password);
      EncryptedFile file = openFile(name, OpenMode::readExisting, password);
      std::vector<std::string> lines;
      while (!file.atEnd(true) && lines.size() <= row.lines.size()) lines.push_back(file.readLine());
      EXPECT_EQ(lines, row.lines);
      EXPECT_EQ(file.getPosition(), row.finalPosition);
    }
  }
}

TEST(EncryptedFileLines, AnEndOfTextByteStaysPutAndCountsAsEndOnlyInTextMode) {
  for (const std::string& marker : {std::string("\x1A"), std::string(1, '\0')}) {
    ScratchFolder folder;
    const std::string name = folder.path("end.dll");
    writeThrough(name, "key=value\n" + marker + "hidden=1\n", kPassword);
    EncryptedFile file = openFile(name, OpenMode::readExisting, kPassword);
    EXPECT_EQ(file.readLine(), "key=value");
    for (int again = 0; again < 2; ++again) {
      EXPECT_EQ(file.readLine(), "");
      EXPECT_EQ(file.getPosition(), 10);
    }
    EXPECT_TRUE(file.atEnd(true));
    EXPECT_FALSE(file.atEnd(false));
    EXPECT_EQ(file.getPosition(), 10);
  }
}

TEST(EncryptedFileLines, AReadErrorMovesToTheEndAndGivesAnEmptyLine) {
  ScratchFolder folder;
  const std::string name = folder.path("write-only.txt");
  writeRawFile(name, "first\nsecond\n");
  // Reading a file opened for writing only fails on both platforms.
  EncryptedFile file = openFile(name, OpenMode::writeCreateOrKeep, "");
  EXPECT_EQ(file.readLine(), "");
  EXPECT_EQ(file.getPosition(), 13);
  EXPECT_TRUE(file.atEnd(true));
  ASSERT_TRUE(file.seekToStart());
  EXPECT_TRUE(file.atEnd(true));  // the failed look at the next byte counts as the end
  EXPECT_FALSE(file.atEnd(false));
}

}  // namespace
