// The arguments as UTF-8 from the wide command line. A unit of its own,
// linked by listconv-export and listconv-import alone: listconv takes no arguments, and so needs
// no shell32.
#include <string>
#include <vector>

#include "io/arguments.h"
#include "io/win32.h"
// After windows.h, which it needs.
#include <shellapi.h>

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
