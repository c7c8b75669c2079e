#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

#include "platform/scoped_handles_win.h"
#include "platform/text.h"
#include "shell/thread_object.h"
#include "tests/win/process_helpers_win.h"

namespace {

struct Started {
  std::atomic<void*> parameter{nullptr};
  std::atomic<DWORD> threadId{0};
  ScopedKernelHandle done{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

DWORD WINAPI recordStart(void* parameter) {
  auto* started = static_cast<Started*>(parameter);
  started->parameter = parameter;
  started->threadId = GetCurrentThreadId();
  SetEvent(started->done.get());
  return 0;
}

std::atomic<bool> stopSpinning{false};
std::atomic<long> spins{0};

DWORD WINAPI spin(void*) {
  while (!stopSpinning) {
    ++spins;
    Sleep(1);
  }
  return 0;
}

bool spinsAdvanceWithin(DWORD milliseconds) {
  long before = spins;
  Sleep(milliseconds);
  return spins != before;
}

TEST(ThreadObject, StartRunsTheRoutineWithItsParameterAndKnowsTheThreadId) {
  ThreadObject thread;
  EXPECT_EQ(thread.getThreadId(), 0u);
  EXPECT_EQ(thread.lastError(), -1);
  Started started;
  ASSERT_TRUE(thread.start(recordStart, &started));
  ASSERT_EQ(WaitForSingleObject(started.done.get(), 5000), WAIT_OBJECT_0);
  EXPECT_EQ(started.parameter.load(), &started);
  EXPECT_NE(thread.getThreadId(), 0u);
  EXPECT_EQ(thread.getThreadId(), started.threadId.load());
}

TEST(ThreadObject, OneResumeUndoesTwoSuspends) {
  stopSpinning = false;
  ThreadObject thread;
  ASSERT_TRUE(thread.start(spin, nullptr));
  ASSERT_TRUE(spinsAdvanceWithin(200));
  EXPECT_EQ(thread.resume(), 0) << "a running thread resumes at once";

  EXPECT_EQ(thread.suspend(), 0);
  EXPECT_EQ(thread.suspend(), 1);
  Sleep(20);
  EXPECT_FALSE(spinsAdvanceWithin(100));
  EXPECT_EQ(thread.resume(), 0);
  EXPECT_TRUE(spinsAdvanceWithin(200));
  stopSpinning = true;
}

TEST(ThreadObject, TerminateStopsARunningThreadWithTheStillActiveCode) {
  stopSpinning = false;
  ThreadObject thread;
  ASSERT_TRUE(thread.start(spin, nullptr));
  ScopedKernelHandle watched(OpenThread(SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE,
                                        thread.getThreadId()));
  ASSERT_TRUE(watched);
  EXPECT_TRUE(thread.terminate());
  ASSERT_EQ(WaitForSingleObject(watched.get(), 5000), WAIT_OBJECT_0);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(watched.get(), &code));
  EXPECT_EQ(code, 259u);
  stopSpinning = true;
}

TEST(ThreadObject, OperationsOnAThreadNeverStartedFail) {
  ThreadObject thread;
  EXPECT_EQ(thread.suspend(), -1);
  EXPECT_EQ(thread.resume(), -1);
  EXPECT_FALSE(thread.terminate());
}

TEST(ErrorReporter, LastErrorTextIsTheSystemTextWithoutSpaces) {
  ErrorReporter reporter;
  char system[4096] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_FILE_NOT_FOUND, 0, system,
                 sizeof(system), nullptr);
  ASSERT_NE(std::string(system), "");

  SetLastError(ERROR_FILE_NOT_FOUND);
  std::string text = reporter.lastErrorText();
  EXPECT_EQ(reporter.lastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(text, removeSpaces(system));
  EXPECT_EQ(text.find(' '), std::string::npos);

  SetLastError(0x2000BEEF);  // a code the system has no text for
  EXPECT_EQ(reporter.lastErrorText(), "");
  EXPECT_EQ(reporter.lastError(), 0x2000BEEF);
}

struct BoxWatch {
  std::string title;
  MessageBoxSeen seen;
  ScopedKernelHandle watcher;
};

// Reads the box this process shows under the watch's title and presses OK until it is gone:
// Wine may show a box before its dialog loop runs and then drop a single early press.
DWORD WINAPI answerBox(void* context) {
  auto* watch = static_cast<BoxWatch*>(context);
  // No limit of its own: the test waits in MessageBox until the box is pressed anyway, and the
  // first box of a new Wine prefix on a loaded machine may wait minutes for the font cache.
  // ctest's time-out ends a run whose box never comes.
  for (;;) {
    HWND box = FindWindowA("#32770", watch->title.c_str());
    if (box != nullptr && IsWindowVisible(box)) {
      if (!watch->seen.shown) {
        char text[4096] = {};
        GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof(text));
        watch->seen = {true, watch->title, text};
      }
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    } else if (watch->seen.shown) {
      return 0;
    }
    Sleep(25);
  }
}

void answerBoxLater(BoxWatch& watch, const std::string& title) {
  watch.title = title;
  watch.watcher.reset(CreateThread(nullptr, 0, answerBox, &watch, 0, nullptr));
}

TEST(ErrorReporter, ErrorBoxShowsPrefixCodeAndTextOnThreeLines) {
  ErrorReporter reporter;
  SetLastError(ERROR_FILE_NOT_FOUND);
  std::string expectedText = reporter.lastErrorText();

  const std::string defaultTitle = "\xD6\xB4\xD0\xD0\xC0\xE0\xC4\xA3\xBF\xE9\xCA\xB1\xB7\xA2"
                                   "\xC9\xFA\xD4\xCB\xD0\xD0\xCA\xB1\xB4\xED\xCE\xF3";
  struct Case {
    std::string title, prefix, shownTitle, shownPrefix;
  } cases[] = {
      {"", "", defaultTitle, "\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2:"},  // 错误信息:
      {"my title", "my prefix", "my title", "my prefix"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shownTitle);
    BoxWatch watch;
    answerBoxLater(watch, c.shownTitle);
    SetLastError(ERROR_FILE_NOT_FOUND);
    reporter.showErrorBox(c.title, c.prefix, 0);  // returns once the box is closed
    WaitForSingleObject(watch.watcher.get(), INFINITE);
    ASSERT_TRUE(watch.seen.shown);
    EXPECT_EQ(watch.seen.text, c.shownPrefix + "\r\n\xB4\xED\xCE\xF3\xB4\xFA\xC2\xEB\xCE\xAA:2\r\n"
                               "\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xCE\xC4\xB1\xBE:" + expectedText);
    EXPECT_EQ(reporter.lastError(), ERROR_FILE_NOT_FOUND);
  }
}

}  // namespace
