// Deleting for good: links removed as links and never followed, mounts never entered,
// deep trees on few descriptors, and what cannot be deleted stays while the rest goes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "platform/FolderFd.h"
#include "platform/SafeDelete.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace {

// A chain of `levels` folders "d" below `root`, a file "f" in each; returns the deepest.
fs::path makeChain(const fs::path& root, int levels)
{
    fs::create_directories(root);
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    std::string deepest = root.native();
    for (int level = 0; level < levels; ++level, deepest += "/d") {
        close(openat(fd, "f", O_CREAT | O_WRONLY, 0644));
        mkdirat(fd, "d", 0755);
        const int child = openat(fd, "d", O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = child;
    }
    close(fd);
    return deepest;
}

// Deletes with at most 48 open descriptors, far fewer than the folders on the way down.
bool removeWithFewDescriptors(const fs::path& path)
{
    FileLimit limit(48);
    return SafeDelete::removeAll(path);
}

} // namespace

TEST(SafeDelete, RemovesFilesTreesAndOddNamesButNeverFollowsALink)
{
    const fs::path outside = freshFolder("sd-outside");
    writeFile(outside / "sub/keep.txt");
    const fs::path root = freshFolder("sd-kinds");
    writeFile(root / "file.txt");
    fs::create_symlink("file.txt", root / "link");
    fs::create_symlink(outside, root / "link-to-outside");
    writeFile(root / "tree/.hidden/a");
    writeFile(root / "tree/caf\xe9 \xff/-rf");
    writeFile(root / "tree/caf\xe9 \xff/line\nbreak");
    fs::create_symlink(outside, root / "tree/to-outside");
    fs::create_symlink(outside / "sub/keep.txt", root / "tree/to-file");
    for (int i = 0; i < 2000; ++i)  // emptied while it is being read
        writeFile(root / "tree/wide" / std::to_string(i));

    EXPECT_TRUE(SafeDelete::removeAll(root / "link"));
    EXPECT_TRUE(present(root / "file.txt"));  // the link went, not what it names
    EXPECT_TRUE(SafeDelete::removeAll(root / "link-to-outside"));
    EXPECT_TRUE(SafeDelete::removeAll(root / "file.txt"));
    EXPECT_TRUE(SafeDelete::removeAll(root.native() + "/tree/"));
    EXPECT_FALSE(present(root / "tree"));
    EXPECT_TRUE(present(outside / "sub/keep.txt"));
    EXPECT_TRUE(SafeDelete::removeAll(root / "never-existed"));  // nothing left there: success
    EXPECT_FALSE(SafeDelete::removeAll(root / "."));
    EXPECT_FALSE(SafeDelete::removeAll("/"));
    EXPECT_TRUE(present(root));
    EXPECT_TRUE(SafeDelete::removeAll(root));
    EXPECT_FALSE(present(root));
}

TEST(SafeDelete, DeepTreeWithFewDescriptors)
{
    const fs::path root = freshFolder("sd-deep") / "top";
    makeChain(root, 5000);
    EXPECT_TRUE(removeWithFewDescriptors(root));
    EXPECT_FALSE(present(root));
}

TEST(SafeDelete, UndeletablePartsStayAndTheRestGoes)
{
    // Locked files at the bottom of a chain and beside a middle level: the way
    // back up reopens folders and must neither loop on nor lose what stays.
    const fs::path root = freshFolder("sd-partly") / "top";
    const fs::path bottom = makeChain(root, 300);
    fs::path middle = root;
    for (int i = 0; i < 150; ++i)
        middle /= "d";
    writeFile(bottom / "locked");
    writeFile(middle / "locked-too");
    writeFile(root / "side/beside.txt");
    LockedPart lock({bottom / "locked", middle / "locked-too"});
    SKIP_UNLESS_LOCKED(lock);

    EXPECT_FALSE(removeWithFewDescriptors(root));

    EXPECT_TRUE(present(bottom / "locked"));
    EXPECT_TRUE(present(middle / "locked-too"));
    EXPECT_FALSE(present(root / "side"));
    if (!lock.immutable())
        return;  // read-only folders keep their other entries too; the count below is for single files
    std::size_t left = 0;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it)
        ++left;
    EXPECT_EQ(left, 300u + 2u);  // the chain of folders holding them and the two files
}

TEST(SafeDeleteOutcome, RemovedAlreadyGoneOrKeptWithItsReason)
{
    const fs::path folder = freshFolder("sd-outcome");
    writeFile(folder / "tree/a/b.txt");
    writeFile(folder / "file.txt");
    EXPECT_EQ(SafeDelete::removeItem(folder / "tree").outcome, SafeDelete::Outcome::Removed);
    EXPECT_EQ(SafeDelete::removeItem(folder / "file.txt").outcome, SafeDelete::Outcome::Removed);
    // Gone before its turn: nothing was freed by this removal.
    EXPECT_EQ(SafeDelete::removeItem(folder / "tree").outcome, SafeDelete::Outcome::WasGone);
    EXPECT_EQ(SafeDelete::removeItem(folder / "never-there").outcome, SafeDelete::Outcome::WasGone);

    writeFile(folder / "locked/inner/x");
    LockedPart lock({folder / "locked/inner/x"});
    SKIP_UNLESS_LOCKED(lock);
    const SafeDelete::Result kept = SafeDelete::removeItem(folder / "locked");
    EXPECT_EQ(kept.outcome, SafeDelete::Outcome::Kept);
    EXPECT_EQ(kept.reason, FailReason::Permission);  // EPERM (immutable) and EACCES (read-only folder) alike
    EXPECT_TRUE(present(folder / "locked/inner/x"));
}

TEST(SafeDeleteMounts, AMountPointInsideStaysWithEverythingInIt)
{
    // A bind mount of the same file system has the same device number: only
    // the mount itself tells it apart.
    const fs::path folder = freshFolder("sd-mount");
    writeFile(folder / "Documents/thesis.tex", "years of work");
    writeFile(folder / "cache/a/blob");
    writeFile(folder / "cache/view/.keep");
    BindMount mounted(folder / "Documents", folder / "cache/view");
    SKIP_UNLESS_MOUNTED(mounted);

    const SafeDelete::Result result = SafeDelete::removeItem(folder / "cache");
    EXPECT_EQ(result.outcome, SafeDelete::Outcome::Kept);
    EXPECT_EQ(result.reason, FailReason::MountInside);
    EXPECT_EQ(readFile(folder / "Documents/thesis.tex"), "years of work");
    EXPECT_TRUE(present(folder / "cache/view/thesis.tex"));
    EXPECT_FALSE(present(folder / "cache/a"));  // the rest goes all the same

    // The mount point itself, named directly, is kept too.
    EXPECT_EQ(SafeDelete::removeItem(folder / "cache/view").reason, FailReason::MountInside);
    EXPECT_EQ(readFile(folder / "Documents/thesis.tex"), "years of work");
}

TEST(SafeDeleteMounts, TheDecisionAndTheMountTable)
{
    struct Case {
        bool known, flagged;
        dev_t device, folderDevice;
        bool inTable, mount;
    };
    for (const Case& c : std::vector<Case>{
             {true, true, 5, 5, false, true},    // the kernel says so: a bind mount of the same disk
             {true, false, 5, 5, true, false},   // the kernel's word is final
             {true, false, 6, 5, false, false},  // (another device without a mount: a btrfs subvolume)
             {false, false, 6, 5, false, true},  // an older kernel: another device is a mount
             {false, false, 5, 5, true, true},   // ... and so is a place of the mount table
             {false, false, 5, 5, false, false}})
        EXPECT_EQ(FolderFd::mountRootFrom(c.known, c.flagged, c.device, c.folderDevice, c.inTable), c.mount)
            << c.known << c.flagged << c.device << c.inTable;

    const std::string table = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                              "40 22 8:1 /home/al/Documents /home/al/My\\040Cache/view rw - ext4 /dev/sda1 rw\n"
                              "broken line\n"
                              "41 22 0:5 / /tab\\011here rw - tmpfs tmpfs rw\n";
    EXPECT_EQ(FolderFd::mountPoints(table),
              (std::vector<std::string>{"/", "/home/al/My Cache/view", "/tab\there"}));
}

TEST(SafeDeleteMounts, MountTableFieldsAreSplitAtBlanksOnly)
{
    // The kernel escapes a blank, tab or line break in a path, but writes a
    // carriage return, form feed or vertical tab as it is: it belongs to the name.
    const std::string table = "50 22 8:1 /x /media/al/odd\rname\v rw - ext4 /dev/sdb1 rw\n"
                              "51 22 8:1 / /mnt/a\fb rw - ext4 /dev/sdc1 rw\n";
    EXPECT_EQ(FolderFd::mountPoints(table), (std::vector<std::string>{"/media/al/odd\rname\v", "/mnt/a\fb"}));
}
