// How much of the progress bar's fill image a progress value shows.
#pragma once

// The widths, in pixels, of the fill image's left part that shows value out of maximum, as
// the destination and the source of the drawing (the same but for rounding). Both are worked
// out in double precision and rounded to single. A value at or below 0, a maximum at or below
// 0 and anything that is not a number give 0; a value beyond the maximum gives the whole
// image width, so the bar never runs past its image or backwards.
struct FillWidths {
  float destination;  // imageWidth × value ÷ maximum
  float source;       // imageWidth × (value ÷ maximum)
};
FillWidths progressFillWidths(float imageWidth, float value, float maximum);
