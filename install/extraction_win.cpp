#include "install/extraction_win.h"

#include <atomic>

#include "assets/progress_images.h"
#include "install/zip_extractor.h"
#include "platform/scoped_handles_win.h"
#include "platform/text.h"
#include "progress/progress_bar_win.h"
#include "progress/status_line_win.h"
#include "register/registration_win.h"
#include "shell/globals.h"
#include "shell/main_window.h"

namespace {

constexpr int kProgressEvent = 1;

// Set by the window thread when it starts an extraction, cleared by the worker when the
// extraction has returned; the press handler and the worker only ever flip it.
std::atomic<bool> extractionRunning{false};

}  // namespace

void startInstall() {
  if (extractionRunning.exchange(true)) return;
  ScopedKernelHandle thread(CreateThread(nullptr, 0, installWorker, nullptr, 0, nullptr));
  if (!thread) extractionRunning = false;
}

DWORD WINAPI installWorker(void*) {
  progressCanvas().setVisible(true);
  const std::string target = dirEdit().text();
  extractArchive(zipControl(), packageFileName, target);
  extractionRunning = false;
  return 0;
}

int32_t extractArchive(ZipControl& control, const std::string& archivePath,
                       const std::string& targetDirectory) {
  std::unique_ptr<FileLayer> files = makeSystemFileLayer();
  ZipExtractor extractor(*files, [&control](int32_t percent) {
    control.raiseEvent(kProgressEvent, percent);
  });
  return extractor.extractArchive(archivePath, targetDirectory);
}

void onExtractionProgress(int32_t percent) {
  drawProgressBar(progressCanvas(), progressBackgroundImage, progressFillImage,
                  static_cast<float>(percent), 100.0f);
  showStatus(30, extractionStatusText(percent));
  if (percent >= 100) {
    progressCanvas().setVisible(false);
    completeInstallation();
  }
}

void onZipEvent(int32_t) {}

std::string extractionStatusText(int32_t percent) {
  return fillText("系统正在为您高速安装%s,请稍后......", {std::to_string(percent) + "%"});
}
