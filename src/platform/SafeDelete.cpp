#include "platform/SafeDelete.h"

#include <cerrno>
#include <set>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
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

// Clears the immutable and append-only attributes of an open folder or regular file.
void clearLocks(int fd)
{
    int attributes = 0;
    if (ioctl(fd, FS_IOC_GETFLAGS, &attributes) != 0)
        return;
    const int locks = FS_IMMUTABLE_FL | FS_APPEND_FL;
    if (attributes & locks) {
        attributes &= ~locks;
        ioctl(fd, FS_IOC_SETFLAGS, &attributes);
    }
}

// Unlinks the entry `name` (not a folder) of the open folder `folderFd`; when
// that is refused and locks may be cleared, clears a regular file's and tries
// once more. 0, or the errno of the failure.
int unlinkFile(int folderFd, const char* name, SafeDelete::Locks locks)
{
    if (unlinkat(folderFd, name, 0) == 0)
        return 0;
    const int error = errno;
    if (locks != SafeDelete::Locks::Clear || error != EPERM)
        return error;
    const int fd = openat(folderFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return error;
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        clearLocks(fd);
    close(fd);
    return unlinkat(folderFd, name, 0) == 0 ? 0 : errno;
}

// The reason that stays reported when several are met: a mount point inside
// tells more than the "not empty" it causes further up.
FailReason worse(FailReason known, FailReason met)
{
    if (known == FailReason::None || met == FailReason::MountInside)
        return met;
    return known;
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
    Deletion(int parentFd, SafeDelete::Locks locks) : parentFd_(parentFd), locks_(locks) {}

    ~Deletion()
    {
        for (Frame& frame : stack_)
            if (frame.dir)
                closedir(frame.dir);
    }

    // The first reason something was kept, None when nothing was.
    FailReason reason() const { return reason_; }
    // Whether this deletion removed the folder itself (not someone else first).
    bool removedByUs() const { return removedByUs_; }

    void run(int fd, const std::string& name)
    {
        struct stat info;
        if (fstat(fd, &info) != 0) {
            keep(errno);
            close(fd);
            return;
        }
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

    void keep(int error) { reason_ = worse(reason_, failReasonOf(error == 0 ? EIO : error)); }

    // Keeps the entry `name` of the folder `frame`, for the reason in `error`.
    void keep(Frame& frame, const std::string& name, int error)
    {
        frame.kept.insert(name);
        keep(error);
    }

    // Deletes a file or link at once; a folder is entered to be emptied first.
    void deleteEntry(const char* name)
    {
        Frame& top = stack_.back();
        const int fd = fdOf(top);
        struct stat info;
        bool mountRoot = false;
        if (const int error = FolderFd::statEntry(fd, name, top.device, info, mountRoot); error != 0) {
            if (error != ENOENT)
                keep(top, name, error);
            return;
        }
        if (!S_ISDIR(info.st_mode)) {
            if (const int error = unlinkFile(fd, name, locks_); error != 0 && error != ENOENT)
                keep(top, name, error);
            return;
        }
        // Something mounted inside the tree, whatever its device, is not ours to empty.
        if (mountRoot) {
            top.kept.insert(name);
            reason_ = FailReason::MountInside;
            return;
        }
        int child = openat(fd, name, FolderFd::kOpenFlags);
        // Out of descriptors (a low limit, or a busy process): give back the
        // shallowest open folder and try again; it is reopened on the way up.
        while (child < 0 && (errno == EMFILE || errno == ENFILE) && closeShallowest())
            child = openat(fd, name, FolderFd::kOpenFlags);
        if (child < 0) {
            const int openError = errno;
            if (openError == ELOOP || openError == ENOTDIR) {
                // Swapped for a link or a file since it was looked at: removed as such.
                if (unlinkat(fd, name, 0) != 0 && errno != ENOENT)
                    keep(top, name, errno);
            } else if (unlinkat(fd, name, AT_REMOVEDIR) != 0 && errno != ENOENT) {
                keep(top, name, openError);  // unreadable and not empty
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
                keep(stack_.back(), name, EBUSY);
            else
                keep(EBUSY);
            return false;
        }
        if (locks_ == SafeDelete::Locks::Clear)
            clearLocks(fd);  // a locked folder keeps its entries
        DIR* dir = fdopendir(fd);
        if (!dir) {
            const int error = errno;
            close(fd);
            if (!stack_.empty())
                keep(stack_.back(), name, error);
            else
                keep(error);
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
        const bool removed = unlinkat(parentFd, folder.name.c_str(), AT_REMOVEDIR) == 0;
        if (removed || errno == ENOENT) {
            if (depth == 0)
                removedByUs_ = removed;  // ENOENT: someone else removed it meanwhile
            closedir(folder.dir);
            stack_.pop_back();
            return;
        }
        const int error = errno;
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
            keep(stack_.back(), name, error);
        else
            keep(error);
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
        keep(EBUSY);
        for (Frame& frame : stack_)
            if (frame.dir)
                closedir(frame.dir);
        stack_.clear();
    }

    const int parentFd_;
    const SafeDelete::Locks locks_;
    FailReason reason_ = FailReason::None;
    bool removedByUs_ = false;
    std::vector<Frame> stack_;
    std::size_t firstOpen_ = 0;  // frames below this index are closed
};

} // namespace

namespace SafeDelete {

Result removeAt(int folderFd, const std::string& name, Locks locks)
{
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return {Outcome::Kept, FailReason::Other};
    struct stat folder;
    if (fstat(folderFd, &folder) != 0)
        return {Outcome::Kept, failReasonOf(errno)};

    struct stat info;
    bool mountRoot = false;
    if (const int error = FolderFd::statEntry(folderFd, name.c_str(), folder.st_dev, info, mountRoot); error != 0)
        return error == ENOENT ? Result{Outcome::WasGone, FailReason::None} : Result{Outcome::Kept, failReasonOf(error)};
    if (mountRoot)
        return {Outcome::Kept, FailReason::MountInside};  // the item itself is a mount point

    // Removed only when this call took it away; gone by another hand since it
    // was looked at, it frees nothing here.
    FailReason reason = FailReason::None;
    bool removed = false;
    const auto unlinkOnce = [&](int flags, int errorIfKept) {
        const int error = flags == 0 ? unlinkFile(folderFd, name.c_str(), locks)
                                     : (unlinkat(folderFd, name.c_str(), flags) == 0 ? 0 : errno);
        removed = error == 0;
        if (!removed && error != ENOENT)
            reason = failReasonOf(errorIfKept ? errorIfKept : error);
    };
    if (!S_ISDIR(info.st_mode)) {
        unlinkOnce(0, 0);
    } else {
        const int fd = openat(folderFd, name.c_str(), FolderFd::kOpenFlags);
        if (fd >= 0) {
            Deletion deletion(folderFd, locks);
            deletion.run(fd, name);
            reason = deletion.reason();
            removed = deletion.removedByUs();
        } else if (errno == ELOOP || errno == ENOTDIR) {
            unlinkOnce(0, 0);  // swapped for a link meanwhile
        } else if (errno != ENOENT) {
            unlinkOnce(AT_REMOVEDIR, errno);
        }
    }
    if (removed)
        return {Outcome::Removed, FailReason::None};
    if (fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT)
        return {Outcome::WasGone, FailReason::None};
    return {Outcome::Kept, reason == FailReason::None ? FailReason::Other : reason};
}

Result removeItem(const std::filesystem::path& path)
{
    std::string text = path.native();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    if (text.empty())
        return {Outcome::Kept, FailReason::Other};
    if (isGone(text.c_str()))
        return {Outcome::WasGone, FailReason::None};

    const std::size_t slash = text.rfind('/');
    const std::string name = slash == std::string::npos ? text : text.substr(slash + 1);
    const std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : text.substr(0, slash);
    // "/" itself, "." and ".." name no entry that can be removed from a parent.
    if (name.empty() || text == "/" || name == "." || name == "..")
        return {Outcome::Kept, FailReason::Other};

    const int parentFd = open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0) {
        const int error = errno;
        return isGone(text.c_str()) ? Result{Outcome::WasGone, FailReason::None} : Result{Outcome::Kept, failReasonOf(error)};
    }
    const Result result = removeAt(parentFd, name);
    close(parentFd);
    return result;
}

bool removeAll(const std::filesystem::path& path)
{
    return removeItem(path).gone();
}

} // namespace SafeDelete
