// The status line: one line of text near the bottom of the main window. Each update is drawn
// on the hidden statusBackCanvas and then copied in one block onto statusCanvas, which the user
// sees, so the line changes without flicker and never shows a half-drawn state.
#pragma once

#include <cstdint>
#include <string>

#include "platform/window_win.h"

// Replaces the whole line by text (GBK), its first character's top left corner at (x, 0) in
// pixels. Text that does not fit is cut at the canvas's right edge. Safe from any thread;
// concurrent calls take turns. Nothing else may draw on statusBackCanvas: a line it already
// holds is not drawn again, only copied.
void showStatus(int32_t x, const std::string& text);

// The same on any two canvases of one size: back is drawn on, shown receives the copy.
// Nothing else may draw on back.
void showStatusOn(Canvas& back, Canvas& shown, int32_t x, const std::string& text);

// Paints the status line onto dc, a surface of width × height pixels: all white, then the text
// in "宋体" 13 px, RGB(0, 136, 255), on a transparent background. Each further line of the text
// goes one line height further down.
void paintStatusLine(HDC dc, int32_t width, int32_t height, int32_t x, const std::string& text);
