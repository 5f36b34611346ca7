// The HTML catalogue page's template, src/formats/catalogue.html, built into the
// program (the source defining it is generated from the file at build time).
#pragma once

#include <string_view>

// The bytes of src/formats/catalogue.html.
std::string_view catalogueTemplate();
