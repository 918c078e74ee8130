#pragma once
// The runner of the system-care routines (the profile lists them). The routines that need
// administrator rights run together as one administrator request, so the
// password is asked for once: the helper's actions (each answered in turn),
// or for the macos profile one script in which each routine prints an "OK:"
// or "FAIL:" marker with its id. The others run one by one with the user's
// rights. A routine that cannot run here (its program is missing) never runs.
// Plain C++: runs on a background thread and never sees the screen's state.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

#include "engines/records/Maintenance.h"
#include "platform/Admin.h"
#include "platform/Shell.h"

namespace Maintenance {

// Runs a user's routine's command line.
using Runner = std::function<Shell::Result(const std::string& command)>;

// The ids of `wanted` whose routine can run here, in the routines' order.
QStringList defaultSelection(const std::vector<MaintTask>& tasks, const QStringList& wanted);

// The routine's work as a command line, for people: its command, or its
// action described.
QString commandText(const MaintTask& task);

// One script for the administrator routines that have a command line (the
// macos profile's), joined with "; "; empty for none. Silent: each as
// "(cmd) >/dev/null 2>&1 && echo OK:id || echo FAIL:id". WithReasons: each
// command's output is caught, and a failure prints "FAIL:id:" and its last line.
std::string adminBatch(const std::vector<MaintTask>& adminTasks, Reasons reasons = Reasons::Silent);

// Whether the batch output marks the routine as done: a line "OK:" + id.
bool markedOk(const QString& out, const QString& id);
// The reason after "FAIL:id:" in the batch output; empty when there is none.
QString failureReason(const QString& out, const QString& id);

// Runs the available routines among `all` whose id is in `selected`, in list
// order (an unavailable one never runs): first the administrator routines as
// one request through `admin` (one prompt: the actions of those that have
// one, the script batch of the others), then each user-rights routine
// through `user`. An administrator run that answered nothing (a dismissed
// prompt, a refused request) is one failure, its reason. `starting(id)` is
// called before each step with the routine being worked on (the first of the
// request for the request).
Outcome run(const std::vector<MaintTask>& all, const QStringList& selected, const Runner& user,
            const Admin::Runner& admin, const std::function<void(const QString&)>& starting = {},
            Reasons reasons = Reasons::Silent);

} // namespace Maintenance
