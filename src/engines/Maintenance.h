#pragma once
// The runner of the system-care routines (the profile lists them). The routines that need
// administrator rights run together as one privileged command, so the
// password is asked for once; each prints an "OK:" or "FAIL:" marker with its
// id. The others run one by one with the user's rights. Plain C++: runs on a
// background thread and never sees the screen's state.
#include <functional>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

#include "platform/Shell.h"
#include "profiles/MaintenanceRoutines.h"

namespace Maintenance {

using Runner = std::function<Shell::Result(const std::string& command)>;

// One command for the administrator routines: each as
// "(cmd) >/dev/null 2>&1 && echo OK:id || echo FAIL:id", joined with "; ".
std::string adminBatch(const std::vector<MaintTask>& adminTasks);

// Whether the batch output marks the routine as done: a line "OK:" + id.
bool markedOk(const QString& out, const QString& id);

struct Outcome {
    QStringList okIds;     // routines that succeeded, in the order they ran
    QStringList failures;  // what to tell the user, in the order failures arose
};

// Runs the routines among `all` whose id is in `selected`, in list order: first
// the administrator batch through `admin` (one prompt), then each user-rights
// routine through `user`. `starting(id)` is called before each step with the
// routine being worked on (the first of the batch for the batch).
Outcome run(const std::vector<MaintTask>& all, const QStringList& selected, const Runner& user,
            const Runner& admin, const std::function<void(const QString&)>& starting = {});

} // namespace Maintenance
