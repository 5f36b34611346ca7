// The run of the converter, from the first console line to the summary.
#pragma once

// Converts the data files of the current folder into list.txt; returns the
// process exit status: 0 on success, 1 when a file could not be read or
// list.txt could not be written.
int runConversion();
