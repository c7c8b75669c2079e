// The splash movie, splashMovie: assets/splash_movie.gif (made by generate_splash_movie.py),
// taken into the program byte for byte when it is built. 600 x 300 pixels, 10 frames per
// second, looping.
#pragma once

#include <cstdint>

extern "C" const unsigned char splashMovie[];
extern "C" const uint32_t splashMovieSize;  // bytes
