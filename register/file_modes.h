// How a file is opened (open mode and sharing mode) and where a seek counts from. Each has a
// fixed number; a number out of range is refused by open and seek.
#pragma once

enum class OpenMode : int {
  readExisting = 1,           // read only; the file must exist
  writeExisting = 2,          // write only; the file must exist
  readWriteExisting = 3,      // read and write; the file must exist
  writeCreateOrEmpty = 4,     // write only; created, or emptied when it exists
  writeCreateOrKeep = 5,      // write only; created when missing, kept when it exists
  readWriteCreateOrKeep = 6,  // read and write; created when missing, kept when it exists
};

enum class Sharing : int {
  readWrite = 1,  // others may read and write
  denyRead = 2,   // others may not read
  denyWrite = 3,  // others may not write
  exclusive = 4,  // others may neither read nor write
};

enum class SeekBase : int { start = 1, end = 2, current = 3 };

bool isValidOpenMode(OpenMode mode);
bool isValidSharing(Sharing sharing);
