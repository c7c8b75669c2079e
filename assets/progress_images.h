// The progress bar's two images: PNG files held in the program as byte constants. They are made
// by assets/generate_progress_images.py into assets/progress/ and embedded by the build.
#pragma once

#include <cstddef>

// A block of constant bytes that lives as long as the process.
struct ImageBytes {
  const unsigned char* data;
  size_t size;
};

// 300 × 10 RGB, pale yellow RGB(255, 255, 153) everywhere.
extern const ImageBytes progressBackgroundImage;
// 300 × 10 RGB: cyan at the left, green in the middle, yellow at the right, light at the top
// and dark at the bottom.
extern const ImageBytes progressFillImage;
