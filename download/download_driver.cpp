#include "download/download_driver.h"

#include <windows.h>

#include "assets/progress_images.h"
#include "download/download_rules.h"
#include "download/package_stamp.h"
#include "download/transfers.h"
#include "install/install_dir.h"
#include "platform/event_pacer.h"
#include "platform/runtime_win.h"
#include "platform/scoped_handles_win.h"
#include "progress/progress_bar_win.h"
#include "progress/status_line_win.h"
#include "shell/globals.h"
#include "shell/main_window.h"

namespace {

constexpr uint32_t kChunkSize = 10240;

// An open transfer, closed when the download ends whichever way.
class ScopedTransfer {
 public:
  explicit ScopedTransfer(int32_t slot) : slot_(slot) {}
  ~ScopedTransfer() { close(); }
  void close() {
    if (slot_ != 0) closeTransfer(slot_);
    slot_ = 0;
  }
  ScopedTransfer(const ScopedTransfer&) = delete;
  ScopedTransfer& operator=(const ScopedTransfer&) = delete;
  int32_t slot() const { return slot_; }

 private:
  int32_t slot_;
};

bool writeAll(HANDLE file, const std::string& bytes) {
  DWORD written = 0;
  return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

// The package file read back as text, as far as the text goes.
std::string readPackageText(const std::string& path) {
  ScopedFileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  PackageText text;
  if (!file) return text.finish();
  char block[4096];
  DWORD read = 0;
  while (!text.ended() && ReadFile(file.get(), block, sizeof(block), &read, nullptr) && read > 0)
    text.feed(block, read);
  return text.finish();
}

void showProgress(int32_t percent) {
  showStatus(30, downloadStatusText(percent));
  drawProgressBar(progressCanvas(), progressBackgroundImage, progressFillImage,
                  static_cast<float>(percent), 100.0f);
}

}  // namespace

void runDownload() {
  const std::string identifier = readPackageIdentifier();
  if (identifier.empty()) return;
  const std::string address = downloadAddress(identifier);
  if (address.empty()) return;
  packageFileName = ".\\hq.zip";

  ScopedTransfer transfer(openTransferAll(address, "", "", 0, false));
  if (transfer.slot() == 0) return;
  // Nothing to install from when the package cannot be stored, nor from an error response.
  ScopedFileHandle package(CreateFileA(packageFileName.c_str(), GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!package) return;
  if (!transferSucceeded(transfer.slot())) return;
  totalBytes = transferSize(transfer.slot());

  // The line and the bar change only with the percentage, so they are drawn only then.
  int32_t shownPercent = -1;
  EventPacer events(processPendingEvents);
  for (std::string chunk = readChunk(transfer.slot(), kChunkSize); !chunk.empty();
       chunk = readChunk(transfer.slot(), kChunkSize)) {
    if (!writeAll(package.get(), chunk)) return;
    downloadedBytes += static_cast<int64_t>(chunk.size());
    const int32_t percent = downloadPercent(downloadedBytes, totalBytes);
    if (percent != shownPercent) {
      showProgress(percent);
      shownPercent = percent;
    }
    events.afterStep();
  }
  if (downloadedBytes < totalBytes) return;

  transfer.close();
  package.reset();
  if (isHtmlPage(readPackageText(packageFileName))) return;
  enterInstallStage();
}
