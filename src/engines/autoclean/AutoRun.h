#pragma once
// One automatic clean, whoever starts it (the command line, the resident
// program, the systemd timer): the decision, then the window's clean of the
// automatic choice, holding the clean lock throughout.
#include <cstdint>
#include <optional>
#include <vector>

#include <QDateTime>
#include <QString>

#include "engines/autoclean/AutoSchedule.h"
#include "engines/records/Junk.h"
#include "engines/records/Plan.h"
#include "engines/records/Removal.h"

namespace AutoClean {

struct Run {
    Decision decision;                      // why nothing ran, when nothing did
    std::optional<RemovalOutcome> outcome;  // what the removal came to, when it removed anything
};

// The battery as the schedule weighs it (none: not on battery).
Power powerNow();

// The desktop notice of a run that freed something: its title and its text.
QString noticeTitle();
QString noticeText(std::int64_t freed);

// Runs the automatic clean now when decide() lets it: the settings, the last
// run's stamp and the clean lock are read here, `now` and `power` are given.
// Once it runs the stamp is `now` (so a crash midway does not run it again
// at once); the home folder's groups of `rules` are scanned on the calling
// thread at the lowest priority, honouring the never-touch list, and what
// automaticChoice() ticks is cleaned with the automatic origin. The caller
// keeps the outcome in the history and the freed total, as for any removal.
Run runNow(const std::vector<JunkRule>& rules, bool ifDue, const QDateTime& now, Power power);

} // namespace AutoClean
