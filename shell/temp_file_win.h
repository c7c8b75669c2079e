// The temporary file the splash movie is written to: a fresh name in the system's temporary
// folder and the writing of byte blocks into a file.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>

// Bytes held elsewhere, counted: the holder keeps them alive while the block is used.
struct ByteBlock {
  const void* data;
  size_t size;
};

// The full name of a file that did not exist at the moment of the call (it is not created):
// the system's temporary folder with a backslash, or no folder at all (the current one) when
// the system cannot say; then the tick count in milliseconds plus the number of earlier calls
// in this process, in lower-case hexadecimal, and ".tmp". A name that exists as a file or a
// folder is skipped for the next number. Any thread.
std::string tempFileName();

// Creates the file name (emptying it when it exists), not shared with any other opener, and
// writes the blocks into it in turn. False for an empty name, a file that cannot be opened or
// a write that fails; the file may then hold part of the bytes.
bool writeBytesToFile(const std::string& name, std::initializer_list<ByteBlock> blocks);
