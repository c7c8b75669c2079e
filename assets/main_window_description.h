// The description of the program's window: its design size and caption and its twelve
// controls in stacking order.
#pragma once

#include <cstddef>

#include "platform/window_description.h"

// Indexes into the description's controls, by role.
enum MainWindowControl : size_t {
  kCloseButton,
  kMinimizeButton,
  kStatusCanvas,
  kStatusBackCanvas,
  kProgressCanvas,
  kExitButton,
  kDirEdit,
  kInstallButton,
  kBrowseButton,
  kZipControl,
  kRelayLabel,
  kFlashControl,
  kMainWindowControlCount,
};

extern const WindowDescription kMainWindowDescription;
