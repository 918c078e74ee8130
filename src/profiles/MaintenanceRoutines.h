#pragma once
// The system-care routines a profile offers.
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

struct MaintTask {
    QString id;       // stable short key: selection, done state, batch markers
    QString title;    // localised
    QString detail;   // localised one-line explanation
    QString symbol;   // symbol shown on the card
    std::string cmd;  // the command line, passed to the shell unchanged
    bool admin = false;
};

namespace Profiles {

struct MaintenanceRoutines {
    // The routines, in the order the screen lists them (texts through L at each call).
    std::vector<MaintTask> (*tasks)() = nullptr;
    // The ids ticked when the screen opens.
    QStringList (*defaultSelection)() = nullptr;
};

MaintenanceRoutines linuxMaintenance();
MaintenanceRoutines macosMaintenance();

} // namespace Profiles
