// What the harness asks of Windows alone.
#include <windows.h>

#include "harness.h"

// The code page comes from the system's locale; it cannot be chosen for one process.
bool double_byte_available(const char*) { return GetACP() == 932; }
