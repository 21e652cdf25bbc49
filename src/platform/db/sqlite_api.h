#pragma once

// The engine's API as the text functions call it: directly in the program,
// through the routines table the host hands over when they are built as a
// loadable extension.
#if defined(VELMORA_SQLITE_EXTENSION)
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT3
#else
#include <sqlite3.h>
#endif
