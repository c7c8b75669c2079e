// The splash movie played behind the window's controls.
#pragma once

// Writes the movie to a temporary file and has the player play it. Window thread.
void startSplashMovie();
