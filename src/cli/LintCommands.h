#pragma once
// quillmoor-cli's "lint": the folders that hold nothing but empty folders and
// the links whose target is missing, and their removal.
#include <vector>

#include <QJsonObject>

#include "cli/Cli.h"
#include "engines/dupes/Lint.h"

namespace Cli {

// "lint".
std::vector<Command> lintCommands();

// An item as JSON: path, kind ("empty-folder" or "broken-link"), selected,
// note (or null), and folders (an empty tree) or target (a link).
QJsonObject lintItemJson(const Lint::Item& item);

} // namespace Cli
