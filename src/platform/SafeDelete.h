#pragma once
// Deleting for good without ever following a link or entering a mount:
// folders are descended with openat(O_NOFOLLOW | O_DIRECTORY) and emptied with
// unlinkat, so a link met on the way (or swapped in during the deletion) is
// removed as a link and what it points to is never touched; a folder on which
// something is mounted (another disk or a bind mount of the same one) is left
// as it is, with everything in it. Iterative, so depth is unbounded.
#include <filesystem>
#include <string>

#include "platform/FailReason.h"

namespace SafeDelete {

enum class Outcome {
    Removed,  // it was there and is gone now
    WasGone,  // nothing was there to begin with: nothing freed
    Kept,     // some of it (or all of it) is still there
};

struct Result {
    Outcome outcome = Outcome::Kept;
    FailReason reason = FailReason::None;  // for Kept: the first reason met (a mount inside comes first)
    bool gone() const { return outcome != Outcome::Kept; }
};

// What a deletion does about the immutable and append-only attributes
// (chattr +i, +a), which keep even the administrator from deleting.
enum class Locks {
    Respect,  // a locked entry stays
    Clear,    // the administrator's deletion clears them from the folders and
              // regular files it deletes (only those: opening anything else
              // could have side effects)
};

// Deletes a file, a link, or a folder with everything inside it. A part that
// cannot be deleted stays; the rest is deleted all the same.
Result removeItem(const std::filesystem::path& path);

// The same for the entry `name` of the open folder `folderFd` (kept open),
// so the caller decides once which folder that is.
Result removeAt(int folderFd, const std::string& name, Locks locks = Locks::Respect);

// removeItem(path).gone(): true when nothing is left at the path afterwards
// (including when nothing was there).
bool removeAll(const std::filesystem::path& path);

} // namespace SafeDelete
