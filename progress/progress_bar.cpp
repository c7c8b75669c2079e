#include "progress/progress_bar.h"

FillWidths progressFillWidths(float imageWidth, float value, float maximum) {
  double width = imageWidth;
  double part = value;
  double whole = maximum;
  double fraction = part / whole;
  // Written so that NaN, which fails every comparison, lands on the empty bar.
  if (!(whole > 0.0) || !(fraction > 0.0) || !(width > 0.0)) return {0.0f, 0.0f};
  if (fraction >= 1.0) return {imageWidth, imageWidth};
  return {static_cast<float>(width * part / whole), static_cast<float>(width * fraction)};
}
