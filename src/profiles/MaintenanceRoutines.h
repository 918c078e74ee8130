#pragma once
// The system-care routines a profile offers.
#include <cstdint>
#include <functional>
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
    QString needs = {};       // the program (or file) the command needs
    bool available = true;    // that program is there: the routine can run
    QString reason = {};      // localised, when not available: "Indisponível: falta …"
    // What the routine frees, read before and after it runs (bytes); none for most.
    std::function<std::int64_t()> gauge = {};
};

namespace Maintenance {

// How much a failure tells. Silent: the designed batch, where only the markers
// leave the batch and a failed routine is named by its title. WithReasons:
// each command's output is kept, and a failure carries its last line.
enum class Reasons { Silent, WithReasons };

} // namespace Maintenance

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
