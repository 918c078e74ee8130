#pragma once
// Timing helpers the benchmarks share.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

inline double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Empties the kernel's page, folder and inode caches, so the next walk reads
// from the disk. False, with the reason, where this machine does not allow it
// (not root, or a container whose /proc/sys is read-only).
inline bool dropCaches(std::string& why)
{
    sync();
    const int fd = open("/proc/sys/vm/drop_caches", O_WRONLY);
    if (fd < 0 || write(fd, "3", 1) != 1) {
        why = std::strerror(errno);
        if (fd >= 0)
            close(fd);
        return false;
    }
    close(fd);
    return true;
}
