#pragma once
// Small file-system operations shared by every engine and screen. Stateless,
// synchronous, callable from any thread. No operation throws: a failure gives
// a neutral value (0, false, an empty list).
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

#include "platform/ParallelWalk.h"

namespace FS {

using Path = std::filesystem::path;

// The current user's home folder (see Paths::home).
Path home();
// Replaces a leading "~" (alone or followed by "/") by the home folder.
Path expand(const std::string& path);
// The path as text: its bytes decoded as file names are everywhere (a name
// that is not valid UTF-8 still shows, though not byte for byte).
QString text(const Path& path);
// Whether the bytes are valid UTF-8 (a name that is not reads back differently from text).
bool isUtf8(const QByteArray& bytes);
// The path for display: a leading home folder becomes "~" (only a whole folder
// name matches, so with home "/home/al" the path "/home/alice" stays as it is).
QString pretty(const Path& path);
// True only if something exists at the path and it is a folder (links not followed).
bool isDir(const Path& path);
// Allocated size on disk in bytes (st_blocks x 512). A folder is walked whole,
// hidden files and package contents included; links add nothing; unreadable
// folders are skipped, virtual file systems (proc, sysfs…) are not entered.
// 0 when nothing can be measured.
// Nothing mounted below the folder is entered (each mount is measured as its
// own root); a file with several names inside the folder counts once.
// A folder is walked by sizeWorkers(hardware threads) threads sharing the work.
std::int64_t size(const Path& path);
// The same for the entry `name` of the open folder `folderFd` (kept open), so
// the caller decides once which folder that is. 0 for a mount point.
std::int64_t sizeAt(int folderFd, const std::string& name);
// The same with a given number of walking threads, brought into 1..kMaxSizeWorkers;
// 1 walks on the calling thread alone. Every count gives the same total.
// Once `cancel` turns true the walk ends soon and the sum so far is returned.
std::int64_t size(const Path& path, int workers, const std::atomic<bool>* cancel = nullptr);
// Walking threads FS::size uses with `threads` hardware threads: as many, at
// least 1 (0 means unknown) and at most kMaxSizeWorkers, since beyond a few
// threads only queue for the same disk and the same kernel locks.
inline constexpr int kMaxSizeWorkers = ParallelWalk::kMaxHelpers + 1;
int sizeWorkers(unsigned threads);
// Measures each of `paths` as size() does, with `workers` threads (brought
// into 1..kMaxSizeWorkers) shared among all of them, and calls
// measured(index, bytes) once per path as soon as its whole tree is summed,
// from the walking threads (possibly from two at once). Returns when every
// path is measured, or soon after `cancel` turns true (the paths not measured
// by then are not reported).
using Measured = std::function<void(std::size_t index, std::int64_t bytes)>;
void sizeEach(const std::vector<Path>& paths, int workers, const Measured& measured,
              const std::atomic<bool>* cancel = nullptr);
// The direct entries of a folder in the order the file system lists them;
// hidden entries only when `hidden`. Empty when the folder cannot be read.
// A link to a folder is listed like the folder (as a file browser shows it).
std::vector<Path> children(const Path& folder, bool hidden = false);
// Whether this user may remove the item from its folder: write and search
// permission on the folder and, where the folder has the sticky bit, the item
// or the folder belongs to this user. False when either cannot be read.
bool mayDelete(const Path& path);
// The places isProtected guards besides the fixed rules (the root of the
// disk and everything directly in it, hidden items directly in the home
// folder, the Trash folder and its parent). The active profile hands them
// over once at start.
struct Protection {
    std::vector<std::string> systemRoots;  // protected with everything below them
    std::string usersRoot;                 // the folder of all homes: itself and each folder directly in it
    std::vector<std::string> homePlaces;   // suffixes of the home folder ("" is the home itself, "/Documents")
    std::vector<Path> places;              // further absolute places, protected themselves
    // Hidden entries directly in the home folder that hold no settings, only
    // output (".xsession-errors"): not protected by the hidden-entry rule.
    std::vector<std::string> homeJunk = {};
    // Folders holding other systems whole (containers' images and volumes,
    // snapshots of the system): protected with everything below them, and
    // never entered by the walks over the user's files.
    std::vector<Path> storage = {};
};
void setProtection(Protection protection);
// Protection::storage as the active profile handed it over, normalised, each
// place also with the links on the way to its holding folder resolved.
std::vector<Path> storagePlaces();
// Whether the location must never be offered for removal. Relative paths and
// paths with a ".." component are always protected (a link on the way could
// make them land elsewhere than their text says).
bool isProtected(const Path& path);
// A folder shown as one item (an application bundle and the like): its
// extension, in any case, is one of `extensions` (lower case, without the dot).
bool isPackage(const Path& path, const std::vector<std::string>& extensions);
// The name test of isPackage alone, for callers that already know the entry is a folder.
bool hasPackageExtension(const Path& path, const std::vector<std::string>& extensions);

struct Disk {
    std::int64_t total = 0;
    std::int64_t free = 0;
    bool operator==(const Disk&) const = default;
};
// Capacity of the volume holding `root` ("/" by default); zeros when unreadable.
Disk disk(const Path& root = "/");

// The folder where the file system on DEVICE that holds FOLDER (an absolute,
// real path on it) is mounted: FOLDER's highest ancestor still on DEVICE.
std::string mountPointOf(const std::string& folder, dev_t device);

struct Memory {
    std::uint64_t total = 0;
    std::uint64_t used = 0;
    bool operator==(const Memory&) const = default;
};
// Physical memory and memory in use, from a meminfo file; zeros when unreadable.
Memory memory(const Path& meminfo = "/proc/meminfo");

// The Trash folder ($XDG_DATA_HOME/Trash/files). Every use of the Trash folder calls this.
Path trashFolder();

// Whether the protected places can be read: the Trash folder, then the home
// folder, each listed; the first that lists answers true.
bool hasFullDiskAccess();

// Starts a detached shell that reopens this program 0.7 s later, then quits.
void relaunch();

// Whether an address can be handed to the desktop: a valid address with a scheme.
bool canOpenAddress(const QString& address);
// What relaunch reopens: $APPIMAGE when set, else this program's own executable.
QString relaunchProgram();
// The arguments of the detached /bin/sh: the program travels as $0, so blanks
// and quotes in its path reach the command intact.
QStringList relaunchArguments(const QString& program);

} // namespace FS
