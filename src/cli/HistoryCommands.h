#pragma once
// quillmoor-cli's "history": the removals made so far, newest first.
#include <vector>

#include "cli/Cli.h"

namespace Cli {

// "history".
std::vector<Command> historyCommands();

} // namespace Cli
