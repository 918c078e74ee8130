#include "monitor/Sources.h"

#include <algorithm>
#include <climits>
#include <fstream>
#include <iterator>
#include <system_error>

#include <sys/statvfs.h>

#include <QFile>

#include "platform/FolderFd.h"

namespace Monitor {

namespace fs = std::filesystem;

namespace {

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The first line of a small attribute file, without its line break.
std::string readLine(const fs::path& path)
{
    std::string text = readText(path);
    const auto end = text.find('\n');
    if (end != std::string::npos)
        text.resize(end);
    return text;
}

std::optional<long long> readInteger(const fs::path& path)
{
    const std::string text = readLine(path);
    if (text.empty())
        return std::nullopt;
    try {
        std::size_t used = 0;
        const long long value = std::stoll(text, &used);
        if (used != text.size())
            return std::nullopt;
        return value;
    } catch (...) {
        return std::nullopt;
    }
}

// "\x20" escapes of /dev/disk/by-label names back to their bytes.
std::string unescapeHex(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i + 3 < text.size() && text.compare(i, 2, "\\x") == 0) {
            try {
                out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
                i += 3;
                continue;
            } catch (...) {
            }
        }
        out += text[i];
    }
    return out;
}

// Whether the block device (a disk or one of its partitions) is removable or
// hangs off a USB bus, read from <sys>/class/block/NAME.
bool isRemovableBlock(const Roots& roots, const std::string& deviceName)
{
    std::error_code ec;
    const fs::path entry = roots.sys / "class/block" / deviceName;
    fs::path device = fs::canonical(entry, ec);
    if (ec)
        return false;
    // a partition's disk is the folder it sits in
    if (fs::exists(device / "partition", ec))
        device = device.parent_path();
    if (readLine(device / "removable") == "1")
        return true;
    return device.native().find("/usb") != std::string::npos;
}

// The file-system label of a device, from the <dev>/disk/by-label links.
QString labelOf(const Roots& roots, const std::string& deviceName)
{
    std::error_code ec;
    for (fs::directory_iterator it(roots.dev / "disk/by-label", ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkError;
        const fs::path target = fs::read_symlink(it->path(), linkError);
        if (!linkError && target.filename() == deviceName)
            return QString::fromStdString(unescapeHex(it->path().filename().string()));
    }
    return {};
}

} // namespace

std::optional<Ticks> parseStatTicks(const std::string& statText)
{
    std::istringstream lines(statText);
    std::string first;
    if (!std::getline(lines, first))
        return std::nullopt;
    std::istringstream fields(first);
    std::string label;
    if (!(fields >> label) || label != "cpu")
        return std::nullopt;
    unsigned long long user = 0, nice = 0, system = 0, idle = 0;
    if (!(fields >> user >> nice >> system >> idle))
        return std::nullopt;
    return Ticks{static_cast<std::uint32_t>(user), static_cast<std::uint32_t>(system),
                 static_cast<std::uint32_t>(idle), static_cast<std::uint32_t>(nice)};
}

int batteryLevel(std::optional<long long> current, std::optional<long long> maximum)
{
    const long long now = current.value_or(0);
    const long long top = maximum ? std::max(1LL, *maximum) : 100;
    // 128 bits: a capacity file may hold any number, and now * 100 must not overflow
    const __int128 level = static_cast<__int128>(now) * 100 / top;
    return static_cast<int>(std::clamp<__int128>(level, INT_MIN, INT_MAX));
}

QString modelFor(const std::string& productName, bool hasBattery)
{
    static const std::pair<const char*, const char*> table[] = {
        {"MacBookAir", "MacBook Air"},
        {"MacBookPro", "MacBook Pro"},
        {"Macmini", "Mac mini"},
        {"iMac", "iMac"},
    };
    for (const auto& [prefix, model] : table)
        if (productName.rfind(prefix, 0) == 0)
            return QString::fromLatin1(model);
    return hasBattery ? QStringLiteral("MacBook") : QStringLiteral("Mac");
}

std::vector<Mount> parseMountInfo(const std::string& text)
{
    // ID PARENT MAJ:MIN ROOT MOUNTPOINT OPTIONS [OPTIONAL…] - FSTYPE SOURCE SUPEROPTIONS
    std::vector<Mount> mounts;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const std::vector<std::string> fields = FolderFd::mountinfoFields(line);
        if (fields.size() < 5)
            continue;
        const auto separator = std::find(fields.begin() + 5, fields.end(), "-");
        if (fields.end() - separator < 3)
            continue;  // no separator, or no type and source after it
        Mount mount;
        mount.mountPoint = FolderFd::mountinfoDecoded(fields[4]);
        mount.fsType = separator[1];
        mount.source = FolderFd::mountinfoDecoded(separator[2]);
        mount.device = fields[2];
        mount.root = FolderFd::mountinfoDecoded(fields[3]);
        mounts.push_back(std::move(mount));
    }
    return mounts;
}

bool isVirtualFsType(const std::string& fsType)
{
    static const char* const types[] = {
        "proc", "sysfs", "tmpfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "securityfs", "pstore",
        "bpf", "debugfs", "tracefs", "configfs", "fusectl", "mqueue", "hugetlbfs", "autofs", "binfmt_misc",
        "rpc_pipefs", "efivarfs", "nsfs", "ramfs", "overlay", "squashfs", "fuse.gvfsd-fuse", "fuse.portal",
        "fuse.lxcfs", "tracefs",
    };
    for (const char* type : types)
        if (fsType == type)
            return true;
    return false;
}

bool isNetworkFsType(const std::string& fsType)
{
    static const char* const types[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "sshfs", "davfs", "fuse.davfs", "9p"};
    for (const char* type : types)
        if (fsType == type)
            return true;
    return false;
}

std::optional<Ticks> readTicks(const Roots& roots)
{
    return parseStatTicks(readText(roots.proc / "stat"));
}

NetSample netBytes(const Roots& roots)
{
    const std::string text = readText(roots.proc / "net/dev");
    if (text.empty())
        return {};
    return parseNetDev(text, [&](const std::string& name) {
        std::error_code ec;
        return !name.empty() && name.find('/') == std::string::npos
            && fs::exists(roots.sys / "class/net" / name / "device", ec);
    });
}

std::optional<Battery> batteryInfo(const Roots& roots)
{
    const fs::path supplies = roots.sys / "class/power_supply";
    std::vector<fs::path> entries;
    std::error_code ec;
    for (fs::directory_iterator it(supplies, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(it->path());
    std::sort(entries.begin(), entries.end());  // the listing order is arbitrary

    std::optional<Battery> battery;
    bool plugged = false;
    for (const fs::path& entry : entries) {
        const std::string type = readLine(entry / "type");
        if (type == "Battery" && !battery) {
            if (readLine(entry / "present") == "0" || readLine(entry / "scope") == "Device")
                continue;  // an empty battery bay, or a wireless mouse's battery
            Battery found;
            found.level = batteryLevel(readInteger(entry / "capacity"), std::nullopt);
            found.charging = readLine(entry / "status") == "Charging";
            battery = found;
        } else if ((type == "Mains" || type == "USB") && readLine(entry / "online") == "1") {
            plugged = true;
        }
    }
    if (battery)
        battery->plugged = plugged;
    return battery;
}

QString modelName(const Roots& roots)
{
    return modelFor(readLine(roots.sys / "class/dmi/id/product_name"), batteryInfo(roots).has_value());
}

std::vector<VolumeInfo> externalVolumes(const Roots& roots)
{
    std::vector<VolumeInfo> volumes;
    for (const Mount& mount : parseMountInfo(readText(roots.proc / "self/mountinfo"))) {
        if (mount.mountPoint == "/" || isVirtualFsType(mount.fsType))
            continue;
        bool external = false;
        std::string deviceName;
        if (isNetworkFsType(mount.fsType)) {
            external = true;
        } else if (mount.source.rfind("/dev/", 0) == 0) {
            deviceName = fs::path(mount.source).filename().string();
            // a disk image (loop device) reports itself as not internal
            external = deviceName.rfind("loop", 0) == 0 || isRemovableBlock(roots, deviceName);
        }
        if (!external)
            continue;
        struct statvfs info {};
        if (::statvfs(mount.mountPoint.c_str(), &info) != 0)
            continue;  // unplugged meanwhile, or unreadable: left out
        VolumeInfo volume;
        volume.url = mount.mountPoint;
        volume.device = mount.source;
        volume.ejectable = !deviceName.empty();
        volume.free = static_cast<std::int64_t>(info.f_bavail) * static_cast<std::int64_t>(info.f_frsize);
        if (!deviceName.empty())
            volume.name = labelOf(roots, deviceName);
        if (volume.name.isEmpty())
            volume.name = QFile::decodeName(QByteArray::fromStdString(mount.mountPoint.filename().native()));
        bool seen = false;
        for (const VolumeInfo& other : volumes)
            seen = seen || other.url == volume.url;  // a mount point mounted over counts once
        if (!seen)
            volumes.push_back(std::move(volume));
    }
    return volumes;
}

} // namespace Monitor
