// Registration and hand-over, reached when the extraction reports 100 percent.
#pragma once

// Runs on the extraction worker, after progressCanvas was hidden. For now it does nothing:
// the shortcuts, the program group, the uninstall record and the start of the installed
// program come with the registration's own change.
void completeInstallation();
