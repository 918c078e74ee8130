#pragma once
// quillmoor-cli's "startup" (and its alias "agents"): what starts with the
// session or the machine, switched off and on again, or removed.
#include <optional>
#include <vector>

#include "cli/Cli.h"
#include "engines/removal/Removal.h"
#include "engines/startup/Startup.h"

namespace Cli {

// "startup", "agents".
std::vector<Command> startupCommands();

// Replaces the active profile's startup items and the administrator runner of
// removals (tests); nothing restores the real ones.
void setStartupBackend(std::optional<StartupBackend> backend, Removal::AdminRunner admin = {});

} // namespace Cli
