#pragma once
// Where the program is installed, when it runs from an installation: the
// prefix P of `P/bin/quillmoor` whose desktop entry
// `P/share/applications/com.halvick.Quillmoor.desktop` was installed with it.
// A program run from its build folder has no installation.
#include <optional>

#include <QString>

namespace Installation {

inline constexpr const char* kAppId = "com.halvick.Quillmoor";

// The installation PROGRAM belongs to, as its prefix (no trailing slash).
std::optional<QString> prefixOf(const QString& program);
// The installed program of PROGRAM's installation (`P/bin/quillmoor`), or
// PROGRAM itself when it does not run from an installation.
QString programToStart(const QString& program);

} // namespace Installation
