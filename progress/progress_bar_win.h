// The image progress bar: the background image with, laid over its left part, as much of the
// fill image as value is of maximum. Composed off screen in a 480 × 11 32-bit ARGB bitmap and
// drawn in one step at (0, 0) onto the canvas, into its memory image, so a repaint keeps it.
#pragma once

#include "assets/progress_images.h"
#include "platform/window_win.h"

// Starts GDI+ on the first call (once per process, never shut down). Each image is decoded
// once, the first time it is drawn: its bytes must stay unchanged for the life of the process,
// as the program's constants do. Value and maximum are single precision; the fill is
// progressFillWidths of the fill image's width. Runs on the caller's thread, any thread;
// concurrent calls take turns. When GDI+ or an image fails, the bar is drawn without that
// image or not at all, and nothing is reported.
void drawProgressBar(Canvas& canvas, const ImageBytes& background, const ImageBytes& fill,
                     float value, float maximum);
