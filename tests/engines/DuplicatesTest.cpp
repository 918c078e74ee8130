// The duplicate grouping over fixture trees: each phase splits what it must
// (the first block, the last block, the middle), hard links are one file,
// empty files are never copies, sparse files compare by content, and files
// that change between the phases drop out; no read moves an access time.
#include <gtest/gtest.h>

#include <algorithm>

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engines/dupes/DuplicateScan.h"
#include "platform/QuietOpen.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;
using namespace Dupes;

namespace {

Candidate candidateOf(const fs::path& path)
{
    struct stat info;
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return {path, info.st_dev, info.st_ino, info.st_size, mtimeNsOf(info)};
}

FileList candidatesIn(const fs::path& folder)
{
    FileList files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        struct stat info;
        if (lstat(entry.path().c_str(), &info) == 0 && S_ISREG(info.st_mode))
            files.add(files.addFolder(entry.path().parent_path()), entry.path().filename().native(), info);
    }
    return files;
}

// Each set as its file names, sorted, and the sets sorted.
std::vector<std::vector<std::string>> namesOf(const std::vector<Set>& sets)
{
    std::vector<std::vector<std::string>> all;
    for (const Set& set : sets) {
        std::vector<std::string> names;
        for (const Copy& copy : set)
            names.push_back(fs::path(copy.file.path).filename().string());
        std::sort(names.begin(), names.end());
        all.push_back(names);
    }
    std::sort(all.begin(), all.end());
    return all;
}

// What a set frees when every copy but one goes.
std::int64_t extraBytes(const Set& set) { return set.front().file.size * std::int64_t(set.size() - 1); }

std::string pattern(std::size_t bytes, char seed)
{
    std::string text(bytes, '\0');
    for (std::size_t i = 0; i < bytes; ++i)
        text[i] = char(seed + char(i * 7 % 251));
    return text;
}

} // namespace

TEST(Duplicates, EachPhaseSplitsWhatItMust)
{
    const fs::path root = freshFolder("dupes-phases");
    const std::string big = pattern(200'000, 'a');
    for (const char* name : {"a1", "a2", "a3"})
        writeFile(root / name, big);
    std::string first = big, last = big, middle = big;
    first[0] ^= 1;
    last[big.size() - 1] ^= 1;
    middle[big.size() / 2] ^= 1;  // only the full hash sees it
    writeFile(root / "first", first);
    writeFile(root / "last", last);
    writeFile(root / "middle", middle);
    writeFile(root / "small1", "tiny same");
    writeFile(root / "small2", "tiny same");
    writeFile(root / "small3", "tiny diff");
    writeFile(root / "alone", pattern(123, 'z'));

    const Found found = findDuplicates(candidatesIn(root), 2, CancelFlag{});
    EXPECT_EQ(namesOf(found.sets), (std::vector<std::vector<std::string>>{{"a1", "a2", "a3"}, {"small1", "small2"}}));
    EXPECT_EQ(extraBytes(found.sets[0]) + extraBytes(found.sets[1]), 2 * 200'000 + 9);
    EXPECT_EQ(found.unreadable, 0);
}

TEST(Duplicates, HardLinksAreOneFileAndEmptyFilesAreNeverCopies)
{
    const fs::path root = freshFolder("dupes-links");
    writeFile(root / "photo.jpg", pattern(50'000, 'p'));
    fs::create_hard_link(root / "photo.jpg", root / "photo-link.jpg");
    for (int i = 0; i < 50; ++i)
        writeFile(root / ("empty" + std::to_string(i)), "");
    fs::create_symlink(root / "photo.jpg", root / "photo-symlink.jpg");  // a link is never a copy

    EXPECT_TRUE(findDuplicates(candidatesIn(root), 2, CancelFlag{}).sets.empty());

    writeFile(root / "photo-copy.jpg", pattern(50'000, 'p'));
    const Found found = findDuplicates(candidatesIn(root), 2, CancelFlag{});
    ASSERT_EQ(found.sets.size(), 1u);
    ASSERT_EQ(found.sets[0].size(), 2u);  // the linked file once, with both names
    const Copy& linked = found.sets[0][0].otherNames.empty() ? found.sets[0][1] : found.sets[0][0];
    EXPECT_EQ(linked.otherNames.size(), 1u);
    EXPECT_EQ(extraBytes(found.sets[0]), 50'000);
}

TEST(Duplicates, SparseFilesCompareByContentAndChangedOrUnreadableFilesDropOut)
{
    const fs::path root = freshFolder("dupes-sparse");
    sparseFile(root / "disk1.img", 64 << 20);
    sparseFile(root / "disk2.img", 64 << 20);
    writeFile(root / "dense.img", std::string(64 << 20, '\0'));  // the same bytes, written out
    const std::string text = pattern(100'000, 'c');
    writeFile(root / "c1", text);
    writeFile(root / "c2", text);
    writeFile(root / "c3", text);

    FileList files = candidatesIn(root);
    // c3 grows after it was listed; c2 can no longer be read.
    writeFile(root / "c3", text + "more");
    chmod((root / "c2").c_str(), 0);
    const Found found = findDuplicates(files, 2, CancelFlag{});
    chmod((root / "c2").c_str(), 0644);
    if (geteuid() == 0) {  // root reads c2 anyway: c1 and c2 stay copies
        EXPECT_EQ(namesOf(found.sets),
                  (std::vector<std::vector<std::string>>{{"c1", "c2"}, {"dense.img", "disk1.img", "disk2.img"}}));
        EXPECT_EQ(found.unreadable, 1);
    } else {
        EXPECT_EQ(namesOf(found.sets), (std::vector<std::vector<std::string>>{{"dense.img", "disk1.img", "disk2.img"}}));
        EXPECT_EQ(found.unreadable, 2);
    }
}

namespace {

std::int64_t accessNs(const fs::path& path)
{
    struct stat info;
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return std::int64_t(info.st_atim.tv_sec) * 1'000'000'000 + info.st_atim.tv_nsec;
}

// Sets a file's access and modification times this many days back.
void ageFile(const fs::path& path, int accessedDaysAgo, int modifiedDaysAgo)
{
    const time_t now = time(nullptr);
    const struct timespec times[2] = {{now - accessedDaysAgo * 86'400, 0}, {now - modifiedDaysAgo * 86'400, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

} // namespace

TEST(Duplicates, ReadsLeaveAccessTimesAloneAndFilesOfOthersAreStillRead)
{
    // Old copies, edges and whole contents read: the large-file list would
    // show them used today (relatime moves a day-old access time on any read).
    const fs::path root = freshFolder("dupes-atime");
    const std::string text = pattern(200'000, 'a');
    for (const char* name : {"old1", "old2", "old3"}) {
        writeFile(root / name, text);
        ageFile(root / name, 3, 4);
    }
    std::vector<std::int64_t> before;
    for (const char* name : {"old1", "old2", "old3"})
        before.push_back(accessNs(root / name));
    const Found found = findDuplicates(candidatesIn(root), 2, CancelFlag{});
    ASSERT_EQ(found.sets.size(), 1u);
    EXPECT_EQ(holdBeforeRemoval(found.sets[0][1].file, found.sets[0][0].file.path), Hold::None);
    for (std::size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(accessNs(root / ("old" + std::to_string(i + 1))), before[i]) << i;

    // A file this process does not own is still read (without O_NOATIME, which only its owner may ask).
    if (geteuid() != 0) {
        const int fd = QuietOpen::open("/etc/passwd", O_RDONLY | O_CLOEXEC);
        EXPECT_GE(fd, 0);
        close(fd);
        return;
    }
    // As root: a search run as nobody over files root owns.
    char shared[] = "/tmp/quillmoor-dupes-XXXXXX";
    ASSERT_NE(mkdtemp(shared), nullptr);
    chmod(shared, 0755);
    for (const char* name : {"r1", "r2"}) {
        writeFile(fs::path(shared) / name, text);
        chmod((fs::path(shared) / name).c_str(), 0644);
    }
    const FileList theirs = candidatesIn(shared);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0)
            _exit(3);
        const Found seen = findDuplicates(theirs, 2, CancelFlag{});
        _exit(seen.sets.size() == 1 && seen.unreadable == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    fs::remove_all(shared);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// ---- Which copy stays ------------------------------------------------------------

#include "engines/dupes/DuplicateChoice.h"

namespace {

Set setOf(std::vector<std::pair<const char*, std::int64_t>> copies)
{
    Set set;
    for (const auto& [path, mtime] : copies)
        set.push_back({{path, 1, ino_t(set.size() + 1), 10, mtime}, {}});
    return set;
}

} // namespace

TEST(DuplicateChoice, TheKeepRulesAndTheirTies)
{
    const Set set = setOf({{"/h/Pictures/2019/img.jpg", 300}, {"/h/Downloads/img.jpg", 100},
                           {"/h/Desktop/b/img.jpg", 100}, {"/h/x/img.jpg", 900}});
    EXPECT_EQ(keptCopy(set, KeepRule::Oldest), 2u);  // two equally old: the path that sorts first
    EXPECT_EQ(keptCopy(set, KeepRule::Newest), 3u);
    EXPECT_EQ(keptCopy(set, KeepRule::ShortestPath), 3u);
    EXPECT_EQ(keptCopy(set, KeepRule::InFolder, "/h/Pictures"), 0u);
    EXPECT_EQ(keptCopy(set, KeepRule::InFolder, "/h/Pict"), 2u);  // a folder, not a prefix of a name
    EXPECT_EQ(keptCopy(set, KeepRule::InFolder, "/h/Music"), 2u);
}

TEST(DuplicateChoice, ProjectCopiesStartUntickedAndTheLastCopyNeverGoes)
{
    const auto gitAt = [](const fs::path& folder) { return folder == "/h/code/app"; };
    EXPECT_TRUE(inProject("/h/web/node_modules/lodash/index.js", gitAt));
    EXPECT_TRUE(inProject("/h/py/.venv/lib/python3/site-packages/x.py", gitAt));
    EXPECT_TRUE(inProject("/h/code/app/assets/logo.png", gitAt));
    EXPECT_FALSE(inProject("/h/Pictures/build-day.jpg", gitAt));  // a name, not a folder
    EXPECT_FALSE(inProject("/h/code/notes.txt", gitAt));

    const Set set = setOf({{"/h/a", 1}, {"/h/web/node_modules/a", 2}, {"/h/b", 3}});
    const std::vector<bool> ticks = firstTicks(set, 0, {false, true, false});
    EXPECT_EQ(ticks, (std::vector<bool>{false, false, true}));
    EXPECT_TRUE(mayTick(ticks, 1));  // the kept copy still stays
    EXPECT_FALSE(mayTick({false, true, true}, 0));
    EXPECT_FALSE(mayTick({false}, 0));
}

TEST(Duplicates, RightBeforeACopyGoesItAndItsKeeperAreCheckedAgain)
{
    const fs::path root = freshFolder("dupes-hold");
    const std::string text = pattern(3'000'000, 'k');
    writeFile(root / "kept", text);
    writeFile(root / "copy", text);
    const Candidate copy = candidateOf(root / "copy");
    EXPECT_EQ(holdBeforeRemoval(copy, root / "kept"), Hold::None);

    std::string late = text;
    late[2'500'000] ^= 1;  // past the first block read
    writeFile(root / "kept", late);
    EXPECT_EQ(holdBeforeRemoval(copy, root / "kept"), Hold::Differs);
    fs::remove(root / "kept");
    EXPECT_EQ(holdBeforeRemoval(copy, root / "kept"), Hold::KeptGone);
    fs::create_symlink(root / "copy", root / "kept");  // a link to the copy is no keeper
    EXPECT_EQ(holdBeforeRemoval(copy, root / "kept"), Hold::KeptGone);
    fs::remove(root / "kept");
    fs::create_hard_link(root / "copy", root / "kept");
    EXPECT_EQ(holdBeforeRemoval(copy, root / "kept"), Hold::SameFile);
    fs::remove(root / "kept");
    writeFile(root / "kept", text);
    writeFile(root / "copy", text);  // rewritten: a new modification time
    struct timespec times[2] = {{0, UTIME_OMIT}, {1, 0}};
    utimensat(AT_FDCWD, (root / "copy").c_str(), times, 0);
    EXPECT_EQ(holdBeforeRemoval(copy, root / "kept"), Hold::CopyChanged);
}

// ---- The walk --------------------------------------------------------------------

#include "engines/dupes/DuplicateWalk.h"
#include "platform/FS.h"
#include "profiles/Profile.h"

TEST(DuplicateWalk, TakesRegularFilesOnlyAndLeavesTheTrashHiddenFoldersAndSmallFilesOut)
{
    const fs::path home = FS::home();
    const fs::path top = home / "walk";
    writeFile(top / "photos/a.jpg", pattern(5'000, 'a'));
    writeFile(top / "photos/b.jpg", pattern(5'000, 'a'));
    writeFile(top / ".hidden/c.jpg", pattern(5'000, 'a'));
    writeFile(top / "small.txt", "x");
    writeFile(top / "empty", "");
    fs::create_symlink(top / "photos/a.jpg", top / "link.jpg");
    mkfifo((top / "pipe").c_str(), 0600);
    writeFile(FS::trashFolder() / "thrown.jpg", pattern(5'000, 'a'));

    const auto names = [](const FileList& files) {
        std::vector<std::string> list;
        for (std::size_t i = 0; i < files.size(); ++i)
            list.push_back(fs::path(files.pathOf(files[i])).lexically_relative(FS::home()).string());
        std::sort(list.begin(), list.end());
        return list;
    };
    CancelFlag flag;
    EXPECT_EQ(names(walkFiles(top, {1'000, false, 2}, flag)),
              (std::vector<std::string>{"walk/photos/a.jpg", "walk/photos/b.jpg"}));
    EXPECT_EQ(names(walkFiles(top, {0, true, 2}, flag)),
              (std::vector<std::string>{"walk/.hidden/c.jpg", "walk/photos/a.jpg", "walk/photos/b.jpg",
                                        "walk/small.txt"}));
    // A folder reached through a link is walked, and its files keep the link's spelling.
    fs::create_directory_symlink(top, home / "walk-link");
    EXPECT_EQ(names(walkFiles(home / "walk-link", {1'000, false, 2}, flag)),
              (std::vector<std::string>{"walk-link/photos/a.jpg", "walk-link/photos/b.jpg"}));
    fs::remove(home / "walk-link");
    // The home folder's Trash is never walked, even with hidden entries.
    for (const std::string& name : names(walkFiles(home, {1'000, true, 2}, flag)))
        EXPECT_EQ(name.find("thrown"), std::string::npos) << name;
    fs::remove_all(top);
    fs::remove(FS::trashFolder() / "thrown.jpg");
}

TEST(DuplicateWalk, ContainerStorageIsNeverWalkedNorReachedThroughALink)
{
    const fs::path home = freshFolder("storage walk");
    const fs::path store = home / ".local/share/containers", elsewhere = home / "data/containers";
    FS::setProtection({.storage = {store, elsewhere}});
    for (const fs::path& copy : {store / "storage/overlay/1/lib.so", store / "storage/overlay/2/lib.so",
                                 elsewhere / "lib.so", home / "Projects/containers/lib.so", home / "Music/lib.so"})
        writeFile(copy, pattern(5'000, 'l'));
    fs::create_directory_symlink(store / "storage", home / "Music/layers");
    fs::create_directory_symlink(elsewhere, home / "Music/containers");
    const WalkOptions hidden{1, true, 2};
    CancelFlag flag;
    EXPECT_EQ(walkFiles(home, hidden, flag).size(), 2u);  // Projects/containers/lib.so and Music/lib.so
    EXPECT_EQ(walkFiles(elsewhere, hidden, flag).size() + walkFiles(home / "Music/layers", hidden, flag).size(), 0u);
    Profiles::apply(Profiles::active());
}
