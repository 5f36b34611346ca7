// Year ranges of Japanese historical periods, sword period classes and era
// names, appended to a record's period.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// One row of the era table: a name and the year range it stands for.
struct EraRow {
  const char* name;
  const char* range;
};

// The era table in its fixed order.
extern const EraRow EraAnnotation[];
extern const size_t kEraRowCount;

// The period with its trailing blanks removed, followed by the range of
// every row whose name equals it, in table order.
std::string annotateEra(std::string period);
