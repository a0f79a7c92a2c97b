#pragma once

// The framework's file-dialog filter "name|pattern|name|pattern||" as Qt name filters.

#include <QStringList>
#include <string_view>

namespace gui {

// Each pair becomes "name (patterns)": patterns separated by ";" become blank-separated, and
// "*.*" (every file, with or without an extension) becomes "*". A name that already ends with
// its own pattern in parentheses keeps its wording.
QStringList ToNameFilters(std::string_view filter);

}  // namespace gui
