// The Linux sources over recorded /proc files and a fixture /sys and /dev tree
// shaped like a laptop's: network cards, a USB stick, a second disk, a disc image, a share.
#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "monitor/Sources.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;
using namespace Monitor;

namespace {

std::string recorded(const char* name) { return readFile(fs::path(RECORDED_DIR) / name); }

void link(const fs::path& at, const fs::path& target)
{
    fs::create_directories(at.parent_path());
    fs::create_symlink(target, at);
}

// A block device under sys/devices/PARENT/block/DISK/PART, linked from class/block.
void blockDevice(const fs::path& sys, const std::string& parent, const std::string& disk, const std::string& part)
{
    const fs::path diskDir = sys / "devices" / parent / "block" / disk;
    writeFile(diskDir / "removable", "0\n");
    writeFile(diskDir / part / "partition", "1\n");
    link(sys / "class/block" / part, fs::path("../../devices") / parent / "block" / disk / part);
}

struct Machine {
    Roots roots;
    fs::path mounts;
};

Machine laptop(const std::string& name)
{
    const fs::path root = freshFolder(name);
    Machine m{{root / "proc", root / "sys", root / "dev"}, root / "mnt"};
    writeFile(m.roots.proc / "stat", recorded("stat"));
    writeFile(m.roots.proc / "net/dev", recorded("net_dev"));
    std::string mountinfo = recorded("mountinfo");
    for (std::size_t at; (at = mountinfo.find("@ROOT@")) != std::string::npos;)
        mountinfo.replace(at, 6, m.mounts.native());
    writeFile(m.roots.proc / "self/mountinfo", mountinfo);
    for (const char* folder : {"home", "boot/efi", "snap/core22/1380", "media/al/USB STICK", "mnt/data",
                               "media/al/Debian 12", "net/share"})  // not "GONE": unplugged meanwhile
        fs::create_directories(m.mounts / folder);

    writeFile(m.roots.sys / "class/net/wlp2s0/device/vendor", "0x8086");
    writeFile(m.roots.sys / "class/net/enp0s31f6/device/vendor", "0x8086");
    writeFile(m.roots.sys / "class/net/docker0/type", "1");
    writeFile(m.roots.sys / "class/dmi/id/product_name", "ThinkPad X1 Carbon Gen 9\n");

    blockDevice(m.roots.sys, "pci0000:00/0000:00:14.0/usb1/1-1/host6/target6:0:0/6:0:0:0", "sdb", "sdb1");
    blockDevice(m.roots.sys, "pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0", "sdc", "sdc1");
    blockDevice(m.roots.sys, "pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0", "nvme0n1", "nvme0n1p3");
    link(m.roots.dev / "disk/by-label/USB\\x20STICK", "../../sdb1");
    return m;
}

void battery(const Roots& roots, const std::string& capacity, const std::string& status, bool mainsOnline)
{
    const fs::path ps = roots.sys / "class/power_supply";
    writeFile(ps / "AC/type", "Mains\n");
    writeFile(ps / "AC/online", mainsOnline ? "1\n" : "0\n");
    writeFile(ps / "BAT0/type", "Battery\n");
    writeFile(ps / "BAT0/status", status + "\n");
    writeFile(ps / "BAT0/capacity", capacity + "\n");
    // a wireless mouse's battery is not the machine's
    writeFile(ps / "hidpp_battery_0/type", "Battery\n");
    writeFile(ps / "hidpp_battery_0/scope", "Device\n");
}

} // namespace

TEST(StatTicks, ReadsTheFirstLineWhateverTheExtraColumns)
{
    const Machine m = laptop("ticks");
    // user, system, idle, nice
    EXPECT_EQ(readTicks(m.roots), (Ticks{1063268, 260587, 685760, 123751}));
    EXPECT_EQ(parseStatTicks("cpu  1 2 3 4\n"), (Ticks{1, 3, 4, 2}));
    // counters past 2^32 keep their low 32 bits
    EXPECT_EQ(parseStatTicks("cpu 4294967301 0 0 0")->at(0), 5u);
    EXPECT_FALSE(parseStatTicks("cpu 1 2 3\n").has_value());
    EXPECT_FALSE(parseStatTicks("intr 1 2 3 4\ncpu 1 2 3 4\n").has_value());
    EXPECT_FALSE(readTicks({"/nonexistent"}).has_value());
}

TEST(NetBytes, SumsThePhysicalInterfacesOnly)
{
    const Machine m = laptop("net");
    const NetSample sample = netBytes(m.roots);
    EXPECT_EQ(sample.received, 1843201977u + 5000000u);  // Wi-Fi and wired; no loopback, bridge or veth
    EXPECT_EQ(sample.sent, 96523110u + 2500000u);
    const NetSample none = netBytes({"/nonexistent", "/nonexistent"});
    EXPECT_EQ(none.received + none.sent, 0u);
    // a short, damaged row is not counted
    const NetSample partial = parseNetDev("x\ny\n  en0: 10 1 0 0 0 0 0 0 20 1\n  en1: 5 6\n", [](const std::string&) { return true; });
    EXPECT_EQ(partial.received, 10u);
    EXPECT_EQ(partial.sent, 20u);
}

TEST(Battery, LevelStatusMainsAndTheModelItImplies)
{
    Machine m = laptop("battery");
    EXPECT_FALSE(batteryInfo(m.roots).has_value());  // a desktop
    EXPECT_EQ(modelName(m.roots), "Mac");
    const struct {
        const char* capacity;
        const char* status;
        bool mains;
        Battery expected;
    } cases[] = {{"57", "Discharging", false, {57, false, false}},
                 {"100", "Full", true, {100, false, true}},
                 {"80", "Charging", true, {80, true, true}}};
    for (const auto& c : cases) {
        battery(m.roots, c.capacity, c.status, c.mains);
        EXPECT_EQ(batteryInfo(m.roots), c.expected) << c.status;
    }
    EXPECT_EQ(modelName(m.roots), "MacBook");

    EXPECT_EQ(batteryLevel(57, std::nullopt), 57);  // no maximum: 100
    EXPECT_EQ(batteryLevel(3, 0), 300);             // a maximum of 0 counts as 1
    EXPECT_EQ(batteryLevel(2999, 4000), 74);        // truncated
    EXPECT_EQ(batteryLevel(std::nullopt, 4000), 0);
}

TEST(Battery, ACapacityBeyondReasonIsHeldToAnInt)
{
    // current * 100 overflows a long long: counted in wider arithmetic instead
    EXPECT_EQ(batteryLevel(LLONG_MAX, LLONG_MAX), 100);
    EXPECT_EQ(batteryLevel(LLONG_MIN, std::nullopt), INT_MIN);
    EXPECT_EQ(batteryLevel(4294967346LL, std::nullopt), INT_MAX);  // not 50, as a cut to 32 bits would say
}

TEST(Model, PrefixTableThenTheBatteryRule)
{
    for (const auto& [id, battery, name] : std::vector<std::tuple<const char*, bool, const char*>>{
             {"MacBookAir10,1", false, "MacBook Air"}, {"MacBookPro18,3", true, "MacBook Pro"},
             {"Macmini9,1", false, "Mac mini"}, {"iMac21,1", false, "iMac"}, {"Mac14,2", true, "MacBook"},
             {"", false, "Mac"}})
        EXPECT_EQ(modelFor(id, battery), name) << id;
}

TEST(Volumes, MountTableFieldsAreSplitAtBlanksOnly)
{
    // A carriage return or vertical tab is written as it is: it belongs to the path or source.
    const std::vector<Mount> mounts
        = parseMountInfo("70 28 0:61 / /media/al/odd\rname rw shared:5 - fuse.sshfs al@host:/srv/a\vb rw\n");
    ASSERT_EQ(mounts.size(), 1u);
    EXPECT_EQ(mounts[0].mountPoint, "/media/al/odd\rname");
    EXPECT_EQ(mounts[0].fsType, "fuse.sshfs");
    EXPECT_EQ(mounts[0].source, "al@host:/srv/a\vb");
}

TEST(Volumes, OnlyExternalOnesThatAreStillThere)
{
    const Machine m = laptop("volumes");
    std::vector<VolumeInfo> volumes = externalVolumes(m.roots);
    ASSERT_EQ(volumes.size(), 3u);
    // the USB stick, by its label; the disc image and the share by their folder names
    EXPECT_EQ(volumes[0].url, m.mounts / "media/al/USB STICK");
    EXPECT_EQ(volumes[0].name, "USB STICK");
    EXPECT_EQ(volumes[0].device, "/dev/sdb1");
    EXPECT_GT(volumes[0].free, 0);
    EXPECT_EQ(volumes[1].name, "Debian 12");
    EXPECT_EQ(volumes[2].name, "share");
    // the stick and the image are block devices UDisks2 can eject; the share is not
    EXPECT_TRUE(volumes[0].ejectable);
    EXPECT_TRUE(volumes[1].ejectable);
    EXPECT_FALSE(volumes[2].ejectable);
    // never "/", the internal disks, the snap image, virtual file systems or the unplugged stick
    EXPECT_TRUE(externalVolumes({"/nonexistent"}).empty());

    // The internal second disk turns out to be a card reader slot: the removable flag counts too.
    writeFile(m.roots.sys / "devices/pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0/block/sdc/removable", "1\n");
    volumes = externalVolumes(m.roots);
    ASSERT_EQ(volumes.size(), 4u);
    EXPECT_EQ(volumes[1].name, "data");
}
