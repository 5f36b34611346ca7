// The arguments on POSIX systems: the bytes the program was given, which a
// UTF-8 system gives as UTF-8.
#include "io/arguments.h"

void takeArgumentsAsUtf8(int&, char**&) {}
