// Deleting for good: whole trees go, links are removed as links and never
// followed, deep trees need few descriptors, and a part that cannot be
// deleted stays while everything around it goes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <fcntl.h>
#include <unistd.h>

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
    ImmutableGuard lock({bottom / "locked", middle / "locked-too"});
    SKIP_UNLESS_IMMUTABLE(lock);

    EXPECT_FALSE(removeWithFewDescriptors(root));

    EXPECT_TRUE(present(bottom / "locked"));
    EXPECT_TRUE(present(middle / "locked-too"));
    std::size_t left = 0;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it)
        ++left;
    EXPECT_EQ(left, 300u + 2u);  // the chain of folders holding them and the two files
}
