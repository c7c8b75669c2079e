// The installation button's extraction of the downloaded package into the text of dirEdit,
// on a worker thread of its own, with its progress on the status line and the bar.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/window_win.h"

// The click handler of installButton, on the window thread: starts installWorker on a new
// thread and returns at once. A press while an extraction runs is ignored, so two extractions
// never write the same files; once it has ended, successful or not, a press starts another.
void startInstall();

// The thread routine: shows progressCanvas, reads dirEdit once and extracts packageFileName
// into it. Never returns when the hand-over at 100 percent ends the program.
DWORD WINAPI installWorker(void* unused);

// The ZIP control's command: extracts the archive into the target directory on the calling
// thread, raising the control's progress event (index 1) after each entry and at the end, each
// time waiting for its handler. Results and progress as ZipExtractor::extractArchive gives
// them.
int32_t extractArchive(ZipControl& control, const std::string& archivePath,
                       const std::string& targetDirectory);

// The ZIP control's progress event (index 1), on the extracting thread: the bar and the status
// text for percent; at 100 it hides progressCanvas and runs completeInstallation.
void onExtractionProgress(int32_t percent);

// The ZIP control's other event (index 0), never raised by the extraction.
void onZipEvent(int32_t argument);

// "系统正在为您高速安装37%,请稍后......" for 37.
std::string extractionStatusText(int32_t percent);
