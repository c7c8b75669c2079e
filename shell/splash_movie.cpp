#include "shell/splash_movie.h"

// The movie and its player's playback arrive later; until then the player stays white.
void startSplashMovie() {}
