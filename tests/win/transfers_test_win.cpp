// The transfer layer over the real WinINet against real servers on 127.0.0.1, which
// tests/e2e/test_transfers.py starts and names in the environment. The files they serve hold
// byte i = (i * 7 + 3) mod 256.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "download/transfers.h"
#include "shell/globals.h"

namespace {

std::string port(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "0";
}
std::string nginx(const std::string& path) {
  return "http://127.0.0.1:" + port("MERVANTIS_NGINX_PORT") + path;
}
std::string python(const std::string& id) {
  return "http://127.0.0.1:" + port("MERVANTIS_HTTP_PORT") + "/down/" + id + "/" + id + ".zip";
}
std::string ftp(const std::string& path) {
  return "ftp://127.0.0.1:" + port("MERVANTIS_FTP_PORT") + path;
}

// Everything left in the transfer, in 10240-byte chunks.
std::string readAll(int32_t slot) {
  std::string data;
  for (std::string chunk = readChunk(slot, 10240); !chunk.empty(); chunk = readChunk(slot, 10240)) {
    EXPECT_LE(chunk.size(), 10240u);
    data += chunk;
  }
  return data;
}

bool isPattern(const std::string& data, size_t expectedSize) {
  if (data.size() != expectedSize) return false;
  for (size_t i = 0; i < data.size(); ++i)
    if (static_cast<unsigned char>(data[i]) != ((i * 7 + 3) & 0xFF)) return false;
  return true;
}

constexpr size_t kSized = 300000;

class RealTransfers : public ::testing::Test {
 protected:
  void SetUp() override {
    if (transferTable == nullptr) {
      transferTable = new TransferTable();
      for (TransferSlot*& slot : transferTable->slots) slot = new TransferSlot();
    }
  }
  void TearDown() override {
    for (int32_t slot = 1; slot <= kTransferSlotCount; ++slot) {
      EXPECT_EQ(transferTable->slots[slot - 1]->kind, 0) << "slot " << slot << " left open";
    }
  }
};

TEST_F(RealTransfers, HttpSizedResponseFromNginx) {
  int32_t slot = openTransferAll(nginx("/sized.bin"), "", "", 0, false);
  ASSERT_EQ(slot, 1);
  EXPECT_EQ(transferSize(slot), static_cast<int64_t>(kSized));
  EXPECT_TRUE(transferSucceeded(slot));
  EXPECT_TRUE(isPattern(readAll(slot), kSized));
  EXPECT_EQ(readChunk(slot, 10240), "");
  EXPECT_EQ(readChunk(slot, 10240), "");
  EXPECT_EQ(closeTransfer(slot), 1);
}

TEST_F(RealTransfers, HttpChunkedResponseHasNoSize) {
  int32_t slot = openTransferAll(python("chunked-sized.bin"), "", "", 0, false);
  ASSERT_NE(slot, 0);
  EXPECT_EQ(transferSize(slot), 0);
  EXPECT_TRUE(isPattern(readAll(slot), kSized));
  closeTransfer(slot);
}

TEST_F(RealTransfers, HttpErrorStatusStillOpensWithItsBody) {
  for (const char* id : {"status-404", "status-500"}) {
    int32_t slot = openTransferAll(python(id), "", "", 0, false);
    ASSERT_NE(slot, 0) << id;
    EXPECT_FALSE(transferSucceeded(slot)) << id;
    EXPECT_GT(transferSize(slot), 0) << id;
    EXPECT_EQ(readAll(slot).size(), static_cast<size_t>(transferSize(slot))) << id;
    closeTransfer(slot);
  }
}

TEST_F(RealTransfers, NoServerNoTransfer) {
  EXPECT_EQ(openTransferAll("http://127.0.0.1:1/x.zip", "", "", 0, false), 0);
  EXPECT_EQ(openTransferAll("HTTP://127.0.0.1/x.zip", "", "", 0, false), 0);
}

TEST_F(RealTransfers, FtpSizeFromTheListing) {
  int32_t slot = openTransferAll(ftp("/sized.bin"), "", "", 0, false);
  ASSERT_NE(slot, 0);
  EXPECT_EQ(transferSize(slot), static_cast<int64_t>(kSized));
  EXPECT_TRUE(transferSucceeded(slot));
  EXPECT_TRUE(isPattern(readAll(slot), kSized));
  closeTransfer(slot);
}

TEST_F(RealTransfers, FtpFileWhoseListingFailsStillOpens) {
  int32_t slot = openTransferAll(ftp("/unlisted/data.bin"), "", "", 0, false);
  ASSERT_NE(slot, 0);
  EXPECT_EQ(transferSize(slot), 0);
  EXPECT_TRUE(isPattern(readAll(slot), kSized));
  closeTransfer(slot);
}

TEST_F(RealTransfers, FtpObjectSlashIsAskedForAndIsNoFile) {
  // "ftp://host/" names the object "/": the server's root folder, which cannot be fetched.
  EXPECT_EQ(openTransferAll(ftp("/"), "", "", 0, false), 0);
  EXPECT_EQ(findFreeSlot(), 1);
}

TEST_F(RealTransfers, FiftyOpenTransfersThenNoneUntilOneCloses) {
  for (int32_t expected = 1; expected <= kTransferSlotCount; ++expected)
    ASSERT_EQ(openTransferAll(nginx("/tiny.bin"), "", "", 0, false), expected);
  EXPECT_EQ(openTransferAll(nginx("/tiny.bin"), "", "", 0, false), 0);
  EXPECT_EQ(closeTransfer(0), 0);
  EXPECT_EQ(closeTransfer(51), 0);
  EXPECT_EQ(closeTransfer(17), 1);
  EXPECT_EQ(openTransferAll(nginx("/tiny.bin"), "", "", 0, false), 17);
  EXPECT_TRUE(isPattern(readAll(17), 100));
  for (int32_t slot = 1; slot <= kTransferSlotCount; ++slot) EXPECT_EQ(closeTransfer(slot), 1);
}

}  // namespace
