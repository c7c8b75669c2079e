#include "shell/main_window.h"

#include "download/download_driver.h"
#include "install/extraction_win.h"
#include "install/install_dir.h"
#include "platform/runtime_win.h"
#include "register/registration_win.h"
#include "shell/globals.h"
#include "shell/splash_movie.h"
#include "shell/thread_object.h"

namespace {

Form* openWindow = nullptr;

DWORD WINAPI downloadWorker(void*) {
  runDownload();
  return 0;
}

void bindShellEvents() {
  closeButton().setClickedHandler(onCloseClicked);
  minimizeButton().setClickedHandler(onMinimizeClicked);
  exitButton().setClickedHandler(onExitClicked);
  browseButton().setClickedHandler(chooseInstallDir);
  installButton().setClickedHandler(startInstall);
  zipControl().setEventHandler(0, onZipEvent);
  zipControl().setEventHandler(1, onExtractionProgress);
  relayLabel().setFeedbackHandler(registerInstallation);
}

}  // namespace

Form& mainWindow() { return *openWindow; }

void openMainWindow() { Form::open(kMainWindowDescription, onMainWindowCreated); }

void onMainWindowCreated(Form& window) {
  openWindow = &window;
  bindShellEvents();
  window.setText("Mervantis");
  if (!flashControl().exists()) {
    // The window is never shown: the message is all the user sees.
    showMessageBox("请先修复FLASH控件！", window.text().c_str(), MB_OK);
    endProgram(0);
  }
  window.setWidth(flashControl().width());
  window.setHeight(flashControl().height());
  dirEdit().setVisible(false);
  browseButton().setVisible(false);
  installButton().setVisible(false);
  roundWindowCorners(progressCanvas().handle(), 5, 5);
  // The download goes first: writing and loading the movie takes a while, and the worker
  // needs nothing of it.
  downloadThread->start(downloadWorker, nullptr);
  startSplashMovie();
}

void onCloseClicked() { onExitClicked(); }

void onExitClicked() { endProgram(0); }

void onMinimizeClicked() { mainWindow().setPosition(WindowPosition::Minimized); }

void roundWindowCorners(HWND window, int32_t cornerWidth, int32_t cornerHeight) {
  int32_t width = 0, height = 0;
  getClientSize(window, width, height);
  HRGN region = CreateRoundRectRgn(0, 0, width, height, cornerWidth, cornerHeight);
  // The window owns the region from here on.
  SetWindowRgn(window, region, TRUE);
}

bool getClientSize(HWND window, int32_t& width, int32_t& height) {
  RECT rect = {};
  if (!GetClientRect(window, &rect)) {
    width = height = 0;
    return false;
  }
  width = rect.right;
  height = rect.bottom;
  return true;
}
