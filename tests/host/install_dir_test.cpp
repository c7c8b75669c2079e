#include "install/install_dir.h"

#include <gtest/gtest.h>

namespace {

TEST(InstallDir, ShellFolderAnswerGetsOneTrailingBackslash) {
  struct Case {
    std::string answer, expected;
  } cases[] = {
      {"C:\\Program Files", "C:\\Program Files\\"},
      {"C:\\", "C:\\"},
      {"", ""},
      {"\\\\server\\share", "\\server\\share\\"},  // the pass covers the whole text
      {"C:\\a\\\\\\b", "C:\\a\\\\b\\"},           // pairs do not overlap
      // The trail byte 0x5C of a double-byte character is never part of a pair.
      {"C:\\\x95\\", "C:\\\x95\\\\"},
      {"C:\\\x95\\\\", "C:\\\x95\\\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(folderPathFromAnswer(c.answer), c.expected) << c.answer;
}

TEST(InstallDir, BrowsedFolderEndsWithABackslashByItsLastByte) {
  struct Case {
    std::string chosen, expected;
  } cases[] = {
      {"D:\\", "D:\\"},
      {"D:\\Apps", "D:\\Apps\\"},
      {"", ""},
      // The last byte decides, even when it is the trail byte of a double-byte character.
      {"D:\\\x95\\", "D:\\\x95\\"},
      {"D:\\\xD6\xD0", "D:\\\xD6\xD0\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(browsedFolderText(c.chosen), c.expected) << c.chosen;
}

}  // namespace
