// The page's entry points, called by its worker script: listconv's run and
// listconv-export's formats over the files the page has put in the module's
// in-memory file system. Nothing of the conversion is done here.
#include <emscripten/emscripten.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "driver/run.h"
#include "export_run.h"
#include "io/file_io.h"

namespace {

// The export format of a name the page uses (the names of --format); false
// for any other name.
bool formatNamed(const std::string& name, ExportFormat& format) {
  const struct {
    const char* name;
    ExportFormat format;
  } formats[] = {{"csv", ExportFormat::csv},
                 {"jsonl", ExportFormat::jsonl},
                 {"listing", ExportFormat::listing},
                 {"unknown", ExportFormat::unknown},
                 {"html", ExportFormat::html}};
  for (const auto& f : formats) {
    if (name == f.name) {
      format = f.format;
      return true;
    }
  }
  return false;
}

}  // namespace

extern "C" {

// Converts the data files of `dir` into `dir`/list.txt as listconv does in
// its current folder; returns listconv's exit status.
EMSCRIPTEN_KEEPALIVE int web_convert(const char* dir) {
  gProgramName = "listconv";
  if (chdir(dir) != 0) {
    std::fprintf(stderr, "listconv: cannot enter %s: %s\n", dir, std::strerror(errno));
    return 1;
  }
  return runConversion();
}

// Writes the export of the data files of `dir` in `format` (UTF-8) to
// `output`, as listconv-export --format FORMAT [--bom] [--title TITLE] -C DIR
// -o OUTPUT does; returns its exit status (2 for an unknown format).
EMSCRIPTEN_KEEPALIVE int web_export(const char* format, int bom, const char* title, const char* dir,
                                    const char* output) {
  gProgramName = "listconv-export";
  ExportOptions options;
  if (!formatNamed(format, options.format)) {
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
