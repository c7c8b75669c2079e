// The program's window: its created handler, the shell's three buttons and the window's
// controls by role.
#pragma once

#include <windows.h>

#include <cstdint>

#include "assets/main_window_description.h"
#include "platform/window_win.h"

// Opens the window from its description; onMainWindowCreated runs before it is first shown.
void openMainWindow();

// The open window; valid from the start of onMainWindowCreated until the process ends.
Form& mainWindow();

inline PictureButton& closeButton() { return mainWindow().control<PictureButton>(kCloseButton); }
inline PictureButton& minimizeButton() {
  return mainWindow().control<PictureButton>(kMinimizeButton);
}
inline Canvas& statusCanvas() { return mainWindow().control<Canvas>(kStatusCanvas); }
inline Canvas& statusBackCanvas() { return mainWindow().control<Canvas>(kStatusBackCanvas); }
inline Canvas& progressCanvas() { return mainWindow().control<Canvas>(kProgressCanvas); }
inline PictureButton& exitButton() { return mainWindow().control<PictureButton>(kExitButton); }
inline EditBox& dirEdit() { return mainWindow().control<EditBox>(kDirEdit); }
inline PictureButton& installButton() {
  return mainWindow().control<PictureButton>(kInstallButton);
}
inline PictureButton& browseButton() { return mainWindow().control<PictureButton>(kBrowseButton); }
inline ZipControl& zipControl() { return mainWindow().control<ZipControl>(kZipControl); }
inline RelayLabel& relayLabel() { return mainWindow().control<RelayLabel>(kRelayLabel); }
inline MoviePlayer& flashControl() { return mainWindow().control<MoviePlayer>(kFlashControl); }

void onMainWindowCreated(Form& window);
void onCloseClicked();
void onExitClicked();
void onMinimizeClicked();

// Gives the window a rounded-rectangle shape whose corners are quarters of an ellipse
// cornerWidth × cornerHeight pixels, and redraws it.
void roundWindowCorners(HWND window, int32_t cornerWidth = 50, int32_t cornerHeight = 50);

// The right and bottom edges of the window's client rectangle; false (and 0, 0) when it
// cannot be read.
bool getClientSize(HWND window, int32_t& width, int32_t& height);
