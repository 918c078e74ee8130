// Sweeper::scanLarge on small fixture homes. Big files are sparse, so their
// logical sizes cost no disk space.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "engines/large/LargeFiles.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/Walker.h"
#include "profiles/Profile.h"
#include "support/DeepTree.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kMB = 1000 * 1000;

// A fresh home folder per test, inside the binary's temporary home.
class LargeScan : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        home = FS::home() / "homes" / (std::string(info->test_suite_name()) + "." + info->name());
        fs::create_directories(home);
    }

    std::vector<LargeFile> scan(std::int64_t minBytes, const std::function<void(int)>& progress = {})
    {
        CancelFlag flag;
        return Sweeper::scanLarge(minBytes, flag, {}, progress, home, 0, rules).files;
    }

    // What the system adds to the walk's rules (the linux profile adds nothing).
    LargeWalkRules rules;
    static LargeWalkRules macosRules() { return Profiles::byName("macos")->traits.large; }

    static std::set<fs::path> pathsOf(const std::vector<LargeFile>& files)
    {
        const std::vector<fs::path> paths = listOf(files, &LargeFile::url);
        return {paths.begin(), paths.end()};
    }

    // (path, size) of each file in order, to compare whole lists at once.
    static std::vector<std::pair<fs::path, std::int64_t>> rows(const std::vector<LargeFile>& files)
    {
        return listOf(files, [](const LargeFile& file) { return std::pair(file.url, file.size); });
    }

    static bool largestFirst(const std::vector<LargeFile>& files)
    {
        return std::is_sorted(files.begin(), files.end(),
                              [](const LargeFile& a, const LargeFile& b) { return a.size > b.size; });
    }

    fs::path home;
};

} // namespace

TEST_F(LargeScan, ThresholdIsInclusiveAndResultIsLargestFirst)
{
    sparseFile(home / "Movies/exact.mov", 100 * kMB);
    sparseFile(home / "Movies/below.mov", 100 * kMB - 1);
    sparseFile(home / "Documents/deep/a/b/above.iso", 3000 * kMB);

    const std::vector<LargeFile> files = scan(100 * kMB);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].url, home / "Documents/deep/a/b/above.iso");
    EXPECT_EQ(files[0].size, 3000 * kMB);
    EXPECT_EQ(files[1].url, home / "Movies/exact.mov");
    EXPECT_EQ(files[1].size, 100 * kMB);
    for (const LargeFile& file : files) {
        EXPECT_FALSE(file.selected);
        ASSERT_TRUE(file.accessed.has_value());
        EXPECT_GT(file.accessed->toSecsSinceEpoch(), 0);
    }
    // Nothing is the same record twice.
    EXPECT_NE(files[0].id, files[1].id);
}

TEST_F(LargeScan, PackagesAreOneEntryAndApplicationsAreNeverListed)
{
    writeBytes(home / "Pictures/Photos.photoslibrary/originals/1.jpg", 64 * 1024);
    writeBytes(home / "Pictures/Photos.photoslibrary/database/photos.db", 32 * 1024);
    sparseFile(home / "Pictures/Photos.photoslibrary/originals/huge.raw", 900 * kMB);
    sparseFile(home / "Applications/Editor.app/Contents/big.bin", 900 * kMB);
    sparseFile(home / "Applications/SHOUT.APP/Contents/big.bin", 900 * kMB);
    sparseFile(home / "Downloads/notes.app", 10);  // a plain file, not a bundle
    sparseFile(home / "empty.txt", 0);

    // Without packages (linux) every folder is entered.
    EXPECT_TRUE(pathsOf(scan(0)).count(home / "Applications/Editor.app/Contents/big.bin"));
    rules = macosRules();
    const std::vector<LargeFile> files = scan(0);
    const fs::path library = home / "Pictures/Photos.photoslibrary";
    EXPECT_EQ(pathsOf(files), (std::set<fs::path>{library, home / "Downloads/notes.app", home / "empty.txt"}));
    const auto found = std::find_if(files.begin(), files.end(),
                                    [&](const LargeFile& f) { return f.url == library; });
    ASSERT_NE(found, files.end());
    // The package's whole allocated size, holes not counted.
    EXPECT_EQ(found->size, FS::size(library));
    EXPECT_GE(found->size, 96 * 1024);
    EXPECT_LT(found->size, 900 * kMB);

    // An empty file is listed only with no threshold.
    EXPECT_FALSE(pathsOf(scan(1)).count(home / "empty.txt"));
}

TEST_F(LargeScan, TrashHiddenAndTheSystemsOwnPlacesAreNeverListed)
{
    // A Trash folder inside the home that is not hidden, so only the skip list keeps it out.
    const ScopedEnv data("XDG_DATA_HOME", (home / "Data").native());

    sparseFile(home / "Library/Caches/big.bin", 500 * kMB);
    sparseFile(home / ".Trash/old.iso", 500 * kMB);
    sparseFile(FS::trashFolder() / "thrown.iso", 500 * kMB);
    sparseFile(FS::trashFolder().parent_path() / "expunged/gone.iso", 500 * kMB);
    sparseFile(home / ".hidden/big.bin", 500 * kMB);
    sparseFile(home / ".big.bin", 500 * kMB);
    sparseFile(home / "Projects/.git/objects/pack.bin", 500 * kMB);
    // Only the home's own Library is skipped, not every folder of that name.
    sparseFile(home / "Projects/Library/kept.bin", 500 * kMB);
    sparseFile(home / "Data/kept.bin", 500 * kMB);

    // A linux home's Library is a folder like any other.
    EXPECT_EQ(pathsOf(scan(100 * kMB)), (std::set<fs::path>{home / "Library/Caches/big.bin",
                                                              home / "Projects/Library/kept.bin", home / "Data/kept.bin"}));
    rules = macosRules();
    EXPECT_EQ(pathsOf(scan(100 * kMB)), (std::set<fs::path>{home / "Projects/Library/kept.bin", home / "Data/kept.bin"}));
}

TEST_F(LargeScan, ContainerStorageIsNeverListed)
{
    FS::Protection protection;
    protection.storage = {home / "Data/containers"};
    FS::setProtection(protection);
    sparseFile(home / "Data/containers/storage/overlay/1/diff/big.img", 500 * kMB);
    sparseFile(home / "Data/snapshots/containers/kept.img", 500 * kMB);
    EXPECT_EQ(pathsOf(scan(100 * kMB)), (std::set<fs::path>{home / "Data/snapshots/containers/kept.img"}));
    Profiles::apply(Profiles::active());
}

// The kept list must equal what keeping everything, sorting largest first
// (equal sizes by path) and cutting after 1500 gives: many equal sizes spread
// over folders, far more qualifying files than are kept, with every number of
// threads.
TEST_F(LargeScan, EqualSizesGoByPathAndCapMatchesFullSort)
{
    for (int i = 0; i < 3200; ++i) {
        const std::string folder = "d" + std::to_string(i % 13) + "/e" + std::to_string(i % 5);
        sparseFile(home / folder / ("f" + std::to_string(i)), (1 + (i * 7919) % 9) * kMB);
    }

    // The reference: every file the walker meets, fully sorted and cut.
    std::vector<std::pair<fs::path, std::int64_t>> all;
    Walker::walk(home, [&](const Walker::Entry& entry) {
        if (entry.isFile())
            all.emplace_back(entry.path(), std::int64_t(entry.info.st_size));
        return Walker::Step::Enter;
    });
    ASSERT_EQ(all.size(), 3200u);
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
        return a.second > b.second || (a.second == b.second && a.first.native() < b.first.native());
    });
    all.resize(Sweeper::kMaxLargeFiles);

    for (int workers : {1, 2, FS::kMaxSizeWorkers}) {
        CancelFlag flag;
        EXPECT_EQ(rows(Sweeper::scanLarge(1, flag, {}, {}, home, workers).files), all) << workers << " threads";
    }
}

// The walk shared among threads finds exactly what one thread finds, in the
// same order, on a home with what trips walks up: names that are no text or
// hold line feeds, quotes and leading dashes; links of every kind; hard
// links; an unreadable folder; packages; equal sizes past the cap; and a
// chain 10,000 folders deep.
TEST_F(LargeScan, EveryThreadCountGivesTheListOfTheSingleThreadedWalk)
{
    const std::vector<std::string> odd = {"bad\xff\xfe-name", "line\nbreak", "it's $(here)", "-rf", " blank "};
    for (std::size_t i = 0; i < odd.size(); ++i) {
        sparseFile(home / odd[i] / ("file" + std::to_string(i)), 200 * kMB);
        sparseFile(home / "Odd" / (odd[i] + ".iso"), 200 * kMB);
    }
    // Ties past the cap: 2,400 files of three sizes over 60 folders.
    for (int i = 0; i < 2400; ++i)
        sparseFile(home / ("w" + std::to_string(i % 60)) / ("t" + std::to_string(i)), (100 + i % 3) * kMB);
    const fs::path outside = FS::home() / "outside-threads";
    sparseFile(outside / "big.iso", 900 * kMB);
    fs::create_symlink(outside / "big.iso", home / "link.iso");
    fs::create_directory_symlink(outside, home / "w1/linked-folder");
    fs::create_directory_symlink(home, home / "w2/loop");
    fs::create_directory_symlink("..", home / "w3/up");
    fs::create_symlink("missing", home / "w4/dangling");
    sparseFile(home / "Hard/one.bin", 300 * kMB);
    fs::create_hard_link(home / "Hard/one.bin", home / "w5/other-name.bin");
    writeBytes(home / "Pictures/Photos.photoslibrary/db/1.jpg", 64 * 1024);
    sparseFile(home / "Apps/Big.app/Contents/huge.bin", 900 * kMB);
    sparseFile(home / "Locked/inner/secret.bin", 400 * kMB);
    fs::create_directories(home / "deep");
    const DeepTree deep(home / "deep", 10000);

    fs::permissions(home / "Locked", fs::perms::none);
    CancelFlag flag;
    const std::vector<LargeFile> single = Sweeper::scanLarge(1, flag, {}, {}, home, 1).files;
    std::vector<std::pair<int, std::vector<LargeFile>>> shared;
    for (int round = 0; round < 2; ++round)
        for (int workers : {2, 3, FS::kMaxSizeWorkers})
            shared.emplace_back(workers, Sweeper::scanLarge(1, flag, {}, {}, home, workers).files);
    fs::permissions(home / "Locked", fs::perms::owner_all);

    // The cap is full; the odd names and both names of the hard link made it;
    // no link was listed or followed (the file outside would lead the list).
    ASSERT_EQ(single.size(), Sweeper::kMaxLargeFiles);
    const std::set<fs::path> found = pathsOf(single);
    for (std::size_t i = 0; i < odd.size(); ++i)
        EXPECT_TRUE(found.count(home / "Odd" / (odd[i] + ".iso"))) << odd[i];
    EXPECT_TRUE(found.count(home / "Hard/one.bin"));
    EXPECT_TRUE(found.count(home / "w5/other-name.bin"));
    for (const fs::path& path : found)
        for (const fs::path& part : path.lexically_relative(home))
            ASSERT_TRUE(part != "link.iso" && part != "linked-folder" && part != "loop" && part != "up" && part != "dangling")
                << path;

    for (const auto& [workers, files] : shared) {
        EXPECT_EQ(rows(files), rows(single)) << workers << " threads";
        for (std::size_t i = 0; i < std::min(files.size(), single.size()); ++i)
            ASSERT_EQ(files[i].accessed, single[i].accessed) << "at " << i << ", " << workers << " threads";
    }

    // The small files down the deep chain, without the cap in the way.
    const std::vector<LargeFile> small = Sweeper::scanLarge(1, flag, {}, {}, home / "deep", 2).files;
    EXPECT_EQ(small.size(), 11u);  // ten on the way down and one at the bottom
    EXPECT_EQ(pathsOf(small), pathsOf(Sweeper::scanLarge(1, flag, {}, {}, home / "deep", 1).files));
}

TEST_F(LargeScan, ProgressEveryTwoThousandAndCancelReturnsSortedPartialResult)
{
    // 4,500 counted entries: 9 folders of 499 files plus the folders themselves.
    const std::int64_t minBytes = 301 * kMB;  // about a quarter of the files
    for (int folder = 0; folder < 9; ++folder)
        for (int i = 0; i < 499; ++i)
            sparseFile(home / ("d" + std::to_string(folder)) / ("f" + std::to_string(i)), (1 + (i * 31) % 400) * kMB);
    // Hidden entries are not counted.
    for (int i = 0; i < 600; ++i)
        sparseFile(home / ".hidden" / ("f" + std::to_string(i)), 1);

    std::vector<int> reports;
    const std::vector<LargeFile> complete = scan(minBytes, [&](int count) { reports.push_back(count); });
    EXPECT_EQ(reports, (std::vector<int>{2000, 4000}));

    // What the first 1,999 counted entries hold: the scan stops on the 2,000th.
    std::set<fs::path> before;
    int counted = 0;
    Walker::walk(home, [&](const Walker::Entry& entry) {
        if (entry.isHidden())
            return Walker::Step::Skip;
        if (++counted == 2000)
            return Walker::Step::Stop;
        if (entry.isFile() && entry.info.st_size >= minBytes)
            before.insert(entry.path());
        return Walker::Step::Enter;
    });

    // On one thread the stop comes exactly at the 2,000th entry.
    CancelFlag flag;
    reports.clear();
    const std::vector<LargeFile> partial = Sweeper::scanLarge(
        minBytes, flag, {},
        [&](int count) {
            reports.push_back(count);
            flag.cancelled = true;
        },
        home, 1).files;
    EXPECT_EQ(reports, (std::vector<int>{2000}));
    EXPECT_FALSE(partial.empty());
    EXPECT_LT(partial.size(), complete.size());
    EXPECT_EQ(pathsOf(partial), before);
    EXPECT_TRUE(largestFirst(partial));

    // On several threads: every step reported once and in order, and a
    // cancel stops them all, keeping part of what a whole walk finds.
    for (int workers : {2, FS::kMaxSizeWorkers}) {
        reports.clear();
        CancelFlag whole;
        Sweeper::scanLarge(minBytes, whole, {}, [&](int count) { reports.push_back(count); }, home, workers);
        EXPECT_EQ(reports, (std::vector<int>{2000, 4000})) << workers << " threads";

        reports.clear();
        CancelFlag stop;
        const std::vector<LargeFile> cut = Sweeper::scanLarge(
            minBytes, stop, {},
            [&](int count) {
                reports.push_back(count);
                stop.cancelled = true;
            },
            home, workers).files;
        EXPECT_EQ(reports, (std::vector<int>{2000})) << workers << " threads";
        EXPECT_LT(cut.size(), complete.size());
        EXPECT_TRUE(largestFirst(cut));
        const std::set<fs::path> all = pathsOf(complete);
        for (const LargeFile& file : cut)
            EXPECT_TRUE(all.count(file.url)) << file.url;
    }

    // A flag already set: nothing is walked at all.
    CancelFlag early;
    early.cancelled = true;
    EXPECT_TRUE(Sweeper::scanLarge(0, early, {}, {}, home, 2).files.empty());
}

TEST_F(LargeScan, UnreadableFoldersAndMissingHomesArePassedOver)
{
    sparseFile(home / "Locked/secret.bin", 700 * kMB);
    sparseFile(home / "Open/visible.bin", 700 * kMB);
    fs::permissions(home / "Locked", fs::perms::none);
    const bool rootUser = geteuid() == 0;  // root reads it anyway

    const std::vector<LargeFile> files = scan(100 * kMB);
    fs::permissions(home / "Locked", fs::perms::owner_all);
    if (!rootUser) {
        EXPECT_EQ(pathsOf(files), (std::set<fs::path>{home / "Open/visible.bin"}));
    }

    CancelFlag flag;
    EXPECT_TRUE(Sweeper::scanLarge(0, flag, {}, {}, home / "missing").files.empty());
    EXPECT_TRUE(Sweeper::scanLarge(0, flag, {}, {}, home / "Open/visible.bin").files.empty());
}

TEST_F(LargeScan, AHomeReachedThroughALinkIsWalkedAndKeepsItsSpelling)
{
    // HOME=/data/me where /data/me is a link: the home is resolved once; links
    // below it are still not followed.
    const fs::path real = home / "real-home";
    sparseFile(real / "Movies/film.mkv", 300 * kMB);
    sparseFile(home / "elsewhere/other.iso", 300 * kMB);
    fs::create_directory_symlink(home / "elsewhere", real / "linked");
    const fs::path link = home / "me";
    fs::create_directory_symlink(real, link);

    CancelFlag flag;
    const std::vector<LargeFile> found = Sweeper::scanLarge(100 * kMB, flag, {}, {}, link).files;
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].url, link / "Movies/film.mkv");
}

TEST_F(LargeScan, MountsUnderTheHomeAreNotWalked)
{
    sparseFile(home / "Documents/film.mkv", 300 * kMB);
    sparseFile(home / "outside/big.iso", 300 * kMB);
    fs::create_directories(home / "Documents/view");
    BindMount mounted(home / "outside", home / "Documents/view");
    SKIP_UNLESS_MOUNTED(mounted);

    // Sibling folders, so that threads waiting for work are offered folders
    // of Documents (the mount point among them) to walk.
    for (int i = 0; i < 40; ++i)
        sparseFile(home / "Documents" / ("folder" + std::to_string(i)) / "small.bin", 1);

    // The mounted folder is found at its own place, never again through the
    // mount, whichever thread meets the mount point.
    for (int workers : {1, 2, FS::kMaxSizeWorkers}) {
        CancelFlag flag;
        EXPECT_EQ(pathsOf(Sweeper::scanLarge(100 * kMB, flag, {}, {}, home, workers).files),
                  (std::set<fs::path>{home / "Documents/film.mkv", home / "outside/big.iso"}))
            << workers << " threads";
    }
}

// One sentence for the window's list and the command line: none is said in words.
TEST(LargeCount, NothingIsASentenceAndACountIsItsPluralForm)
{
    using Sweeper::largeCountSentence;
    EXPECT_EQ(largeCountSentence(0, "1 GB"), LF("Nenhum arquivo acima de %@", "1 GB"));
    EXPECT_EQ(largeCountSentence(3, "1 GB"), LP(3, "%ld arquivos acima de %@", 3, "1 GB"));
    EXPECT_EQ(LFin(Lang::pt, "Nenhum arquivo acima de %@", "1 GB"), "Nenhum arquivo acima de 1 GB");
    EXPECT_EQ(LFin(Lang::en, "Nenhum arquivo acima de %@", "1 GB"), "No files over 1 GB");
    EXPECT_FALSE(largeCountSentence(0, "1 GB").startsWith('0'));
}

TEST_F(LargeScan, TheNeverTouchListKeepsItsFilesAndFoldersOutAndCountsThem)
{
    sparseFile(home / "Movies/kept.mov", 200 * kMB);
    sparseFile(home / "Movies/ignored.mov", 200 * kMB);
    sparseFile(home / "Movies/small-ignored.mov", 1 * kMB);  // below the threshold: nothing to hide
    sparseFile(home / "Archive/a.iso", 300 * kMB);
    sparseFile(home / "Archive/b.iso", 300 * kMB);
    const NeverTouchList never({home / "Movies/ignored.mov", home / "Movies/small-ignored.mov", home / "Archive"});
    CancelFlag flag;
    const LargeFound found = Sweeper::scanLarge(100 * kMB, flag, never, {}, home, 0, rules);
    EXPECT_EQ(pathsOf(found.files), std::set<fs::path>{home / "Movies/kept.mov"});
    EXPECT_EQ(found.ignored, 2);  // the file and the folder, never entered
}
