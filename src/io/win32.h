// The Windows API, as the program's platform code includes it: without the
// min and max macros and the rarely used parts. Windows builds only.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
