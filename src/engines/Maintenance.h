#pragma once
// The seven system-care routines and their runner. The routines that need
// administrator rights run together as one privileged command, so the
// password is asked for once; each prints an "OK:" or "FAIL:" marker with its
// id. The others run one by one with the user's rights. Plain C++: runs on a
// background thread and never sees the screen's state.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

#include "platform/Shell.h"

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

using Runner = std::function<Shell::Result(const std::string& command)>;

// The routines, in the order the screen lists them.
std::vector<MaintTask> tasks();

// The ids ticked when the screen opens.
QStringList defaultSelection();
// The available ones of "ram" and "dns" among the routines.
QStringList defaultSelection(const std::vector<MaintTask>& tasks);

// How much a failure tells. Silent: the designed batch, where only the markers
// leave the batch and a failed routine is named by its title. WithReasons:
// each command's output is kept, and a failure carries its last line.
enum class Reasons { Silent, WithReasons };

// One command for the administrator routines, joined with "; ". Silent: each as
// "(cmd) >/dev/null 2>&1 && echo OK:id || echo FAIL:id". WithReasons: each
// command's output is caught, and a failure prints "FAIL:id:" and its last line.
std::string adminBatch(const std::vector<MaintTask>& adminTasks, Reasons reasons = Reasons::Silent);

// Whether the batch output marks the routine as done: a line "OK:" + id.
bool markedOk(const QString& out, const QString& id);
// The reason after "FAIL:id:" in the batch output; empty when there is none.
QString failureReason(const QString& out, const QString& id);
// The last non-blank line of a command's output, trimmed.
QString lastLine(const QString& out);

struct Outcome {
    QStringList okIds;     // routines that succeeded, in the order they ran
    QStringList failures;  // what to tell the user, in the order failures arose
    QStringList notes;     // what a routine with a gauge freed, in the order they ran
};

// Runs the available routines among `all` whose id is in `selected`, in list
// order (an unavailable one never runs): first the administrator batch through
// `admin` (one prompt), then each user-rights routine through `user`.
// `starting(id)` is called before each step with the routine being worked on
// (the first of the batch for the batch).
Outcome run(const std::vector<MaintTask>& all, const QStringList& selected, const Runner& user,
            const Runner& admin, const std::function<void(const QString&)>& starting = {},
            Reasons reasons = Reasons::Silent);

} // namespace Maintenance
