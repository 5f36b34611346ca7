// The arguments as UTF-8 from the wide command line. A unit of its own,
// linked by listconv-export alone: listconv takes no arguments, and so needs
// no shell32.
#include <string>
#include <vector>

#include "io/arguments.h"
#include "io/win32.h"
// After windows.h, which it needs.
#include <shellapi.h>

namespace {

// The UTF-8 of a UTF-16 text.
std::string narrowed(const wchar_t* wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) {
    return std::string();
  }
  std::string text(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], n, nullptr, nullptr);
  text.resize(static_cast<size_t>(n - 1));
  return text;
}

}  // namespace

void takeArgumentsAsUtf8(int& argc, char**& argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) {
    return;
  }
  static std::vector<std::string> texts;
  static std::vector<char*> pointers;
  for (int i = 0; i < count; ++i) {
    texts.push_back(narrowed(wide[i]));
  }
  LocalFree(wide);
  for (std::string& text : texts) {
    pointers.push_back(&text[0]);
  }
  pointers.push_back(nullptr);
  argc = count;
  argv = pointers.data();
}
