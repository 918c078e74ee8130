#pragma once
// Startup items as macOS has them: launch agents and daemons, property lists
// in the launch folders, stopped with launchctl before they are moved to the
// Trash (a system one through the administrator).
#include <filesystem>
#include <string>
#include <vector>

#include <QString>

#include "engines/records/Startup.h"
#include "engines/startup/Startup.h"

namespace MacStartup {

// The label and program of one launch property list (the file name without its
// extension and "—" where the list gives none).
AgentItem agentFrom(const std::filesystem::path& file, const QString& scope, bool userOwned);

// The launch items: every visible "*.plist" (exactly that extension) of each
// folder, in folder-then-listing order; a file that is no readable dictionary
// is still listed with its file name as label and "—" as program.
std::vector<AgentItem> scanAgents(const std::vector<LaunchFolder>& folders);

// The command that stops a user's own agent; its errors are silenced (one
// that is not loaded is no error).
std::string userUnloadCommand(const std::filesystem::path& item, unsigned uid);
// The stop step of the administrator command: from "system" for daemons, else
// from the user's gui domain.
std::string adminUnloadCommand(const std::filesystem::path& item, unsigned uid);

// The launch items of these folders: listed and removed, never switched.
StartupBackend backend(const std::vector<LaunchFolder>& folders);

} // namespace MacStartup
