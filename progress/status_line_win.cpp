#include "progress/status_line_win.h"

#include <mutex>

#include "platform/scoped_handles_win.h"
#include "progress/status_line.h"
#include "shell/main_window.h"

namespace {

constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kTextColour = RGB(0, 136, 255);

// The line's font, made on first use and kept for the process's life.
HFONT statusFont() {
  static const HFONT font =
      CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "宋体");
  return font;
}

// The line last drawn off screen. The download shows one line for many chunks in a row, and
// a hidden canvas that already holds the line need not be drawn again.
struct DrawnLine {
  std::mutex lock;
  Canvas* canvas = nullptr;
  int32_t x = 0;
  std::string text;
};

DrawnLine& drawnLine() {
  static auto* line = new DrawnLine();  // never freed: a worker may still draw during the exit
  return *line;
}

}  // namespace

void paintStatusLine(HDC dc, int32_t width, int32_t height, int32_t x, const std::string& text) {
  RECT all = {0, 0, width, height};
  ScopedBrush background(CreateSolidBrush(kBackground));
  FillRect(dc, &all, background.get());
  MoveToEx(dc, 0, 0, nullptr);
  ScopedSelectObject font(dc, statusFont());
  SetTextColor(dc, kTextColour);
  SetBkColor(dc, kBackground);
  SetBkMode(dc, TRANSPARENT);
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  int32_t y = 0;
  for (const std::string& line : statusLines(text)) {
    TextOutA(dc, x, y, line.data(), static_cast<int>(line.size()));
    y += metrics.tmHeight;
  }
}

void showStatusOn(Canvas& back, Canvas& shown, int32_t x, const std::string& text) {
  DrawnLine& drawn = drawnLine();
  std::lock_guard<std::mutex> hold(drawn.lock);
  if (drawn.canvas != &back || drawn.x != x || drawn.text != text) {
    const ControlDescription& size = back.description();
    back.draw([&](HDC dc) { paintStatusLine(dc, size.width, size.height, x, text); });
    drawn.canvas = &back;
    drawn.x = x;
    drawn.text = text;
  }
  shown.copyFrom(back);
}

void showStatus(int32_t x, const std::string& text) {
  showStatusOn(statusBackCanvas(), statusCanvas(), x, text);
}
