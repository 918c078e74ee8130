#include "admin/SystemFiles.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FolderFd.h"
#include "platform/SafeDelete.h"

namespace AdminHelper {

namespace {

// An open descriptor, closed when it goes.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd(Fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Fd& operator=(Fd&& other) noexcept
    {
        std::swap(fd_, other.fd_);
        return *this;
    }
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }

private:
    int fd_;
};

// The names of a path between its slashes, as strings.
std::vector<std::string> partsOf(const std::string& path)
{
    const std::vector<std::string_view> parts = Admin::pathParts(path);
    return {parts.begin(), parts.end()};
}

// Goes down from `fd` through `names`, one real folder at a time (never a link).
Fd descend(Fd fd, const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        if (!fd.ok())
            break;
        fd = Fd(openat(fd.get(), name.c_str(), FolderFd::kOpenFlags));
    }
    return fd;
}


std::optional<std::pair<dev_t, ino_t>> deviceInode(const std::string& text)
{
    const std::size_t colon = text.find(':');
    unsigned long long device = 0;
    unsigned long long inode = 0;
    const char* end = text.data() + text.size();
    if (std::from_chars(text.data(), text.data() + colon, device).ec != std::errc()
        || std::from_chars(text.data() + colon + 1, end, inode).ec != std::errc())
        return std::nullopt;
    return std::pair(dev_t(device), ino_t(inode));
}

// Removes a regular file `name` directly in the system folder `folder`.
Admin::Answer removeFileIn(const Context& context, const char* folder, const std::string& name)
{
    const Fd fd(open(context.system(folder).c_str(), FolderFd::kOpenFlags));
    if (!fd.ok())
        return failed("place", folder);
    struct stat info;
    if (fstatat(fd.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? done() : failed("place", name);
    if (!S_ISREG(info.st_mode))
        return failed("place", name);
    if (unlinkat(fd.get(), name.c_str(), 0) != 0 && errno != ENOENT)
        return failed("tool", name + ": " + std::strerror(errno));
    return done();
}

} // namespace

Admin::Answer removeTrashEntry(const Context& context, const Admin::Action& action)
{
    const std::string& files = action.args[0];
    const std::vector<std::string> below = partsOf(action.args[2]);
    const std::optional<std::pair<dev_t, ino_t>> recorded = deviceInode(action.args[1]);
    if (!recorded)
        return failed("argument", action.args[1]);

    // The folder holding the Trash is reached by its path (a data folder kept
    // elsewhere is the user's own choice); Trash and files/ must be the user's own.
    const std::string trash = files.substr(0, files.size() - std::strlen("/files"));
    const std::string holder = trash.substr(0, trash.rfind('/'));
    const Fd holderFd(open(holder.empty() ? "/" : holder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!holderFd.ok())
        return failed("place", files);
    const Fd trashFd(FolderFd::openOwnFolder(holderFd.get(), "Trash", context.user));
    Fd filesFd(trashFd.ok() ? FolderFd::openOwnFolder(trashFd.get(), "files", context.user) : -1);
    if (!filesFd.ok())
        return failed("owner", files);

    const Fd folder = descend(std::move(filesFd), std::vector<std::string>(below.begin(), below.end() - 1));
    struct stat info;
    if (!folder.ok() || fstat(folder.get(), &info) != 0 || info.st_dev != recorded->first
        || info.st_ino != recorded->second)
        return failed("place", action.args[2]);
    const SafeDelete::Result result = SafeDelete::removeAt(folder.get(), below.back(), SafeDelete::Locks::Clear);
    return result.gone() ? done() : failed("kept", below.back());
}

Admin::Answer removeCoreDump(const Context& context, const Admin::Action& action)
{
    return removeFileIn(context, "/var/lib/systemd/coredump", action.args[0]);
}

Admin::Answer removeCrashReport(const Context& context, const Admin::Action& action)
{
    return removeFileIn(context, "/var/crash", action.args[0]);
}

Admin::Answer removeRotatedLog(const Context& context, const Admin::Action& action)
{
    const std::vector<std::string> parts = partsOf(action.args[0]);
    const std::string& name = parts.back();
    const Fd folder = descend(Fd(open(context.system("/var/log").c_str(), FolderFd::kOpenFlags)),
                              std::vector<std::string>(parts.begin(), parts.end() - 1));
    if (!folder.ok())
        return failed("place", action.args[0]);
    struct stat info;
    if (fstatat(folder.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? done() : failed("place", action.args[0]);
    struct stat live;
    if (!S_ISREG(info.st_mode)
        || fstatat(folder.get(), Admin::rotatedLogBase(name).c_str(), &live, AT_SYMLINK_NOFOLLOW) != 0)
        return failed("place", action.args[0]);
    if (heldOpen(info.st_dev, info.st_ino))
        return failed("in-use", action.args[0]);
    if (unlinkat(folder.get(), name.c_str(), 0) != 0 && errno != ENOENT)
        return failed("tool", action.args[0] + ": " + std::strerror(errno));
    return done();
}

Admin::Answer dropCaches(const Context& context)
{
    sync();
    const std::string path = context.system("/proc/sys/vm/drop_caches");
    const Fd fd(open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.ok())
        return failed("tool", path + ": " + std::strerror(errno));
    if (write(fd.get(), "3\n", 2) != 2)
        return failed("tool", path + ": " + std::strerror(errno));
    return done();
}

bool heldOpen(dev_t device, ino_t inode)
{
    DIR* proc = opendir("/proc");
    if (!proc)
        return true;  // cannot tell: count it as held
    bool held = false;
    while (const dirent* entry = readdir(proc)) {
        if (held)
            break;
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9')
            continue;
        const std::string fds = std::string("/proc/") + entry->d_name + "/fd";
        DIR* list = opendir(fds.c_str());
        if (!list)
            continue;
        while (const dirent* fd = readdir(list)) {
            struct stat info;
            if (!FolderFd::isDotOrDotDot(fd->d_name) && fstatat(dirfd(list), fd->d_name, &info, 0) == 0
                && info.st_dev == device && info.st_ino == inode) {
                held = true;
                break;
            }
        }
        closedir(list);
    }
    closedir(proc);
    return held;
}

} // namespace AdminHelper
