#pragma once
// Putting an entry of a Trash back where it came from, only when it is the
// very entry a removal put there: same name, same .trashinfo (DeletionDate
// and original path) and same device and inode. The way back is walked one
// real folder at a time (never through a link) from "/" for the home Trash, or
// from the volume's top folder for the Trash of another file system; nothing
// is ever replaced (RENAME_NOREPLACE).
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include <QDateTime>
#include <QString>

namespace TrashRestore {

// When an entry of a trash (a path directly in its files/ folder) was moved
// there, as its .trashinfo's DeletionDate says (local time); nothing when the
// trash is not a real folder of this user or the .trashinfo is missing,
// unreadable or holds no valid date.
std::optional<QDateTime> deletedAt(const std::filesystem::path& entryInFiles);

// The entry as the removal left it.
struct Entry {
    std::filesystem::path trashedAs;  // <trash>/files/<name>
    QString deletionDate;             // the DeletionDate its .trashinfo was written with
    std::filesystem::path original;   // the absolute path its .trashinfo named
    std::uint64_t device = 0;         // of the item, which a move within its file system keeps
    std::uint64_t inode = 0;
};

enum class State {
    available,  // in the Trash and can go back
    gone,       // no longer in the Trash (emptied, put back by other means)
    occupied,   // something else is at the original place
    unmounted,  // the volume of its Trash is not mounted
    notOurs,    // the entry belongs to another user (moved as administrator)
    refused,    // a .trashinfo edited or pointing outside, another entry under its name, a link on the way…
};

struct Check {
    State state = State::refused;
    QString reason;                 // a sentence for people; empty when available
    std::filesystem::path target;   // where it would go back
};

// Where the entry stands now: a few stat calls and one .trashinfo read, nothing changed.
Check check(const Entry& entry);

struct Done {
    bool ok = false;
    QString reason;                      // why not, when not
    std::filesystem::path restoredAt;
};

// Puts the entry back at its original path, or in the same folder under
// `otherName` (a plain name), making the folders missing on the way, then
// removes its .trashinfo. Its name stays its own, and so do its mode and
// times (a rename within the file system). Refused, with nothing changed,
// unless check() finds it available (or only occupied when `otherName` is
// given); never replaces anything, not even what appeared a moment ago.
Done restore(const Entry& entry, const std::optional<std::string>& otherName = {});

// A name that stays in one folder: not empty, no "/", not "." or "..", no NUL.
bool isPlainName(const std::string& name);

} // namespace TrashRestore
