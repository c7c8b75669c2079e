// What a window description holds: the window's design size, caption and controls, in
// stacking order (the first on top). Plain data, so the description itself is an asset.
#pragma once

#include <cstddef>
#include <cstdint>

enum class ControlKind {
  PictureButton,
  Canvas,
  EditBox,
  Label,
  ZipControl,
  MoviePlayer,
};

struct ControlDescription {
  const char* designName;
  ControlKind kind;
  int32_t x, y, width, height;  // pixels from the top left corner of the client area
  bool visible;
  // Picture buttons: resource ids of the 24-bit bitmaps; 0 where the image is missing, which
  // then shows the normal image.
  int normalImage, hoverImage, pressedImage, disabledImage;
};

struct WindowDescription {
  const char* caption;
  int32_t width, height;  // design size in pixels
  bool alwaysOnTop;
  const ControlDescription* controls;
  size_t controlCount;
};

// The colour cut out of picture buttons' window shapes: pure yellow.
constexpr uint32_t kPictureButtonTransparentColour = 0x0000FFFF;  // COLORREF of RGB(255, 255, 0)
