#pragma once
// The one walk over a folder tree that the size measurement and every scan share.
//
// It is iterative (an explicit stack of open folders, so nesting depth is only
// limited by memory), never follows a symbolic link (entries are read with
// statx(AT_SYMLINK_NOFOLLOW) and folders opened with O_NOFOLLOW), never
// enters a folder on which something is mounted (another disk, or a bind
// mount of the same one: the visitor sees it, the walk stays out), skips
// folders it cannot open without a word, keeps no list of what it has seen and
// never changes the working folder, so it can run on several threads at once.
// A walk can also start from a folder descriptor the caller already holds
// (walkOpen), which is how FS::size splits one tree among a few threads.
//
// Open descriptors: at most kMaxOpenFolders folders of one walk stay open
// (walkOpen can be given a smaller budget). When a walk goes deeper, the
// shallowest open folder is closed and its reading position remembered; on
// the way back up it is reopened through ".." of its child, checked to be the
// same folder (device and inode), and read on from that position. If the tree
// was moved meanwhile and the check fails, the walk ends there rather than
// wander into another part of the disk.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include <sys/stat.h>

namespace Walker {

// How many folders one walk keeps open at most (deeper ones are reopened on return).
inline constexpr int kMaxOpenFolders = 64;

// What the visitor wants after seeing an entry.
enum class Step {
    Enter,  // go into the entry if it is a folder (not a mount); for anything else simply go on
    Skip,   // go on without entering it
    Stop,   // end the whole walk now
};

// One entry of the tree. Valid only during the visitor call.
struct Entry {
    std::string_view name;      // the entry's own name, raw bytes (any encoding)
    const struct stat& info;    // the entry itself, never what a link points to
    int depth;                  // 1 for the direct entries of the root
    const std::string& folder;  // the holding folder's path ("" stands for "/")
    int folderFd;               // the holding folder, open during the call (for openat)
    bool mountRoot = false;     // a folder on which something is mounted: never entered

    // The full path, built only when asked for.
    std::filesystem::path path() const;

    bool isDir() const { return S_ISDIR(info.st_mode); }
    bool isFile() const { return S_ISREG(info.st_mode); }
    bool isHidden() const { return !name.empty() && name.front() == '.'; }
    // Bytes allocated on disk (st_blocks x 512), not the logical length.
    std::int64_t allocated() const { return std::int64_t(info.st_blocks) * 512; }
};

using Visitor = std::function<Step(const Entry&)>;

// Told of each folder the walk was asked to enter but could not open (no
// permission, gone since it was listed, swapped for a link): the entry as the
// visitor saw it, valid only during the call. A walk that must know whether it
// saw everything listens; the others leave it out.
using Unopened = std::function<void(const Entry&)>;

// Visits every entry below `root` (not the root itself), folders before their
// contents, each folder in the order the file system lists it. Nothing is
// visited when the root is not a folder, is a link, or cannot be opened.
// `cancel`, when given, is read before every entry; once true, or once the
// program is asked to end (Quitting), the walk ends.
void walk(const std::filesystem::path& root, const Visitor& visit,
          const std::atomic<bool>* cancel = nullptr, const Unopened& unopened = {});

// The same walk below a folder the caller has already opened, with
// O_DIRECTORY | O_NOFOLLOW (relative to its parent's descriptor when it came
// from a walk). Takes ownership of `folderFd` and closes it. `folder` is its
// path, used only for Entry::folder and Entry::path; depths count from this
// folder (1 for its direct entries). At most `maxOpenFolders` (1 or more)
// folders stay open at once, so walks on several threads can share the
// descriptor budget of one walk.
void walkOpen(int folderFd, std::string folder, const Visitor& visit,
              const std::atomic<bool>* cancel = nullptr, int maxOpenFolders = kMaxOpenFolders,
              const Unopened& unopened = {});

} // namespace Walker
