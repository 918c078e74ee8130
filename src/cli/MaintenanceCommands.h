#pragma once
// quillmoor-cli's "maintenance": lists the routines, or runs the named ones
// (the administrator ones together, behind one password prompt).
#include <vector>

#include <QJsonObject>

#include "cli/Cli.h"
#include "engines/maintenance/Maintenance.h"

namespace Cli {

// "maintenance".
std::vector<Command> maintenanceCommands();

// Replaces the runners "maintenance --run" uses (tests); empty ones restore
// Shell::run and Admin::run.
void setMaintenanceRunners(Maintenance::Runner user, Admin::Runner admin);

} // namespace Cli
