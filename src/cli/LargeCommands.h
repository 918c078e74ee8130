#pragma once
// quillmoor-cli's "large": the large-file scan over the home folder.
#include <cstdint>
#include <optional>
#include <vector>

#include <QJsonArray>
#include <QString>

#include "cli/Cli.h"
#include "engines/records/Large.h"

namespace Cli {

// The threshold when --min is not given (500 MB).
inline constexpr std::int64_t kDefaultLargeMin = 500000000;

// "large".
std::vector<Command> largeCommands();

// Reads a --min value: one of the screen's thresholds "100MB", "500MB", "1GB",
// "5GB" (any letter case, blanks allowed as in "1 GB") or a plain count of
// bytes. Nothing for anything else (negative, too large, other units).
std::optional<std::int64_t> parseLargeMin(const QString& text);

// The screen's label of a threshold ("100 MB", "500 MB", "1 GB", "5 GB"), or
// an empty text when the bytes are none of them.
QString largeMinLabel(std::int64_t bytes);

// The scan result as JSON: one object per file, in order, with path, size
// and accessed (ISO 8601 in UTC, or null when the file system keeps none).
QJsonArray largeFilesJson(const std::vector<LargeFile>& files);

} // namespace Cli
