#pragma once
// quillmoor-cli's "restore": putting back from the Trash what a removal of the history moved there.
#include <vector>

#include "cli/Cli.h"

namespace Cli {

// "restore".
std::vector<Command> restoreCommands();

} // namespace Cli
