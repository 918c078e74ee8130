#pragma once
// quillmoor-cli's "du": a folder's children sized with the space map's
// measuring, largest first, with the total.
#include <filesystem>
#include <vector>

#include <QJsonObject>

#include "cli/Cli.h"
#include "space/SizeEntry.h"

namespace Cli {

// "du".
std::vector<Command> spaceCommands();

// The children of `folder`, measured and sorted as the space map does it;
// a running count goes to `progress` when given.
std::vector<SizeEntry> measureFolder(const std::filesystem::path& folder, bool hidden,
                                     QTextStream* progress = nullptr);

// The result as JSON: path, total, count and one object per entry (name, path,
// size, isDir, isLink and a link's folder as target, else null).
QJsonObject folderJson(const std::filesystem::path& folder, const std::vector<SizeEntry>& entries);

} // namespace Cli
