// Finding the columns a caller reads among a table's header names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "table_reader.h"

// A column a caller reads, by name, and whether the file must have it.
struct WantedColumn {
  std::string_view name;
  bool required = true;
};

// The index a wanted column has when the header lacks it.
constexpr size_t kNoColumn = SIZE_MAX;

// The header index of each wanted column, in the order of `wanted`, or
// kNoColumn. Adds to `problems` (on line 1) a required column the header
// lacks and a wanted column that stands twice, each named; the first of
// twins is the one given.
std::vector<size_t> matchColumns(const std::vector<std::string>& header,
                                 const std::vector<WantedColumn>& wanted,
                                 std::vector<TableProblem>& problems);

// The header indexes of the names that are none of the `count` names of
// `known`, in header order.
std::vector<size_t> unknownColumns(const std::vector<std::string>& header, const char* const* known,
                                   size_t count);
