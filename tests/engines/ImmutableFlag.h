#pragma once
// The immutable attribute (chattr +i), the one thing that stops even root from
// deleting a file; tests use it to make a part that cannot be removed. Not every
// file system has it (tmpfs does not) and it needs CAP_LINUX_IMMUTABLE, so a
// test asks first and skips itself when it cannot be set.
#include <filesystem>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

inline bool setImmutable(const std::filesystem::path& path, bool on)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
}

// Makes paths immutable and clears them again when it goes, so the temporary
// home can be removed. ok() is false when any of them could not be set.
class ImmutableGuard {
public:
    explicit ImmutableGuard(std::vector<std::filesystem::path> paths) : paths_(std::move(paths))
    {
        for (const auto& path : paths_)
            ok_ = setImmutable(path, true) && ok_;
    }
    ~ImmutableGuard()
    {
        for (const auto& path : paths_)
            setImmutable(path, false);
    }
    ImmutableGuard(const ImmutableGuard&) = delete;
    ImmutableGuard& operator=(const ImmutableGuard&) = delete;
    bool ok() const { return ok_; }

private:
    std::vector<std::filesystem::path> paths_;
    bool ok_ = true;
};

#define SKIP_UNLESS_IMMUTABLE(guard) \
    if (!(guard).ok()) GTEST_SKIP() << "the immutable attribute cannot be set here"
