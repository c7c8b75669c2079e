#include "progress/memory_stream_win.h"

#include <cstring>

MemoryStream::MemoryStream(const MemoryStream& other)
    : memory_(other.memory_), stream_(other.stream_) {
  if (stream_ != nullptr) stream_->AddRef();
}

MemoryStream::~MemoryStream() {
  // The stream first: it must never outlive, even briefly, the block it reads.
  releaseStream();
  releaseMemory();
}

MemoryStream* MemoryStream::copy() const { return new MemoryStream(*this); }

void MemoryStream::releaseMemory() { memory_.reset(); }

void MemoryStream::releaseStream() {
  if (stream_ != nullptr) stream_->Release();
  stream_ = nullptr;
}

IStream* MemoryStream::createStream(const void* bytes, size_t size, bool withData) {
  releaseStream();
  releaseMemory();
  if (withData) {
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, size);
    if (block == nullptr) return nullptr;
    memory_ = std::shared_ptr<void>(block, GlobalFree);
    void* target = GlobalLock(block);
    if (target == nullptr) {
      releaseMemory();
      return nullptr;
    }
    if (size > 0) memcpy(target, bytes, size);
    GlobalUnlock(block);
    // The block stays ours: the stream leaves it alone when it is released.
    if (FAILED(CreateStreamOnHGlobal(block, FALSE, &stream_))) {
      stream_ = nullptr;
      releaseMemory();
    }
    return stream_;
  }
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 0);
  if (block == nullptr) return nullptr;
  // The stream owns this block, resizes it as it grows, and frees it when released.
  if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream_))) {
    stream_ = nullptr;
    GlobalFree(block);
    return nullptr;
  }
  memory_ = std::shared_ptr<void>(block, [](void*) {});
  return stream_;
}

IStream* MemoryStream::getStream() const { return stream_; }

size_t MemoryStream::memorySize() const {
  return memory_ ? GlobalSize(memory_.get()) : 0;
}

std::vector<uint8_t> MemoryStream::memoryBytes() const {
  std::vector<uint8_t> bytes;
  if (!memory_) return bytes;
  size_t size = memorySize();
  const void* source = GlobalLock(memory_.get());
  if (source == nullptr) return bytes;
  bytes.assign(static_cast<const uint8_t*>(source), static_cast<const uint8_t*>(source) + size);
  GlobalUnlock(memory_.get());
  return bytes;
}
