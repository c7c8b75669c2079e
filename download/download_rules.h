// What the download shows after each chunk, and the test of what arrived.
#pragma once

#include <cstdint>
#include <cstddef>
#include <string>

// downloaded / total * 100, dividing first in double precision and truncating, as the
// percentage has always been shown (29 of 100 shows 28). 0 when total is 0; never above 100
// (a server may send more than it announced).
int32_t downloadPercent(int64_t downloaded, int64_t total);

// "系统正在为您高速下载42%,请稍后......" for 42.
std::string downloadStatusText(int32_t percent);

// The package read back as text: its bytes up to the first NUL or 0x1A, a byte 0x80..0xFF
// and the byte after it counting as one character (a 0x1A in second place does not end the
// text; a NUL there ends it before the character). Fed in pieces of any size.
class PackageText {
 public:
  void feed(const char* bytes, size_t count);
  bool ended() const { return ended_; }  // the rest of the file does not matter
  // The text so far; once the file is read whole, a lone lead byte at its end included.
  std::string finish();

 private:
  std::string text_;
  bool ended_ = false;
  bool pendingLead_ = false;
  char lead_ = 0;
};

// True when the text holds "<head>" (case-sensitive): an error page, not a package.
bool isHtmlPage(const std::string& packageText);
