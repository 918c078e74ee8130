#pragma once
// quillmoor-cli's "startup" (and its alias "agents"): what starts with the
// session or the machine, switched off and on again, or removed.
#include <optional>
#include <vector>

#include "cli/Cli.h"
#include "engines/startup/Startup.h"
#include "platform/Admin.h"

namespace Cli {

// "startup", "agents".
std::vector<Command> startupCommands();

// Replaces the active profile's startup items and the administrator runner of
// removals (tests); nothing restores the real ones.
void setStartupBackend(std::optional<StartupBackend> backend, Admin::Runner admin = {});

} // namespace Cli
