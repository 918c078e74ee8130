// The space map's folder arithmetic and its measuring, on fixture folders.
#include <gtest/gtest.h>

#include <set>

#include "platform/FS.h"
#include "space/SpaceMeasure.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> namesOf(const std::vector<SizeEntry>& entries)
{
    return listOf(entries, [](const SizeEntry& entry) { return entry.url.filename().native(); });
}

std::vector<fs::path> urlsOf(const std::vector<SizeEntry>& entries) { return listOf(entries, &SizeEntry::url); }

} // namespace

TEST(SpaceLogic, BreadcrumbsHoldTheFiveInnermostFolders)
{
    using Paths = std::vector<fs::path>;
    EXPECT_EQ(Space::breadcrumbs("/Users/a/b/c/d/e/f"),
              (Paths{"/Users/a/b", "/Users/a/b/c", "/Users/a/b/c/d", "/Users/a/b/c/d/e", "/Users/a/b/c/d/e/f"}));
    EXPECT_EQ(Space::breadcrumbs("/Users"), Paths{"/Users"});
    EXPECT_EQ(Space::breadcrumbs("/home/al/x"), (Paths{"/home", "/home/al", "/home/al/x"}));
    EXPECT_TRUE(Space::breadcrumbs("/").empty());
}

TEST(SpaceLogic, ListingMergingSortingAndTotals)
{
    const fs::path folder = freshFolder("listing");
    writeFile(folder / ".DS_Store");
    writeFile(folder / ".hidden");
    writeFile(folder / "b.txt");
    fs::create_directory(folder / "a-folder");
    std::vector<SizeEntry> entries = Space::listEntries(folder, false);
    const std::vector<std::string> listed = namesOf(entries);
    const std::set<std::string> names(listed.begin(), listed.end());
    EXPECT_EQ(names, (std::set<std::string>{"a-folder", "b.txt"}));
    for (const SizeEntry& entry : entries) {
        EXPECT_EQ(entry.size, -1);
        EXPECT_EQ(entry.isDir, entry.url.filename() == "a-folder");
    }
    EXPECT_EQ(Space::listEntries(folder, true).size(), 3u);  // hidden, but never .DS_Store
    EXPECT_TRUE(Space::listEntries(folder / "b.txt", true).empty());

    entries = {{"/f/a", -1, false}, {"/f/b", -1, true}, {"/f/c", -1, false}, {"/f/d", -1, false}};
    // In place, by its listing index; a stale index is found by path; a gone path is skipped.
    const std::vector<std::size_t> changed =
        Space::applyBatch(entries, {{1, "/f/b", 300}, {0, "/f/d", 0}, {2, "/f/gone", 99}, {9, "/f/a", 300}});
    EXPECT_EQ(changed, (std::vector<std::size_t>{1, 3, 0}));
    EXPECT_EQ(entries[1].size, 300);
    EXPECT_EQ(entries[3].size, 0);
    EXPECT_EQ(entries[2].size, -1);
    // Only measured sizes count while measuring goes on.
    EXPECT_EQ(Space::total(entries), 600);
    EXPECT_EQ(Space::selectedTotal(entries, {"/f/b", "/f/c", "/f/elsewhere"}), 300);
    EXPECT_EQ(Space::selectedTotal(entries, {}), 0);

    // Largest first, ties in listing order, unmeasured last.
    Space::sortBySize(entries);
    EXPECT_EQ(namesOf(entries), (std::vector<std::string>{"a", "b", "d", "c"}));
}

TEST(SpaceMeasure, BatchesAreThrottledAndCarryEveryChild)
{
    const fs::path folder = freshFolder("measure");
    std::int64_t expected = 0;
    for (int i = 0; i < 10; ++i)
        expected += writeBytes(folder / ("d" + std::to_string(i)) / "f", 1000 * (i + 1));
    const std::vector<SizeEntry> listed = Space::listEntries(folder, true);

    // A clock that moves 0.1 s per reading: a hand-over whenever more than
    // 0.35 s have passed, i.e. after every fourth result, and the rest at the end.
    double now = 0;
    const Space::Clock clock = [&] { return now += 0.1, now - 0.1; };
    std::vector<std::size_t> batchSizes;
    std::vector<SizeEntry> entries = listed;
    Space::measure(urlsOf(listed), [&](Space::Batch batch) {
        batchSizes.push_back(batch.size());
        Space::applyBatch(entries, batch);
        return true;
    }, nullptr, clock);
    EXPECT_EQ(batchSizes, (std::vector<std::size_t>{4, 4, 2}));
    EXPECT_EQ(Space::total(entries), expected);
    for (const SizeEntry& entry : entries)
        EXPECT_EQ(entry.size, FS::size(entry.url)) << entry.url;

    // No children: one empty hand-over, and done.
    batchSizes.clear();
    Space::measure({}, [&](Space::Batch batch) {
        batchSizes.push_back(batch.size());
        return true;
    });
    EXPECT_EQ(batchSizes, std::vector<std::size_t>{0});

    // A hand-over that declines ends the measuring: nothing more arrives.
    int handOvers = 0;
    Space::measure(urlsOf(listed), [&](Space::Batch) { return ++handOvers < 1; }, nullptr, clock, 0);
    EXPECT_EQ(handOvers, 1);
}

TEST(SpaceMeasure, ChildrenThatVanishOrCannotBeReadCountNothing)
{
    const fs::path folder = freshFolder("measure-odd");
    writeBytes(folder / "locked/inner/secret", 50000);
    fs::permissions(folder / "locked", fs::perms::none);
    const std::int64_t kept = writeBytes(folder / "kept/file", 8000);
    writeBytes(folder / "gone/file", 8000);
    std::vector<SizeEntry> entries = Space::listEntries(folder, false);
    fs::remove_all(folder / "gone");  // listed, then removed before it is measured

    Space::measure(urlsOf(entries), [&](Space::Batch batch) {
        Space::applyBatch(entries, batch);
        return true;
    });
    fs::permissions(folder / "locked", fs::perms::owner_all);
    for (const SizeEntry& entry : entries) {
        if (entry.url.filename() == "kept") {
            EXPECT_EQ(entry.size, kept);
        } else if (entry.url.filename() == "gone" || geteuid() != 0) {
            EXPECT_EQ(entry.size, 0) << entry.url;
        }
    }
}
