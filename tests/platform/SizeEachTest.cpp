// Measuring many folders at once (the space map's sizing) and the virtual
// file systems that no sizing enters.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <set>

#include <sys/sysmacros.h>

#include "platform/FS.h"
#include "platform/VirtualFs.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

TEST(FSSizeEach, EveryPathOnceWithTheSizeOfFSSize)
{
    // Folders of very different sizes (one big enough for the threads to share
    // it), a file, a link, an empty folder, an unreadable one and a missing path.
    const fs::path root = freshFolder("each");
    for (int i = 0; i < 40; ++i)
        writeBytes(root / "big" / ("d" + std::to_string(i % 7)) / ("f" + std::to_string(i)), 5000 + 100 * i);
    writeBytes(root / "small/.hidden", 300);
    writeBytes(root / "file.bin", 70000);
    fs::create_directory(root / "empty");
    fs::create_directory_symlink(root / "big", root / "link");
    writeBytes(root / "locked/inner/secret", 9000);
    fs::permissions(root / "locked", fs::perms::none);

    const std::vector<fs::path> paths = {root / "big",  root / "small", root / "file.bin", root / "empty",
                                         root / "link", root / "locked", root / "missing"};
    for (int workers : {1, 2, FS::kMaxSizeWorkers}) {
        std::mutex mutex;
        std::map<std::size_t, std::vector<std::int64_t>> seen;
        FS::sizeEach(paths, workers, [&](std::size_t index, std::int64_t bytes) {
            std::lock_guard lock(mutex);
            seen[index].push_back(bytes);
        });
        ASSERT_EQ(seen.size(), paths.size()) << workers << " threads";
        for (std::size_t i = 0; i < paths.size(); ++i)
            EXPECT_EQ(seen[i], std::vector<std::int64_t>{FS::size(paths[i], 1)}) << paths[i] << ", " << workers;
    }
    if (geteuid() != 0) {
        EXPECT_EQ(FS::size(root / "locked"), 0);  // unreadable: nothing to count
    }
    EXPECT_EQ(FS::size(root / "missing"), 0);
    fs::permissions(root / "locked", fs::perms::owner_all);
}

TEST(FSSizeEach, CancelStopsTheReports)
{
    const fs::path root = freshFolder("each-cancel");
    std::vector<fs::path> paths;
    for (int i = 0; i < 200; ++i)
        writeFile(paths.emplace_back(root / ("f" + std::to_string(i))));
    std::atomic<bool> cancel{false};
    std::atomic<int> reports{0};
    FS::sizeEach(paths, 2, [&](std::size_t, std::int64_t) {
        if (++reports == 5)
            cancel = true;
    }, &cancel);
    EXPECT_GE(reports.load(), 5);
    EXPECT_LT(reports.load(), 200);

    int none = 0;
    FS::sizeEach({}, 2, [&](std::size_t, std::int64_t) { ++none; });
    EXPECT_EQ(none, 0);
}

TEST(VirtualFs, MountTableGivesTheDevicesOfVirtualFileSystems)
{
    const std::string table =
        "22 28 0:21 / /sys rw,nosuid shared:7 - sysfs sysfs rw\n"
        "23 28 0:22 / /proc rw,nosuid shared:13 - proc proc rw\n"
        "28 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw\n"
        "30 22 0:26 / /sys/fs/cgroup rw shared:9 - cgroup2 cgroup2 rw\n"
        "31 28 0:5 / /dev rw - devtmpfs udev rw,size=8G\n"
        "40 28 0:40 / /tmp rw - tmpfs tmpfs rw\n"
        "41 28 0:41 / /mnt/with\\040blank rw - fuse.portal portal rw\n"
        "garbage line\n"
        "42 28 x:y / /bad rw - proc proc rw\n"
        "43 28 0:43 / /no-separator rw proc\n";
    const std::vector<dev_t> devices = VirtualFs::devicesIn(table);
    EXPECT_EQ(devices, (std::vector<dev_t>{makedev(0, 21), makedev(0, 22), makedev(0, 26), makedev(0, 5),
                                           makedev(0, 41)}));
    // Real files: the disk, memory-backed /tmp, overlay roots of containers.
    for (const char* type : {"ext4", "btrfs", "tmpfs", "overlay", "nfs", "vfat"})
        EXPECT_FALSE(VirtualFs::isVirtualType(type)) << type;
    // The live table: /proc, when mounted, is among them.
    struct stat proc;
    if (lstat("/proc/self", &proc) == 0) {
        const std::vector<dev_t> live = VirtualFs::currentDevices();
        EXPECT_NE(std::find(live.begin(), live.end(), proc.st_dev), live.end());
    }
}
