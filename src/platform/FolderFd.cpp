#include "platform/FolderFd.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

void fromStatx(const struct statx& sx, struct stat& info)
{
    info = {};
    info.st_dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    info.st_ino = sx.stx_ino;
    info.st_mode = sx.stx_mode;
    info.st_nlink = sx.stx_nlink;
    info.st_uid = sx.stx_uid;
    info.st_gid = sx.stx_gid;
    info.st_rdev = makedev(sx.stx_rdev_major, sx.stx_rdev_minor);
    info.st_size = off_t(sx.stx_size);
    info.st_blksize = blksize_t(sx.stx_blksize);
    info.st_blocks = blkcnt_t(sx.stx_blocks);
    info.st_atim = {time_t(sx.stx_atime.tv_sec), long(sx.stx_atime.tv_nsec)};
    info.st_mtim = {time_t(sx.stx_mtime.tv_sec), long(sx.stx_mtime.tv_nsec)};
    info.st_ctim = {time_t(sx.stx_ctime.tv_sec), long(sx.stx_ctime.tv_nsec)};
}

// Where the open descriptor `fd` stands, as the kernel names it ("" when unknown).
std::string pathOf(int fd)
{
    char buffer[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t n = readlink(link.c_str(), buffer, sizeof buffer);
    return n > 0 && std::size_t(n) < sizeof buffer ? std::string(buffer, std::size_t(n)) : std::string();
}

// Whether the open descriptor's place is a mount point of the mount table
// (only for kernels that do not report the mount-root attribute).
bool listedAsMountPoint(int fd)
{
    const std::string path = pathOf(fd);
    if (path.empty())
        return false;
    std::ifstream file("/proc/self/mountinfo");
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::vector<std::string> points = FolderFd::mountPoints(text);
    return std::find(points.begin(), points.end(), path) != points.end();
}

} // namespace

namespace FolderFd {

DIR* reopenParent(int childFd, dev_t device, ino_t inode)
{
    const int fd = openat(childFd, "..", FolderFd::kOpenFlags);
    if (fd < 0)
        return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0 || info.st_dev != device || info.st_ino != inode) {
        close(fd);
        return nullptr;
    }
    DIR* dir = fdopendir(fd);
    if (!dir)
        close(fd);
    return dir;
}

bool mountRootFrom(bool known, bool flagged, dev_t device, dev_t folderDevice, bool inTable)
{
    if (known)
        return flagged;
    return device != folderDevice || inTable;
}

int statEntry(int folderFd, const char* name, dev_t folderDevice, struct stat& info, bool& mountRoot)
{
    struct statx sx;
    if (statx(folderFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_BASIC_STATS, &sx) != 0)
        return errno;
    fromStatx(sx, info);
    mountRoot = false;
    if (!S_ISDIR(info.st_mode))
        return 0;
    const bool known = sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT;
    bool inTable = false;
    if (!known && info.st_dev == folderDevice) {
        // An older kernel: a bind mount of the same file system shows only in the mount table.
        const int fd = openat(folderFd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            inTable = listedAsMountPoint(fd);
            close(fd);
        }
    }
    mountRoot = mountRootFrom(known, sx.stx_attributes & STATX_ATTR_MOUNT_ROOT, info.st_dev, folderDevice, inTable);
    return 0;
}

bool isMountRoot(int fd)
{
    struct statx sx;
    if (statx(fd, "", AT_EMPTY_PATH | AT_NO_AUTOMOUNT, STATX_BASIC_STATS, &sx) != 0)
        return false;
    if (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT)
        return sx.stx_attributes & STATX_ATTR_MOUNT_ROOT;
    struct stat parent;
    const int up = openat(fd, "..", O_PATH | O_CLOEXEC);
    const bool otherDevice = up >= 0 && fstat(up, &parent) == 0
        && parent.st_dev != makedev(sx.stx_dev_major, sx.stx_dev_minor);
    if (up >= 0)
        close(up);
    return otherDevice || listedAsMountPoint(fd);
}

std::vector<std::string> mountPoints(std::string_view mountinfo)
{
    std::vector<std::string> points;
    std::istringstream lines{std::string(mountinfo)};
    std::string line;
    while (std::getline(lines, line)) {
        const std::vector<std::string> fields = mountinfoFields(line);
        if (fields.size() < 5 || fields[4].front() != '/')
            continue;
        points.push_back(mountinfoDecoded(fields[4]));
    }
    return points;
}

std::string mountinfoDecoded(const std::string& field)
{
    std::string decoded;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const bool escape = field[i] == '\\' && i + 3 < field.size()
            && std::all_of(field.begin() + long(i) + 1, field.begin() + long(i) + 4,
                           [](char c) { return c >= '0' && c <= '7'; });
        if (escape) {
            decoded += char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            decoded += field[i];
        }
    }
    return decoded;
}

std::vector<std::string> mountinfoFields(const std::string& line)
{
    std::vector<std::string> fields;
    for (std::size_t start = line.find_first_not_of(' '); start != std::string::npos;
         start = line.find_first_not_of(' ', start)) {
        const std::size_t end = std::min(line.find(' ', start), line.size());
        fields.push_back(line.substr(start, end - start));
        start = end;
    }
    return fields;
}

int openOwnFolder(int folderFd, const char* name, uid_t owner, bool* missing)
{
    const int fd = openat(folderFd, name, kOpenFlags);
    if (missing)
        *missing = fd < 0 && errno == ENOENT;
    if (fd < 0)
        return -1;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != owner) {
        close(fd);
        return -1;
    }
    return fd;
}

} // namespace FolderFd
