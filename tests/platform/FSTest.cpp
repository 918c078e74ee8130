// The file-system helpers and the shared walker, on fixture trees under the
// temporary home that TestMain provides.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>

#include "platform/FS.h"
#include "platform/Walker.h"

namespace fs = std::filesystem;

namespace {

// Sets an environment variable for the length of a test, then puts it back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// A fresh folder under the temporary home.
fs::path freshFolder(const std::string& name)
{
    const fs::path folder = FS::home() / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

// Writes `bytes` bytes and returns what the file occupies on disk.
std::int64_t writeFile(const fs::path& path, std::size_t bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
    struct stat info;
    lstat(path.c_str(), &info);
    return std::int64_t(info.st_blocks) * 512;
}

} // namespace

// ---- Protected locations -------------------------------------------------

TEST(FSProtected, SystemFoldersAndTheRootOfTheDisk)
{
    for (const char* root : {"/usr", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32", "/etc",
                             "/boot", "/dev", "/proc", "/sys", "/run", "/snap", "/var/lib"}) {
        EXPECT_TRUE(FS::isProtected(root)) << root;
        EXPECT_TRUE(FS::isProtected(std::string(root) + "/some/file")) << root;
    }
    for (const char* atRoot : {"/", "/tmp", "/var", "/opt", "/media", "/anything"})
        EXPECT_TRUE(FS::isProtected(atRoot)) << atRoot;
    // A shared prefix is not a folder boundary.
    for (const char* free : {"/usrx/file", "/var/library/x", "/var/log/old.log", "/tmp/x", "/opt/app/cache"})
        EXPECT_FALSE(FS::isProtected(free)) << free;
}

TEST(FSProtected, HomesAndTheFoldersOfTheHome)
{
    ScopedEnv home("HOME", "/home/alice");
    ScopedEnv data("XDG_DATA_HOME", "/home/alice/.local/share");
    EXPECT_TRUE(FS::isProtected("/home"));
    EXPECT_TRUE(FS::isProtected("/home/bob"));       // every user's home
    EXPECT_FALSE(FS::isProtected("/home/bob/notes.txt"));
    EXPECT_TRUE(FS::isProtected("/home/alice"));
    for (const char* suffix : {"/Library", "/Desktop", "/Documents", "/Downloads", "/Movies", "/Music",
                               "/Pictures", "/Public", "/Applications", "/.Trash", "/Videos", "/Templates",
                               "/.local/share/Trash", "/.local/share/Trash/files"})
        EXPECT_TRUE(FS::isProtected(std::string("/home/alice") + suffix)) << suffix;
    // Hidden items directly in the home are protected, not what lies inside them.
    EXPECT_TRUE(FS::isProtected("/home/alice/.bashrc"));
    EXPECT_TRUE(FS::isProtected("/home/alice/.cache"));
    EXPECT_FALSE(FS::isProtected("/home/alice/.cache/thumbnails"));
    EXPECT_FALSE(FS::isProtected("/home/alice/.cache/.hidden"));
    EXPECT_FALSE(FS::isProtected("/home/alice/.local/share"));
    EXPECT_FALSE(FS::isProtected("/home/alice/.local/share/Trash/files/old.txt"));
    EXPECT_FALSE(FS::isProtected("/home/alice/Documents/report.pdf"));
    EXPECT_FALSE(FS::isProtected("/home/alice/Library/Caches"));
    EXPECT_FALSE(FS::isProtected("/home/alice/Documentsx"));
}

TEST(FSProtected, PathsAreJudgedByWhereTheyLead)
{
    ScopedEnv home("HOME", "/home/alice/");  // a trailing slash in $HOME too
    ScopedEnv data("XDG_DATA_HOME", "/srv/data/alice");
    EXPECT_TRUE(FS::isProtected("/home/alice/./Documents"));
    EXPECT_TRUE(FS::isProtected("/home/alice/Documents/"));
    EXPECT_TRUE(FS::isProtected("/home/alice/.ssh/"));
    EXPECT_TRUE(FS::isProtected("/home/bob/"));
    EXPECT_TRUE(FS::isProtected("/var/"));
    EXPECT_TRUE(FS::isProtected("//usr//bin"));
    EXPECT_FALSE(FS::isProtected("/home/alice/Documents/./a.txt"));
    // Climbing with ".." may pass through a link, so it is never offered.
    EXPECT_TRUE(FS::isProtected("/home/../etc/passwd"));
    EXPECT_TRUE(FS::isProtected("/home/alice/../bob"));
    EXPECT_TRUE(FS::isProtected("/home/alice/Documents/sub/../a.txt"));
    // Nothing fixed is named by an empty or relative path.
    EXPECT_TRUE(FS::isProtected(""));
    EXPECT_TRUE(FS::isProtected("Documents/a.txt"));
    // The Trash is protected wherever XDG_DATA_HOME puts it.
    EXPECT_TRUE(FS::isProtected("/srv/data/alice/Trash/files"));
    EXPECT_TRUE(FS::isProtected("/srv/data/alice/Trash"));
    EXPECT_FALSE(FS::isProtected("/srv/data/alice/Trash/files/old.txt"));
}

// ---- Display and expansion -------------------------------------------------

TEST(FSNames, PrettyAndExpand)
{
    ScopedEnv home("HOME", "/home/al");
    EXPECT_EQ(FS::pretty("/home/al"), "~");
    EXPECT_EQ(FS::pretty("/home/al/My Files/a.txt"), "~/My Files/a.txt");
    EXPECT_EQ(FS::pretty("/home/alice/a.txt"), "/home/alice/a.txt");
    EXPECT_EQ(FS::pretty("/usr/bin"), "/usr/bin");
    EXPECT_EQ(FS::expand("~"), fs::path("/home/al"));
    EXPECT_EQ(FS::expand("~/.cache/x"), fs::path("/home/al/.cache/x"));
    EXPECT_EQ(FS::expand("/etc/~/x"), fs::path("/etc/~/x"));
    EXPECT_EQ(FS::expand("~bob/x"), fs::path("~bob/x"));
}

// ---- Sizes -------------------------------------------------------------------

TEST(FSSize, CountsEveryRegularFileWithItsAllocatedSize)
{
    const fs::path tree = freshFolder("size-tree");
    const std::int64_t hidden = writeFile(tree / "only-hidden/.secret", 5000);
    EXPECT_GT(FS::size(tree / "only-hidden"), 0);

    std::int64_t bundle = writeFile(tree / "Tool.app/Contents/MacOS/tool", 20000);
    bundle += writeFile(tree / "Tool.app/Contents/Info.plist", 300);
    EXPECT_EQ(FS::size(tree / "Tool.app"), bundle);

    // Hard links are counted once per name, as a listing shows them.
    const std::int64_t plain = writeFile(tree / "plain.bin", 9000);
    fs::create_hard_link(tree / "plain.bin", tree / "plain-link.bin");
    EXPECT_EQ(FS::size(tree / "plain.bin"), plain);
    EXPECT_EQ(FS::size(tree), hidden + bundle + 2 * plain);

    EXPECT_EQ(FS::size(tree / "missing"), 0);
    fs::create_directories(tree / "empty");
    EXPECT_EQ(FS::size(tree / "empty"), 0);
}

TEST(FSSize, LinksAddNothingWhateverTheyPointTo)
{
    const fs::path tree = freshFolder("link-tree");
    const fs::path outside = freshFolder("link-outside");
    writeFile(outside / "big.bin", 1 << 20);
    const std::int64_t own = writeFile(tree / "a/b/file.txt", 100);

    fs::create_directory_symlink(outside, tree / "to-outside");
    fs::create_directory_symlink(".", tree / "loop");
    fs::create_directory_symlink("../..", tree / "a/b/up");
    fs::create_symlink(outside / "big.bin", tree / "a/to-big-file");
    fs::create_symlink("nowhere", tree / "dangling");

    EXPECT_EQ(FS::size(tree), own);
    // A link measured alone is only the link itself.
    EXPECT_LT(FS::size(tree / "to-outside"), 4096 * 2);
}

TEST(FSSize, SparseFileCountsWhatIsAllocated)
{
    const fs::path file = freshFolder("sparse") / "disk.img";
    const int fd = open(file.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    const off_t length = 64 << 20;
    ASSERT_EQ(ftruncate(fd, length), 0);
    ASSERT_EQ(pwrite(fd, "data", 4, 1 << 20), 4);
    close(fd);

    struct stat info;
    ASSERT_EQ(lstat(file.c_str(), &info), 0);
    EXPECT_EQ(FS::size(file), std::int64_t(info.st_blocks) * 512);
    EXPECT_GT(FS::size(file), 0);
    EXPECT_LT(FS::size(file), length);
    EXPECT_EQ(FS::size(file.parent_path()), FS::size(file));
}

TEST(FSSize, UnreadableFolderIsSkippedAndTheRestCounted)
{
    const fs::path tree = freshFolder("locked-tree");
    const std::int64_t readable = writeFile(tree / "open/a.txt", 3000);
    writeFile(tree / "locked/inner/b.txt", 3000);
    fs::permissions(tree / "locked", fs::perms::none);
    const bool permissionsBite = geteuid() != 0;  // root reads through permission bits
    const std::int64_t measured = FS::size(tree);
    const std::size_t listed = FS::children(tree / "locked").size();
    fs::permissions(tree / "locked", fs::perms::owner_all);
    if (!permissionsBite)
        GTEST_SKIP() << "running as root, permission bits do not stop reading";
    EXPECT_EQ(measured, readable);
    EXPECT_EQ(listed, 0u);
}

TEST(FSSize, NamesThatAreNotUtf8)
{
    const fs::path tree = freshFolder("bytes");
    const std::string odd = "caf\xe9-\xff\xfe.bin";
    const std::int64_t bytes = writeFile(tree / odd, 7000);
    EXPECT_EQ(FS::size(tree), bytes);
    const std::vector<fs::path> listed = FS::children(tree);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].filename().native(), odd);
    EXPECT_FALSE(FS::pretty(listed[0]).isEmpty());
}

// Builds a chain of `depth` nested folders "d" with openat, since its paths are
// far beyond PATH_MAX, and removes it again the same way.
class DeepTree {
public:
    DeepTree(const fs::path& root, int depth) : root_(root), depth_(depth)
    {
        fs::create_directories(root);
        int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
        for (int level = 0; level < depth; ++level) {
            if (level % 1000 == 0)
                expected_ += writeAt(fd, "f", 10000);
            mkdirat(fd, "d", 0755);
            const int child = openat(fd, "d", O_RDONLY | O_DIRECTORY);
            close(fd);
            fd = child;
        }
        expected_ += writeAt(fd, "bottom", 50000);
        close(fd);
    }
    ~DeepTree()
    {
        int fd = open(root_.c_str(), O_RDONLY | O_DIRECTORY);
        for (int level = 0; level < depth_; ++level) {
            const int child = openat(fd, "d", O_RDONLY | O_DIRECTORY);
            close(fd);
            fd = child;
        }
        unlinkat(fd, "bottom", 0);
        for (int level = 0; level < depth_; ++level) {
            const int parent = openat(fd, "..", O_RDONLY | O_DIRECTORY);
            close(fd);
            fd = parent;
            unlinkat(fd, "d", AT_REMOVEDIR);
            unlinkat(fd, "f", 0);
        }
        close(fd);
    }
    std::int64_t expected() const { return expected_; }

private:
    static std::int64_t writeAt(int folder, const char* name, std::size_t bytes)
    {
        const int fd = openat(folder, name, O_CREAT | O_WRONLY, 0644);
        const std::string data(bytes, 'x');
        ::write(fd, data.data(), data.size());
        struct stat info;
        fstat(fd, &info);
        close(fd);
        return std::int64_t(info.st_blocks) * 512;
    }

    fs::path root_;
    int depth_;
    std::int64_t expected_ = 0;
};

TEST(FSSize, TenThousandLevelsDeepWithFewDescriptors)
{
    const DeepTree tree(freshFolder("deep"), 10000);
    // Far fewer descriptors than levels: the walk must not need one per level.
    rlimit saved;
    getrlimit(RLIMIT_NOFILE, &saved);
    rlimit tight = saved;
    tight.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 256);
    setrlimit(RLIMIT_NOFILE, &tight);
    std::map<int, std::int64_t> measured;  // by number of walking threads
    for (int workers : {1, 2, FS::kMaxSizeWorkers})
        measured[workers] = FS::size(FS::home() / "deep", workers);
    setrlimit(RLIMIT_NOFILE, &saved);
    for (const auto& [workers, bytes] : measured)
        EXPECT_EQ(bytes, tree.expected()) << workers << " threads";
}

// ---- Sizes on several threads --------------------------------------------------

TEST(FSSizeThreads, AsManyAsTheHardwareButFew)
{
    EXPECT_EQ(FS::sizeWorkers(0), 1);  // unknown
    EXPECT_EQ(FS::sizeWorkers(1), 1);
    EXPECT_EQ(FS::sizeWorkers(2), 2);
    EXPECT_EQ(FS::sizeWorkers(4), 4);
    EXPECT_EQ(FS::sizeWorkers(64), FS::kMaxSizeWorkers);

    const fs::path tree = freshFolder("threads-odd-counts");
    const std::int64_t bytes = writeFile(tree / "a/b/c.bin", 5000) + writeFile(tree / "d.bin", 100);
    for (int workers : {-3, 0, 1, 100})
        EXPECT_EQ(FS::size(tree, workers), bytes) << workers;
    EXPECT_EQ(FS::size(tree / "d.bin", 3), FS::size(tree / "d.bin", 1));
}

TEST(FSSizeThreads, WideTreeGivesTheSameTotalWithEveryThreadCount)
{
    // Wide enough that the threads pass folders to each other, with hidden
    // entries, a package, hard links and every kind of link that must add nothing.
    const fs::path tree = freshFolder("wide");
    const fs::path outside = freshFolder("wide-outside");
    writeFile(outside / "big.bin", 1 << 20);
    std::int64_t expected = 0;
    for (int top = 0; top < 12; ++top) {
        const fs::path folder = tree / ("top" + std::to_string(top));
        for (int sub = 0; sub < 12; ++sub) {
            const fs::path inner = folder / ((sub % 3 == 0 ? ".hidden" : "sub") + std::to_string(sub));
            expected += writeFile(inner / "file.bin", 100 + 997 * sub + top);
            expected += writeFile(inner / ".dotfile", 10);
        }
        fs::create_directory_symlink(outside, folder / "to-outside");
        fs::create_directory_symlink("..", folder / "loop");
        fs::create_symlink("missing", folder / "dangling");
    }
    expected += writeFile(tree / "Tool.app/Contents/MacOS/tool", 20000);
    fs::create_hard_link(tree / "top0/sub1/file.bin", tree / "top1/same-file.bin");
    expected += FS::size(tree / "top0/sub1/file.bin");
    // One folder with more subfolders than the descriptor limit below, and
    // chains that the threads walk down side by side, deeper than that limit
    // shared among them.
    for (int i = 0; i < 300; ++i)
        expected += writeFile(tree / "many" / ("f" + std::to_string(i)) / "x", 1);
    for (int chain = 0; chain < FS::kMaxSizeWorkers; ++chain) {
        fs::path level = tree / "chains" / ("c" + std::to_string(chain));
        for (int depth = 0; depth < 100; ++depth)
            level /= "d";
        expected += writeFile(level / "bottom", 3000);
    }

    const std::int64_t locked = writeFile(tree / "top5/locked/inner/secret.bin", 40000);
    fs::permissions(tree / "top5/locked", fs::perms::none);
    if (geteuid() == 0)
        expected += locked;  // root reads through permission bits

    rlimit saved;
    getrlimit(RLIMIT_NOFILE, &saved);
    rlimit tight = saved;
    tight.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 128);
    setrlimit(RLIMIT_NOFILE, &tight);
    std::map<int, std::set<std::int64_t>> totals;  // by number of threads, over a few rounds
    for (int round = 0; round < 8; ++round)
        for (int workers : {1, 2, 3, FS::kMaxSizeWorkers})
            totals[workers].insert(FS::size(tree, workers));
    setrlimit(RLIMIT_NOFILE, &saved);
    const std::int64_t byDefault = FS::size(tree);
    fs::permissions(tree / "top5/locked", fs::perms::owner_all);

    for (const auto& [workers, seen] : totals)
        EXPECT_EQ(seen, std::set<std::int64_t>{expected}) << workers << " threads";
    EXPECT_EQ(byDefault, expected);
}

// ---- The walker ----------------------------------------------------------------

// A chain of `levels` folders "d", with files and a side folder beside every
// level, so reading on after a reopen is exercised on the way up. Returns every
// path below `root`.
namespace {
std::set<fs::path> makeLadder(const fs::path& root, int levels)
{
    std::set<fs::path> paths;
    fs::path level = root;
    for (int i = 0; i < levels; ++i) {
        for (const char* name : {"a", "m", "z"}) {
            writeFile(level / name, 1);
            paths.insert(level / name);
        }
        fs::create_directories(level / "side");
        writeFile(level / "side/s", 1);
        paths.insert({level / "side", level / "side/s", level / "d"});
        level /= "d";
    }
    fs::create_directories(level);
    return paths;
}
} // namespace

TEST(Walker, VisitsEveryEntryOnceAcrossReopenedFolders)
{
    // Deeper than the open-folder limit.
    const fs::path root = freshFolder("walk");
    const std::set<fs::path> expected = makeLadder(root, Walker::kMaxOpenFolders * 2);

    std::map<fs::path, int> seen;
    int deepest = 0;
    Walker::walk(root, [&](const Walker::Entry& entry) {
        ++seen[entry.path()];
        deepest = std::max(deepest, entry.depth);
        return Walker::Step::Enter;
    });
    EXPECT_EQ(seen.size(), expected.size());
    for (const auto& [path, count] : seen) {
        EXPECT_EQ(count, 1) << path;
        EXPECT_TRUE(expected.count(path)) << path;
    }
    EXPECT_EQ(deepest, Walker::kMaxOpenFolders * 2 + 1);  // "side/s" of the last level
}

TEST(Walker, WalkFromAHeldFolderWithAnyOpenBudget)
{
    const fs::path root = freshFolder("walk-open");
    const std::set<fs::path> expected = makeLadder(root, 12);

    for (int budget : {1, 3, Walker::kMaxOpenFolders}) {
        const int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        std::map<fs::path, int> seen;
        int deepest = 0;
        int misplaced = 0;  // entries that cannot be found again through folderFd
        Walker::walkOpen(fd, root.native(), [&](const Walker::Entry& entry) {
            ++seen[entry.path()];
            deepest = std::max(deepest, entry.depth);
            struct stat again;
            const std::string name(entry.name);
            if (fstatat(entry.folderFd, name.c_str(), &again, AT_SYMLINK_NOFOLLOW) != 0
                || again.st_ino != entry.info.st_ino)
                ++misplaced;
            return Walker::Step::Enter;
        }, nullptr, budget);
        EXPECT_EQ(fcntl(fd, F_GETFD), -1) << "the walk closes the folder it was given";

        std::set<fs::path> visited;
        for (const auto& [path, count] : seen) {
            EXPECT_EQ(count, 1) << path << " with budget " << budget;
            visited.insert(path);
        }
        EXPECT_EQ(visited, expected) << "budget " << budget;
        EXPECT_EQ(deepest, 13);
        EXPECT_EQ(misplaced, 0);
    }

    // A descriptor that is not a folder: nothing visited, and still closed.
    const int fileFd = open((root / "a").c_str(), O_RDONLY | O_CLOEXEC);
    int visits = 0;
    Walker::walkOpen(fileFd, (root / "a").native(), [&](const Walker::Entry&) { return ++visits, Walker::Step::Enter; });
    EXPECT_EQ(visits, 0);
    EXPECT_EQ(fcntl(fileFd, F_GETFD), -1);
}

TEST(Walker, SkipStopAndCancel)
{
    const fs::path root = freshFolder("walk-steps");
    writeFile(root / "skipped/inner.txt", 1);
    for (int i = 0; i < 10; ++i)
        writeFile(root / ("f" + std::to_string(i)), 1);

    std::set<std::string> names;
    Walker::walk(root, [&](const Walker::Entry& entry) {
        names.insert(std::string(entry.name));
        return entry.name == "skipped" ? Walker::Step::Skip : Walker::Step::Enter;
    });
    EXPECT_EQ(names.size(), 11u);
    EXPECT_FALSE(names.count("inner.txt"));

    int visits = 0;
    Walker::walk(root, [&](const Walker::Entry&) { return ++visits == 3 ? Walker::Step::Stop : Walker::Step::Enter; });
    EXPECT_EQ(visits, 3);

    std::atomic<bool> cancel{false};
    visits = 0;
    Walker::walk(root, [&](const Walker::Entry&) {
        cancel = ++visits == 2;
        return Walker::Step::Enter;
    }, &cancel);
    EXPECT_EQ(visits, 2);

    visits = 0;
    Walker::walk(root / "skipped/inner.txt", [&](const Walker::Entry&) { return ++visits, Walker::Step::Enter; });
    fs::create_directory_symlink(root, FS::home() / "walk-link");
    Walker::walk(FS::home() / "walk-link", [&](const Walker::Entry&) { return ++visits, Walker::Step::Enter; });
    EXPECT_EQ(visits, 0);  // a file or a link as the root: nothing to visit
}

TEST(Walker, TreeMovedDuringTheWalkEndsIt)
{
    // A folder taken out from under the walk while it is deep inside: the walk
    // must neither loop nor read the new surroundings as the old ones.
    const fs::path root = freshFolder("walk-moved");
    fs::path level = root;
    for (int i = 0; i < Walker::kMaxOpenFolders + 20; ++i)
        level /= "d";
    writeFile(level / "bottom", 1);
    writeFile(root / "outside-after-move", 1);

    std::map<fs::path, int> seen;
    bool moved = false;
    Walker::walk(root, [&](const Walker::Entry& entry) {
        ++seen[entry.path()];
        if (!moved && entry.name == "bottom") {
            fs::rename(root / "d/d", root / "moved");
            moved = true;
        }
        return Walker::Step::Enter;
    });
    EXPECT_TRUE(moved);
    for (const auto& [path, count] : seen)
        EXPECT_EQ(count, 1) << path;
}

// ---- Listings and kinds ----------------------------------------------------------

TEST(FSChildren, HiddenOnlyWhenAskedAndNeverDots)
{
    const fs::path folder = freshFolder("listing");
    writeFile(folder / "visible.txt", 1);
    writeFile(folder / ".hidden", 1);
    fs::create_directories(folder / "sub");
    const auto names = [](const std::vector<fs::path>& paths) {
        std::set<std::string> result;
        for (const fs::path& path : paths)
            result.insert(path.filename().native());
        return result;
    };
    EXPECT_EQ(names(FS::children(folder)), (std::set<std::string>{"visible.txt", "sub"}));
    EXPECT_EQ(names(FS::children(folder, true)), (std::set<std::string>{"visible.txt", "sub", ".hidden"}));
    EXPECT_EQ(FS::children(folder).front().parent_path(), folder);
    EXPECT_TRUE(FS::children(folder / "visible.txt").empty());
    EXPECT_TRUE(FS::children(folder / "missing").empty());
}

TEST(FSKinds, FoldersAndPackages)
{
    const fs::path folder = freshFolder("kinds");
    fs::create_directories(folder / "Tool.app");
    fs::create_directories(folder / "Shout.APP");
    fs::create_directories(folder / "notes.txt.d");
    writeFile(folder / "file.app", 1);
    fs::create_directory_symlink(folder / "Tool.app", folder / "Link.app");

    EXPECT_TRUE(FS::isDir(folder / "Tool.app"));
    EXPECT_FALSE(FS::isDir(folder / "file.app"));
    EXPECT_FALSE(FS::isDir(folder / "Link.app"));
    EXPECT_FALSE(FS::isDir(folder / "missing"));

    EXPECT_TRUE(FS::isPackage(folder / "Tool.app"));
    EXPECT_TRUE(FS::isPackage(folder / "Shout.APP"));
    EXPECT_FALSE(FS::isPackage(folder / "notes.txt.d"));
    EXPECT_FALSE(FS::isPackage(folder / "file.app"));
    EXPECT_FALSE(FS::isPackage(folder / "Link.app"));
    EXPECT_TRUE(FS::hasPackageExtension("/x/Photos.photoslibrary/"));
    EXPECT_FALSE(FS::hasPackageExtension("/x/.app"));
}

// ---- System figures ----------------------------------------------------------------

TEST(FSSystem, MemoryFromMeminfo)
{
    const fs::path folder = freshFolder("meminfo");
    const auto memoryOf = [&](const std::string& text) {
        std::ofstream(folder / "meminfo") << text;
        return FS::memory(folder / "meminfo");
    };
    FS::Memory m = memoryOf("MemTotal:       16000000 kB\nMemFree:  100 kB\nMemAvailable:    6000000 kB\n");
    EXPECT_EQ(m.total, 16000000ull * 1024);
    EXPECT_EQ(m.used, 10000000ull * 1024);

    m = memoryOf("MemTotal: 1000 kB\n");  // no figure for what is available
    EXPECT_EQ(m.total, 1000ull * 1024);
    EXPECT_EQ(m.used, 0u);

    m = memoryOf("MemTotal: 1000 kB\nMemAvailable: 5000 kB\n");
    EXPECT_EQ(m.used, 0u);

    for (const char* garbage : {"", "MemTotal: lots kB\nMemAvailable: 5 kB\n", "MemTotal: 12 MB\n",
                                "MemTotal: 99999999999999999999999 kB\n", "\x01\x02 binary"}) {
        m = memoryOf(garbage);
        EXPECT_EQ(m.total, 0u) << garbage;
        EXPECT_EQ(m.used, 0u) << garbage;
    }
    m = FS::memory(folder / "missing");
    EXPECT_EQ(m.total, 0u);
    EXPECT_GT(FS::memory().total, 0u);
}

TEST(FSSystem, DiskOfTheRoot)
{
    const FS::Disk root = FS::disk();
    EXPECT_GT(root.total, 0);
    EXPECT_GE(root.free, 0);
    EXPECT_LE(root.free, root.total);
    EXPECT_EQ(FS::disk("/no/such/place").total, 0);
}

// ---- Full Disk Access and relaunch ------------------------------------------------------

TEST(FSAccess, ProbesTheTrashThenTheHome)
{
    fs::create_directories(FS::trashFolder());
    EXPECT_EQ(FS::trashFolder(), FS::home() / ".local/share/Trash/files");
    EXPECT_TRUE(FS::hasFullDiskAccess());
    {
        ScopedEnv data("XDG_DATA_HOME", (FS::home() / "no-data-here").native());
        EXPECT_TRUE(FS::hasFullDiskAccess());  // only the home lists
        ScopedEnv home("HOME", "/no/such/home");
        EXPECT_FALSE(FS::hasFullDiskAccess());
    }
}

TEST(FSAccess, SettingsAddressAndRelaunchCommand)
{
    EXPECT_FALSE(FS::canOpenAddress("x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles"));
    EXPECT_FALSE(FS::canOpenAddress(""));
    EXPECT_TRUE(FS::canOpenAddress("https://example.org/help"));

    {
        ScopedEnv appImage("APPIMAGE", "/opt/Quillmoor.AppImage");
        EXPECT_EQ(FS::relaunchProgram(), "/opt/Quillmoor.AppImage");
    }
    unsetenv("APPIMAGE");
    EXPECT_EQ(FS::relaunchProgram(), QCoreApplication::applicationFilePath());

    // A program whose path holds blanks, quotes and $(...) is started as is.
    const fs::path folder = freshFolder("it's a \"dir\" $(touch pwned)");
    const fs::path program = folder / "re launch";
    std::ofstream(program) << "#!/bin/sh\necho started > \"$(dirname \"$0\")/marker\"\n";
    fs::permissions(program, fs::perms::owner_all);
    QProcess shell;
    shell.start("/bin/sh", FS::relaunchArguments(QString::fromStdString(program.native())));
    ASSERT_TRUE(shell.waitForFinished(10000));
    EXPECT_TRUE(fs::exists(folder / "marker"));
    EXPECT_FALSE(fs::exists("pwned"));
}
