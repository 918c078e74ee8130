#pragma once
// Where the live figures come from on Linux: /proc and /sys files (and the
// /dev/disk links for volume labels), read under injectable roots so that
// tests feed recorded files. Every reader falls back to a neutral value.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "monitor/Sampling.h"

namespace Monitor {

// The roots the sources read under; the real system by default.
struct Roots {
    std::filesystem::path proc = "/proc";
    std::filesystem::path sys = "/sys";
    std::filesystem::path dev = "/dev";
};

struct Battery {
    int level = 0;  // percent
    bool charging = false;
    bool plugged = false;
    bool operator==(const Battery&) const = default;
};

struct VolumeInfo {
    std::filesystem::path url;  // the mount point
    QString name;
    std::int64_t free = 0;      // available bytes
    std::string device;         // the block device ("/dev/sdb1"), or the mount's source
    // Whether UDisks2 can eject it: a local block device. A network share or
    // another mount without one gets no eject button.
    bool ejectable = false;
    bool operator==(const VolumeInfo&) const = default;
};

// --- parsing, pure ---

// The first line of a stat file ("cpu  user nice system idle …") as
// (user, system, idle, nice), each cut to its low 32 bits. Extra columns are
// ignored; nothing when the line is missing or has fewer than four numbers.
std::optional<Ticks> parseStatTicks(const std::string& statText);

// Sums the byte counters of a net/dev table over the interfaces `keep` accepts.
template <typename Keep>
NetSample parseNetDev(const std::string& text, Keep keep);

// The level in percent from a current and a maximum capacity: a missing
// maximum counts as 100, one below 1 as 1; truncating integer arithmetic,
// held to what an int holds.
int batteryLevel(std::optional<long long> current, std::optional<long long> maximum);

// The machine family for a product name: the prefix table, else "MacBook"
// with a battery and "Mac" without.
QString modelFor(const std::string& productName, bool hasBattery);

// One line of a mountinfo file, the fields the volume list needs.
struct Mount {
    std::filesystem::path mountPoint;
    std::string fsType;
    std::string source;
    std::string device;  // "major:minor" as the kernel gives it (a btrfs mount carries a number of its own)
    std::string root;    // the folder of the file system mounted there ("/" for its top)
};
// The mounts of a mountinfo text in its order; malformed lines are skipped.
// Octal escapes ("\040" for a blank) are decoded.
std::vector<Mount> parseMountInfo(const std::string& text);

// Whether a file-system type never names a volume a person would eject.
bool isVirtualFsType(const std::string& fsType);
// Whether a file-system type is a network share (it reports itself as not internal).
bool isNetworkFsType(const std::string& fsType);

// --- the sources ---

// Processor ticks from <proc>/stat.
std::optional<Ticks> readTicks(const Roots& roots = {});
// Bytes received and sent over the physical interfaces (those with
// <sys>/class/net/NAME/device), from <proc>/net/dev; (0, 0) when unreadable.
NetSample netBytes(const Roots& roots = {});
// The first battery of <sys>/class/power_supply with its charging state;
// plugged when a Mains or USB supply is online. Nothing without a battery.
std::optional<Battery> batteryInfo(const Roots& roots = {});
// The product name of <sys>/class/dmi/id/product_name mapped by modelFor.
QString modelName(const Roots& roots = {});
// The mounted external volumes: removable disks or disks on a USB bus, disk
// images (loop devices) and network shares; never "/" nor virtual file
// systems nor internal disks; a volume whose capacity cannot be read is left out.
std::vector<VolumeInfo> externalVolumes(const Roots& roots = {});

} // namespace Monitor

// --- template definition ---
#include <sstream>

template <typename Keep>
Monitor::NetSample Monitor::parseNetDev(const std::string& text, Keep keep)
{
    NetSample sample;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;  // the two header lines
        std::string name = line.substr(0, colon);
        name.erase(0, name.find_first_not_of(' '));
        if (!keep(name))
            continue;
        std::istringstream fields(line.substr(colon + 1));
        std::uint64_t values[9] = {};
        int count = 0;
        while (count < 9 && fields >> values[count])
            ++count;
        if (count < 9)
            continue;  // a short line: not a counter row
        sample.received += values[0];
        sample.sent += values[8];
    }
    return sample;
}
