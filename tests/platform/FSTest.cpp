// The file-system helpers and the shared walker, on fixture trees in the temporary home.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <algorithm>
#include <set>
#include <string>
#include <tuple>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>

#include "platform/FS.h"
#include "platform/Paths.h"
#include "profiles/Profile.h"
#include "platform/Walker.h"
#include "support/DeepTree.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace {

void expectProtected(std::initializer_list<const char*> yes, std::initializer_list<const char*> no)
{
    for (const char* path : yes)
        EXPECT_TRUE(FS::isProtected(path)) << path;
    for (const char* path : no)
        EXPECT_FALSE(FS::isProtected(path)) << path;
}

// Makes the named profile's places the active ones while it lives.
class ProfilePlaces {
public:
    explicit ProfilePlaces(const char* name) { Profiles::apply(*Profiles::byName(name)); }
    ~ProfilePlaces() { Profiles::apply(Profiles::active()); }
    ProfilePlaces(const ProfilePlaces&) = delete;
    ProfilePlaces& operator=(const ProfilePlaces&) = delete;
};

} // namespace

TEST(FSProtected, SystemFoldersHomesAndPathsJudgedByWhereTheyLead)
{
    for (const char* root : {"/usr", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32", "/etc",
                             "/boot", "/dev", "/proc", "/sys", "/run", "/snap", "/var/lib"})
        expectProtected({root, (std::string(root) + "/some/file").c_str()}, {});
    ScopedEnv home("HOME", "/home/alice/");  // a trailing slash in $HOME too
    ScopedEnv data("XDG_DATA_HOME", "/home/alice/.local/share");
    for (const char* suffix : {"", "/Library", "/Desktop", "/Documents", "/Downloads", "/Movies", "/Music",
                               "/Pictures", "/Public", "/Applications", "/.Trash", "/Videos", "/Templates",
                               "/.local/share/Trash", "/.local/share/Trash/files"})
        EXPECT_TRUE(FS::isProtected(std::string("/home/alice") + suffix)) << suffix;
    expectProtected({// Everything directly at the root.
                     "/", "/tmp", "/var", "/opt", "/media", "/anything",
                     // Every user's home; hidden items directly in the home, not what lies inside them.
                     "/home", "/home/bob", "/home/alice/.bashrc", "/home/alice/.cache", "/home/alice/.local/share",
                     "/home/alice/./Documents", "/home/alice/Documents/", "/home/alice/.ssh/", "/home/bob/",
                     "/var/", "//usr//bin",
                     // Climbing with ".." may pass through a link, so it is never offered.
                     "/home/../etc/passwd", "/home/alice/../bob", "/home/alice/Documents/sub/../a.txt",
                     // Nothing fixed is named by an empty or relative path.
                     "", "Documents/a.txt"},
                    {// A shared prefix is not a folder boundary.
                     "/usrx/file", "/var/library/x", "/var/log/old.log", "/tmp/x", "/opt/app/cache",
                     "/home/bob/notes.txt", "/home/alice/.cache/thumbnails", "/home/alice/.cache/.hidden",
                     "/home/alice/.local/share/Trash/files/old.txt", "/home/alice/Documents/report.pdf",
                     "/home/alice/Library/Caches", "/home/alice/Documentsx", "/home/alice/Documents/./a.txt"});
    // The Trash is protected wherever XDG_DATA_HOME puts it.
    ScopedEnv elsewhere("XDG_DATA_HOME", "/srv/data/alice");
    expectProtected({"/srv/data/alice/Trash/files", "/srv/data/alice/Trash"}, {"/srv/data/alice/Trash/files/old.txt"});
}

TEST(FSNames, PrettyAndExpand)
{
    ScopedEnv home("HOME", "/home/al");
    EXPECT_EQ(FS::pretty("/home/al"), "~");
    EXPECT_EQ(FS::pretty("/home/al/My Files/a.txt"), "~/My Files/a.txt");
    EXPECT_EQ(FS::pretty("/home/alice/a.txt"), "/home/alice/a.txt");
    EXPECT_EQ(FS::expand("~"), fs::path("/home/al"));
    EXPECT_EQ(FS::expand("~/.cache/x"), fs::path("/home/al/.cache/x"));
    EXPECT_EQ(FS::expand("/etc/~/x"), fs::path("/etc/~/x"));
    EXPECT_EQ(FS::expand("~bob/x"), fs::path("~bob/x"));
}

TEST(FSSize, CountsEveryRegularFileWithItsAllocatedSize)
{
    const fs::path tree = freshFolder("size-tree");
    const std::int64_t hidden = writeBytes(tree / "only-hidden/.secret", 5000);
    EXPECT_GT(FS::size(tree / "only-hidden"), 0);

    const std::int64_t bundle = writeBytes(tree / "Tool.app/Contents/MacOS/tool", 20000)
                              + writeBytes(tree / "Tool.app/Contents/Info.plist", 300);
    EXPECT_EQ(FS::size(tree / "Tool.app"), bundle);

    // A file with two names inside the tree takes its room once, as du counts it.
    const std::int64_t plain = writeBytes(tree / "plain.bin", 9000);
    fs::create_hard_link(tree / "plain.bin", tree / "plain-link.bin");
    EXPECT_EQ(FS::size(tree / "plain.bin"), plain);

    // A name that is not UTF-8 is measured and listed byte for byte.
    const std::string odd = "caf\xe9-\xff\xfe.bin";
    const std::int64_t oddBytes = writeBytes(tree / "odd" / odd, 7000);
    const std::vector<fs::path> listed = FS::children(tree / "odd");
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].filename().native(), odd);
    EXPECT_FALSE(FS::pretty(listed[0]).isEmpty());

    // A sparse file counts what is allocated, not its length.
    const fs::path image = tree / "disk.img";
    const int fd = open(image.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    const off_t length = 64 << 20;
    ASSERT_EQ(ftruncate(fd, length), 0);
    ASSERT_EQ(pwrite(fd, "data", 4, 1 << 20), 4);
    close(fd);
    const std::int64_t sparse = FS::size(image);
    EXPECT_EQ(sparse, allocatedSize(image));
    EXPECT_GT(sparse, 0);
    EXPECT_LT(sparse, length);

    EXPECT_EQ(FS::size(tree), hidden + bundle + plain + oddBytes + sparse);
    fs::create_directories(tree / "empty");
    EXPECT_EQ(FS::size(tree / "empty"), 0);
}

TEST(FSSize, HardLinksCountOncePerMeasurementOnEveryThread)
{
    // A cache holding a big file under two names, a third name deeper down and
    // many small folders, so the walk is shared among threads.
    const fs::path cache = freshFolder("size-links") / "cache";
    const std::int64_t big = writeBytes(cache / "blob", 200000);
    fs::create_hard_link(cache / "blob", cache / "blob-again");
    std::int64_t small = 0;
    for (int i = 0; i < 300; ++i)
        small += writeBytes(cache / ("d" + std::to_string(i)) / "x", 100);
    fs::create_hard_link(cache / "blob", cache / "d299/blob-deeper");
    const std::int64_t other = writeBytes(cache.parent_path() / "other/blob", 200000);
    fs::create_hard_link(cache / "blob", cache.parent_path() / "other/same-blob");

    for (int workers : {1, 2, 4}) {
        EXPECT_EQ(FS::size(cache, workers), big + small) << workers;
        // Each measurement counts once; two measurements each count it.
        std::map<std::size_t, std::int64_t> sizes;
        std::mutex lock;
        FS::sizeEach({cache, cache.parent_path() / "other"}, workers, [&](std::size_t index, std::int64_t bytes) {
            std::lock_guard guard(lock);
            sizes[index] = bytes;
        });
        EXPECT_EQ(sizes[0], big + small) << workers;
        EXPECT_EQ(sizes[1], other + big) << workers;
    }
}

TEST(FSSize, AMountInsideIsNotMeasuredButMeasuresAsItsOwnRoot)
{
    const fs::path folder = freshFolder("size-mount");
    const std::int64_t documents = writeBytes(folder / "Documents/thesis.tex", 300000);
    const std::int64_t own = writeBytes(folder / "cache/blob", 5000);
    fs::create_directories(folder / "cache/view");
    BindMount mounted(folder / "Documents", folder / "cache/view");
    SKIP_UNLESS_MOUNTED(mounted);

    EXPECT_EQ(FS::size(folder / "cache", 1), own);
    EXPECT_EQ(FS::size(folder / "cache", 4), own);
    EXPECT_EQ(FS::size(folder / "cache/view"), documents);  // a listed child measured on its own
    std::vector<std::int64_t> each(2, -1);
    FS::sizeEach({folder / "cache", folder / "cache/view"}, 2,
                 [&](std::size_t index, std::int64_t bytes) { each[index] = bytes; });
    EXPECT_EQ(each, (std::vector<std::int64_t>{own, documents}));

    // The walk shows the mount point for what it is and stays out of it.
    std::vector<std::string> seen;
    bool flagged = false;
    Walker::walk(folder / "cache", [&](const Walker::Entry& entry) {
        seen.emplace_back(entry.name);
        if (entry.name == "view")
            flagged = entry.mountRoot;
        return Walker::Step::Enter;
    });
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"blob", "view"}));
    EXPECT_TRUE(flagged);
}

TEST(FSSize, TenThousandLevelsDeepWithFewDescriptors)
{
    const fs::path root = freshFolder("deep");
    const DeepTree tree(root, 10000);
    // Far fewer descriptors than levels: the walk must not need one per level.
    const FileLimit limit(256);
    for (int workers : {1, 2, FS::kMaxSizeWorkers})
        EXPECT_EQ(FS::size(root, workers), tree.expected()) << workers << " threads";
}

TEST(FSSizeThreads, WideTreeGivesTheSameTotalWithEveryThreadCount)
{
    // Wide enough that the threads pass folders to each other, with hidden
    // entries, a package, hard links and every kind of link (out of the tree,
    // loops, up the tree, to a file, dangling), none of which may add anything.
    const fs::path tree = freshFolder("wide");
    const fs::path outside = freshFolder("wide-outside");
    writeBytes(outside / "big.bin", 1 << 20);
    std::int64_t expected = 0;
    for (int top = 0; top < 12; ++top) {
        const fs::path folder = tree / ("top" + std::to_string(top));
        for (int sub = 0; sub < 12; ++sub) {
            const fs::path inner = folder / ((sub % 3 == 0 ? ".hidden" : "sub") + std::to_string(sub));
            expected += writeBytes(inner / "file.bin", 100 + 997 * sub + top);
            expected += writeBytes(inner / ".dotfile", 10);
        }
        fs::create_directory_symlink(outside, folder / "to-outside");
        fs::create_directory_symlink("..", folder / "loop");
        fs::create_directory_symlink("../..", folder / "sub1/up");
        fs::create_symlink(outside / "big.bin", folder / "to-big-file");
        fs::create_symlink("missing", folder / "dangling");
    }
    // A link measured alone is only the link itself.
    EXPECT_LT(FS::size(tree / "top0/to-outside"), 4096 * 2);
    expected += writeBytes(tree / "Tool.app/Contents/MacOS/tool", 20000);
    // A second name of a file already counted adds nothing, whichever thread meets it.
    fs::create_hard_link(tree / "top0/sub1/file.bin", tree / "top1/same-file.bin");
    // One folder with more subfolders than the descriptor limit below, and
    // chains that the threads walk down side by side, deeper than that limit
    // shared among them.
    for (int i = 0; i < 300; ++i)
        expected += writeBytes(tree / "many" / ("f" + std::to_string(i)) / "x", 1);
    for (int chain = 0; chain < FS::kMaxSizeWorkers; ++chain) {
        fs::path level = tree / "chains" / ("c" + std::to_string(chain));
        for (int depth = 0; depth < 100; ++depth)
            level /= "d";
        expected += writeBytes(level / "bottom", 3000);
    }

    // An unreadable folder is skipped and the rest counted.
    const std::int64_t locked = writeBytes(tree / "top5/locked/inner/secret.bin", 40000);
    fs::permissions(tree / "top5/locked", fs::perms::none);
    if (geteuid() == 0)
        expected += locked;  // root reads through permission bits

    // By number of threads, over a few rounds; odd counts (none, negative, too
    // many) give the same total.
    std::map<int, std::set<std::int64_t>> totals;
    {
        const FileLimit limit(128);
        for (int round = 0; round < 8; ++round)
            for (int workers : {-3, 0, 1, 2, 3, FS::kMaxSizeWorkers, 100})
                totals[workers].insert(FS::size(tree, workers));
    }
    const std::int64_t byDefault = FS::size(tree);
    const std::size_t listedLocked = FS::children(tree / "top5/locked").size();
    fs::permissions(tree / "top5/locked", fs::perms::owner_all);
    if (geteuid() != 0) {
        EXPECT_EQ(listedLocked, 0u);
    }

    for (const auto& [workers, seen] : totals)
        EXPECT_EQ(seen, std::set<std::int64_t>{expected}) << workers << " threads";
    EXPECT_EQ(byDefault, expected);
    const fs::path tool = tree / "Tool.app/Contents/MacOS/tool";
    EXPECT_EQ(FS::size(tool, 3), FS::size(tool, 1));  // a single file, with threads to spare

    // As many threads as the hardware has, but few.
    EXPECT_EQ(FS::sizeWorkers(0), 1);  // unknown
    EXPECT_EQ(FS::sizeWorkers(1), 1);
    EXPECT_EQ(FS::sizeWorkers(4), 4);
    EXPECT_EQ(FS::sizeWorkers(64), FS::kMaxSizeWorkers);
}

TEST(Walker, VisitsEveryEntryOnceAcrossReopenedFolders)
{
    // A chain deeper than the open-folder limit, with files and a side folder
    // beside every level, so reading on after a reopen is exercised on the way up.
    const int levels = Walker::kMaxOpenFolders * 2;
    const fs::path root = freshFolder("walk");
    std::set<fs::path> expected;
    fs::path level = root;
    for (int i = 0; i < levels; ++i) {
        for (const char* name : {"a", "m", "z", "side/s"})
            writeFile(level / name);
        expected.insert({level / "a", level / "m", level / "z", level / "side", level / "side/s", level / "d"});
        level /= "d";
    }
    fs::create_directories(level);

    // Every entry once, at its depth, and found again through folderFd.
    const auto check = [&](const std::function<void(const Walker::Visitor&)>& walk, const std::string& how) {
        std::map<fs::path, int> seen;
        int deepest = 0;
        int misplaced = 0;
        walk([&](const Walker::Entry& entry) {
            ++seen[entry.path()];
            deepest = std::max(deepest, entry.depth);
            struct stat again;
            const std::string name(entry.name);
            if (fstatat(entry.folderFd, name.c_str(), &again, AT_SYMLINK_NOFOLLOW) != 0
                || again.st_ino != entry.info.st_ino)
                ++misplaced;
            return Walker::Step::Enter;
        });
        std::set<fs::path> visited;
        for (const auto& [path, count] : seen) {
            EXPECT_EQ(count, 1) << path << ", " << how;
            visited.insert(path);
        }
        EXPECT_EQ(visited, expected) << how;
        EXPECT_EQ(deepest, levels + 1) << how;  // "side/s" of the last level
        EXPECT_EQ(misplaced, 0) << how;
    };
    check([&](const Walker::Visitor& visit) { Walker::walk(root, visit); }, "walk");

    // From a held folder, with any open-folder budget.
    for (int budget : {1, 3, Walker::kMaxOpenFolders}) {
        const int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        check([&](const Walker::Visitor& visit) { Walker::walkOpen(fd, root.native(), visit, nullptr, budget); },
              "budget " + std::to_string(budget));
        EXPECT_EQ(fcntl(fd, F_GETFD), -1) << "the walk closes the folder it was given";
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
    writeFile(root / "skipped/inner.txt");
    for (int i = 0; i < 10; ++i)
        writeFile(root / ("f" + std::to_string(i)));

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

    // A file or a link as the root: nothing to visit.
    visits = 0;
    fs::create_directory_symlink(root, root.parent_path() / "walk-link");
    for (const fs::path& start : {root / "skipped/inner.txt", root.parent_path() / "walk-link"})
        Walker::walk(start, [&](const Walker::Entry&) { return ++visits, Walker::Step::Enter; });
    EXPECT_EQ(visits, 0);
}

TEST(Walker, TreeMovedDuringTheWalkEndsIt)
{
    // A folder taken out from under the walk while it is deep inside: the walk
    // must neither loop nor read the new surroundings as the old ones.
    const fs::path root = freshFolder("walk-moved");
    fs::path level = root;
    for (int i = 0; i < Walker::kMaxOpenFolders + 20; ++i)
        level /= "d";
    writeFile(level / "bottom");
    writeFile(root / "outside-after-move");

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

TEST(FSKinds, ListingsFoldersAndPackages)
{
    const fs::path folder = freshFolder("kinds");
    for (const char* name : {"Tool.app", "Shout.APP", "notes.txt.d"})
        fs::create_directories(folder / name);
    writeFile(folder / "file.app");
    writeFile(folder / ".hidden");
    fs::create_directory_symlink(folder / "Tool.app", folder / "Link.app");

    // Hidden entries only when asked, never "." or "..".
    const auto names = [](const std::vector<fs::path>& paths) {
        std::set<std::string> result;
        for (const fs::path& path : paths)
            result.insert(path.filename().native());
        return result;
    };
    const std::set<std::string> visible = {"Tool.app", "Shout.APP", "notes.txt.d", "file.app", "Link.app"};
    EXPECT_EQ(names(FS::children(folder)), visible);
    std::set<std::string> all = visible;
    all.insert(".hidden");
    EXPECT_EQ(names(FS::children(folder, true)), all);
    EXPECT_EQ(FS::children(folder).front().parent_path(), folder);
    EXPECT_TRUE(FS::children(folder / "file.app").empty());
    EXPECT_TRUE(FS::children(folder / "missing").empty());

    // A folder, and a package, only when it is really one; a link is neither.
    const std::vector<std::string> packages{"app", "photoslibrary"};
    for (const auto& [name, folderToo, package] : std::vector<std::tuple<const char*, bool, bool>>{
             {"Tool.app", true, true}, {"Shout.APP", true, true}, {"notes.txt.d", true, false},
             {"file.app", false, false}, {"Link.app", false, false}, {"missing", false, false}}) {
        EXPECT_EQ(FS::isDir(folder / name), folderToo) << name;
        EXPECT_EQ(FS::isPackage(folder / name, packages), package) << name;
    }
    EXPECT_TRUE(FS::hasPackageExtension("/x/Photos.photoslibrary/", packages));
    EXPECT_FALSE(FS::hasPackageExtension("/x/.app", packages));
    EXPECT_FALSE(FS::isPackage(folder / "Tool.app", {}));  // a system without packages
}

TEST(FSSystem, MemoryFromMeminfoAndTheDisk)
{
    const fs::path file = freshFolder("meminfo") / "meminfo";
    const struct {
        const char* text;
        std::uint64_t totalKB;
        std::uint64_t usedKB;
    } cases[] = {
        {"MemTotal:       16000000 kB\nMemFree:  100 kB\nMemAvailable:    6000000 kB\n", 16000000, 10000000},
        {"MemTotal: 1000 kB\n", 1000, 0},  // no figure for what is available
        {"MemTotal: 1000 kB\nMemAvailable: 5000 kB\n", 1000, 0},
        // Nothing usable: no total at all.
        {"", 0, 0}, {"MemTotal: lots kB\nMemAvailable: 5 kB\n", 0, 0}, {"MemTotal: 12 MB\n", 0, 0},
        {"MemTotal: 99999999999999999999999 kB\n", 0, 0}, {"\x01\x02 binary", 0, 0},
    };
    for (const auto& c : cases) {
        writeFile(file, c.text);
        const FS::Memory m = FS::memory(file);
        EXPECT_EQ(m.total, c.totalKB * 1024) << c.text;
        EXPECT_EQ(m.used, c.usedKB * 1024) << c.text;
    }
    EXPECT_EQ(FS::memory(file.parent_path() / "missing").total, 0u);
    EXPECT_GT(FS::memory().total, 0u);

    const FS::Disk root = FS::disk();
    EXPECT_GT(root.total, 0);
    EXPECT_GE(root.free, 0);
    EXPECT_LE(root.free, root.total);
    EXPECT_EQ(FS::disk("/no/such/place").total, 0);
}

TEST(FSAccess, ProbesTheTrashThenTheHome)
{
    fs::create_directories(FS::trashFolder());
    EXPECT_EQ(FS::trashFolder(), FS::home() / ".local/share/Trash/files");
    EXPECT_TRUE(FS::hasFullDiskAccess());
    ScopedEnv data("XDG_DATA_HOME", (FS::home() / "no-data-here").native());
    EXPECT_TRUE(FS::hasFullDiskAccess());  // only the home lists
    ScopedEnv home("HOME", "/no/such/home");
    EXPECT_FALSE(FS::hasFullDiskAccess());
}

TEST(FSAccess, SettingsAddressAndRelaunchCommand)
{
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
    writeFile(program, "#!/bin/sh\necho started > \"$(dirname \"$0\")/marker\"\n");
    fs::permissions(program, fs::perms::owner_all);
    QProcess shell;
    shell.start("/bin/sh", FS::relaunchArguments(QString::fromStdString(program.native())));
    ASSERT_TRUE(shell.waitForFinished(10000));
    EXPECT_TRUE(fs::exists(folder / "marker"));
    EXPECT_FALSE(fs::exists("pwned"));
}

TEST(FSProtected, LinuxBaseFoldersAndTheUsersOwnFolders)
{
    const fs::path home = FS::home();
    writeFile(home / ".config/user-dirs.dirs",
              "# written by xdg-user-dirs-update\n"
              "XDG_DESKTOP_DIR=\"$HOME/Área de Trabalho\"\n"
              "XDG_DOCUMENTS_DIR=\"$HOME/Documentos\"\n"
              "XDG_MUSIC_DIR=\"$HOME/M\\\"usica\"\n"
              "XDG_PROJECTS_DIR=\"/srv/projetos\"\n");
    const ProfilePlaces linux("linux");
    for (const char* inside : {".config", ".local", ".local/share", ".local/state", ".cache", ".var", ".var/app", "snap",
                               "Área de Trabalho", "Documentos", "M\"usica"})
        EXPECT_TRUE(FS::isProtected(home / inside)) << inside;
    EXPECT_TRUE(FS::isProtected("/srv/projetos"));
    // Their contents are judged as before; the session's error log is junk, not a setting.
    for (const char* inside : {".cache/thumbnails", ".var/app/org.gimp.GIMP", "Documentos/a.txt", ".xsession-errors",
                               ".xsession-errors.old", "snap/app/1/cache"})
        EXPECT_FALSE(FS::isProtected(home / inside)) << inside;
    EXPECT_TRUE(FS::isProtected(home / ".bashrc"));
    fs::remove(home / ".config/user-dirs.dirs");
}

TEST(FSProtected, TheMacOSPlacesAreTheDesignedOnes)
{
    ScopedEnv home("HOME", "/Users/alice");
    const ProfilePlaces macos("macos");
    expectProtected({"/System/Library/x", "/private/var/db", "/Library/Apple/x", "/Users", "/Users/bob", "/cores/x",
                     "/Users/alice/Library", "/Users/alice/.Trash", "/Users/alice/.zshrc", "/Applications"},
                    {"/Library/Caches", "/Users/alice/Library/Caches", "/Users/alice/Documents/a.txt",
                     "/Users/alice/.cache/x", "/Library/Application Support/x", "/.snapshots/1/x",
                     "/Users/alice/.local/share/containers/x"});
}

TEST(FSProtected, LinuxContainerAndSnapshotStorageWithEverythingInside)
{
    const fs::path home = freshFolder("storage home");
    fs::create_directories(home / "real-data");
    fs::create_directory_symlink(home / "real-data", home / "data");
    {
        const ScopedEnv homeEnv("HOME", home.native()), data("XDG_DATA_HOME", (home / "data/").native());
        const ProfilePlaces linux("linux");
        expectProtected({(home / "data/containers").c_str(), (home / "real-data/containers/storage/x").c_str(),
                         (home / ".local/share/containers/storage/x").c_str(), "/.snapshots/1/snapshot/etc"},
                        {(home / "Projects/containers/x").c_str(), (home / "data/containers-old").c_str()});
    }
    Profiles::apply(Profiles::active());
}

TEST(UserDirs, QuotedLocalisedAndAbsoluteNamesAreRead)
{
    const std::vector<Paths::UserDir> dirs = Paths::parseUserDirs(
        "# comment\n\n  XDG_DOWNLOAD_DIR=\"$HOME/Transferências\"\n"
        "XDG_DESKTOP_DIR=\"$HOME/Área de Trabalho\"\r\n"
        "XDG_TEMPLATES_DIR=\"$HOME/\"\n"
        "XDG_MUSIC_DIR=\"$HOME/a\\\\b\\\"c\"\n"
        "XDG_PUBLICSHARE_DIR=\"/srv/pub/\"\n",
        "/home/u");
    std::vector<std::string> read;
    for (const Paths::UserDir& dir : dirs)
        read.push_back(dir.key + "=" + dir.path.native());
    // The disabled entry (the home itself) is left out.
    EXPECT_EQ(read, (std::vector<std::string>{"DOWNLOAD=/home/u/Transferências", "DESKTOP=/home/u/Área de Trabalho",
                                              "MUSIC=/home/u/a\\b\"c", "PUBLICSHARE=/srv/pub"}));
}

TEST(UserDirs, AMalformedOrUndecodableFileGivesNothing)
{
    for (const char* text : {"XDG_DOWNLOAD_DIR=$HOME/D\n", "XDG_DOWNLOAD_DIR=\"relative/D\"\n",
                             "DOWNLOAD=\"$HOME/D\"\n", "XDG_DOWNLOAD_DIR=\"$HOME/D\n", "just words\n",
                             "XDG_DOWNLOAD_DIR=\"$HOME/\xff\xfe\"\n", "XDG_DOWNLOAD_DIR=\"$HOME/a\"b\"\n"})
        EXPECT_TRUE(Paths::parseUserDirs(text, "/home/u").empty()) << text;

    // Read from the user's file: a missing or broken one leaves ~/Downloads.
    const fs::path file = Paths::configHome() / "user-dirs.dirs";
    fs::remove(file);
    EXPECT_EQ(Paths::downloadFolder(), FS::home() / "Downloads");
    writeFile(file, "XDG_DOWNLOAD_DIR=\"$HOME/Baixados\"\n");
    EXPECT_EQ(Paths::downloadFolder(), FS::home() / "Baixados");
    writeFile(file, "XDG_DOWNLOAD_DIR=\"$HOME/Baixados\"\ngarbage\n");
    EXPECT_EQ(Paths::downloadFolder(), FS::home() / "Downloads");
    fs::remove(file);
}
