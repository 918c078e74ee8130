#include "platform/FileLock.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>

FileLock::FileLock(const std::filesystem::path& lockFile, Wait wait)
    : fd_(::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600))
{
    if (!fd_.ok())
        return;
    const int operation = wait == Wait::no ? LOCK_EX | LOCK_NB : LOCK_EX;
    int status;
    do
        status = ::flock(fd_.get(), operation);
    while (status != 0 && errno == EINTR);
    held_ = status == 0;
}
