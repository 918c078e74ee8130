#pragma once
// File systems that hold no files on disk: the kernel's views of processes,
// devices and settings (proc, sysfs, devtmpfs, cgroup and the like). Sizing
// never enters them: they add nothing, and walking /proc or /sys can take
// minutes or never end.
#include <filesystem>
#include <string_view>
#include <vector>

#include <sys/types.h>

namespace VirtualFs {

// Whether a file-system type (as the mount table names it) is one of them.
bool isVirtualType(std::string_view type);

// The devices of the virtual file systems in a mount table in the format of
// /proc/self/mountinfo; lines that cannot be read are passed over.
std::vector<dev_t> devicesIn(std::string_view mountinfo);

// The same for the mounts this process sees now; empty when the table cannot be read.
std::vector<dev_t> currentDevices(const std::filesystem::path& mountinfo = "/proc/self/mountinfo");

} // namespace VirtualFs
