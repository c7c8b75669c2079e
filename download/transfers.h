// Internet transfers over WinINet, known to their callers by slot number 1 to 50 in the
// process-wide transferTable (shell/globals.h). Addresses are "http://", "https://" or "ftp://"
// followed by a host and an object path that begins with "/". No operation reports an error:
// failures are slot 0, size 0 or empty bytes, and every handle a failed open obtained is closed
// again. Transfers are opened from one thread only (the table has no lock).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "download/transfer_table.h"

// Kinds, the same numbers as WinINet's services.
constexpr int32_t kTransferNone = 0;
constexpr int32_t kTransferFtp = 1;
constexpr int32_t kTransferHttp = 3;

// The kind of the address, or kTransferNone (scheme not exactly "http://", "https://" or
// "ftp://" after removing leading and trailing spaces and full-width spaces, or no "/" after
// the host). Sets host (may be empty) and object (with its leading "/") for the other kinds;
// `secure` tells an "https://" address.
int32_t splitAddress(const std::string& address, std::string& host, std::string& object,
                     bool* secure = nullptr);

// The lowest free slot number, or 0 when all 50 are taken.
int32_t findFreeSlot();

// Options a caller may leave out. Defaults: user "anonymous" for FTP, empty for HTTP; empty
// password; port 21 for FTP, 80 for HTTP, 443 for HTTPS; passive off. An empty user or
// password reaches WinINet as a null pointer. With no port or port 0, a host ending in
// ":digits" connects to that port.
struct TransferOptions {
  std::optional<std::string> user;
  std::optional<std::string> password;
  std::optional<int32_t> port;
  std::optional<bool> passive;
};

// Opens a transfer and returns its slot number, or 0 (the slot stays free).
int32_t openTransfer(const std::string& address, const TransferOptions& options = {});

// openTransfer with every option given, as the caller supplied it.
int32_t openTransferAll(const std::string& address, const std::string& user,
                        const std::string& password, int32_t port, bool passive);

// The remote size in bytes: the listed size for FTP, Content-Length for HTTP; 0 when unknown.
int64_t transferSize(int32_t slot);

// True unless the transfer is an HTTP response whose status is not 2xx (FTP: always true).
bool transferSucceeded(int32_t slot);

// Up to `count` bytes of remote data; empty at the end of the data or on any failure.
std::string readChunk(int32_t slot, uint32_t count);

// Closes the request, connect and internet handles in that order, frees the slot, returns 1;
// 0 and nothing closed for a slot number outside 1 to 50.
int32_t closeTransfer(int32_t slot);

// The WinINet calls the layer makes, with WinINet's own parameters (handles as void*, the find
// record reduced to its two size halves). Tests put a recording table in place of the system's.
using InternetHandle = void*;
struct InternetApi {
  InternetHandle (*internetOpen)(const char* agent, uint32_t accessType, const char* proxy,
                                 const char* proxyBypass, uint32_t flags);
  InternetHandle (*internetConnect)(InternetHandle internet, const char* host, uint16_t port,
                                    const char* user, const char* password, uint32_t service,
                                    uint32_t flags, uintptr_t context);
  InternetHandle (*ftpFindFirstFile)(InternetHandle connect, const char* object,
                                     uint32_t* sizeHigh, uint32_t* sizeLow, uint32_t flags,
                                     uintptr_t context);
  InternetHandle (*ftpOpenFile)(InternetHandle connect, const char* object, uint32_t access,
                                uint32_t flags, uintptr_t context);
  InternetHandle (*httpOpenRequest)(InternetHandle connect, const char* verb, const char* object,
                                    const char* version, const char* referrer,
                                    const char** acceptTypes, uint32_t flags, uintptr_t context);
  bool (*httpSendRequest)(InternetHandle request, const char* headers, uint32_t headersLength,
                          void* optional, uint32_t optionalLength);
  bool (*httpQueryInfo)(InternetHandle request, uint32_t infoLevel, void* buffer,
                        uint32_t* bufferLength, uint32_t* index);
  bool (*internetReadFile)(InternetHandle file, void* buffer, uint32_t count, uint32_t* read);
  bool (*internetCloseHandle)(InternetHandle handle);
};

// WinINet's values of the constants the layer passes (checked against the headers on Windows).
namespace wininet {
constexpr uint32_t kOpenTypePreconfig = 0;
constexpr uint32_t kFlagPassive = 0x08000000;
constexpr uint32_t kFlagSecure = 0x00800000;
constexpr uint32_t kGenericRead = 0x80000000;
constexpr uint32_t kFtpTransferTypeBinary = 2;
constexpr uint32_t kQueryContentLength = 5;
constexpr uint32_t kQueryStatusCode = 19;
constexpr uint32_t kQueryFlagNumber = 0x20000000;
}  // namespace wininet

// The system's WinINet (on a host without it, a table whose every call fails).
const InternetApi& systemInternetApi();

// Puts `api` in place of the system's until reset with nullptr. For tests.
void replaceInternetApi(const InternetApi* api);
