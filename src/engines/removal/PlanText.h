#pragma once
// The words of a plan and of its outcome: one formatter for the window's
// confirmation, the command line's plan and its report, so both say the
// same thing in the same words.
#include <QString>
#include <QStringList>

#include "engines/records/Plan.h"
#include "engines/records/Removal.h"

namespace Plan {

// "3 itens, 1,2 GB": how many and how much (at least, when some size is unknown).
// With `rightToLeft` (a right-to-left window) the size is one left-to-right
// run (see isolatedRun), as is a tool's command in the lines below.
QString amountText(const FateTotal& total, bool rightToLeft = false);

// One line per fate the plan holds (deleted for good, to the Trash, by
// each owner's tool, shared), each saying whether it can be put back; then
// which groups run with administrator rights; then what goes along.
QStringList summaryLines(const Record& plan, bool rightToLeft = false);

// How one item goes, in a word for list rows: "apagar", "para a Lixeira",
// the tool's command, "compartilhar".
QString fateWord(const Item& item);

// The list of the plan's items for a confirmation: one row per item
// ({label, fate, size, admin}), in the plan's order.
struct Row {
    QString label;
    QString fate;
    QString size;
    bool admin = false;
};
std::vector<Row> rows(const Record& plan, std::size_t limit);

// After execution, one line per group of the plan, in its order: what it
// freed or moved to the Trash and, when some of it stayed, how many and
// why. A group cleaned by the system's tools takes its measured figure
// from `measured` (matched by group id).
QStringList groupReport(const Outcome& outcome, const std::vector<GroupFreed>& measured = {});

// What was held back or failed, each "~/folder/name: why", in the plan's order.
QStringList notDone(const Outcome& outcome);

// What a removal came to, in words, the same for every front end: one line
// per group (the plan's groups, or the system's measured ones), and what
// needs saying about what stayed (held back on purpose, then the one line
// naming what could not be removed).
struct Report {
    QStringList groups;
    QStringList problems;
};
Report reportOf(const RemovalOutcome& outcome);

} // namespace Plan
