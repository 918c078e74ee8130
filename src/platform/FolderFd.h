#pragma once
// Folder descriptors shared by the walker and safe deletion.
#include <dirent.h>
#include <fcntl.h>
#include <sys/types.h>

namespace FolderFd {

// How a folder is opened on the way down: never through a link.
constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// "." and "..", which every listing holds and no walk enters.
inline bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Opens the parent of the open folder `childFd` through its "..", never
// through a link, and hands it back as a folder stream only when it is still
// the folder (device, inode) met on the way down. Null when it cannot be
// opened or something else now stands there; no descriptor is left open then.
DIR* reopenParent(int childFd, dev_t device, ino_t inode);

} // namespace FolderFd
