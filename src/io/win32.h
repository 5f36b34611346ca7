// The Windows API, as the program's Windows sources include it: without the
// min and max macros and the rarely used parts, and with the three helpers
// they share (defined in platform_windows.cpp). Windows builds only.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

// The UTF-16 of a UTF-8 text, for the wide-character API.
std::wstring widened(const std::string& text);

// The UTF-8 of a UTF-16 text that the wide-character API gave.
std::string narrowed(const wchar_t* wide);

// The errno value nearest to a Windows error.
int errnoOf(DWORD error);
