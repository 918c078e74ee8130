#pragma once
// The command line's side of a removal's plan and outcome: the plan's items
// with their fates and the plan's own summary lines (the same words as the
// window's confirmation), and after execution the report per group.
#include <QJsonObject>
#include <QString>

#include "cli/Cli.h"
#include "engines/records/Plan.h"
#include "engines/records/Removal.h"

namespace Cli {

// The plan as text (a line per item, then the summary and the total) after
// `intro`, or as JSON ({dryRun, action, items, summary, total, refusal}).
void printPlan(const Context& context, const Plan::Record& plan, const QString& intro);

// What the removal came to: each group's line, the freed and trashed
// figures, and what stayed on the error stream; as JSON the same figures
// with each item's result. Records the freed figures and the history entry
// as the window does.
void printOutcome(const Context& context, const RemovalOutcome& outcome, const QJsonObject& extra = {});

} // namespace Cli
