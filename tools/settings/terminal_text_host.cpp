#include <errno.h>
#include <iconv.h>

#include "tools/settings/terminal_text.h"

namespace {

std::optional<std::string> convert(const char* to, const char* from, const std::string& text) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string input = text;
  std::string output;
  char* in = input.data();
  size_t inLeft = input.size();
  char buffer[1024];
  bool failed = false;
  // The last round, with no input, lets a stateful encoding end its shift state.
  for (bool flushing = false;;) {
    char* out = buffer;
    size_t outLeft = sizeof(buffer);
    size_t result = flushing ? iconv(converter, nullptr, nullptr, &out, &outLeft)
                             : iconv(converter, &in, &inLeft, &out, &outLeft);
    output.append(buffer, sizeof(buffer) - outLeft);
    if (result == static_cast<size_t>(-1) && errno != E2BIG) {
      failed = true;
      break;
    }
    if (result != static_cast<size_t>(-1)) {
      if (flushing) break;
      flushing = true;
    }
  }
  iconv_close(converter);
  if (failed) return std::nullopt;
  return output;
}

}  // namespace

std::optional<std::string> gbkFromTerminal(const std::string& text) {
  return convert("GBK", "UTF-8", text);
}

std::optional<std::string> terminalFromGbk(const std::string& text) {
  return convert("UTF-8", "GBK", text);
}
