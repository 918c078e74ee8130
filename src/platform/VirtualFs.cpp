#include "platform/VirtualFs.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/sysmacros.h>

namespace {

constexpr std::array<std::string_view, 24> kVirtualTypes = {
    "proc", "sysfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "securityfs", "debugfs",
    "tracefs", "pstore", "bpf", "configfs", "fusectl", "mqueue", "hugetlbfs", "autofs",
    "binfmt_misc", "efivarfs", "selinuxfs", "rpc_pipefs", "nsfs", "ramfs",
    // views of files that live elsewhere (desktop portals, network shares)
    "fuse.portal", "fuse.gvfsd-fuse",
};

// The next blank-separated field of `line`, moving past it; empty at the end.
std::string_view nextField(std::string_view& line)
{
    const std::size_t start = line.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        line = {};
        return {};
    }
    line.remove_prefix(start);
    const std::size_t end = std::min(line.find(' '), line.size());
    const std::string_view field = line.substr(0, end);
    line.remove_prefix(end);
    return field;
}

// "0:22" -> the device number; false for anything else.
bool parseDevice(std::string_view text, dev_t& device)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return false;
    unsigned major = 0;
    unsigned minor = 0;
    const char* end = text.data() + text.size();
    const auto [afterMajor, e1] = std::from_chars(text.data(), text.data() + colon, major);
    const auto [afterMinor, e2] = std::from_chars(text.data() + colon + 1, end, minor);
    if (e1 != std::errc() || e2 != std::errc() || afterMajor != text.data() + colon || afterMinor != end)
        return false;
    device = makedev(major, minor);
    return true;
}

} // namespace

namespace VirtualFs {

bool isVirtualType(std::string_view type)
{
    return std::find(kVirtualTypes.begin(), kVirtualTypes.end(), type) != kVirtualTypes.end();
}

std::vector<dev_t> devicesIn(std::string_view mountinfo)
{
    // A line: ID PARENT MAJOR:MINOR ROOT MOUNTPOINT OPTIONS [TAGS...] - TYPE SOURCE OPTIONS
    std::vector<dev_t> devices;
    while (!mountinfo.empty()) {
        const std::size_t newline = std::min(mountinfo.find('\n'), mountinfo.size());
        std::string_view line = mountinfo.substr(0, newline);
        mountinfo.remove_prefix(std::min(newline + 1, mountinfo.size()));

        nextField(line);
        nextField(line);
        dev_t device = 0;
        if (!parseDevice(nextField(line), device))
            continue;
        std::string_view field;
        do
            field = nextField(line);
        while (!field.empty() && field != "-");
        if (field.empty())
            continue;
        if (isVirtualType(nextField(line)))
            devices.push_back(device);
    }
    return devices;
}

std::vector<dev_t> currentDevices(const std::filesystem::path& mountinfo)
{
    std::ifstream file(mountinfo);
    const std::string text(std::istreambuf_iterator<char>(file), {});
    return devicesIn(text);
}

} // namespace VirtualFs
