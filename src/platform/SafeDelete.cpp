#include "platform/SafeDelete.h"

#include <cerrno>
#include <set>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FolderFd.h"

namespace {

// How many folders of one deletion stay open at most; deeper ones are
// reopened through ".." on the way back up.
constexpr int kMaxOpenFolders = 64;

// How often a folder is read again when it still holds entries after a full
// read (entries created meanwhile, or ones the listing skipped).
constexpr int kMaxExtraReads = 2;

bool isGone(const char* path)
{
    struct stat info;
    return lstat(path, &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

// One folder on the way from the one being deleted down to where the deletion is.
struct Frame {
    DIR* dir = nullptr;          // null while closed to spare descriptors
    dev_t device = 0;            // identity, checked when the folder is reopened
    ino_t inode = 0;
    std::string name;            // its name in the parent folder
    std::set<std::string> kept;  // entries that could not be deleted; skipped on rereads
    int extraReads = 0;
};

// Empties and removes one folder, opened as `fd` (owned) from `parentFd`
// (borrowed, stays open) under `name`.
class Deletion {
public:
    explicit Deletion(int parentFd) : parentFd_(parentFd) {}

    ~Deletion()
    {
        for (Frame& frame : stack_)
            if (frame.dir)
                closedir(frame.dir);
    }

    void run(int fd, const std::string& name)
    {
        struct stat info;
        if (fstat(fd, &info) != 0) {
            close(fd);
            return;
        }
        device_ = info.st_dev;
        if (!push(fd, info, name))
            return;

        while (!stack_.empty()) {
            Frame& top = stack_.back();
            errno = 0;
            const dirent* entry = readdir(top.dir);
            if (!entry) {
                finishFolder();
                continue;
            }
            if (FolderFd::isDotOrDotDot(entry->d_name) || top.kept.count(entry->d_name))
                continue;
            deleteEntry(entry->d_name);
        }
    }

private:
    int fdOf(const Frame& frame) const { return dirfd(frame.dir); }

    // Deletes a file or link at once; a folder is entered to be emptied first.
    void deleteEntry(const char* name)
    {
        Frame& top = stack_.back();
        const int fd = fdOf(top);
        struct stat info;
        if (fstatat(fd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                top.kept.insert(name);
            return;
        }
        if (!S_ISDIR(info.st_mode)) {
            if (unlinkat(fd, name, 0) != 0 && errno != ENOENT)
                top.kept.insert(name);
            return;
        }
        // Another file system mounted inside the tree is not ours to empty.
        if (info.st_dev != device_) {
            top.kept.insert(name);
            return;
        }
        int child = openat(fd, name, FolderFd::kOpenFlags);
        // Out of descriptors (a low limit, or a busy process): give back the
        // shallowest open folder and try again; it is reopened on the way up.
        while (child < 0 && (errno == EMFILE || errno == ENFILE) && closeShallowest())
            child = openat(fd, name, FolderFd::kOpenFlags);
        if (child < 0) {
            if (errno == ELOOP || errno == ENOTDIR) {
                // Swapped for a link or a file since fstatat: removed as such.
                if (unlinkat(fd, name, 0) != 0 && errno != ENOENT)
                    top.kept.insert(name);
            } else if (unlinkat(fd, name, AT_REMOVEDIR) != 0 && errno != ENOENT) {
                top.kept.insert(name);  // unreadable and not empty
            }
            return;
        }
        push(child, info, name);
    }

    // Takes ownership of `fd`. False when it cannot be read as a folder.
    bool push(int fd, const struct stat& info, const std::string& name)
    {
        struct stat opened;
        if (fstat(fd, &opened) != 0 || opened.st_dev != info.st_dev || opened.st_ino != info.st_ino) {
            close(fd);  // not the folder that was looked at: leave it alone
            if (!stack_.empty())
                stack_.back().kept.insert(name);
            return false;
        }
        DIR* dir = fdopendir(fd);
        if (!dir) {
            close(fd);
            if (!stack_.empty())
                stack_.back().kept.insert(name);
            return false;
        }
        stack_.push_back(Frame{dir, info.st_dev, info.st_ino, name, {}, 0});
        if (int(stack_.size() - firstOpen_) > kMaxOpenFolders)
            closeShallowest();
        return true;
    }

    // Closes the shallowest open folder unless it is the deepest one (the one
    // being read). False when there is none to spare.
    bool closeShallowest()
    {
        if (firstOpen_ + 1 >= stack_.size())
            return false;
        Frame& shallowest = stack_[firstOpen_];
        closedir(shallowest.dir);
        shallowest.dir = nullptr;
        ++firstOpen_;
        return true;
    }

    // The deepest folder has been read to its end: remove it from its parent,
    // or read it again if something new turned up, or keep it.
    void finishFolder()
    {
        const std::size_t depth = stack_.size() - 1;
        if (depth > 0 && !stack_[depth - 1].dir && !reopenParent()) {
            abandon();  // the tree moved under the deletion: stop here
            return;
        }
        Frame& folder = stack_.back();
        const int parentFd = depth > 0 ? fdOf(stack_[depth - 1]) : parentFd_;
        if (unlinkat(parentFd, folder.name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT) {
            closedir(folder.dir);
            stack_.pop_back();
            return;
        }
        if ((errno == ENOTEMPTY || errno == EEXIST) && folder.kept.empty()
            && folder.extraReads < kMaxExtraReads) {
            ++folder.extraReads;
            rewinddir(folder.dir);
            return;
        }
        const std::string name = folder.name;
        closedir(folder.dir);
        stack_.pop_back();
        if (!stack_.empty())
            stack_.back().kept.insert(name);
    }

    // Reopens the closed parent of the deepest folder through its "..", after
    // checking it is the same folder as before. Read from the start again:
    // what was deleted is gone and what was kept is skipped by name.
    bool reopenParent()
    {
        Frame& child = stack_.back();
        Frame& parent = stack_[stack_.size() - 2];
        parent.dir = FolderFd::reopenParent(fdOf(child), parent.device, parent.inode);
        if (!parent.dir)
            return false;
        firstOpen_ = stack_.size() - 2;
        return true;
    }

    void abandon()
    {
        for (Frame& frame : stack_)
            if (frame.dir)
                closedir(frame.dir);
        stack_.clear();
    }

    const int parentFd_;
    dev_t device_ = 0;
    std::vector<Frame> stack_;
    std::size_t firstOpen_ = 0;  // frames below this index are closed
};

} // namespace

namespace SafeDelete {

bool removeAll(const std::filesystem::path& path)
{
    std::string text = path.native();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    if (text.empty())
        return false;
    if (isGone(text.c_str()))
        return true;

    const std::size_t slash = text.rfind('/');
    const std::string name = slash == std::string::npos ? text : text.substr(slash + 1);
    const std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : text.substr(0, slash);
    // "/" itself, "." and ".." name no entry that can be removed from a parent.
    if (name.empty() || text == "/" || name == "." || name == "..")
        return false;

    const int parentFd = open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0)
        return isGone(text.c_str());

    struct stat info;
    if (fstatat(parentFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISDIR(info.st_mode)) {
            unlinkat(parentFd, name.c_str(), 0);
        } else {
            const int fd = openat(parentFd, name.c_str(), FolderFd::kOpenFlags);
            if (fd >= 0)
                Deletion(parentFd).run(fd, name);
            else if (errno == ELOOP || errno == ENOTDIR)
                unlinkat(parentFd, name.c_str(), 0);  // swapped for a link meanwhile
            else
                unlinkat(parentFd, name.c_str(), AT_REMOVEDIR);
        }
    }
    const bool gone = fstatat(parentFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT;
    close(parentFd);
    return gone;
}

} // namespace SafeDelete
