#pragma once
// Diagnostic output of the program goes to runtime.log in the log folder,
// appended to at every start.
#include <filesystem>

namespace RuntimeLog {

// Creates the log folder, points standard error at <folder>/runtime.log
// (append mode, unbuffered) and writes the "== launch " line. A folder or file
// that cannot be made leaves standard error where it was; the start goes on.
void open(const std::filesystem::path& folder);

} // namespace RuntimeLog
