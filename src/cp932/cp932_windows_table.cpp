// A Windows program, the reference for listconv's CP932 encoder: writes what
// WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, ...) makes of each
// character of the Basic Multilingual Plane (surrogates aside), one line
// each: "XXXX" (the code point in hex), a blank, then the bytes in hex, or
// "-" where Windows has no code for it and writes its default character.
// Built with MinGW-w64 and run under Wine by cp932_windows_reference.sh.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

int main() {
  // LF line ends, not CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  for (unsigned cp = 0; cp <= 0xFFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) {
      continue;
    }
    const wchar_t wide = static_cast<wchar_t>(cp);
    char bytes[8];
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes, sizeof bytes,
                                      nullptr, &usedDefault);
    std::printf("%04X ", cp);
    if (n <= 0 || usedDefault) {
      std::printf("-");
    }
    for (int i = 0; i < n && !usedDefault; ++i) {
      std::printf("%02X", static_cast<unsigned char>(bytes[i]));
    }
    std::printf("\n");
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
