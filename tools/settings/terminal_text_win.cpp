#include <windows.h>

#include <climits>

#include "tools/settings/terminal_text.h"

namespace {

constexpr UINT kGbk = 936;

std::optional<std::string> convert(UINT to, UINT from, const std::string& text) {
  if (text.empty()) return text;
  if (text.size() > INT_MAX / 2) return std::nullopt;
  int length = static_cast<int>(text.size());
  int wideLength =
      MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
  if (wideLength <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(), wideLength);
  BOOL usedDefault = FALSE;
  int outLength = WideCharToMultiByte(to, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength,
                                      nullptr, 0, nullptr, &usedDefault);
  if (outLength <= 0 || usedDefault) return std::nullopt;
  std::string out(static_cast<size_t>(outLength), '\0');
  WideCharToMultiByte(to, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, out.data(), outLength,
                      nullptr, &usedDefault);
  if (usedDefault) return std::nullopt;
  return out;
}

}  // namespace

std::optional<std::string> gbkFromTerminal(const std::string& text) {
  return convert(kGbk, CP_ACP, text);
}

std::optional<std::string> terminalFromGbk(const std::string& text) {
  return convert(CP_ACP, kGbk, text);
}
