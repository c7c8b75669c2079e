// The splash movie played behind the window's controls.
#pragma once

// Writes the movie to a fresh temporary file, which stays behind when the program ends, and
// has flashControl play it from there with its right-click menu disabled. When the file cannot
// be written, the player stays white and nothing is reported. Window thread, once, before the
// download worker starts.
void startSplashMovie();
