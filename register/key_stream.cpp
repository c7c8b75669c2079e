#include "register/key_stream.h"

#include <algorithm>
#include <utility>

#include "register/md5.h"

namespace {

constexpr int kDroppedBytes = 36;

std::string hexOfReversed(const Md5Digest& digest) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (size_t k = digest.size(); k-- > 0;) {
    text += digits[digest[k] >> 4];
    text += digits[digest[k] & 0x0F];
  }
  return text;
}

void putLittleEndian(uint32_t value, uint8_t* out) {
  for (int k = 0; k < 4; ++k) out[k] = static_cast<uint8_t>(value >> (8 * k));
}

}  // namespace

std::optional<KeyStream> KeyStream::forPassword(const std::string& password) {
  if (password.empty()) return std::nullopt;
  std::optional<Md5Digest> digest = md5Of(password);
  if (!digest) return std::nullopt;
  Rc4 base(reinterpret_cast<const uint8_t*>(password.data()), password.size());
  return KeyStream(base, hexOfReversed(*digest));
}

KeyStream::KeyStream(const Rc4& base, std::string keyText)
    : base_(base), keyText_(std::move(keyText)), wordCursor_(base) {}

std::array<uint8_t, 4> KeyStream::blockWord(uint64_t block) {
  if (block < nextWordBlock_) {
    wordCursor_ = base_;
    nextWordBlock_ = 0;
  }
  wordCursor_.drop(4 * (block - nextWordBlock_));
  std::array<uint8_t, 4> word;
  wordCursor_.generate(word.data(), word.size());
  nextWordBlock_ = block + 1;
  return word;
}

const KeyStream::BlockStream& KeyStream::streamOf(uint64_t block) {
  for (size_t k = 0; k < recent_.size(); ++k) {
    if (recent_[k].filled && recent_[k].block == block) {
      lastUsed_ = k;
      return recent_[k];
    }
  }
  std::array<uint8_t, 4> word = blockWord(block);
  uint32_t wordValue = static_cast<uint32_t>(word[0]) | static_cast<uint32_t>(word[1]) << 8 |
                       static_cast<uint32_t>(word[2]) << 16 | static_cast<uint32_t>(word[3]) << 24;
  uint8_t blockKey[40];
  for (int k = 0; k < 4; ++k) blockKey[k] = word[k];
  for (int k = 0; k < 32; ++k) blockKey[4 + k] = static_cast<uint8_t>(keyText_[k]);
  putLittleEndian(wordValue ^ static_cast<uint32_t>(block), blockKey + 36);

  Rc4 cipher(blockKey, sizeof(blockKey));
  cipher.drop(kDroppedBytes);
  lastUsed_ = 1 - lastUsed_;
  BlockStream& slot = recent_[lastUsed_];
  cipher.generate(slot.bytes.data(), slot.bytes.size());
  slot.block = block;
  slot.filled = true;
  return slot;
}

void KeyStream::apply(uint64_t offset, uint8_t* bytes, size_t count) {
  size_t done = 0;
  while (done < count) {
    uint64_t position = offset + done;
    const BlockStream& stream = streamOf(position / kCipherBlockSize);
    size_t from = static_cast<size_t>(position % kCipherBlockSize);
    size_t length = std::min<size_t>(count - done, kCipherBlockSize - from);
    for (size_t k = 0; k < length; ++k) bytes[done + k] ^= stream.bytes[from + k];
    done += length;
  }
}
