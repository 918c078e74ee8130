// The whole duplicate search on a fixture folder (what each copy is and which
// start ticked, a stopped search), the user's ticks and kept copies, and what
// happens to the ticked copies: the kept copy never goes, a copy that changed
// after the scan stays with its reason, and every name of a trashed copy goes
// so its space comes back.
#include <gtest/gtest.h>

#include <map>

#include "engines/dupes/DuplicateRemoval.h"
#include "engines/dupes/DuplicateTicks.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/NeverTouch.h"
#include "platform/Prefs.h"
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

TEST(DuplicateTicks, TheKeptCopyIsNeverTickedAndKeepingAnotherMovesTheTicks)
{
    // A kept as the oldest, B and C ticked, D in a project (unticked).
    Group group;
    group.size = 10;
    for (const char* path : {"/h/A", "/h/B", "/h/C", "/h/web/node_modules/D"}) {
        ShownCopy shown;
        shown.copy.file = {path, 1, ino_t(path[3]), 10, path[3]};
        shown.inProject = path[3] == 'w';
        group.copies.push_back(shown);
    }
    std::vector<Group> groups{group};
    choose(groups, KeepRule::Oldest);
    Group& g = groups[0];
    const auto at = [&g](const std::string& path) {
        return std::size_t(std::find_if(g.copies.begin(), g.copies.end(),
                                        [&](const ShownCopy& c) { return c.copy.file.path == path; })
                           - g.copies.begin());
    };
    ASSERT_TRUE(g.copies[0].kept);  // the kept copy comes first
    EXPECT_EQ(g.copies[0].copy.file.path, "/h/A");

    // Untick B, then tick A: refused, A stays unticked and kept.
    EXPECT_EQ(tick(g, at("/h/B"), false), Refusal::None);
    EXPECT_EQ(tick(g, at("/h/A"), true), Refusal::Kept);
    EXPECT_FALSE(g.copies[at("/h/A")].selected);
    EXPECT_TRUE(g.copies[at("/h/A")].kept);

    // "Keep this one" on B: B is kept, unticked and first; A is ticked by the rules.
    keep(g, at("/h/B"));
    EXPECT_EQ(g.copies[0].copy.file.path, "/h/B");
    EXPECT_TRUE(g.copies[0].kept && !g.copies[0].selected);
    EXPECT_TRUE(!g.copies[at("/h/A")].kept && g.copies[at("/h/A")].selected);
    EXPECT_TRUE(g.copies[at("/h/C")].selected);
    // Keeping D, then B again: D, a project copy, goes back to unticked.
    keep(g, at("/h/web/node_modules/D"));
    keep(g, at("/h/B"));
    EXPECT_FALSE(g.copies[at("/h/web/node_modules/D")].selected);

    // Whatever the ticks say, the plan never takes the kept copy.
    g.copies[0].selected = true;
    for (const PlannedCopy& planned : removalPlan(groups)) {
        EXPECT_NE(planned.copy.file.path, "/h/B");
        EXPECT_EQ(planned.keeper, "/h/B");
    }
    // A group without a kept copy (never made by a search) loses nothing.
    for (ShownCopy& shown : g.copies)
        shown.kept = false;
    EXPECT_TRUE(removalPlan(groups).empty());
    EXPECT_EQ(tick(g, 0, true), Refusal::None);  // then the last unticked copy guards it
    for (std::size_t i = 1; i + 1 < g.copies.size(); ++i)
        tick(g, i, true);
    EXPECT_EQ(tick(g, g.copies.size() - 1, true), Refusal::LastCopy);

    // The choices, by copy, outlive the groups they were made on: a fresh
    // search of the same files, chosen by the rule, shows them again.
    Choices choices;
    choices.kept.insert({1, ino_t('C'), "/h/C"});
    choices.ticks[{1, ino_t('B'), "/h/B"}] = false;
    choices.ticks[{1, ino_t('C'), "/h/C"}] = true;  // C is kept: never ticked
    choices.held[{1, ino_t('w'), "/h/web/node_modules/D"}] = Hold::CopyChanged;
    choices.ticks[{1, ino_t('Z'), "/h/Z"}] = true;  // a copy no search holds any more
    std::vector<Group> fresh{group};
    choose(fresh, KeepRule::Oldest);
    applyChoices(fresh, choices);
    const Group& f = fresh[0];
    EXPECT_EQ(f.copies[0].copy.file.path, "/h/C");
    EXPECT_TRUE(f.copies[0].kept && !f.copies[0].selected);
    std::map<std::string, bool> ticked;
    for (const ShownCopy& shown : f.copies)
        ticked[shown.copy.file.path] = shown.selected;
    EXPECT_EQ(ticked, (std::map<std::string, bool>{{"/h/A", true}, {"/h/B", false}, {"/h/C", false},
                                                   {"/h/web/node_modules/D", false}}));
    EXPECT_EQ(copyNote(f.copies.back()), L("mudou depois da análise"));
    forgetMissing(choices, fresh);
    EXPECT_EQ(choices.ticks.size(), 2u);
}

TEST(DuplicateRemoval, TheKeptCopyStaysAndEveryCopyIsCheckedRightBeforeItGoes)
{
    const fs::path root = freshFolder("dupes-remove");
    const std::string a = bytesOf(50'000, 'a'), b = bytesOf(60'000, 'b'), c = bytesOf(80'000, 'c');
    for (const char* name : {"a1", "a2", "a3"})
        writeFile(root / "A" / name, a);
    writeFile(root / "B/b1", b);
    writeFile(root / "B/b2", b);
    writeFile(root / "C/c1", c);
    writeFile(root / "C/c2", c);
    fs::create_hard_link(root / "C/c2", root / "C/c2-link");

    std::vector<Group> groups = scanned(root).groups;
    ASSERT_EQ(groups.size(), 3u);
    // Every copy ticked, the kept ones too (which the ticks never allow): the
    // kept copies still stay, and every other ticked copy is checked against its group's.
    for (Group& group : groups)
        for (ShownCopy& shown : group.copies)
            shown.selected = true;
    groups[0].copies.back().selected = false;  // a3
    const std::vector<PlannedCopy> plan = removalPlan(groups);
    ASSERT_EQ(plan.size(), 3u);  // a2, b2, c2
    for (const PlannedCopy& planned : plan)
        EXPECT_EQ(fs::path(planned.copy.file.path).filename().string().back(), '2') << planned.copy.file.path;

    // One "a" copy changes after the scan (same size, other bytes), and the
    // kept "b" copy goes: both stay, each named with its folder, and the
    // missing kept copy is the one named as missing.
    writeFile(root / "A/a2", bytesOf(50'000, 'z'));
    fs::remove(root / "B/b1");
    std::vector<HeldCopy> held;
    const RemovalOutcome outcome = trashCopies(plan, Admin::run, &held);
    ASSERT_EQ(outcome.held.size(), 2);
    EXPECT_EQ(outcome.held[0], FS::pretty(root / "A/a2") + ": " + L("mudou depois da análise"));
    EXPECT_TRUE(outcome.held[0].startsWith("~/"));
    EXPECT_EQ(outcome.held[1], FS::pretty(root / "B/b2") + ": " + LF("a cópia mantida (%@) não existe mais", FS::pretty(root / "B/b1")));
    ASSERT_EQ(held.size(), 2u);
    EXPECT_EQ(held[0].id, idOf(plan[0].copy.file));
    EXPECT_EQ(held[0].hold, Hold::CopyChanged);
    EXPECT_EQ(held[1].hold, Hold::KeptGone);
    // Both names of c2 went to the Trash, so its space comes back; the rest stays.
    EXPECT_FALSE(present(root / "C/c2") || present(root / "C/c2-link"));
    EXPECT_TRUE(present(FS::trashFolder() / "c2-link") && present(FS::trashFolder() / "c2"));
    for (const char* left : {"A/a1", "A/a2", "A/a3", "B/b2", "C/c1"})
        EXPECT_TRUE(present(root / left)) << left;
    EXPECT_EQ(outcome.trashed, 80'000);
    EXPECT_FALSE(outcome.complete());
}

TEST(DuplicateScan, AnIgnoredCopyIsNeitherReadNorListedNorKept)
{
    const fs::path root = freshFolder("dupes-scan-never");
    const std::string data = bytesOf(20'000, 'n');
    writeFile(root / "oldest.bin", data);
    writeFile(root / "b.bin", data);
    writeFile(root / "c.bin", data);
    writeFile(root / "ignored/d.bin", data);
    const auto longAgo = fs::file_time_type::clock::now() - std::chrono::hours(24 * 365);
    fs::last_write_time(root / "oldest.bin", longAgo);
    fs::last_write_time(root / "ignored/d.bin", longAgo - std::chrono::hours(24));

    ScanOptions options;
    options.walk.minBytes = 1;
    options.walk.never = NeverTouchList({root / "oldest.bin", root / "ignored"});
    const ScanResult result = scan(root, options, CancelFlag{});
    EXPECT_EQ(result.ignored, 2);
    EXPECT_EQ(result.files, 2);  // neither ignored place was taken, so neither was read
    ASSERT_EQ(result.groups.size(), 1u);
    const Group& group = result.groups.front();
    ASSERT_EQ(group.copies.size(), 2u);
    EXPECT_TRUE(copyNamed(group, "b.bin").kept || copyNamed(group, "c.bin").kept);

    // The copy that would go is put on the list after the search: it stays, saying why.
    const std::vector<PlannedCopy> plan = removalPlan(result.groups);
    ASSERT_EQ(plan.size(), 1u);
    NeverTouch::add(*Prefs::standard(), plan.front().copy.file.path);
    std::vector<HeldCopy> held;
    const RemovalOutcome outcome = trashCopies(plan, {}, &held);
    NeverTouch::remove(*Prefs::standard(), plan.front().copy.file.path);
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held.front().hold, Hold::NeverTouch);
    EXPECT_EQ(outcome.record->results.front().reason, L("Na lista Nunca tocar"));
    EXPECT_TRUE(fs::exists(plan.front().copy.file.path));
}
