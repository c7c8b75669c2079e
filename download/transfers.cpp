#include "download/transfers.h"

#include <cstdlib>

#include "platform/text.h"
#include "shell/globals.h"

// The process-wide table: its layout and operations live here, setUpGlobals creates it.
TransferTable* transferTable = nullptr;

namespace {

const InternetApi* replacedApi = nullptr;

const InternetApi& api() { return replacedApi != nullptr ? *replacedApi : systemInternetApi(); }

const char kAgent[] = "kvb-oro-internet-appliction";

TransferSlot* slotAt(int32_t slot) {
  if (slot < 1 || slot > kTransferSlotCount || transferTable == nullptr) return nullptr;
  return transferTable->slots[slot - 1];
}

bool isFree(const TransferSlot& slot) {
  return slot.kind == 0 && slot.internet == nullptr && slot.connect == nullptr &&
         slot.request == nullptr && slot.sizeLow == 0 && slot.sizeHigh == 0;
}

const char* orNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

// "host:8080" gives "host" and 8080; anything else leaves both alone.
void takePortFromHost(std::string& host, int32_t& port) {
  size_t colon = host.rfind(':');
  if (colon == std::string::npos || colon + 1 == host.size() || host.size() - colon > 6) return;
  int32_t value = 0;
  for (size_t i = colon + 1; i < host.size(); ++i) {
    if (host[i] < '0' || host[i] > '9') return;
    value = value * 10 + (host[i] - '0');
  }
  if (value < 1 || value > 65535) return;
  host.resize(colon);
  port = value;
}

// Content-Length text as a number: leading digits count, anything else gives 0.
int64_t sizeFromText(const char* text) {
  char* end = nullptr;
  double value = std::strtod(text, &end);
  if (end == text || !(value == value) || value >= 9.2233720368547758e18 ||
      value <= -9.2233720368547758e18)
    return 0;
  return static_cast<int64_t>(value);
}

}  // namespace

int32_t splitAddress(const std::string& address, std::string& host, std::string& object,
                     bool* secure) {
  const std::string trimmed = trimSpaces(address);
  int32_t kind = kTransferNone;
  bool isSecure = false;
  std::string rest;
  if (leftPart(trimmed, 7) == "http://") {
    kind = kTransferHttp;
    rest = trimmed.substr(7);
  } else if (leftPart(trimmed, 8) == "https://") {
    kind = kTransferHttp;
    isSecure = true;
    rest = trimmed.substr(8);
  } else if (leftPart(trimmed, 6) == "ftp://") {
    kind = kTransferFtp;
    rest = trimmed.substr(6);
  } else {
    return kTransferNone;
  }
  size_t slash = rest.find('/');
  if (slash == std::string::npos) return kTransferNone;
  host = rest.substr(0, slash);
  object = rest.substr(slash);
  if (secure != nullptr) *secure = isSecure;
  return kind;
}

int32_t findFreeSlot() {
  for (int32_t slot = 1; slot <= kTransferSlotCount; ++slot) {
    TransferSlot* record = slotAt(slot);
    if (record != nullptr && isFree(*record)) return slot;
  }
  return 0;
}

int32_t openTransfer(const std::string& address, const TransferOptions& options) {
  std::string host, object;
  bool secure = false;
  const int32_t kind = splitAddress(address, host, object, &secure);
  if (kind == kTransferNone) return 0;

  const bool ftp = kind == kTransferFtp;
  const std::string user = options.user.value_or(ftp ? "anonymous" : "");
  const std::string password = options.password.value_or("");
  // Port 0 lets WinINet choose the service's standard port, unless the host names one.
  const bool portGiven = options.port.has_value() && *options.port != 0;
  int32_t port = options.port.has_value() ? *options.port : ftp ? 21 : secure ? 443 : 80;
  if (!portGiven) takePortFromHost(host, port);
  if (port == 0 && secure) port = 443;
  const uint32_t connectFlags =
      ftp && options.passive.value_or(false) ? wininet::kFlagPassive : 0;

  const int32_t slot = findFreeSlot();
  if (slot == 0) return 0;
  TransferSlot& record = *slotAt(slot);
  const InternetApi& net = api();

  record.internet = net.internetOpen(kAgent, wininet::kOpenTypePreconfig, nullptr, nullptr, 0);
  if (record.internet == nullptr) return 0;

  record.connect = net.internetConnect(record.internet, host.c_str(), static_cast<uint16_t>(port),
                                       orNull(user), orNull(password),
                                       static_cast<uint32_t>(kind), connectFlags, 0);
  if (record.connect == nullptr) {
    net.internetCloseHandle(record.internet);
    record.internet = nullptr;
    return 0;
  }

  if (ftp) {
    uint32_t sizeHigh = 0, sizeLow = 0;
    InternetHandle find =
        net.ftpFindFirstFile(record.connect, object.c_str(), &sizeHigh, &sizeLow, 0, 0);
    if (find != nullptr) {
      record.sizeLow = sizeLow;
      record.sizeHigh = sizeHigh;
      net.internetCloseHandle(find);
    } else {
      record.sizeLow = 0;
      record.sizeHigh = 0;
    }
    record.request = net.ftpOpenFile(record.connect, object.c_str(), wininet::kGenericRead,
                                     wininet::kFtpTransferTypeBinary, 0);
    if (record.request == nullptr) {
      net.internetCloseHandle(record.connect);
      net.internetCloseHandle(record.internet);
      record = TransferSlot();
      return 0;
    }
  } else {
    const char* acceptTypes[] = {"*/*", nullptr};
    record.request = net.httpOpenRequest(record.connect, "GET", object.c_str(), "HTTP/1.1",
                                         nullptr, acceptTypes,
                                         secure ? wininet::kFlagSecure : 0, 0);
    if (record.request == nullptr) {
      net.internetCloseHandle(record.connect);
      record.connect = nullptr;
      net.internetCloseHandle(record.internet);
      record.internet = nullptr;
      return 0;
    }
    if (!net.httpSendRequest(record.request, nullptr, 0, nullptr, 0)) {
      closeTransfer(slot);
      return 0;
    }
  }
  record.kind = kind;
  return slot;
}

int32_t openTransferAll(const std::string& address, const std::string& user,
                        const std::string& password, int32_t port, bool passive) {
  TransferOptions options;
  options.user = user;
  options.password = password;
  options.port = port;
  options.passive = passive;
  return openTransfer(address, options);
}

int64_t transferSize(int32_t slot) {
  const TransferSlot* record = slotAt(slot);
  if (record == nullptr) return 0;
  if (record->kind == kTransferFtp)
    return static_cast<int64_t>((static_cast<uint64_t>(record->sizeHigh) << 32) | record->sizeLow);
  if (record->kind != kTransferHttp) return 0;
  char buffer[100] = {};
  uint32_t length = sizeof(buffer);
  uint32_t index = 0;
  if (!api().httpQueryInfo(record->request, wininet::kQueryContentLength, buffer, &length, &index))
    return 0;
  buffer[sizeof(buffer) - 1] = '\0';
  return sizeFromText(buffer);
}

bool transferSucceeded(int32_t slot) {
  const TransferSlot* record = slotAt(slot);
  if (record == nullptr || record->kind == kTransferNone) return false;
  if (record->kind != kTransferHttp) return true;
  uint32_t status = 0;
  uint32_t length = sizeof(status);
  uint32_t index = 0;
  if (!api().httpQueryInfo(record->request, wininet::kQueryStatusCode | wininet::kQueryFlagNumber,
                           &status, &length, &index))
    return false;
  return status >= 200 && status <= 299;
}

std::string readChunk(int32_t slot, uint32_t count) {
  const TransferSlot* record = slotAt(slot);
  if (record == nullptr) return std::string();
  // Read straight into the result: one buffer per chunk, no copy.
  std::string chunk(count, '\0');
  uint32_t read = 0;
  if (!api().internetReadFile(record->request, chunk.data(), count, &read)) return std::string();
  chunk.resize(read < count ? read : count);
  return chunk;
}

int32_t closeTransfer(int32_t slot) {
  TransferSlot* record = slotAt(slot);
  if (record == nullptr) return 0;
  const InternetApi& net = api();
  net.internetCloseHandle(record->request);
  net.internetCloseHandle(record->connect);
  net.internetCloseHandle(record->internet);
  *record = TransferSlot();
  return 1;
}

void replaceInternetApi(const InternetApi* replacement) { replacedApi = replacement; }
