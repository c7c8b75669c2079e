// The system's WinINet behind the transfer layer's table of calls.
#include <windows.h>
#include <wininet.h>

#include "download/transfers.h"

static_assert(wininet::kOpenTypePreconfig == INTERNET_OPEN_TYPE_PRECONFIG, "");
static_assert(wininet::kFlagPassive == INTERNET_FLAG_PASSIVE, "");
static_assert(wininet::kFlagSecure == INTERNET_FLAG_SECURE, "");
static_assert(wininet::kGenericRead == GENERIC_READ, "");
static_assert(wininet::kFtpTransferTypeBinary == FTP_TRANSFER_TYPE_BINARY, "");
static_assert(wininet::kQueryContentLength == HTTP_QUERY_CONTENT_LENGTH, "");
static_assert(wininet::kQueryStatusCode == HTTP_QUERY_STATUS_CODE, "");
static_assert(wininet::kQueryFlagNumber == HTTP_QUERY_FLAG_NUMBER, "");
static_assert(kTransferFtp == INTERNET_SERVICE_FTP && kTransferHttp == INTERNET_SERVICE_HTTP, "");

namespace {

InternetHandle open(const char* agent, uint32_t accessType, const char* proxy,
                    const char* proxyBypass, uint32_t flags) {
  return InternetOpenA(agent, accessType, proxy, proxyBypass, flags);
}

InternetHandle connect(InternetHandle internet, const char* host, uint16_t port, const char* user,
                       const char* password, uint32_t service, uint32_t flags,
                       uintptr_t context) {
  return InternetConnectA(static_cast<HINTERNET>(internet), host, port, user, password, service,
                          flags, context);
}

InternetHandle ftpFindFirst(InternetHandle connect, const char* object, uint32_t* sizeHigh,
                            uint32_t* sizeLow, uint32_t flags, uintptr_t context) {
  WIN32_FIND_DATAA found = {};
  HINTERNET find =
      FtpFindFirstFileA(static_cast<HINTERNET>(connect), object, &found, flags, context);
  if (find != nullptr) {
    *sizeHigh = found.nFileSizeHigh;
    *sizeLow = found.nFileSizeLow;
  }
  return find;
}

InternetHandle ftpOpen(InternetHandle connect, const char* object, uint32_t access,
                       uint32_t flags, uintptr_t context) {
  return FtpOpenFileA(static_cast<HINTERNET>(connect), object, access, flags, context);
}

InternetHandle httpOpen(InternetHandle connect, const char* verb, const char* object,
                        const char* version, const char* referrer, const char** acceptTypes,
                        uint32_t flags, uintptr_t context) {
  return HttpOpenRequestA(static_cast<HINTERNET>(connect), verb, object, version, referrer,
                          acceptTypes, flags, context);
}

bool httpSend(InternetHandle request, const char* headers, uint32_t headersLength,
              void* optional, uint32_t optionalLength) {
  return HttpSendRequestA(static_cast<HINTERNET>(request), headers, headersLength, optional,
                          optionalLength) != FALSE;
}

bool httpQuery(InternetHandle request, uint32_t infoLevel, void* buffer, uint32_t* bufferLength,
               uint32_t* index) {
  DWORD length = *bufferLength;
  DWORD at = *index;
  BOOL ok = HttpQueryInfoA(static_cast<HINTERNET>(request), infoLevel, buffer, &length, &at);
  *bufferLength = length;
  *index = at;
  return ok != FALSE;
}

bool readFile(InternetHandle file, void* buffer, uint32_t count, uint32_t* read) {
  DWORD done = 0;
  BOOL ok = InternetReadFile(static_cast<HINTERNET>(file), buffer, count, &done);
  *read = done;
  return ok != FALSE;
}

bool closeHandle(InternetHandle handle) {
  return InternetCloseHandle(static_cast<HINTERNET>(handle)) != FALSE;
}

const InternetApi kWinInet = {open,     connect,   ftpFindFirst, ftpOpen,    httpOpen,
                              httpSend, httpQuery, readFile,     closeHandle};

}  // namespace

const InternetApi& systemInternetApi() { return kWinInet; }
