#pragma once
// The maintenance routines' records.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <QString>
#include <QStringList>

#include "platform/AdminActions.h"

struct MaintTask {
    QString id;       // stable short key: selection, done state, batch markers
    QString title;    // localised
    QString detail;   // localised one-line explanation
    QString symbol;   // symbol shown on the card
    std::string cmd;  // the command line, passed to the shell unchanged (empty for an action)
    bool admin = false;
    QString needs = {};       // the program (or file) the command needs
    bool available = true;    // that program is there: the routine can run
    QString reason = {};      // localised, when not available: "Indisponível: falta …"
    QString junkGroup = {};   // the junk scan's group that measures what it frees ("pkgcache"); empty: none
    // What the routine frees, read before and after it runs (bytes); none for most.
    std::function<std::int64_t()> gauge = {};
    // What the administrator helper does for a routine that needs rights on
    // Linux; none where `cmd` is the routine (the user's routines, the macos
    // profile's administrator ones).
    std::optional<Admin::Action> action = {};
};

namespace Maintenance {

// How much a failure tells. Silent: only the markers leave the administrator
// batch and a failed routine is named by its title. WithReasons: each
// command's output is kept, and a failure carries its last line (an action's
// failure, the helper's reason).
enum class Reasons { Silent, WithReasons };

struct Outcome {
    QStringList okIds;     // routines that succeeded, in the order they ran
    QStringList failures;  // what to tell the user, in the order failures arose
    QStringList notes;     // what a routine with a gauge freed, in the order they ran
};

} // namespace Maintenance
