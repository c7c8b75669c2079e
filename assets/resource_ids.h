// Resource numbers shared by the resource script and the window description.
#pragma once

#define IDB_CLOSE 101
#define IDB_MINIMIZE 102
#define IDB_EXIT 103
#define IDB_EXIT_HOVER 104
#define IDB_INSTALL 105
#define IDB_INSTALL_HOVER 106
#define IDB_BROWSE 107
#define IDB_BROWSE_HOVER 108
