#pragma once
// Folder descriptors shared by the walker and safe deletion: how a folder is
// opened on the way down, how an entry is looked at, and whether it is the top
// of a mount (which no walk and no deletion ever enters).
#include <string>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
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

// Looks at the entry `name` of the open folder `folderFd` (whose device is
// `folderDevice`) without following a link or triggering an automount, fills
// `info` and tells whether it is a folder on which something is mounted.
// 0, or the errno of the failure.
int statEntry(int folderFd, const char* name, dev_t folderDevice, struct stat& info, bool& mountRoot);

// Opens the entry `name` of the open folder `folderFd` only when it is a real
// folder (not a link) owned by `owner`; -1 when it is anything else, with
// `missing` (when given) telling whether nothing was there.
int openOwnFolder(int folderFd, const char* name, uid_t owner, bool* missing = nullptr);

// Whether the open folder `fd` is the top of a mount (its own descriptor is
// looked at, so the answer holds for that very folder, whatever its path now).
bool isMountRoot(int fd);

// The decision itself. `known` tells whether the kernel reported the
// mount-root attribute at all; when it did, `flagged` is its answer. Without
// it, another device than the holding folder's means a mount, and so does a
// place listed in the mount table (`inTable`).
bool mountRootFrom(bool known, bool flagged, dev_t device, dev_t folderDevice, bool inTable);

// The fields of a mountinfo line. Only blanks separate them: the kernel writes
// a blank, tab, line break or backslash in a path or source as "\040" and the
// like, but any other byte (a carriage return, a form feed) as it is.
std::vector<std::string> mountinfoFields(const std::string& line);

// A mountinfo field (a mount point, a source) with its octal escapes
// ("\040" for a blank and the like) decoded.
std::string mountinfoDecoded(const std::string& field);

// The mount points of a mountinfo text (the fifth field of each line, with
// its octal escapes "\040" and the like decoded).
std::vector<std::string> mountPoints(std::string_view mountinfo);

} // namespace FolderFd
