#pragma once
// The system-care routines a profile offers.
#include <vector>

#include <QStringList>

#include "engines/records/Maintenance.h"

namespace Profiles {

struct MaintenanceRoutines {
    // The routines, in the order the screen lists them (texts through L, and
    // whether each can run here, at each call).
    std::vector<MaintTask> (*tasks)() = nullptr;
    // The ids ticked when the screen opens (those that can run here).
    QStringList (*defaultSelection)() = nullptr;
    Maintenance::Reasons reasons = Maintenance::Reasons::Silent;
};

MaintenanceRoutines linuxMaintenance();
MaintenanceRoutines macosMaintenance();

} // namespace Profiles
