// The object that owns the download worker thread, and the base that turns the system's last
// error into its message text.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class ErrorReporter {
 public:
  ErrorReporter() = default;
  virtual ~ErrorReporter() = default;  // teardown
  virtual ErrorReporter* copy() const { return new ErrorReporter(*this); }

  // The calling thread's last error code (GetLastError), stored in lastError and returned.
  virtual int32_t readLastError();

  // The system's message text for the calling thread's last error, without any space or
  // full-width space; empty when the system has no text for the code.
  virtual std::string lastErrorText();

  // An error box (OK, error icon, no owner, task-modal) with three lines: prefix (default
  // "错误信息:"), "错误代码为:" and the code, "错误信息文本:" and the text. An empty title or
  // prefix counts as not given. With endAfter 1 the program ends with exit code 0 once the box
  // is closed, and the call does not return.
  virtual void showErrorBox(const std::string& title, const std::string& prefix,
                            int32_t endAfter);

  int32_t lastError() const { return lastError_; }

 protected:
  ErrorReporter(const ErrorReporter&) = default;
  ErrorReporter& operator=(const ErrorReporter&) = default;

 private:
  int32_t lastError_ = -1;
};

class ThreadObject : public ErrorReporter {
 public:
  ThreadObject() = default;
  // Leaves the thread alone: it is neither stopped nor waited for, and its handle stays open.
  ~ThreadObject() override = default;
  // A plain field-by-field copy; both objects then name the same thread.
  ThreadObject* copy() const override { return new ThreadObject(*this); }

  // Starts routine(parameter) on a new thread at once. An earlier handle is overwritten, not
  // closed. True when the thread was created.
  virtual bool start(LPTHREAD_START_ROUTINE routine, void* parameter);

  // The thread's suspend count before the call, or -1 on failure.
  virtual int32_t suspend();

  // Resumes until the thread runs again: 0 when it runs, -1 on failure.
  virtual int32_t resume();

  // Terminates the thread with its current exit code (259 for a running thread); whether the
  // system terminated it.
  virtual bool terminate();

  virtual uint32_t getThreadId() const { return threadId_; }

 private:
  ThreadObject(const ThreadObject&) = default;

  DWORD threadId_ = 0;
  HANDLE threadHandle_ = nullptr;  // owned for the object's whole life; never closed
};
