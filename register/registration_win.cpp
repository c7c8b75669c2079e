#include "register/registration_win.h"

// Nothing yet: see the header.
void completeInstallation() {}
