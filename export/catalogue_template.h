// The HTML catalogue page's template, export/catalogue.html, built into the
// program (the source defining it is generated from the file at build time).
#pragma once

#include <string_view>

// The bytes of export/catalogue.html.
std::string_view catalogueTemplate();
