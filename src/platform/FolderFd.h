#pragma once
// Folder descriptors shared by the walker and safe deletion.
#include <dirent.h>
#include <sys/types.h>

namespace FolderFd {

// Opens the parent of the open folder `childFd` through its "..", never
// through a link, and hands it back as a folder stream only when it is still
// the folder (device, inode) met on the way down. Null when it cannot be
// opened or something else now stands there; no descriptor is left open then.
DIR* reopenParent(int childFd, dev_t device, ino_t inode);

} // namespace FolderFd
