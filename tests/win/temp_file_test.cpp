// The temporary file of the splash movie: fresh names in the temporary folder and the writing
// of byte blocks.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "shell/temp_file_win.h"
#include "tests/win/process_helpers_win.h"

namespace {

std::string temporaryFolder() {
  char folder[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH + 1, folder);
  return folder;
}

// The number in a name of the temporary folder, lower-case hex and ".tmp"; -1 if it is not one.
int64_t numberIn(const std::string& name) {
  std::string folder = temporaryFolder();
  if (name.compare(0, folder.size(), folder) != 0) return -1;
  std::string rest = name.substr(folder.size());
  if (rest.size() < 5 || rest.size() > 12 || rest.substr(rest.size() - 4) != ".tmp") return -1;
  rest.resize(rest.size() - 4);
  if (rest.size() > 1 && rest[0] == '0') return -1;  // no leading zeros
  int64_t number = 0;
  for (char c : rest) {
    int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) return -1;
    number = number * 16 + digit;
  }
  return number;
}

std::string nameFor(uint32_t number) {
  char hex[16];
  snprintf(hex, sizeof(hex), "%x", number);
  return temporaryFolder() + hex + ".tmp";
}

void writeText(const std::string& name, const std::string& text) {
  ASSERT_TRUE(writeBytesToFile(name, {{text.data(), text.size()}}));
}

TEST(TempFileName, TwoCallsInTheSameMillisecondGiveConsecutiveNames) {
  // Repeated until both calls fall within one tick of the clock.
  for (int attempt = 0; attempt < 200; ++attempt) {
    DWORD before = GetTickCount();
    std::string first = tempFileName();
    std::string second = tempFileName();
    DWORD after = GetTickCount();
    ASSERT_NE(numberIn(first), -1) << first;
    ASSERT_NE(numberIn(second), -1) << second;
    ASSERT_NE(first, second);
    if (before != after) continue;
    // Nothing existed under either name: the second is the first plus its one earlier call.
    EXPECT_EQ(numberIn(second), (numberIn(first) + 1) & 0xFFFFFFFF);
    EXPECT_EQ(GetFileAttributesA(first.c_str()), INVALID_FILE_ATTRIBUTES) << "not created";
    return;
  }
  FAIL() << "no two calls within one millisecond";
}

TEST(TempFileName, ExistingFilesAndFoldersAreSkippedAndLeftUntouched) {
  // The names of 64 numbers are taken, one of them by a folder, for a call made at a chosen
  // moment: the call must skip them all and take the first number after them.
  constexpr uint32_t kTaken = 64;
  constexpr DWORD kLead = 500;  // time to plant the names before the moment
  for (int attempt = 0; attempt < 10; ++attempt) {
    DWORD before = GetTickCount();
    int64_t probe = numberIn(tempFileName());
    if (GetTickCount() != before) continue;
    // The next call adds one more earlier call to the tick count of its moment.
    uint32_t calls = static_cast<uint32_t>(probe - before) + 1;
    DWORD moment = before + kLead;
    std::vector<std::string> taken;
    for (uint32_t i = 0; i < kTaken; ++i) {
      taken.push_back(nameFor(moment + calls + i));
      if (i == kTaken / 2) {
        ASSERT_TRUE(CreateDirectoryA(taken.back().c_str(), nullptr));
      } else {
        writeText(taken.back(), "left by an earlier run");
      }
    }
    while (static_cast<int32_t>(GetTickCount() - moment) < 0) Sleep(1);
    DWORD late = GetTickCount() - moment;
    std::string name = tempFileName();
    for (uint32_t i = 0; i < kTaken; ++i) {
      if (i == kTaken / 2) {
        EXPECT_NE(GetFileAttributesA(taken[i].c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
        RemoveDirectoryA(taken[i].c_str());
      } else {
        EXPECT_EQ(readWholeFile(taken[i]), "left by an earlier run");
        DeleteFileA(taken[i].c_str());
      }
    }
    if (late > kTaken / 2) continue;  // planting took longer than its lead
    EXPECT_EQ(name, nameFor(moment + calls + kTaken));
    return;
  }
  FAIL() << "the machine was too slow for the planted names";
}

TEST(WriteBytesToFile, WritesEveryBlockInTurnOverWhatWasThere) {
  std::string name = freshTempFile("wbf");
  writeText(name, std::string(100, 'x'));  // longer than what follows: it must go
  const std::string first = "first,", empty, second = std::string("se\0cond", 7);
  EXPECT_TRUE(writeBytesToFile(name, {{first.data(), first.size()},
                                      {empty.data(), 0},
                                      {second.data(), second.size()}}));
  EXPECT_EQ(readWholeFile(name), first + second);
  EXPECT_TRUE(writeBytesToFile(name, {}));
  EXPECT_EQ(readWholeFile(name), "");
  DeleteFileA(name.c_str());
}

TEST(WriteBytesToFile, FailsWhereNoFileCanBeWritten) {
  std::string open = freshTempFile("wbo");
  // Held open by someone else: the file is not shared, and not written.
  HANDLE holder = CreateFileA(open.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const char bytes[] = "movie";
  struct Case {
    const char* what;
    std::string name;
  } cases[] = {
      {"empty name", ""},
      {"missing folder", temporaryFolder() + "mervantis-no-such-folder\\movie.tmp"},
      {"a folder", temporaryFolder()},
      {"held open", open},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(writeBytesToFile(c.name, {{bytes, 5}}));
  }
  CloseHandle(holder);
  EXPECT_EQ(readWholeFile(open), "");
  DeleteFileA(open.c_str());
}

}  // namespace
