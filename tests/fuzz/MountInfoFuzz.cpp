// The three readers of /proc/self/mountinfo (VirtualFs::devicesIn, FolderFd::mountPoints, Monitor::parseMountInfo)
// over the bytes as they come, and over a table written the way the kernel writes one, which they read back exactly.
#include <sys/sysmacros.h>

#include "FuzzCheck.h"
#include "monitor/Sources.h"
#include "platform/FolderFd.h"
#include "platform/VirtualFs.h"

// A mount point or source as the kernel writes it: " \t\n\\" as octal escapes (the backslash first).
static std::string escaped(std::string text)
{
    for (const auto& [c, octal] : {std::pair{'\\', "\\134"}, {' ', "\\040"}, {'\t', "\\011"}, {'\n', "\\012"}})
        for (std::size_t at = 0; (at = text.find(c, at)) != text.npos; at += 4)
            text.replace(at, 1, octal);
    return text;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const std::string text = Fuzz::text(bytes, size);
    std::vector<std::string> points = FolderFd::mountPoints(text);
    std::vector<Monitor::Mount> mounts = Monitor::parseMountInfo(text);
    const std::size_t lines = Fuzz::lines(text);
    REQUIRE(VirtualFs::devicesIn(text).size() <= lines && points.size() <= lines && mounts.size() <= lines);
    auto next = points.begin();  // every absolute mount point the monitor reads is one of the walker's, in order
    for (const Monitor::Mount& mount : mounts) {
        if (mount.mountPoint.native().starts_with('/')) {
            next = std::find(next, points.end(), mount.mountPoint.native());
            REQUIRE(next++ != points.end());
        }
    }
    for (const std::string& point : points)
        REQUIRE(point.starts_with('/'));

    static const char* const types[] = {"ext4", "proc", "sysfs", "tmpfs", "nfs4", "vfat", "fuse.portal", "devpts"};
    static const char* const tags[] = {"", " shared:1", " master:3 propagate_from:2", " unbindable"};
    FuzzedDataProvider data(bytes, size);
    std::string table;
    std::vector<dev_t> virtualDevices;
    std::vector<Monitor::Mount> written;
    for (int id = data.ConsumeIntegralInRange(0, 8); id > 0; --id) {
        const unsigned major = data.ConsumeIntegralInRange(0, 4095), minor = data.ConsumeIntegralInRange(0, 1048575);
        const std::string point = "/" + Fuzz::withoutNul(data, 40, '_'), type = data.PickValueInArray(types);
        std::string source = Fuzz::withoutNul(data, 20, '_');
        source = source.empty() ? "none" : source;  // as the kernel writes a mount without one
        table += std::to_string(id) + " 1 " + std::to_string(major) + ":" + std::to_string(minor) + " "
                 + escaped(point) + " " + escaped(point) + " rw,relatime" + data.PickValueInArray(tags) + " - "
                 + type + " " + escaped(source) + " rw\n";
        if (VirtualFs::isVirtualType(type))
            virtualDevices.push_back(makedev(major, minor));
        written.push_back({point, type, source});
    }
    points = FolderFd::mountPoints(table);
    mounts = Monitor::parseMountInfo(table);
    REQUIRE(VirtualFs::devicesIn(table) == virtualDevices && points.size() == written.size()
            && mounts.size() == written.size());
    for (std::size_t i = 0; i < written.size(); ++i)
        REQUIRE(points[i] == written[i].mountPoint.native() && mounts[i].mountPoint.native() == points[i]
                && mounts[i].fsType == written[i].fsType && mounts[i].source == written[i].source);
    return 0;
}
