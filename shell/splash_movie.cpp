#include "shell/splash_movie.h"

#include <string>

#include "assets/splash_movie.h"
#include "shell/main_window.h"
#include "shell/temp_file_win.h"

void startSplashMovie() {
  std::string name = tempFileName();
  if (!writeBytesToFile(name, {{splashMovie, splashMovieSize}})) return;
  // Whether the player takes the file and plays it changes nothing for the program.
  flashControl().loadMovie(name);
  flashControl().playMovie();
  MoviePlayer::disableContextMenu(mainWindow().handle());
}
