// What the publisher's command-line tools share: their two streams, failures reported as
// "NAME: message" (a usage error with a pointer to the usage), and the terminal's texts taken
// into GBK.
#pragma once

#include <optional>
#include <ostream>
#include <string>

class ToolMessages {
 protected:
  ToolMessages(const char* name, int usageError, std::ostream& out, std::ostream& errors)
      : out_(out), errors_(errors), name_(name), usageError_(usageError) {}

  // Writes the message to the errors; returns code.
  int fail(int code, const std::string& message);

  // The text (in the terminal's encoding) in GBK; nothing, after a usage error naming `what`,
  // when it cannot be written so.
  std::optional<std::string> toGbk(const std::string& text, const char* what);

  std::ostream& out_;
  std::ostream& errors_;

 private:
  const char* name_;
  int usageError_;
};
