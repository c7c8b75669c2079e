// The transfer layer's logic against a recording stand-in for WinINet: the order in which
// handles are closed after each failure cannot be seen from a real server. The real WinINet
// is tested against real servers under Wine (tests/e2e/test_transfers.py).
#include "download/transfers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "shell/globals.h"

namespace {

TEST(SplitAddress, SchemesHostsAndObjects) {
  struct Case {
    std::string address;
    int32_t kind;
    std::string host, object;
    bool secure;
  } cases[] = {
      {"http://example.test/down/1/1.zip", 3, "example.test", "/down/1/1.zip", false},
      {"ftp://files.test/a b/c.zip", 1, "files.test", "/a b/c.zip", false},
      {"https://example.test/x", 3, "example.test", "/x", true},
      {"  http://h/p  ", 3, "h", "/p", false},
      {"\xA1\xA1http://h/p\xA1\xA1", 3, "h", "/p", false},  // full-width blanks go too
      {"\thttp://h/p", 0, "", "", false},                    // a tab is no blank
      {"HTTP://h/p", 0, "", "", false},
      {"Ftp://h/p", 0, "", "", false},
      {"gopher://h/p", 0, "", "", false},
      {"http://host-without-slash", 0, "", "", false},
      {"ftp://h/", 1, "h", "/", false},
      {"http:///rest/of/it", 3, "", "/rest/of/it", false},  // empty host kept
      {"http://user@h:8080/p", 3, "user@h:8080", "/p", false},
      {"", 0, "", "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    std::string host = "untouched", object = "untouched";
    bool secure = false;
    EXPECT_EQ(splitAddress(c.address, host, object, &secure), c.kind);
    if (c.kind != 0) {
      EXPECT_EQ(host, c.host);
      EXPECT_EQ(object, c.object);
      EXPECT_EQ(secure, c.secure);
    } else {
      EXPECT_EQ(host, "untouched");
    }
  }
}

// Every call as text, and handles numbered in the order they were given out.
struct Recorder {
  std::vector<std::string> calls;
  uintptr_t nextHandle = 0x100;
  std::string failAt;  // the call that fails
  uint32_t ftpSizeHigh = 0, ftpSizeLow = 0;
  std::string contentLength;
  uint32_t status = 200;
  std::string body;
  size_t bodyRead = 0;
};
Recorder* recorder = nullptr;

std::string handleName(InternetHandle handle) {
  return handle == nullptr ? "0" : std::to_string(reinterpret_cast<uintptr_t>(handle));
}
std::string text(const char* value) { return value == nullptr ? "null" : value; }
InternetHandle give(const std::string& call) {
  recorder->calls.push_back(call);
  if (recorder->failAt == call.substr(0, call.find('('))) return nullptr;
  return reinterpret_cast<InternetHandle>(recorder->nextHandle++);
}

const InternetApi kRecordingApi = {
    [](const char* agent, uint32_t access, const char* proxy, const char* bypass,
       uint32_t flags) {
      return give("open(" + text(agent) + "," + std::to_string(access) + "," + text(proxy) + "," +
                  text(bypass) + "," + std::to_string(flags) + ")");
    },
    [](InternetHandle internet, const char* host, uint16_t port, const char* user,
       const char* password, uint32_t service, uint32_t flags, uintptr_t context) {
      return give("connect(" + handleName(internet) + "," + text(host) + "," +
                  std::to_string(port) + "," + text(user) + "," + text(password) + "," +
                  std::to_string(service) + "," + std::to_string(flags) + "," +
                  std::to_string(context) + ")");
    },
    [](InternetHandle connect, const char* object, uint32_t* high, uint32_t* low,
       uint32_t flags, uintptr_t) {
      InternetHandle find = give("ftpFind(" + handleName(connect) + "," + text(object) + "," +
                                 std::to_string(flags) + ")");
      if (find != nullptr) *high = recorder->ftpSizeHigh, *low = recorder->ftpSizeLow;
      return find;
    },
    [](InternetHandle connect, const char* object, uint32_t access, uint32_t flags, uintptr_t) {
      return give("ftpOpen(" + handleName(connect) + "," + text(object) + "," +
                  std::to_string(access) + "," + std::to_string(flags) + ")");
    },
    [](InternetHandle connect, const char* verb, const char* object, const char* version,
       const char* referrer, const char** accept, uint32_t flags, uintptr_t) {
      std::string types;
      for (const char** type = accept; *type != nullptr; ++type) types += std::string(*type) + ";";
      return give("httpOpen(" + handleName(connect) + "," + text(verb) + "," + text(object) +
                  "," + text(version) + "," + text(referrer) + "," + types + "," +
                  std::to_string(flags) + ")");
    },
    [](InternetHandle request, const char* headers, uint32_t length, void* optional,
       uint32_t optionalLength) {
      bool ok = give("httpSend(" + handleName(request) + "," + text(headers) + "," +
                     std::to_string(length) + "," + (optional ? "data" : "null") + "," +
                     std::to_string(optionalLength) + ")") != nullptr;
      return ok;
    },
    [](InternetHandle, uint32_t level, void* buffer, uint32_t* length, uint32_t*) {
      if (level == wininet::kQueryContentLength) {
        if (recorder->contentLength.empty() || recorder->contentLength.size() >= *length)
          return false;
        std::memcpy(buffer, recorder->contentLength.c_str(), recorder->contentLength.size() + 1);
        return true;
      }
      if (level != (wininet::kQueryStatusCode | wininet::kQueryFlagNumber)) return false;
      std::memcpy(buffer, &recorder->status, sizeof(uint32_t));
      return true;
    },
    [](InternetHandle, void* buffer, uint32_t count, uint32_t* read) {
      size_t left = recorder->body.size() - recorder->bodyRead;
      *read = static_cast<uint32_t>(left < count ? left : count);
      std::memcpy(buffer, recorder->body.data() + recorder->bodyRead, *read);
      recorder->bodyRead += *read;
      return true;
    },
    [](InternetHandle handle) {
      recorder->calls.push_back("close(" + handleName(handle) + ")");
      return true;
    },
};

class Transfers : public ::testing::Test {
 protected:
  void SetUp() override {
    recorder = &record;
    replaceInternetApi(&kRecordingApi);
    table = TransferTable();
    for (TransferSlot& slot : slots) slot = TransferSlot();
    for (int i = 0; i < kTransferSlotCount; ++i) table.slots[i] = &slots[i];
    transferTable = &table;
  }
  void TearDown() override {
    replaceInternetApi(nullptr);
    transferTable = nullptr;
  }
  bool allFree() const {
    for (const TransferSlot& s : slots) {
      if (s.kind || s.internet || s.connect || s.request || s.sizeLow || s.sizeHigh) return false;
    }
    return true;
  }

  Recorder record;
  TransferTable table;
  TransferSlot slots[kTransferSlotCount];
};

const std::string kOpen = "open(kvb-oro-internet-appliction,0,null,null,0)";

TEST_F(Transfers, HttpOpenMakesTheExactCalls) {
  int32_t slot = openTransferAll("http://127.0.0.1/down/1/1.zip", "", "", 0, false);
  ASSERT_EQ(slot, 1);
  EXPECT_EQ(record.calls, (std::vector<std::string>{
                              kOpen,
                              "connect(256,127.0.0.1,0,null,null,3,0,0)",
                              "httpOpen(257,GET,/down/1/1.zip,HTTP/1.1,null,*/*;,0)",
                              "httpSend(258,null,0,null,0)",
                          }));
  EXPECT_EQ(slots[0].kind, 3);
  record.calls.clear();
  EXPECT_EQ(closeTransfer(slot), 1);
  EXPECT_EQ(record.calls, (std::vector<std::string>{"close(258)", "close(257)", "close(256)"}));
  EXPECT_TRUE(allFree());
}

TEST_F(Transfers, PortsUsersAndFlags) {
  struct Case {
    std::string address;
    TransferOptions options;
    std::string connect, request;
  } cases[] = {
      {"http://h/o", {}, "connect(256,h,80,null,null,3,0,0)", "httpOpen(257,GET,/o,HTTP/1.1,null,*/*;,0)"},
      {"ftp://h/o", {}, "connect(256,h,21,anonymous,null,1,0,0)", "ftpOpen(257,/o,2147483648,2)"},
      {"ftp://h/o", {"me", "secret", 2121, true}, "connect(256,h,2121,me,secret,1,134217728,0)",
       "ftpOpen(257,/o,2147483648,2)"},
      {"http://h/o", {"", "", 0, true}, "connect(256,h,0,null,null,3,0,0)", ""},  // passive is FTP's
      {"https://h/o", {}, "connect(256,h,443,null,null,3,0,0)",
       "httpOpen(257,GET,/o,HTTP/1.1,null,*/*;,8388608)"},
      {"https://h/o", {"", "", 0, false}, "connect(256,h,443,null,null,3,0,0)", ""},
      // A port in the host text counts when none is given or the given one is 0.
      {"http://127.0.0.1:8080/o", {}, "connect(256,127.0.0.1,8080,null,null,3,0,0)", ""},
      {"http://127.0.0.1:8080/o", {"", "", 0, false}, "connect(256,127.0.0.1,8080,null,null,3,0,0)", ""},
      {"http://127.0.0.1:8080/o", {"", "", 81, false}, "connect(256,127.0.0.1:8080,81,null,null,3,0,0)", ""},
      {"http://h:99999/o", {}, "connect(256,h:99999,80,null,null,3,0,0)", ""},
      {"http://h:/o", {}, "connect(256,h:,80,null,null,3,0,0)", ""},
      {"http://[::1]/o", {}, "connect(256,[::1],80,null,null,3,0,0)", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    record = Recorder();
    int32_t slot = openTransfer(c.address, c.options);
    ASSERT_EQ(slot, 1);
    EXPECT_EQ(record.calls[1], c.connect);
    if (!c.request.empty()) {
      EXPECT_NE(std::find(record.calls.begin(), record.calls.end(), c.request),
                record.calls.end());
    }
    closeTransfer(slot);
  }
}

TEST_F(Transfers, EveryFailureClosesWhatItObtainedInOrder) {
  struct Case {
    std::string address, failAt;
    std::vector<std::string> closes;
  } cases[] = {
      {"http://h/o", "open", {}},
      {"http://h/o", "connect", {"close(256)"}},
      {"http://h/o", "httpOpen", {"close(257)", "close(256)"}},
      {"http://h/o", "httpSend", {"close(258)", "close(257)", "close(256)"}},
      {"ftp://h/o", "connect", {"close(256)"}},
      // The listing's handle (258) is closed at once, before the file is opened.
      {"ftp://h/o", "ftpOpen", {"close(258)", "close(257)", "close(256)"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address + " " + c.failAt);
    record = Recorder();
    record.failAt = c.failAt;
    EXPECT_EQ(openTransfer(c.address), 0);
    std::vector<std::string> closes;
    for (const std::string& call : record.calls)
      if (call.rfind("close(", 0) == 0) closes.push_back(call);
    EXPECT_EQ(closes, c.closes);
    EXPECT_TRUE(allFree());
  }
}

TEST_F(Transfers, FtpSizeComesFromTheListingAndAFailedListingStillOpens) {
  record.ftpSizeHigh = 1;
  record.ftpSizeLow = 5;
  int32_t slot = openTransfer("ftp://h/big.zip");
  ASSERT_EQ(slot, 1);
  EXPECT_EQ(record.calls[3], "close(258)");  // the find handle, closed at once
  EXPECT_EQ(transferSize(slot), 4294967296LL + 5);
  EXPECT_TRUE(transferSucceeded(slot));
  closeTransfer(slot);

  record = Recorder();
  record.failAt = "ftpFind";
  slot = openTransfer("ftp://h/unlisted.zip");
  ASSERT_EQ(slot, 1);
  EXPECT_EQ(transferSize(slot), 0);
  EXPECT_EQ(slots[0].sizeLow, 0u);
}

TEST_F(Transfers, HttpSizeAndStatus) {
  struct Case {
    std::string contentLength;
    int64_t size;
  } cases[] = {{"1234", 1234}, {"", 0}, {"abc", 0}, {"12abc", 12}, {"5000000000", 5000000000LL},
               {std::string(120, '9'), 0}};
  for (const auto& c : cases) {
    record.contentLength = c.contentLength;
    int32_t slot = openTransfer("http://h/o");
    EXPECT_EQ(transferSize(slot), c.size) << c.contentLength;
    closeTransfer(slot);
  }
  for (uint32_t status : {200u, 206u, 299u}) {
    record.status = status;
    int32_t slot = openTransfer("http://h/o");
    EXPECT_TRUE(transferSucceeded(slot)) << status;
    closeTransfer(slot);
  }
  for (uint32_t status : {199u, 301u, 404u, 500u}) {
    record.status = status;
    int32_t slot = openTransfer("http://h/o");
    EXPECT_FALSE(transferSucceeded(slot)) << status;
    closeTransfer(slot);
  }
  EXPECT_EQ(transferSize(0), 0);
  EXPECT_EQ(transferSize(7), 0);  // a free slot
  EXPECT_FALSE(transferSucceeded(7));
}

TEST_F(Transfers, ChunksThenEmptyForEver) {
  record.body = std::string(25, 'x');
  int32_t slot = openTransfer("http://h/o");
  EXPECT_EQ(readChunk(slot, 10).size(), 10u);
  EXPECT_EQ(readChunk(slot, 10).size(), 10u);
  EXPECT_EQ(readChunk(slot, 10), "xxxxx");
  EXPECT_EQ(readChunk(slot, 10), "");
  EXPECT_EQ(readChunk(slot, 10), "");
  EXPECT_EQ(readChunk(0, 10), "");
  EXPECT_EQ(readChunk(-1, 10), "");
}

TEST_F(Transfers, FiftySlotsThenNoneWithoutAnyCall) {
  for (int32_t expected = 1; expected <= 50; ++expected)
    ASSERT_EQ(openTransfer("http://h/o"), expected);
  record.calls.clear();
  EXPECT_EQ(findFreeSlot(), 0);
  EXPECT_EQ(openTransfer("http://h/o"), 0);
  EXPECT_TRUE(record.calls.empty());  // not even InternetOpenA
  EXPECT_EQ(closeTransfer(0), 0);
  EXPECT_EQ(closeTransfer(51), 0);
  EXPECT_TRUE(record.calls.empty());
  EXPECT_EQ(closeTransfer(17), 1);
  EXPECT_EQ(openTransfer("http://h/o"), 17);
  EXPECT_EQ(closeTransfer(50), 1);
  EXPECT_EQ(findFreeSlot(), 50);
}

TEST_F(Transfers, NoCallForAnAddressThatDoesNotSplit) {
  for (const char* address : {"http://no-slash", "HTTP://h/o", "mailto:x"}) {
    EXPECT_EQ(openTransfer(address), 0);
  }
  EXPECT_TRUE(record.calls.empty());
}

}  // namespace
