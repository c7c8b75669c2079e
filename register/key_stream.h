// The key stream of an enciphered file: one byte ks(p) for every file offset p, depending only
// on the password. The file is cut into 4096-byte blocks by absolute offset; block b is
// enciphered with RC4 keyed by its own 40-byte block key (after 36 dropped bytes), which mixes
// four bytes of the password's own RC4 output, the password's MD5 text and b.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "register/rc4.h"

constexpr uint64_t kCipherBlockSize = 4096;

class KeyStream {
 public:
  // The key material of a non-empty password (its bytes as stored: GBK); nothing when the
  // password is empty or its digest cannot be computed.
  static std::optional<KeyStream> forPassword(const std::string& password);

  // XORs ks(offset + k) into bytes[k] for k from 0 to count - 1. The same call enciphers
  // and deciphers.
  void apply(uint64_t offset, uint8_t* bytes, size_t count);

  // The 32 lower-case hex digits of the password's MD5 digest, last digest byte first.
  const std::string& keyText() const { return keyText_; }

 private:
  KeyStream(const Rc4& base, std::string keyText);

  struct BlockStream {
    uint64_t block = 0;
    bool filled = false;
    std::array<uint8_t, kCipherBlockSize> bytes{};
  };

  // The four bytes z(4b) .. z(4b+3) of the password's RC4 output.
  std::array<uint8_t, 4> blockWord(uint64_t block);
  const BlockStream& streamOf(uint64_t block);

  // The password's RC4 state after the key schedule; only copied, never advanced.
  Rc4 base_;
  std::string keyText_;
  // Reading runs forward through the file, so the output of base_ is kept as a cursor
  // standing at the block word of `nextWordBlock_`; a step back starts again from base_.
  Rc4 wordCursor_;
  uint64_t nextWordBlock_ = 0;
  // The two blocks used last: a line read across a block border moves back into the
  // earlier one.
  std::array<BlockStream, 2> recent_;
  size_t lastUsed_ = 0;
};
