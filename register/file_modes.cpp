#include "register/file_modes.h"

bool isValidOpenMode(OpenMode mode) {
  int number = static_cast<int>(mode);
  return number >= 1 && number <= 6;
}

bool isValidSharing(Sharing sharing) {
  int number = static_cast<int>(sharing);
  return number >= 1 && number <= 4;
}
