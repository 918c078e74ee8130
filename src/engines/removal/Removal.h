#pragma once
// The one removal loop every feature uses: deletes or trashes targets one by
// one, retries failed permanent deletions inside the Trash once with
// administrator rights, and reports what was freed, trashed and not removed.
// Plain C++: runs on a background thread and never sees the window's state.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QString>

#include "engines/records/Removal.h"
#include "platform/Shell.h"
#include "platform/Trash.h"

namespace Removal {

using AdminRunner = std::function<Shell::Result(const std::string& command)>;

// Runs the loop. `admin` runs the one administrator command of the retry
// (Shell::runAdmin by default; tests inject their own).
RemovalOutcome run(const std::vector<RemovalTarget>& targets, const AdminRunner& admin = Shell::runAdmin);

// Whether a failed permanent deletion may be retried with administrator
// rights: the path lies strictly inside the Trash folder (FS::trashFolder()
// followed by at least one name) and has no "." or ".." step.
bool retryEligible(const std::filesystem::path& path);

// An entry of the retry: its path and the folder holding it as the program
// found it (device and inode).
struct AdminRetryItem {
    std::filesystem::path path;
    Trash::FolderId folder;
};

// The administrator command that, for each item, changes into its holding
// folder with "cd -P", goes on only when that folder's device and inode are
// the recorded ones, then clears the immutable and append-only attributes of
// the item's tree and removes it by its name there; joined with "; ".
std::string adminRetryCommand(const std::vector<AdminRetryItem>& items);

// The administrator command that moves the item to `target` (a free name
// held in the Trash) without replacing anything there; its status is that of
// the move, and an item still in place afterwards is a failure.
std::string adminMoveCommand(const std::filesystem::path& item, const std::filesystem::path& target);

// Moves one item the user may not remove into the home Trash with one
// administrator run: a free name in the Trash is held first (with its
// .trashinfo, so nothing trashed earlier is replaced and the desktop can
// restore it), then `before` (a step whose failure does not matter, or empty)
// and the move run as one command; on failure the name is given back.
Shell::Result adminTrash(const std::filesystem::path& item, const std::string& before, const AdminRunner& admin);

// The one-line message naming what was not removed (at most six names, then
// "…"); empty when nothing failed.
QString failureMessage(const std::vector<QString>& failures);

} // namespace Removal
