// The Linux sources over recorded /proc files and a fixture /sys and /dev tree
// shaped like a laptop's: a Wi-Fi card, a wired port, a battery, a USB stick,
// an internal second disk, a disc image and a network share.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "monitor/Sources.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;
using namespace Monitor;

namespace {

std::string recorded(const char* name)
{
    std::ifstream in(std::string(RECORDED_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void link(const fs::path& at, const fs::path& target)
{
    fs::create_directories(at.parent_path());
    fs::create_symlink(target, at);
}

// A block device under sys/devices/PARENT/block/DISK[/PART], linked from class/block.
void blockDevice(const fs::path& sys, const std::string& parent, const std::string& disk, const std::string& part,
                 bool removable)
{
    const fs::path diskDir = sys / "devices" / parent / "block" / disk;
    writeFile(diskDir / "removable", removable ? "1\n" : "0\n");
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

    blockDevice(m.roots.sys, "pci0000:00/0000:00:14.0/usb1/1-1/host6/target6:0:0/6:0:0:0", "sdb", "sdb1", false);
    blockDevice(m.roots.sys, "pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0", "sdc", "sdc1", false);
    blockDevice(m.roots.sys, "pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0", "nvme0n1", "nvme0n1p3", false);
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
    if (!capacity.empty())
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

TEST(Battery, LevelStatusAndMainsFromPowerSupplies)
{
    Machine m = laptop("battery");
    EXPECT_FALSE(batteryInfo(m.roots).has_value());  // a desktop
    battery(m.roots, "57", "Discharging", false);
    EXPECT_EQ(batteryInfo(m.roots), (Battery{57, false, false}));
    battery(m.roots, "100", "Full", true);
    EXPECT_EQ(batteryInfo(m.roots), (Battery{100, false, true}));
    battery(m.roots, "80", "Charging", true);
    EXPECT_EQ(batteryInfo(m.roots), (Battery{80, true, true}));
}

TEST(Battery, LevelFromCapacities)
{
    EXPECT_EQ(batteryLevel(57, std::nullopt), 57);  // no maximum: 100
    EXPECT_EQ(batteryLevel(3, 0), 300);             // a maximum of 0 counts as 1
    EXPECT_EQ(batteryLevel(2999, 4000), 74);        // truncated
    EXPECT_EQ(batteryLevel(std::nullopt, 4000), 0);
}

TEST(Model, PrefixTableThenTheBatteryRule)
{
    EXPECT_EQ(modelFor("MacBookAir10,1", false), "MacBook Air");
    EXPECT_EQ(modelFor("MacBookPro18,3", true), "MacBook Pro");
    EXPECT_EQ(modelFor("Macmini9,1", false), "Mac mini");
    EXPECT_EQ(modelFor("iMac21,1", false), "iMac");
    EXPECT_EQ(modelFor("Mac14,2", true), "MacBook");
    EXPECT_EQ(modelFor("", false), "Mac");

    Machine m = laptop("model");
    EXPECT_EQ(modelName(m.roots), "Mac");
    battery(m.roots, "40", "Discharging", false);
    EXPECT_EQ(modelName(m.roots), "MacBook");
}

TEST(Volumes, OnlyExternalOnesThatAreStillThere)
{
    const Machine m = laptop("volumes");
    const std::vector<VolumeInfo> volumes = externalVolumes(m.roots);
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
}

TEST(Volumes, RemovableFlagCountsToo)
{
    const Machine m = laptop("removable");
    // the internal second disk turns out to be a card reader slot
    writeFile(m.roots.sys / "devices/pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0/block/sdc/removable", "1\n");
    const std::vector<VolumeInfo> volumes = externalVolumes(m.roots);
    ASSERT_EQ(volumes.size(), 4u);
    EXPECT_EQ(volumes[1].name, "data");
}
