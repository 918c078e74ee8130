// The walk of Lint::find: one pass over the tree, folder by folder, each
// opened relative to its parent's descriptor and listed whole with
// getdents64, the entry types read from d_type (an entry is looked at only
// where the file system does not give its type, and only a link's target is
// ever followed, to see whether it is there). A folder is an empty tree when
// every entry in it is a folder that is an empty tree itself; the walk
// decides that on the way back up and lists only the top-most such folder.
#include "engines/dupes/Lint.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "engines/common/WalkPlaces.h"
#include "engines/dupes/DuplicateChoice.h"
#include "engines/dupes/LintPlaces.h"
#include "platform/FS.h"
#include "platform/FolderFd.h"
#include "platform/Paths.h"
#include "platform/Quitting.h"

namespace fs = std::filesystem;
using namespace WalkPlaces;

namespace Lint {

namespace {

// Folders one walk keeps open at most; deeper ones are reopened through ".." on the way back.
constexpr std::size_t kMaxOpen = 64;

// What the walk does with a folder it meets by name.
enum class Rule {
    Skip,    // neither entered nor listed, and what holds it is not empty (the Trash, a mount target, a needed folder)
    Ignore,  // the same, counted: the never-touch list
    Keep,    // entered, never listed itself (the user's own folders)
};

// The folders the walk treats by name, keyed by name and then by the holding
// folder (both as the walk spells them: links on the way resolved).
class Places {
public:
    void add(const fs::path& place, Rule rule)
    {
        const fs::path normal = place.lexically_normal();
        if (normal.filename().empty())
            return;
        const std::string folder = walkerText(resolvedFolder(normal.parent_path()));
        m_byName[normal.filename().native()].push_back({folder, rule});
        if (const std::string written = walkerText(normal.parent_path()); written != folder)
            m_byName[normal.filename().native()].push_back({written, rule});
    }

    const Rule* find(const std::string& folder, std::string_view name) const
    {
        const auto named = m_byName.find(std::string(name));
        if (named == m_byName.end())
            return nullptr;
        for (const auto& [holder, rule] : named->second)
            if (holder == folder)
                return &rule;
        return nullptr;
    }

private:
    std::unordered_map<std::string, std::vector<std::pair<std::string, Rule>>> m_byName;
};

// One folder on the way down.
struct Frame {
    int fd = -1;                         // -1 while closed to spare descriptors
    std::string path;                    // as the walk spells it
    dev_t device = 0;
    ino_t inode = 0;
    std::int64_t mtimeNs = 0;
    bool listable = true;                // may be an item itself
    std::vector<std::string> subfolders; // to enter, in listing order
    std::vector<bool> keptByName;        // the same, whether each is a folder never listed itself
    std::size_t next = 0;
    bool empty = true;                   // nothing but empty trees met so far
    int folders = 1;                     // itself and its empty subtrees
    std::vector<Item> tops;              // its empty subtrees, each by its top folder
};

std::int64_t nanoseconds(const struct statx_timestamp& time)
{
    return std::int64_t(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

class Walk {
public:
    Walk(const Options& options, const CancelFlag& flag, const std::function<void(std::int64_t)>& progress)
        : m_options(options), m_flag(flag), m_progress(progress), m_buffer(64 * 1024)
    {
    }

    void addPlace(const fs::path& place, Rule rule) { m_places.add(place, rule); }

    void setMounts(std::vector<std::string> mounted, std::vector<std::string> volumePlaces)
    {
        m_mounted.insert(mounted.begin(), mounted.end());
        m_mountedList = std::move(mounted);
        m_volumePlaces = std::move(volumePlaces);
    }

    // Walks the open folder `fd` (owned) whose path is `root`.
    void run(int fd, const std::string& root)
    {
        struct statx sx;
        if (statx(fd, "", AT_EMPTY_PATH | AT_NO_AUTOMOUNT, STATX_BASIC_STATS, &sx) != 0) {
            close(fd);
            return;
        }
        Frame top;
        top.fd = fd;
        top.path = root;
        top.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
        top.inode = sx.stx_ino;
        top.listable = false;  // the chosen folder is never an item
        m_stack.push_back(std::move(top));
        list(m_stack.back());

        while (!m_stack.empty()) {
            if (stopped()) {
                for (Frame& frame : m_stack)
                    if (frame.fd >= 0)
                        close(frame.fd);
                m_stack.clear();
                return;
            }
            Frame& frame = m_stack.back();
            if (frame.next < frame.subfolders.size()) {
                const std::size_t index = frame.next++;
                enter(frame, frame.subfolders[index], frame.keptByName[index]);
                continue;
            }
            leave();
        }
    }

    std::vector<Item> items;
    std::int64_t entries = 0;
    int ignored = 0;

private:
    bool stopped() const { return m_flag.cancelled.load(std::memory_order_relaxed) || Quitting::requested(); }

    void counted()
    {
        if (++entries % kProgressStep == 0 && m_progress)
            m_progress(entries);
    }

    // Opens the subfolder `name` of `parent` and lists it, or marks the parent not empty.
    void enter(Frame& parent, const std::string& name, bool kept)
    {
        const int fd = openat(parent.fd, name.c_str(), FolderFd::kOpenFlags);
        struct statx sx;
        if (fd < 0 || statx(fd, "", AT_EMPTY_PATH | AT_NO_AUTOMOUNT, STATX_BASIC_STATS, &sx) != 0) {
            if (fd >= 0)
                close(fd);
            parent.empty = false;  // unreadable, or gone: nothing is known of it
            return;
        }
        Frame child;
        child.fd = fd;
        child.path = parent.path + "/" + name;
        child.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
        child.inode = sx.stx_ino;
        child.mtimeNs = nanoseconds(sx.stx_mtime);
        child.listable = !kept;
        const bool mountRoot = ((sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) && (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT))
                               || child.device != parent.device || m_mounted.count(child.path) > 0;
        if (mountRoot || !S_ISDIR(sx.stx_mode)) {
            close(fd);
            parent.empty = false;
            return;
        }
        // Keep the number of open folders bounded whatever the depth.
        if (m_stack.size() - m_firstOpen >= kMaxOpen) {
            close(m_stack[m_firstOpen].fd);
            m_stack[m_firstOpen].fd = -1;
            ++m_firstOpen;
        }
        m_stack.push_back(std::move(child));
        list(m_stack.back());
    }

    // Ends the deepest folder: an empty tree goes up to its parent whole, else
    // its empty subtrees become items.
    void leave()
    {
        Frame child = std::move(m_stack.back());
        m_stack.pop_back();
        if (!m_stack.empty() && m_stack.back().fd < 0) {
            DIR* parent = FolderFd::reopenParent(child.fd, m_stack.back().device, m_stack.back().inode);
            const int fd = parent ? dup(dirfd(parent)) : -1;
            if (parent)
                closedir(parent);
            if (fd < 0) {
                // The tree moved under the walk: nothing above is known any more.
                close(child.fd);
                for (Frame& frame : m_stack)
                    if (frame.fd >= 0)
                        close(frame.fd);
                m_stack.clear();
                return;
            }
            m_stack.back().fd = fd;
            m_firstOpen = m_stack.size() - 1;
        }
        close(child.fd);
        const bool wholeTree = child.empty && child.listable && !FS::isProtected(child.path);
        if (m_stack.empty()) {
            take(child.tops);
            return;
        }
        Frame& parent = m_stack.back();
        if (wholeTree) {
            parent.folders += child.folders;
            Item item;
            item.kind = Kind::EmptyFolder;
            item.path = std::move(child.path);
            item.device = child.device;
            item.inode = child.inode;
            item.mtimeNs = child.mtimeNs;
            item.folders = child.folders;
            parent.tops.push_back(std::move(item));
        } else {
            parent.empty = false;
            take(child.tops);
        }
    }

    void take(std::vector<Item>& tops)
    {
        for (Item& item : tops)
            items.push_back(std::move(item));
        tops.clear();
    }

    // Reads the whole folder: what to enter, what it holds besides folders, its broken links.
    void list(Frame& frame)
    {
        bool head = false, refs = false, objects = false;
        for (;;) {
            const ssize_t read = getdents64(frame.fd, m_buffer.data(), m_buffer.size());
            if (read <= 0) {
                if (read < 0)
                    frame.empty = false;  // not read to its end: not known to be empty
                break;
            }
            for (ssize_t at = 0; at < read;) {
                const auto* entry = reinterpret_cast<const struct dirent64*>(m_buffer.data() + at);
                at += entry->d_reclen;
                const char* name = entry->d_name;
                if (FolderFd::isDotOrDotDot(name))
                    continue;
                counted();
                unsigned char type = entry->d_type;
                if (type == DT_UNKNOWN) {
                    struct stat info;
                    if (fstatat(frame.fd, name, &info, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0) {
                        frame.empty = false;
                        continue;
                    }
                    type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISLNK(info.st_mode) ? DT_LNK : DT_REG;
                }
                const std::string_view nameView(name);
                if (nameView == "HEAD")
                    head = true;
                else if (nameView == "refs" && type == DT_DIR)
                    refs = true;
                else if (nameView == "objects" && type == DT_DIR)
                    objects = true;
                // A hidden entry makes its folder not empty, listed or not.
                if (name[0] == '.' && !m_options.hidden) {
                    frame.empty = false;
                    continue;
                }
                if (type == DT_DIR) {
                    folder(frame, nameView);
                    continue;
                }
                frame.empty = false;
                if (type == DT_LNK)
                    link(frame, name);
            }
        }
        // A bare repository (and a .git reached some other way): its refs can
        // be nothing but empty folders, and the repository needs them.
        if (head && refs && objects) {
            frame.empty = false;
            frame.subfolders.clear();
            frame.keptByName.clear();
        }
    }

    void folder(Frame& frame, std::string_view name)
    {
        if (name == ".git" || name == ".hg" || name == ".svn") {
            frame.empty = false;
            return;
        }
        if (const Rule* rule = m_places.find(frame.path, name)) {
            if (*rule == Rule::Ignore)
                ++ignored;
            if (*rule != Rule::Keep) {
                frame.empty = false;
                return;
            }
        }
        frame.subfolders.emplace_back(name);
        frame.keptByName.push_back(m_places.find(frame.path, name) != nullptr);
    }

    // Lists the link `name` when its target does not exist.
    void link(const Frame& frame, const char* name)
    {
        struct stat info;
        if (fstatat(frame.fd, name, &info, AT_NO_AUTOMOUNT) == 0 || !targetMissing(errno))
            return;
        char buffer[4096];
        const ssize_t length = readlinkat(frame.fd, name, buffer, sizeof buffer);
        if (length < 0 || std::size_t(length) >= sizeof buffer)
            return;
        std::string target(buffer, std::size_t(length));
        if (onAbsentVolume(targetPath(frame.path, target), m_volumePlaces, m_mountedList))
            return;  // a disk that is away now: the link works again when it is back
        if (fstatat(frame.fd, name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(info.st_mode))
            return;
        Item item;
        item.kind = Kind::BrokenLink;
        item.path = frame.path + "/" + name;
        item.device = info.st_dev;
        item.inode = info.st_ino;
        item.mtimeNs = std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
        item.target = std::move(target);
        item.folders = 0;
        items.push_back(std::move(item));
    }

    const Options& m_options;
    const CancelFlag& m_flag;
    const std::function<void(std::int64_t)>& m_progress;
    std::vector<char> m_buffer;
    Places m_places;
    std::unordered_set<std::string> m_mounted;
    std::vector<std::string> m_mountedList;
    std::vector<std::string> m_volumePlaces;
    std::vector<Frame> m_stack;
    std::size_t m_firstOpen = 0;
};

// The user's own folders: those user-dirs.dirs names, and the usual names
// where it names none.
std::vector<fs::path> userFolders()
{
    const fs::path home = Paths::home();
    std::vector<fs::path> folders;
    for (const char* name : {"Desktop", "Documents", "Downloads", "Music", "Pictures", "Public", "Templates", "Videos"})
        folders.push_back(home / name);
    for (const Paths::UserDir& dir : Paths::userDirs())
        folders.push_back(dir.path);
    return folders;
}

} // namespace

Result find(const fs::path& folder, const Options& options, const CancelFlag& flag,
            const std::function<void(std::int64_t)>& progress)
{
    Result result;
    // Absolute, so every item can be checked and removed by its path later.
    std::error_code error;
    const fs::path absolute = fs::absolute(folder, error);
    const fs::path written = walkerText(absolute).empty() ? fs::path("/") : fs::path(walkerText(absolute));
    const fs::path root = resolvedFolder(written);
    const std::string rootText = walkerText(root);
    const std::string writtenText = walkerText(written);
    if (startsInStorage(written, root))
        return result;
    if (options.never.covers(written) || options.never.covers(root)) {
        result.ignored = 1;
        return result;
    }

    Walk walk(options, flag, progress);
    for (const SkipPlace& place : skipPlaces(root))
        walk.addPlace(fs::path(place.folder.empty() ? "/" : place.folder) / place.name, Rule::Skip);
    for (const fs::path& place : options.needed)
        walk.addPlace(place, Rule::Skip);
    std::vector<std::string> volumePlaces = fstabTargets(options.fstab);
    for (std::string& place : automountTargets(options.automountUnits))
        volumePlaces.push_back(std::move(place));
    for (const std::string& place : volumePlaces)
        walk.addPlace(place, Rule::Skip);
    for (const fs::path& place : options.volumeRoots)
        volumePlaces.push_back(walkerText(place));
    walk.setMounts(mountedNow(options.mountinfo), std::move(volumePlaces));
    for (const fs::path& place : options.never.places())
        walk.addPlace(place, Rule::Ignore);
    for (const fs::path& place : userFolders())
        walk.addPlace(place, Rule::Keep);

    const int fd = open(root.c_str(), FolderFd::kOpenFlags);
    if (fd >= 0)
        walk.run(fd, rootText == "" ? std::string() : rootText);
    result.entries = walk.entries;
    result.ignored = walk.ignored;
    if (flag.cancelled.load() || Quitting::requested()) {
        result.cancelled = true;
        result.ignored = 0;
        return result;
    }

    // The folder's own spelling, and whether each item lies in a project.
    Dupes::GitFolders holdsGit;
    for (Item& item : walk.items) {
        const std::string resolved = item.path;
        if (rootText != writtenText)
            item.path = writtenText + item.path.substr(rootText.size());
        // A link the list names (a folder it names was never entered).
        if (!options.never.empty() && (options.never.covers(item.path) || options.never.covers(resolved))) {
            ++result.ignored;
            continue;
        }
        // Asked of the item's own folder too: an empty "build" of a project is part of it.
        item.inProject = Dupes::inProject(item.kind == Kind::EmptyFolder ? item.path + "/" : item.path, std::ref(holdsGit));
        item.selected = !item.inProject;
        result.items.push_back(std::move(item));
    }
    std::sort(result.items.begin(), result.items.end(), [](const Item& a, const Item& b) { return a.path < b.path; });
    return result;
}

} // namespace Lint
