#include "download/download_driver.h"

// The download arrives with the internet transfer layer; until then the worker ends at once.
void runDownload() {}
