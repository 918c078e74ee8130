#pragma once
// The small lint of a home folder: folders that hold nothing but empty
// folders, and symbolic links whose target does not exist. Found by one walk
// that never follows a link, never crosses a mount and never enters
// version-control metadata, the storage of containers and snapshots, the
// Trash, or a place the never-touch list or the system's own needs keep.
// Removal checks each item again right before it acts.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QString>
#include <sys/types.h>

#include "engines/common/NeverTouchList.h"
#include "engines/records/Large.h"
#include "engines/records/Plan.h"
#include "engines/records/Removal.h"
#include "platform/Admin.h"

namespace Lint {

enum class Kind { EmptyFolder, BrokenLink };

struct Item {
    Kind kind = Kind::EmptyFolder;
    std::string path;       // the folder at the top of an empty tree, or the link
    dev_t device = 0;       // as the search saw it
    ino_t inode = 0;
    std::int64_t mtimeNs = 0;
    std::string target;     // a link: its target as written
    int folders = 1;        // an empty tree: the folders it holds, itself included
    bool inProject = false; // inside a project's working folders: listed unticked
    bool selected = false;
    QString held;           // why the last removal left it, else empty
};

struct Options {
    bool hidden = false;                    // also enter hidden folders and list hidden entries
    NeverTouchList never = {};              // places neither entered nor listed
    std::vector<std::filesystem::path> needed;  // folders the desktop or programs need: never listed
    // Where volumes are mounted when they are there: such a folder is never
    // listed nor entered, and a target inside one that is away is not missing.
    std::filesystem::path fstab = "/etc/fstab";
    std::vector<std::filesystem::path> automountUnits = {"/etc/systemd/system", "/run/systemd/system",
                                                         "/run/systemd/generator", "/usr/lib/systemd/system"};
    std::vector<std::filesystem::path> volumeRoots = {"/media", "/run/media", "/mnt"};
    std::filesystem::path mountinfo = "/proc/self/mountinfo";  // what is mounted now
};

// Entries met between two progress reports.
inline constexpr int kProgressStep = 4096;

struct Result {
    std::vector<Item> items;    // by path; projects' items unticked, the others ticked
    std::int64_t entries = 0;   // entries the walk met
    int ignored = 0;            // places the never-touch list kept the walk from
    bool cancelled = false;     // the search was stopped: nothing was kept
};

// Walks `folder`; `progress(entries)` now and then, and the cancel flag read
// between folders.
Result find(const std::filesystem::path& folder, const Options& options, const CancelFlag& flag,
            const std::function<void(std::int64_t entries)>& progress = {});

// The plan of removing the selected items: empty trees deleted (rmdir, from
// the deepest up), broken links to the Trash.
Plan::Record planRecord(const std::vector<Item>& items);

// Carries out planRecord's plan, checking each item right before it acts: a
// tree's folders are removed deepest first and one that is no longer empty
// stays (with what lies above it); a link goes only while it is the same
// link and its target is still missing. The outcome's record has each item's result.
RemovalOutcome remove(const std::vector<Item>& items, const Admin::Runner& admin = Admin::run);

// The note beside an item: why a removal left it, or why it starts unticked.
QString noteOf(const Item& item);

} // namespace Lint
