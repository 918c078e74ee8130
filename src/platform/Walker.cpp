#include "platform/Walker.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/FolderFd.h"
#include "platform/Quitting.h"

namespace {

// One folder on the way from the root down to where the walk is.
struct Frame {
    DIR* dir = nullptr;         // null while closed to spare descriptors
    long position = 0;          // where to read on after reopening (from telldir)
    dev_t device = 0;           // identity, checked when the folder is reopened
    ino_t inode = 0;
    std::size_t pathLength = 0; // length of this folder's path in Walk::folder_
};

class Walk {
public:
    Walk(const Walker::Visitor& visit, const std::atomic<bool>* cancel, int maxOpenFolders,
         const Walker::Unopened& unopened)
        : visit_(visit), unopened_(unopened), cancel_(cancel), maxOpen_(std::max(1, maxOpenFolders)) {}

    ~Walk()
    {
        for (Frame& frame : stack_)
            if (frame.dir)
                closedir(frame.dir);
    }

    // Takes ownership of `fd`, an open folder whose path is `folder`.
    void run(int fd, std::string folder)
    {
        folder_ = std::move(folder);
        while (!folder_.empty() && folder_.back() == '/')
            folder_.pop_back();  // "/" becomes "", so children read "/name"

        struct stat info;
        if (fstat(fd, &info) != 0) {
            close(fd);
            return;
        }
        if (!push(fd, info))
            return;

        while (!stack_.empty()) {
            if ((cancel_ && cancel_->load(std::memory_order_relaxed)) || Quitting::requested())
                return;
            const dirent* entry = readdir(stack_.back().dir);
            if (!entry) {  // end of the folder, or it cannot be read further
                pop();
                continue;
            }
            if (FolderFd::isDotOrDotDot(entry->d_name))
                continue;
            if (!visitEntry(entry->d_name))
                return;
        }
    }

private:
    // Reads one entry, shows it to the visitor and enters it when asked.
    // False when the visitor wants the walk to stop.
    bool visitEntry(const char* name)
    {
        const int parentFd = dirfd(stack_.back().dir);
        struct stat info;
        bool mountRoot = false;
        if (FolderFd::statEntry(parentFd, name, stack_.back().device, info, mountRoot) != 0)
            return true;  // gone since it was listed

        const Walker::Entry entry{name, info, int(stack_.size()), folder_, parentFd, mountRoot};
        const Walker::Step step = visit_(entry);
        if (step == Walker::Step::Stop)
            return false;
        if (step == Walker::Step::Enter && S_ISDIR(info.st_mode) && !mountRoot && !enter(parentFd, name, info)
            && unopened_)
            unopened_(entry);
        return true;
    }

    // False when the folder cannot be opened: unreadable, or swapped for a
    // link since fstatat. It is skipped then.
    bool enter(int parentFd, const char* name, const struct stat& info)
    {
        const int fd = openat(parentFd, name, FolderFd::kOpenFlags);
        if (fd < 0)
            return false;
        const std::size_t parentLength = folder_.size();
        folder_ += '/';
        folder_ += name;
        if (push(fd, info))
            return true;
        folder_.resize(parentLength);
        return false;
    }

    // Takes ownership of `fd`. False when it cannot be read as a folder.
    bool push(int fd, const struct stat& info)
    {
        DIR* dir = fdopendir(fd);
        if (!dir) {
            close(fd);
            return false;
        }
        stack_.push_back(Frame{dir, 0, info.st_dev, info.st_ino, folder_.size()});
        if (int(stack_.size() - firstOpen_) > maxOpen_) {
            Frame& shallowest = stack_[firstOpen_];
            shallowest.position = telldir(shallowest.dir);
            closedir(shallowest.dir);
            shallowest.dir = nullptr;
            ++firstOpen_;
        }
        return true;
    }

    // Leaves the deepest folder and makes sure its parent is open again.
    void pop()
    {
        DIR* child = stack_.back().dir;
        stack_.pop_back();
        if (!stack_.empty() && !stack_.back().dir && !reopenParent(child))
            stack_.clear();  // the tree moved under the walk: end it here
        closedir(child);
        if (!stack_.empty())
            folder_.resize(stack_.back().pathLength);
    }

    // Reopens the closed parent of `child` through "..", checks that it is the
    // same folder as before and puts it back at its remembered position.
    bool reopenParent(DIR* child)
    {
        Frame& parent = stack_.back();
        parent.dir = FolderFd::reopenParent(dirfd(child), parent.device, parent.inode);
        if (!parent.dir)
            return false;
        // On Linux the position is the file system's directory offset, which a
        // fresh stream of the same folder accepts.
        seekdir(parent.dir, parent.position);
        firstOpen_ = stack_.size() - 1;
        return true;
    }

    const Walker::Visitor& visit_;
    const Walker::Unopened& unopened_;
    const std::atomic<bool>* cancel_;
    const int maxOpen_;          // folders kept open at most
    std::vector<Frame> stack_;
    std::size_t firstOpen_ = 0;  // frames below this index are closed
    std::string folder_;         // path of the deepest folder
};

} // namespace

namespace Walker {

std::filesystem::path Entry::path() const
{
    std::string full;
    full.reserve(folder.size() + 1 + name.size());
    full += folder;
    full += '/';
    full += name;
    return std::filesystem::path(std::move(full));
}

void walk(const std::filesystem::path& root, const Visitor& visit, const std::atomic<bool>* cancel,
          const Unopened& unopened)
{
    const int fd = open(root.c_str(), FolderFd::kOpenFlags);
    if (fd >= 0)
        Walk(visit, cancel, kMaxOpenFolders, unopened).run(fd, root.native());
}

void walkOpen(int folderFd, std::string folder, const Visitor& visit,
              const std::atomic<bool>* cancel, int maxOpenFolders, const Unopened& unopened)
{
    if (folderFd >= 0)
        Walk(visit, cancel, maxOpenFolders, unopened).run(folderFd, std::move(folder));
}

} // namespace Walker
