#pragma once
// The one removal loop every feature uses: deletes or trashes targets one by
// one, retries failed permanent deletions inside the Trash once with
// administrator rights, and reports what was freed, trashed and not removed.
// Plain C++: runs on a background thread and never sees the window's state.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

#include "engines/records/Removal.h"
#include "platform/Admin.h"

namespace Removal {

// What is at `path` now, not following a link; nothing when nothing is there
// or it cannot be read.
std::optional<Plan::Identity> identityOf(const std::filesystem::path& path);

// Why what is at `path` is no longer what the plan saw (`planned`): a link in
// its place, another file, a file that grew or was written since; empty when
// it is the same.
QString changeSince(const std::filesystem::path& path, const Plan::Identity& planned);

// The loop's targets of a plan: its items that go to the Trash or are
// deleted by this user (not by a tool, not as administrator), in order, each
// with its identity.
std::vector<RemovalTarget> targetsOf(const Plan::Record& plan);

// An item of a plan for what is at `path`: named home-relative, its
// identity read now.
Plan::Item itemAt(const std::filesystem::path& path, const QString& group, const QString& groupTitle, std::int64_t size,
                  Plan::Fate fate);

// The plan that moves these files or folders to the Trash (large files, the
// space map's selection), one group titled `groupTitle`, each item's
// identity read now.
Plan::Record planTrash(const QString& action, const QString& groupTitle, const std::vector<RemovalTarget>& targets);

// The plan that empties the Trash folder `filesFolder` for good: each entry
// (hidden ones too, not ".DS_Store") measured, deleted. A Trash that is not a
// real folder of this user is refused, and nothing is listed.
Plan::Record planEmptyTrash(const std::filesystem::path& filesFolder);

// Carries out targetsOf(plan) through the loop and returns the outcome with
// the plan and each of those items' result; the plan's other items are left
// as not run, for the caller that carries them out. The never-touch list is
// read from the settings now: an item it covers or that holds one of its
// places is held back ("Na lista Nunca tocar"), whenever it was added.
RemovalOutcome runPlan(const Plan::Record& plan, const Admin::Runner& admin = Admin::run,
                       Plan::Origin origin = Plan::Origin::window);

// Runs the loop. `admin` runs the one administrator request of the retry
// (Admin::run by default; tests inject their own).
RemovalOutcome run(const std::vector<RemovalTarget>& targets, const Admin::Runner& admin = Admin::run);

// Whether a failed permanent deletion may be retried with administrator
// rights: the path lies strictly inside the Trash folder (FS::trashFolder()
// followed by at least one name) and has no "." or ".." step.
bool retryEligible(const std::filesystem::path& path);

// The macos profile's administrator command that moves the item to `target`
// (a free name held in the Trash) without replacing anything there; its status
// is that of the move, and an item still in place afterwards is a failure.
std::string adminMoveCommand(const std::filesystem::path& item, const std::filesystem::path& target);

// Moves one item the user may not remove into the home Trash with one
// administrator run of the macos profile: a free name in the Trash is held
// first (with its .trashinfo, so nothing trashed earlier is replaced and the
// desktop can restore it), then `before` (a step whose failure does not
// matter, or empty) and the move run as one script; on failure the name is
// given back.
Admin::Reply adminTrash(const std::filesystem::path& item, const std::string& before, const Admin::Runner& admin);

// The one-line message naming what was not removed (at most six paths, then
// "…"), followed by why the administrator could not help when that is known;
// empty when nothing failed.
QString failureMessage(const std::vector<QString>& failures, const QString& adminReason = {});

// One line per system group cleaned: what it freed and, when it failed, why.
QStringList groupReport(const std::vector<GroupFreed>& groups);

} // namespace Removal
