#include "shell/thread_object.h"

#include "platform/runtime_win.h"
#include "platform/text.h"

int32_t ErrorReporter::readLastError() {
  lastError_ = static_cast<int32_t>(GetLastError());
  return lastError_;
}

std::string ErrorReporter::lastErrorText() {
  readLastError();
  constexpr DWORD kBufferSize = 64000;
  // Spaces, so that a code without a text reads as nothing once the spaces are gone.
  std::string buffer(kBufferSize, ' ');
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, static_cast<DWORD>(lastError_), 0,
                     buffer.data(), kBufferSize, nullptr) == 0 &&
      GetLastError() == ERROR_INVALID_PARAMETER) {
    // Wine refuses buffers of 32 KiB and more, which Windows takes; no system text is that long.
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, static_cast<DWORD>(lastError_), 0,
                   buffer.data(), 32767, nullptr);
  }
  size_t end = buffer.find('\0');
  if (end != std::string::npos) buffer.resize(end);
  return removeSpaces(buffer);
}

void ErrorReporter::showErrorBox(const std::string& title, const std::string& prefix,
                                 int32_t endAfter) {
  readLastError();
  const char* shownTitle = title.empty() ? "执行类模块时发生运行时错误" : title.c_str();
  std::string text = fillText("%s\r\n错误代码为:%s\r\n错误信息文本:%s",
                              {prefix.empty() ? "错误信息:" : prefix, std::to_string(lastError_),
                               lastErrorText()});
  showMessageBox(text.c_str(), shownTitle, MB_OK | MB_ICONERROR);
  if (endAfter == 1) endProgram(0);
}

bool ThreadObject::start(LPTHREAD_START_ROUTINE routine, void* parameter) {
  threadHandle_ = CreateThread(nullptr, 0, routine, parameter, 0, &threadId_);
  return threadHandle_ != nullptr;
}

int32_t ThreadObject::suspend() { return static_cast<int32_t>(SuspendThread(threadHandle_)); }

int32_t ThreadObject::resume() {
  int32_t result = static_cast<int32_t>(ResumeThread(threadHandle_));
  while (result > 0) result = static_cast<int32_t>(ResumeThread(threadHandle_));
  return result;
}

bool ThreadObject::terminate() {
  DWORD exitCode = 0;
  if (!GetExitCodeThread(threadHandle_, &exitCode)) exitCode = 0;
  return TerminateThread(threadHandle_, exitCode) != FALSE;
}
