// The page's entry points, called by its worker script: listconv's run and
// listconv-export's formats over the files the page has put in the module's
// in-memory file system. Nothing of the conversion is done here.
#include <emscripten/emscripten.h>

#include <cstdio>
#include <cstring>

#include "driver/run.h"
#include "export_formats.h"
#include "export_run.h"
#include "io/platform.h"

extern "C" {

// Converts the data files of `dir` into `dir`/list.txt as listconv does in
// its current folder; returns listconv's exit status.
EMSCRIPTEN_KEEPALIVE int web_convert(const char* dir) {
  if (const int error = enterFolder(dir)) {
    std::fprintf(stderr, "listconv: cannot enter %s: %s\n", dir, std::strerror(error));
    return 1;
  }
  return runConversion();
}

// Writes the export of the data files of `dir` in `format` (UTF-8) to
// `output`, as listconv-export --format FORMAT [--bom] [--title TITLE] -C DIR
// -o OUTPUT does; returns its exit status (2 for an unknown format).
EMSCRIPTEN_KEEPALIVE int web_export(const char* format, int bom, const char* title, const char* dir,
                                    const char* output) {
  ExportOptions options;
  options.format = findExportFormat(format);
  if (options.format == nullptr) {
    std::fprintf(stderr, "listconv-export: no format %s\n", format);
    return 2;
  }
  options.bom = bom != 0;
  if (title[0] != '\0') {
    options.title = title;
  }
  options.dir = dir;
  options.output = output;
  return runExport(options);
}

}  // extern "C"
