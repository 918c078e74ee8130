#include "platform/FolderFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

} // namespace FolderFd
