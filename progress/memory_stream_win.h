// A copy of some bytes in a block of global memory with a COM stream over it: what GDI+ reads
// an image held in memory from.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class MemoryStream {
 public:
  MemoryStream() = default;
  // Releases the stream, then the memory block.
  virtual ~MemoryStream();
  // A new object that refers to the same memory block and stream. The block and the stream
  // stay alive while either object holds them; each object releases only its own share.
  virtual MemoryStream* copy() const;

  // Lets go of the memory block and sets it to none. A block of withData is freed once no copy
  // holds it any more; the growable stream's block belongs to the stream and goes with it.
  virtual void releaseMemory();

  // Replaces the block and the stream. withData: a fixed block holding a copy of size bytes and
  // a read-only stream over it that leaves the block to this object. Without: an empty
  // movable block and a growable stream that owns it. Returns the stream, which this object
  // keeps (the caller adds its own reference to keep it longer); null on failure, and then
  // the object holds neither block nor stream.
  virtual IStream* createStream(const void* bytes, size_t size, bool withData);

  // The stream; null when none.
  virtual IStream* getStream() const;

  // The memory block's size in bytes; 0 when there is no block.
  virtual size_t memorySize() const;

  // A copy of the memory block's whole content; empty when there is no block.
  virtual std::vector<uint8_t> memoryBytes() const;

  HGLOBAL memory() const { return memory_.get(); }

 protected:
  MemoryStream(const MemoryStream& other);
  MemoryStream& operator=(const MemoryStream&) = delete;

 private:
  void releaseStream();

  std::shared_ptr<void> memory_;  // the block, shared with copies; null when none
  IStream* stream_ = nullptr;     // this object's reference to the stream
};
