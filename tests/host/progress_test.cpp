// Host tests of the progress display's logic: how much of the fill image a value shows, and
// how the status line's text falls into lines.
#include "progress/progress_bar.h"
#include "progress/status_line.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

TEST(ProgressFillWidths, TheValueIsAShareOfTheMaximumHeldToTheWholeImage) {
  struct Case {
    float value, maximum, width;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float infinity = std::numeric_limits<float>::infinity();
  const Case cases[] = {
      {0, 100, 0},        {42, 100, 126},        {50, 100, 150},       {100, 100, 300},
      {1, 3, 100},        {33, 100, 99},         {0.5f, 100, 1.5f},    {150, 100, 300},
      {-5, 100, 0},       {50, 0, 0},            {50, -100, 0},        {nan, 100, 0},
      {50, nan, 0},       {infinity, 100, 300},  {infinity, infinity, 0}, {50, infinity, 0},
  };
  for (const Case& c : cases) {
    FillWidths widths = progressFillWidths(300, c.value, c.maximum);
    EXPECT_FLOAT_EQ(widths.destination, c.width) << c.value << " of " << c.maximum;
    EXPECT_FLOAT_EQ(widths.source, c.width) << c.value << " of " << c.maximum;
  }
}

TEST(ProgressFillWidths, BothWidthsAreRoundedFromDoublePrecision) {
  // 300 × 7 ÷ 9 in double, then to single: not the single-precision product of the parts.
  FillWidths widths = progressFillWidths(300, 7, 9);
  EXPECT_EQ(widths.destination, static_cast<float>(300.0 * 7.0 / 9.0));
  EXPECT_EQ(widths.source, static_cast<float>(300.0 * (7.0 / 9.0)));
}

TEST(StatusLines, LineBreaksStartNewLinesButNotInsideADoubleByteCharacter) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {""}},
      {"50%", {"50%"}},
      {"a\r\nb", {"a", "b"}},
      {"a\nb\rc", {"a", "b", "c"}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\r\n", {"a", ""}},
      {"\xCF\xB5\xCD\xB3", {"\xCF\xB5\xCD\xB3"}},
      // A lead byte takes the byte after it, whatever it is; one at the very end stands alone.
      {"\xCF\n\xCD\r", {"\xCF\n\xCD\r"}},
      {"a\xCF", {"a\xCF"}},
  };
  for (const Case& c : cases) EXPECT_EQ(statusLines(c.text), c.lines);
}

}  // namespace
