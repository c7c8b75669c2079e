// The run time's ends, seen on whole processes of the probe program.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/win/process_helpers_win.h"

namespace {

std::string probe() { return "\"" + testProgramFolder() + "runtime_probe.exe\""; }

struct EndCase {
  const char* name;
  int threads;
  int exitCode;
};

TEST(RuntimeEnd, ExitRoutineRunsOnceHoweverOftenTheEndIsAsked) {
  const EndCase cases[] = {
      {"window thread only", 0, 0},
      {"one worker", 1, 0},
      {"many workers and the window thread", 16, 0},
      {"many workers with another code", 16, 7},
  };
  for (const EndCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string marker = freshTempFile("end");
    DWORD code = runAndAnswerBox(probe() + " ends " + std::to_string(c.threads) + " " +
                                     std::to_string(c.exitCode) + " \"" + marker + "\"",
                                 "", nullptr);
    EXPECT_EQ(code, static_cast<DWORD>(c.exitCode));
    EXPECT_EQ(readWholeFile(marker), "x");
    DeleteFileA(marker.c_str());
  }
}

TEST(RuntimeEnd, ExhaustedHeapShowsTheFatalBoxAndSkipsTheExitRoutine) {
  std::string marker = freshTempFile("heap");
  MessageBoxSeen box;
  DWORD code = runAndAnswerBox(probe() + " alloc-fail \"" + marker + "\"", "", &box);
  EXPECT_EQ(code, static_cast<DWORD>(-1));
  ASSERT_TRUE(box.shown);
  EXPECT_EQ(box.title, "\xB4\xED\xCE\xF3");  // 错误
  // "运行时出错!", an empty line, "错误信息：" and the fault's text with the size asked for.
  const std::string expectedStart =
      "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r\n\r\n\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA"
      "\xB7\xD6\xC5\xE4 ";
  EXPECT_EQ(box.text.substr(0, expectedStart.size()), expectedStart);
  const std::string expectedEnd = " \xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xCA\xA7\xB0\xDC!\r\n";
  ASSERT_GE(box.text.size(), expectedEnd.size());
  EXPECT_EQ(box.text.substr(box.text.size() - expectedEnd.size()), expectedEnd);
  std::string size = box.text.substr(expectedStart.size(),
                                     box.text.size() - expectedStart.size() - expectedEnd.size());
  EXPECT_EQ(size, std::to_string(static_cast<size_t>(-1) / 4));
  EXPECT_EQ(readWholeFile(marker), "");
}

TEST(RuntimeEnd, ErrorBoxThatEndsTheProgramEndsWithZeroAfterTheExitRoutine) {
  std::string marker = freshTempFile("box");
  MessageBoxSeen box;
  DWORD code = runAndAnswerBox(probe() + " error-box-end \"" + marker + "\"", "", &box);
  EXPECT_TRUE(box.shown);
  EXPECT_EQ(box.title, "probe");
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(readWholeFile(marker), "x");
}

TEST(RuntimeStart, CurrentDirectoryBecomesTheProgramFolder) {
  std::string marker = freshTempFile("cwd");
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  EXPECT_EQ(runAndAnswerBox(probe() + " cwd \"" + marker + "\"", temp, nullptr), 0u);
  std::string folder = testProgramFolder();
  folder.pop_back();  // no trailing backslash
  EXPECT_EQ(readWholeFile(marker), folder);
}

TEST(RuntimeStart, LibraryPlantedBesideTheProgramIsNotLoaded) {
  // Without the run time the planted library would be found beside the program ...
  ASSERT_EQ(runAndAnswerBox(probe() + " planted unrestricted", "", nullptr), 1u);
  // ... and with it, only the system folder is searched.
  EXPECT_EQ(runAndAnswerBox(probe() + " planted", "", nullptr), 0u);
}

}  // namespace
