// What the settings lookup needs of the platform.
#pragma once

#include <string>

// The full name of this program's own file; empty when unknown.
std::string ownProgramFile();

// Lets the calling thread's pending window events run; nothing where there are none.
void letPendingEventsRun();
