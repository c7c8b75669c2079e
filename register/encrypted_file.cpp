#include "register/encrypted_file.h"

#include <optional>
#include <utility>

#include "platform/text.h"
#include "register/key_stream.h"
#include "register/platform_file.h"

namespace {

constexpr size_t kLineChunk = 512;
constexpr uint8_t kLineFeed = 0x0A;
constexpr uint8_t kCarriageReturn = 0x0D;
constexpr uint8_t kEndOfText = 0x1A;

bool endsText(uint8_t byte) { return byte == 0 || byte == kEndOfText; }

}  // namespace

struct EncryptedFile::State {
  PlatformFile file;
  // Our own copy of the platform file's offset: nobody else moves it.
  int64_t offset = 0;
  int64_t plainPrefixLength = 0;
  std::optional<KeyStream> keyStream;  // none for a plain file

  // Applies the key stream to bytes that lie at `at` in the file.
  void transform(int64_t at, uint8_t* bytes, size_t count) {
    if (!keyStream || count == 0) return;
    int64_t skip = plainPrefixLength - at;
    if (skip >= static_cast<int64_t>(count)) return;
    if (skip < 0) skip = 0;
    keyStream->apply(static_cast<uint64_t>(at + skip), bytes + skip,
                     count - static_cast<size_t>(skip));
  }

  // After an error the offset is whatever the platform left.
  void resyncOffset() { offset = file.position(); }
};

EncryptedFile::EncryptedFile() = default;
EncryptedFile::~EncryptedFile() = default;
EncryptedFile::EncryptedFile(EncryptedFile&&) noexcept = default;
EncryptedFile& EncryptedFile::operator=(EncryptedFile&&) noexcept = default;
EncryptedFile::EncryptedFile(std::unique_ptr<State> state) : state_(std::move(state)) {}

EncryptedFile EncryptedFile::open(const std::string& name, OpenMode mode, Sharing sharing,
                                  const std::string& password, int64_t plainPrefixLength) {
  auto state = std::make_unique<State>();
  state->plainPrefixLength = plainPrefixLength < 0 ? 0 : plainPrefixLength;
  if (!password.empty()) {
    state->keyStream = KeyStream::forPassword(password);
    if (!state->keyStream) return EncryptedFile();
  }
  if (!state->file.open(name, mode, sharing)) return EncryptedFile();
  return EncryptedFile(std::move(state));
}

bool EncryptedFile::isOpen() const { return state_ && state_->file.isOpen(); }

void EncryptedFile::close() { state_.reset(); }

int64_t EncryptedFile::readDeciphered(uint8_t* out, size_t count) {
  int64_t got = state_->file.read(out, count);
  if (got < 0) {
    state_->resyncOffset();
    return -1;
  }
  state_->transform(state_->offset, out, static_cast<size_t>(got));
  state_->offset += got;
  return got;
}

std::string EncryptedFile::read(size_t count) {
  if (!isOpen() || count == 0) return std::string();
  // Never more room than the file can still give.
  int64_t size = state_->file.size();
  if (size < 0) return std::string();
  int64_t left = size > state_->offset ? size - state_->offset : 0;
  if (static_cast<uint64_t>(left) < count) count = static_cast<size_t>(left);
  if (count == 0) return std::string();
  std::string bytes(count, '\0');
  int64_t got = readDeciphered(reinterpret_cast<uint8_t*>(bytes.data()), count);
  bytes.resize(got < 0 ? 0 : static_cast<size_t>(got));
  return bytes;
}

bool EncryptedFile::write(const std::string& bytes) {
  if (!isOpen()) return false;
  std::string copy = bytes;
  auto* data = reinterpret_cast<uint8_t*>(copy.data());
  state_->transform(state_->offset, data, copy.size());
  if (!state_->file.write(data, copy.size())) {
    state_->resyncOffset();
    return false;
  }
  state_->offset += static_cast<int64_t>(copy.size());
  return true;
}

bool EncryptedFile::writeLine(const std::string& text) { return write(text + "\r\n"); }

std::string EncryptedFile::failedLine() {
  int64_t end = state_->file.seek(SeekBase::end, 0);
  state_->offset = end >= 0 ? end : state_->file.position();
  return std::string();
}

std::string EncryptedFile::readLine() {
  if (!isOpen()) return std::string();
  std::string line;
  int64_t lineEnd = state_->offset;  // where the offset is left: just after what the line used
  uint8_t chunk[kLineChunk];
  bool ended = false;
  while (!ended) {
    int64_t got = readDeciphered(chunk, sizeof(chunk));
    if (got < 0) return failedLine();
    if (got == 0) break;
    size_t length = static_cast<size_t>(got);
    size_t used = 0;
    while (used < length && !ended) {
      uint8_t byte = chunk[used];
      if (byte == kLineFeed) {
        ++used;
        ended = true;
      } else if (endsText(byte)) {
        ended = true;
      } else if (!isLeadByte(byte)) {
        line += static_cast<char>(byte);
        ++used;
      } else if (used + 1 < length) {
        line += static_cast<char>(byte);
        ++used;
        // The second byte of the character, unless it is a 0: that still ends the text.
        if (chunk[used] == 0) {
          ended = true;
        } else {
          line += static_cast<char>(chunk[used]);
          ++used;
        }
      } else if (used > 0) {
        break;  // the character is read whole with the next chunk
      } else {
        line += static_cast<char>(byte);  // a lead byte that is the file's last byte
        ++used;
      }
    }
    lineEnd += static_cast<int64_t>(used);
    if (used < length && !seek(SeekBase::start, lineEnd)) return failedLine();
  }
  if (state_->offset != lineEnd && !seek(SeekBase::start, lineEnd)) return failedLine();
  if (!line.empty() && static_cast<uint8_t>(line.back()) == kCarriageReturn) line.pop_back();
  return line;
}

bool EncryptedFile::atEnd(bool textMode) {
  if (!isOpen()) return true;
  int64_t size = state_->file.size();
  int64_t at = state_->offset;
  if (size < 0 || at < 0 || at >= size) return true;
  if (!textMode) return false;
  uint8_t byte = 0;
  int64_t got = readDeciphered(&byte, 1);
  if (!seek(SeekBase::start, at)) return true;
  return got != 1 || endsText(byte);
}

int64_t EncryptedFile::getPosition() { return isOpen() ? state_->offset : -1; }

bool EncryptedFile::seek(SeekBase base, int64_t distance) {
  if (!isOpen()) return false;
  int64_t reached = state_->file.seek(base, distance);
  if (reached < 0) return false;
  state_->offset = reached;
  return true;
}
