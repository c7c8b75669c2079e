// The download of the package, run on the download worker thread.
#pragma once

// Downloads the package and, when it is complete, enters the installation stage.
void runDownload();
