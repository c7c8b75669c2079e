// A copy of some bytes in a block of global memory with a COM stream over it: what GDI+ reads
// an image held in memory from.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// The stream owns its memory block and frees it when its last reference goes, so the block
// lives exactly as long as anything can read it; the object's memory is a view of that block.
class MemoryStream {
 public:
  MemoryStream() = default;
  // Releases this object's reference to the stream (and so, with the last one, the block).
  virtual ~MemoryStream();
  // A new object that refers to the same memory block and stream, holding a reference of its
  // own: each object releases only its own.
  virtual MemoryStream* copy() const;

  // Forgets the memory block: memory becomes none, and memorySize and memoryBytes see nothing.
  // The block itself goes with the stream.
  virtual void releaseMemory();

  // Replaces the block and the stream. withData: a block holding a copy of size bytes and a
  // stream over it. Without: an empty block and a stream that grows it as it is written to.
  // Returns the stream, which this object keeps (a caller that keeps it longer adds its own
  // reference); null on failure, and then the object holds neither block nor stream.
  virtual IStream* createStream(const void* bytes, size_t size, bool withData);

  // The stream; null when none.
  virtual IStream* getStream() const;

  // The memory block's size in bytes; 0 when there is no block.
  virtual size_t memorySize() const;

  // A copy of the memory block's whole content; empty when there is no block.
  virtual std::vector<uint8_t> memoryBytes() const;

  // The memory block as it is now (a stream that grows may have moved it); null when none.
  HGLOBAL memory() const;

 protected:
  MemoryStream(const MemoryStream& other);
  MemoryStream& operator=(const MemoryStream&) = delete;

 private:
  void releaseStream();

  HGLOBAL memory_ = nullptr;   // the stream's block as first made; null when forgotten
  IStream* stream_ = nullptr;  // this object's reference to the stream
};
