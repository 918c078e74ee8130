#pragma once
// quillmoor-cli's junk commands: "junk" (the scan) and "clean" (removal of
// what the scan found, through the shared removal loop).
#include <vector>

#include <QJsonArray>
#include <QStringList>

#include "cli/Cli.h"
#include "engines/records/Junk.h"
#include "engines/removal/Removal.h"

namespace Cli {

// "junk" and "clean", in that order.
std::vector<Command> junkCommands();

// A scan result as JSON: one object per group (id, title, detail, symbol,
// permanent, admin, total, selectedTotal, items) and per item (name, path,
// size, selected, note when there is one); an unknown size is null.
QJsonArray junkGroupsJson(const std::vector<JunkGroup>& groups);

} // namespace Cli
