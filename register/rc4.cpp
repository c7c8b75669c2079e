#include "register/rc4.h"

Rc4::Rc4(const uint8_t* key, size_t length) {
  for (int k = 0; k < 256; ++k) state_[k] = static_cast<uint8_t>(k);
  uint8_t j = 0;
  for (size_t k = 0; k < 256; ++k) {
    j = static_cast<uint8_t>(j + state_[k] + key[k % length]);
    uint8_t swapped = state_[k];
    state_[k] = state_[j];
    state_[j] = swapped;
  }
}

void Rc4::generate(uint8_t* out, size_t count) {
  for (size_t k = 0; k < count; ++k) out[k] = next();
}

void Rc4::drop(uint64_t count) {
  for (uint64_t k = 0; k < count; ++k) next();
}
