// The table of open internet transfers, known to their callers by slot number 1 to 50.
#pragma once

#include <cstdint>

constexpr int32_t kTransferSlotCount = 50;

// A slot is free exactly when every field is zero.
struct TransferSlot {
  int32_t kind;      // 0 not open, 1 FTP, 3 HTTP
  void* internet;    // WinINet handles
  void* connect;
  void* request;
  uint32_t sizeLow;  // remote size, FTP only
  uint32_t sizeHigh;
};

struct TransferTable {
  TransferSlot* slots[kTransferSlotCount];  // slot number n is slots[n - 1]
};
