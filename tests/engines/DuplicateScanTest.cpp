// The whole duplicate search on a fixture folder (what each copy is and which
// start ticked, a stopped search), and what happens to the ticked copies: the
// last copy of a group never goes, a copy that changed after the scan stays
// with its reason, and every name of a trashed copy goes so its space comes back.
#include <gtest/gtest.h>

#include "engines/dupes/DuplicateRemoval.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "support/Fixtures.h"
#include "support/LockHolderProcess.h"

namespace fs = std::filesystem;
using namespace Dupes;

namespace {

std::string bytesOf(std::size_t size, char seed)
{
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = char(seed + i * 131 % 251);
    return text;
}

const ShownCopy& copyNamed(const Group& group, const std::string& name)
{
    for (const ShownCopy& shown : group.copies)
        if (fs::path(shown.copy.file.path).filename() == name)
            return shown;
    throw std::runtime_error("no copy " + name);
}

ScanResult scanned(const fs::path& folder)
{
    ScanOptions options;
    options.walk.minBytes = 1;
    return scan(folder, options, CancelFlag{});
}

} // namespace

TEST(DuplicateScan, EachCopySaysWhatItIsAndOnlyFreeCopiesStartTicked)
{
    const fs::path root = freshFolder("dupes-scan");
    const fs::path outside = freshFolder("dupes-scan-outside");
    const std::string photo = bytesOf(70'000, 'p');
    writeFile(root / "Pictures/a.jpg", photo);
    writeFile(root / "Pictures/b.jpg", photo);
    writeFile(root / "site/node_modules/pkg/a.jpg", photo);
    writeFile(root / "repo/.git/HEAD", "ref");
    writeFile(root / "repo/assets/a.jpg", photo);
    writeFile(root / "open.jpg", photo);
    writeFile(root / "linked.jpg", photo);
    fs::create_hard_link(root / "linked.jpg", outside / "elsewhere.jpg");  // a name the search never meets
    const LockHolderProcess holder(root / "open.jpg");
    ASSERT_TRUE(holder.held());

    const ScanResult result = scanned(root);
    ASSERT_EQ(result.groups.size(), 1u);
    const Group& group = result.groups.front();
    ASSERT_EQ(group.copies.size(), 6u);
    EXPECT_TRUE(group.copies.front().kept || !group.copies.front().selected);
    EXPECT_EQ(std::count_if(group.copies.begin(), group.copies.end(), [](const ShownCopy& c) { return c.kept; }), 1);
    EXPECT_EQ(fs::relative(std::find_if(group.copies.begin(), group.copies.end(),
                                        [](const ShownCopy& c) { return c.kept; })->copy.file.path, root),
              "Pictures/a.jpg");  // the oldest
    EXPECT_TRUE(copyNamed(group, "b.jpg").selected);

    std::map<std::string, std::pair<bool, QString>> byPath;  // relative path: ticked, note
    for (const ShownCopy& shown : group.copies)
        byPath[fs::relative(shown.copy.file.path, root)] = {shown.selected, copyNote(shown)};
    EXPECT_EQ(byPath["site/node_modules/pkg/a.jpg"], std::make_pair(false, L("Parte de um projeto")));
    EXPECT_EQ(byPath["repo/assets/a.jpg"], std::make_pair(false, L("Parte de um projeto")));
    EXPECT_FALSE(byPath["open.jpg"].first);
    EXPECT_TRUE(byPath["open.jpg"].second.startsWith(LF("Em uso por %@", QString()))) << qPrintable(byPath["open.jpg"].second);
    EXPECT_EQ(byPath["linked.jpg"], std::make_pair(false, L("Tem outros nomes fora desta busca")));
    // Removing the name the search met would free nothing: it is not counted.
    EXPECT_EQ(freedBy(group, copyNamed(group, "linked.jpg")), 0);
    EXPECT_EQ(reclaimable(group), 4 * 70'000);

    // The rule changes which copy stays; a stopped search keeps nothing.
    std::vector<Group> groups = result.groups;
    choose(groups, KeepRule::ShortestPath);
    EXPECT_TRUE(copyNamed(groups.front(), "open.jpg").kept);
    CancelFlag stopped;
    stopped.cancelled = true;
    const ScanResult none = scan(root, {}, stopped);
    EXPECT_TRUE(none.cancelled);
    EXPECT_TRUE(none.groups.empty());
}

TEST(DuplicateRemoval, TheLastCopyStaysAndEveryCopyIsCheckedRightBeforeItGoes)
{
    const fs::path root = freshFolder("dupes-remove");
    const std::string a = bytesOf(50'000, 'a'), b = bytesOf(60'000, 'b'), c = bytesOf(80'000, 'c');
    for (const char* name : {"a1", "a2", "a3"})
        writeFile(root / name, a);
    writeFile(root / "b1", b);
    writeFile(root / "b2", b);
    writeFile(root / "c1", c);
    writeFile(root / "c2", c);
    fs::create_hard_link(root / "c2", root / "c2-link");

    std::vector<Group> groups = scanned(root).groups;
    ASSERT_EQ(groups.size(), 3u);
    // Every copy of the "b" group ticked: the group is left alone. In the "a"
    // group the kept copy is ticked too: an unticked one becomes its keeper.
    for (Group& group : groups) {
        if (group.size == 60'000)
            for (ShownCopy& shown : group.copies)
                shown.selected = true;
        if (group.size == 50'000) {
            group.copies[0].selected = group.copies[1].selected = true;
            group.copies[2].selected = false;
        }
    }
    const std::vector<PlannedCopy> plan = removalPlan(groups);
    ASSERT_EQ(plan.size(), 3u);  // a×2, and the c copy (kept: c1, the older)
    for (const PlannedCopy& planned : plan)
        EXPECT_NE(fs::path(planned.copy.file.path).filename().string()[0], 'b');

    // One "a" copy changes after the scan (same size, other bytes): it stays.
    writeFile(plan[0].copy.file.path, bytesOf(50'000, 'z'));
    const RemovalOutcome outcome = trashCopies(plan);
    ASSERT_EQ(outcome.held.size(), 1);
    EXPECT_TRUE(outcome.held[0].endsWith(": " + L("mudou depois da análise"))) << qPrintable(outcome.held[0]);
    EXPECT_TRUE(present(plan[0].copy.file.path));
    EXPECT_FALSE(present(plan[1].copy.file.path));
    // Both names of c2 went to the Trash, so its space comes back; b and c1 stay.
    EXPECT_FALSE(present(root / "c2") || present(root / "c2-link"));
    EXPECT_TRUE(present(FS::trashFolder() / "c2-link") && present(FS::trashFolder() / "c2"));
    EXPECT_TRUE(present(root / "b1") && present(root / "b2") && present(root / "c1"));
    EXPECT_EQ(outcome.trashed, 50'000 + 80'000);
    EXPECT_FALSE(outcome.complete());
}
