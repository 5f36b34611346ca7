// The command line's arguments as text of the program: UTF-8 on every
// platform.
#pragma once

// The program's arguments as UTF-8. On Windows they are taken from the wide
// command line (every title and file name survives, not only those of the
// ANSI code page); elsewhere `argv` is kept as it is. The texts live until
// the program ends.
void takeArgumentsAsUtf8(int& argc, char**& argv);
