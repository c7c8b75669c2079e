// The RC4 (ARC4) cipher: key schedule and output generator. The enciphered file format is
// built from it, so it is ours and checked against the published test vectors.
#pragma once

#include <cstddef>
#include <cstdint>

class Rc4 {
 public:
  // The key schedule over `length` (at least 1) bytes of key; i and j start at 0.
  Rc4(const uint8_t* key, size_t length);

  // The next output byte.
  uint8_t next() {
    i_ = static_cast<uint8_t>(i_ + 1);
    j_ = static_cast<uint8_t>(j_ + state_[i_]);
    uint8_t swapped = state_[i_];
    state_[i_] = state_[j_];
    state_[j_] = swapped;
    return state_[static_cast<uint8_t>(state_[i_] + state_[j_])];
  }

  // Generates `count` output bytes into `out`.
  void generate(uint8_t* out, size_t count);

  // Generates `count` output bytes and discards them.
  void drop(uint64_t count);

 private:
  uint8_t state_[256];
  uint8_t i_ = 0;
  uint8_t j_ = 0;
};
