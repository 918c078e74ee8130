#pragma once
// Why something could not be removed or moved, in the user's language: the
// system's error numbers fall into a few reasons the user can act on, and
// the program's own refusals (a mount point inside, a link) have theirs.
#include <QString>

enum class FailReason {
    None,
    Permission,   // EACCES, EPERM
    Missing,      // ENOENT, ENOTDIR
    ReadOnly,     // EROFS
    Busy,         // EBUSY, ETXTBSY
    MountInside,  // a mount point inside the item, left in place
    LinkRefused,  // a link where a real folder of the user must be
    NoSpace,      // ENOSPC, EDQUOT
    Other,        // anything else
};

// The reason an errno stands for (Other for the ones not listed; None for 0).
FailReason failReasonOf(int error);

// The reason in the interface language.
QString failReasonText(FailReason reason);

// The same for an errno.
inline QString errnoText(int error) { return failReasonText(failReasonOf(error)); }
