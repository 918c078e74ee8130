#pragma once
// quillmoor-cli's "dupes": the duplicate search over a folder, and the move of
// the selected copies to the Trash or their sharing of the kept copy's data.
#include <cstdint>
#include <optional>
#include <vector>

#include <QJsonObject>
#include <QString>

#include "cli/Cli.h"
#include "engines/dupes/DuplicateScan.h"

namespace Cli {

// "dupes".
std::vector<Command> dupesCommands();

// Reads a --min value: a count of bytes, or one with KB, MB or GB (powers of
// 1000, any letter case, blanks allowed); nothing for anything else.
std::optional<std::int64_t> parseDupesMin(const QString& text);

// A group as JSON: size, reclaimable, selectedBytes and copies (path, keep,
// selected, note or null, otherNames), the kept copy first. The command
// prints a list of them in the window's order.
QJsonObject dupeGroupJson(const Dupes::Group& group);

} // namespace Cli
