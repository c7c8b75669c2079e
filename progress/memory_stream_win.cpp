#include "progress/memory_stream_win.h"

#include <cstring>

MemoryStream::MemoryStream(const MemoryStream& other)
    : memory_(other.memory_), stream_(other.stream_) {
  if (stream_ != nullptr) stream_->AddRef();
}

MemoryStream::~MemoryStream() {
  releaseMemory();
  releaseStream();
}

MemoryStream* MemoryStream::copy() const { return new MemoryStream(*this); }

void MemoryStream::releaseMemory() { memory_ = nullptr; }

void MemoryStream::releaseStream() {
  if (stream_ != nullptr) stream_->Release();
  stream_ = nullptr;
}

IStream* MemoryStream::createStream(const void* bytes, size_t size, bool withData) {
  releaseMemory();
  releaseStream();
  // Movable, as a stream over global memory needs its block to be.
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, withData ? size : 0);
  if (block == nullptr) return nullptr;
  if (withData && size > 0) {
    void* target = GlobalLock(block);
    if (target == nullptr) {
      GlobalFree(block);
      return nullptr;
    }
    memcpy(target, bytes, size);
    GlobalUnlock(block);
  }
  // From here the stream owns the block and frees it with its last reference.
  if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream_))) {
    stream_ = nullptr;
    GlobalFree(block);
    return nullptr;
  }
  memory_ = block;
  return stream_;
}

IStream* MemoryStream::getStream() const { return stream_; }

HGLOBAL MemoryStream::memory() const {
  HGLOBAL current = nullptr;
  if (memory_ == nullptr || stream_ == nullptr || FAILED(GetHGlobalFromStream(stream_, &current)))
    return nullptr;
  return current;
}

size_t MemoryStream::memorySize() const {
  HGLOBAL block = memory();
  return block != nullptr ? GlobalSize(block) : 0;
}

std::vector<uint8_t> MemoryStream::memoryBytes() const {
  std::vector<uint8_t> bytes;
  HGLOBAL block = memory();
  if (block == nullptr) return bytes;
  size_t size = GlobalSize(block);
  const void* source = GlobalLock(block);
  if (source == nullptr) return bytes;
  bytes.assign(static_cast<const uint8_t*>(source), static_cast<const uint8_t*>(source) + size);
  GlobalUnlock(block);
  return bytes;
}
