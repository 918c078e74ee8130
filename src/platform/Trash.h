#pragma once
// The Trash, as the freedesktop.org Trash specification lays it out, so the
// desktop's file manager lists and restores what this program trashed.
// The home trash is FS::trashFolder()'s parent ($XDG_DATA_HOME/Trash with
// files/ and info/); items on other file systems go to $topdir/.Trash/$uid
// (only when $topdir/.Trash is a real folder with the sticky bit) or else
// $topdir/.Trash-$uid. Nothing here ever falls back to deleting.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

#include <QDateTime>
#include <QString>

#include "platform/SafeDelete.h"

namespace Trash {

struct MoveResult {
    bool ok = false;
    std::filesystem::path trashedAs;  // the item's new place inside files/
    QString error;                    // why it failed, for the log
    // What its .trashinfo says: the DeletionDate as written (local time,
    // YYYY-MM-DDThh:mm:ss) and the absolute path it names (the item's folder
    // resolved, so it can differ from the path asked for).
    QString deletionDate;
    std::filesystem::path originalPath;
};

// Moves the item (file, folder or link; links are moved, not followed) to the
// trash of its file system: the .trashinfo is created first with O_EXCL (another
// name on a clash), then the item is renamed into files/.
MoveResult moveToTrash(const std::filesystem::path& item);

// A free name in the home trash held for an item that another process (an
// administrator command) moves there: `info` is already written, `target` is
// where in files/ the item must go.
struct Reservation {
    std::filesystem::path target;
    std::filesystem::path info;
};
// Holds the first free name for the item in the home trash the same way
// moveToTrash picks one (the .trashinfo created with O_EXCL, Path the item's
// absolute path). Empty target (and `error` set) when no name could be held.
Reservation reserveInHomeTrash(const std::filesystem::path& item, QString& error);
// Gives the name back after the move did not happen: removes the .trashinfo.
void release(const Reservation& reservation);

// A trash opened for reading, emptying or putting an entry back: the trash
// folder (`root`, holding files/ and info/) is reached by its path, links
// above it being the user's own choice; a $topdir/.Trash/$uid only when
// $topdir/.Trash is a real folder with the sticky bit. The trash folder, its
// files/ and its info/ are opened only as real folders of this user.
class OpenTrash {
public:
    explicit OpenTrash(const std::string& root);
    ~OpenTrash();
    OpenTrash(const OpenTrash&) = delete;
    OpenTrash& operator=(const OpenTrash&) = delete;

    // The trash, files/ and info/ (when there is one) passed the check.
    bool usable() const { return usable_; }
    // Nothing at all is at `root` (an emptied-away trash, an unmounted volume).
    bool missing() const { return missing_; }
    int files() const { return files_; }
    int info() const { return info_; }  // -1 when the trash has no info/

    // The names in files/, hidden ones included.
    std::vector<std::string> names() const;
    // Removes info/NAME.trashinfo.
    void removeInfo(const std::string& name) const;

private:
    int root_ = -1;
    int files_ = -1;
    int info_ = -1;
    bool usable_ = false;
    bool missing_ = false;
};

// Reading and emptying a trash: the trash folder, its files/ and its info/
// must be real folders (not links) of this user, checked on the descriptors
// opened for the work, so nothing outside the trash is ever listed, measured
// or deleted through a link put in their place. A trash that fails the check
// is refused whole. info/ may be missing (nothing to remove from it then).

// Deletes for good an entry of a trash's files/ folder together with its
// info/NAME.trashinfo. Kept (the reason LinkRefused) when the trash is refused.
SafeDelete::Result deleteEntry(const std::filesystem::path& entryInFiles);

struct EmptyResult {
    std::int64_t freed = 0;  // bytes of the entries deleted by this call
    int failed = 0;          // entries that could not be deleted
    bool refused = false;    // the trash is not a real folder of this user: nothing touched
};
// Empties a trash's files/ folder for good: every entry, hidden ones included,
// except a ".DS_Store", is measured and deleted with its .trashinfo. An entry
// already gone when its turn comes (emptied meanwhile by someone else) frees nothing.
EmptyResult emptyTrash(const std::filesystem::path& filesFolder);

// The entries of a trash's files/ folder (hidden ones included) as
// filesFolder/NAME; empty when the trash is refused.
std::vector<std::filesystem::path> entries(const std::filesystem::path& filesFolder);

// The space the entries of a trash's files/ folder take; 0 when refused.
std::int64_t size(const std::filesystem::path& filesFolder);

// Whether the trash holding this files/ folder passes the check above.
bool isUsable(const std::filesystem::path& filesFolder);

// Where the folder holding an entry of the home Trash (or something deeper in
// one) is, as device and inode, found from the checked Trash folder without
// following a link; nothing when it cannot be found that way.
struct FolderId {
    dev_t device = 0;
    ino_t inode = 0;
};
std::optional<FolderId> holdingFolderId(const std::filesystem::path& inHomeTrash);

// Removes info/NAME.trashinfo of an entry of a trash (after another process
// deleted the entry), through the checked trash.
void removeInfo(const std::filesystem::path& entryInFiles);

// True when the path is an entry directly inside a trash's files/ folder.
bool isTrashEntry(const std::filesystem::path& path);

// The trash for items on the volume mounted at `topdir`: $topdir/.Trash/$uid
// when $topdir/.Trash is a real folder (not a link) with the sticky bit, else
// $topdir/.Trash-$uid; created with mode 0700 when missing, and only used when
// it is a real folder of this user. Empty when neither can be used.
std::filesystem::path volumeTrash(const std::filesystem::path& topdir);

// The .trashinfo text for an original path (absolute, or relative to $topdir
// for other volumes) and a deletion time: Path percent-encoded byte by byte
// (unreserved characters and "/" kept), DeletionDate as YYYY-MM-DDThh:mm:ss.
std::string trashInfoText(const std::string& originalPath, const QDateTime& deletedAt);
// A DeletionDate as .trashinfo files write it: YYYY-MM-DDThh:mm:ss.
QString deletionDateText(const QDateTime& deletedAt);

// The files/ folders of the trashes of every mounted file system this user
// can write to (mount tops read from `mountTable`, as /proc/self/mounts
// lists them): $topdir/.Trash/$uid/files and $topdir/.Trash-$uid/files where
// they are real folders, the home trash and repeated tops left out. Nothing is created.
std::vector<std::filesystem::path> volumeTrashFolders(const std::filesystem::path& mountTable = "/proc/self/mounts");

} // namespace Trash
