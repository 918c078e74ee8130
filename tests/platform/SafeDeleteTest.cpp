// Deleting for good: whole trees go, links are removed as links and never
// followed, very deep trees need few descriptors, and a part that cannot be
// deleted stays while everything around it goes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engines/ImmutableFlag.h"
#include "platform/SafeDelete.h"

namespace fs = std::filesystem;

namespace {

fs::path freshFolder(const std::string& name)
{
    const fs::path folder = fs::path(std::getenv("HOME")) / "safedelete" / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

void writeFile(const fs::path& path, const std::string& text = "data")
{
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

bool present(const fs::path& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// A chain of `levels` folders named "d" below `root`, a file "f" in each,
// built with openat so the paths never grow long.
void makeChain(const fs::path& root, int levels)
{
    fs::create_directories(root);
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; level < levels; ++level) {
        close(openat(fd, "f", O_CREAT | O_WRONLY, 0644));
        mkdirat(fd, "d", 0755);
        const int child = openat(fd, "d", O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = child;
    }
    close(fd);
}

// Runs `body` with at most `limit` open descriptors.
template <typename Body>
void withFewDescriptors(rlim_t limit, Body body)
{
    rlimit saved;
    getrlimit(RLIMIT_NOFILE, &saved);
    rlimit tight = saved;
    tight.rlim_cur = std::min<rlim_t>(saved.rlim_cur, limit);
    setrlimit(RLIMIT_NOFILE, &tight);
    body();
    setrlimit(RLIMIT_NOFILE, &saved);
}

} // namespace

TEST(SafeDelete, RemovesFilesLinksAndWholeTrees)
{
    const fs::path root = freshFolder("kinds");
    writeFile(root / "file.txt");
    fs::create_symlink("file.txt", root / "link");
    fs::create_symlink("nowhere", root / "dangling");
    writeFile(root / "tree/.hidden/a");
    writeFile(root / "tree/b/c/d/e");
    fs::create_directories(root / "tree/empty");
    fs::permissions(root / "tree/b/c", fs::perms::owner_read | fs::perms::owner_exec);  // read-only folder
    writeFile(root / "slash/inside");

    EXPECT_TRUE(SafeDelete::removeAll(root / "link"));
    EXPECT_TRUE(present(root / "file.txt"));  // the link went, not what it names
    EXPECT_TRUE(SafeDelete::removeAll(root / "dangling"));
    EXPECT_TRUE(SafeDelete::removeAll(root / "file.txt"));
    if (geteuid() == 0) {
        EXPECT_TRUE(SafeDelete::removeAll(root / "tree"));
        EXPECT_FALSE(present(root / "tree"));
    }
    EXPECT_TRUE(SafeDelete::removeAll(root.native() + "/slash/"));  // a trailing slash names the same folder
    EXPECT_FALSE(present(root / "slash"));
    // Nothing there: nothing left, which is success.
    EXPECT_TRUE(SafeDelete::removeAll(root / "never-existed"));
    EXPECT_TRUE(SafeDelete::removeAll(root / "never-existed/below"));
    // Names that remove no entry of a parent are refused.
    EXPECT_FALSE(SafeDelete::removeAll(root / "."));
    EXPECT_FALSE(SafeDelete::removeAll("/"));
    EXPECT_TRUE(present(root));
}

TEST(SafeDelete, NeverFollowsALinkOutOfTheTree)
{
    const fs::path outside = freshFolder("outside");
    writeFile(outside / "keep.txt", "precious");
    writeFile(outside / "sub/keep2.txt", "precious");
    const fs::path root = freshFolder("with-links");
    writeFile(root / "a/file");
    fs::create_symlink(outside, root / "a/to-outside");
    fs::create_symlink(outside / "keep.txt", root / "a/to-outside-file");
    fs::create_symlink(outside, root / "link-as-root");

    // The path itself a link to a folder: the link goes, the folder stays whole.
    EXPECT_TRUE(SafeDelete::removeAll(root / "link-as-root"));
    EXPECT_TRUE(SafeDelete::removeAll(root));

    EXPECT_FALSE(present(root));
    EXPECT_TRUE(present(outside / "keep.txt"));
    EXPECT_TRUE(present(outside / "sub/keep2.txt"));
}

TEST(SafeDelete, DeepTreeWithFewDescriptors)
{
    const fs::path root = freshFolder("deep") / "top";
    makeChain(root, 5000);
    bool removed = false;
    withFewDescriptors(48, [&] { removed = SafeDelete::removeAll(root); });
    EXPECT_TRUE(removed);
    EXPECT_FALSE(present(root));
}

TEST(SafeDelete, WideFolderIsEmptiedWhileItIsRead)
{
    const fs::path root = freshFolder("wide");
    for (int i = 0; i < 3000; ++i)
        writeFile(root / ("f" + std::to_string(i)));
    for (int i = 0; i < 200; ++i)
        writeFile(root / ("d" + std::to_string(i)) / "x");
    EXPECT_TRUE(SafeDelete::removeAll(root));
    EXPECT_FALSE(present(root));
}

TEST(SafeDelete, NamesThatAreNotUtf8)
{
    const fs::path root = freshFolder("bytes");
    const std::string odd = "caf\xe9 \xff\xfe";
    writeFile(root / odd / (odd + ".txt"));
    writeFile(root / odd / "-rf");
    writeFile(root / odd / "line\nbreak");
    EXPECT_TRUE(SafeDelete::removeAll(root / odd));
    EXPECT_FALSE(present(root / odd));
}

TEST(SafeDelete, AnUndeletablePartStaysAndTheRestGoes)
{
    const fs::path root = freshFolder("partly");
    writeFile(root / "a/locked.txt", "stays");
    writeFile(root / "a/beside.txt");
    writeFile(root / "b/other.txt");
    writeFile(root / "top.txt");
    ImmutableGuard lock({root / "a/locked.txt"});
    SKIP_UNLESS_IMMUTABLE(lock);

    EXPECT_FALSE(SafeDelete::removeAll(root));

    EXPECT_TRUE(present(root / "a/locked.txt"));  // and the folders holding it
    EXPECT_FALSE(present(root / "a/beside.txt"));
    EXPECT_FALSE(present(root / "b"));
    EXPECT_FALSE(present(root / "top.txt"));
}

TEST(SafeDelete, UndeletablePartsDeepDownWithFewDescriptors)
{
    // Locked files at the bottom of a deep chain and beside a middle level:
    // the way back up reopens folders and must neither loop on nor lose track
    // of what stays, while removing everything else.
    const fs::path root = freshFolder("deep-partly") / "top";
    makeChain(root, 300);
    fs::path level = root;
    for (int i = 0; i < 300; ++i)
        level /= "d";
    fs::path middle = root;
    for (int i = 0; i < 150; ++i)
        middle /= "d";
    writeFile(level / "locked");
    writeFile(middle / "locked-too");
    ImmutableGuard lock({level / "locked", middle / "locked-too"});
    SKIP_UNLESS_IMMUTABLE(lock);

    bool removed = true;
    withFewDescriptors(48, [&] { removed = SafeDelete::removeAll(root); });

    EXPECT_FALSE(removed);
    EXPECT_TRUE(present(level / "locked"));
    EXPECT_TRUE(present(middle / "locked-too"));
    EXPECT_FALSE(present(root / "f"));
    EXPECT_FALSE(present(middle / "f"));
    EXPECT_FALSE(present(level / "f"));
    std::size_t left = 0;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it)
        ++left;
    EXPECT_EQ(left, 300u + 2u);  // the chain of folders and the two locked files
}
