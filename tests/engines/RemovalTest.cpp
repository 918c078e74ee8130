// The removal loop: what is freed, trashed and named as not removed, the one
// administrator retry for locked entries of the Trash folder, and the places
// it must never touch.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engines/removal/Removal.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/NeverTouch.h"
#include "platform/Prefs.h"
#include "platform/Trash.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace {

const char* kFormat = "%ld itens não puderam ser removidos (em uso ou protegidos pelo sistema): ";

// An entry of the Trash folder with its information file, made by a real move.
fs::path trashed(const fs::path& folder, const std::string& name)
{
    writeFile(folder / name);
    return Trash::moveToTrash(folder / name).trashedAs;
}

} // namespace

TEST(RemovalLoop, DeletesAndTrashesAndCountsTheCallersSizes)
{
    const fs::path folder = freshFolder("removal-mixed");
    writeFile(folder / "cache/a/b");
    writeFile(folder / "movie.mkv");
    writeFile(folder / "photos/p.jpg");
    const fs::path entry = trashed(folder, "thrown.txt");

    RecordingAdmin admin;
    const RemovalOutcome outcome = Removal::run(
        {{folder / "cache", true, 1000}, {entry, true, 300}, {folder / "movie.mkv", false, 4000},
         {folder / "photos", false, 50000},
         // Gone since the scan: neither freed nor a failure.
         {folder / "vanished", true, 7}, {folder / "vanished-too", false, 7}},
        admin.runner());

    EXPECT_EQ(outcome.freed, 1300);
    EXPECT_EQ(outcome.trashed, 54000);
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_TRUE(admin.requests.empty());
    EXPECT_FALSE(present(folder / "cache"));
    EXPECT_FALSE(present(entry));
    EXPECT_FALSE(present(infoFor(entry)));  // a deleted Trash entry takes its information along
    EXPECT_TRUE(present(FS::trashFolder() / "photos/p.jpg"));

    const RemovalOutcome nothing = Removal::run({}, admin.runner());
    EXPECT_EQ(nothing.freed + nothing.trashed, 0);
    EXPECT_TRUE(nothing.failures.empty());
}

TEST(RemovalLoop, ProtectedPlacesAreNeverTouched)
{
    const fs::path folder = freshFolder("removal-protected");
    writeFile(FS::trashFolder() / "keep-in-trash");
    writeFile(FS::home() / ".profile-like");
    writeFile(folder / "plain/file");

    RecordingAdmin admin;
    const RemovalOutcome outcome = Removal::run(
        {{FS::trashFolder(), true, 1}, {FS::trashFolder().parent_path(), false, 2},
         {FS::home() / ".profile-like", true, 3}, {folder / "plain/../plain", true, 4}, {FS::home(), true, 5}},
        admin.runner());

    EXPECT_EQ(outcome.freed + outcome.trashed, 0);
    EXPECT_EQ(outcome.failures.size(), 5u);
    EXPECT_TRUE(admin.requests.empty());  // not even the Trash folder itself is retried
    EXPECT_TRUE(present(FS::trashFolder() / "keep-in-trash"));
    EXPECT_TRUE(present(FS::home() / ".profile-like"));
    EXPECT_TRUE(present(folder / "plain/file"));
}

TEST(RemovalMessage, CountsAllAndNamesTheFirstSix)
{
    EXPECT_EQ(Removal::failureMessage({}), QString());
    EXPECT_EQ(Removal::failureMessage({"a", "b", "c", "d", "e", "f", "g", "h"}),
              LP(8, kFormat, 8) + QStringLiteral("a, b, c, d, e, f") + QChar(0x2026));
    EXPECT_EQ(Removal::failureMessage({"a", "b", "c", "d", "e", "f"}),
              LP(6, kFormat, 6) + QStringLiteral("a, b, c, d, e, f"));
}

TEST(RemovalLoop, FailuresOutsideTheTrashAreOnlyReported)
{
    const fs::path folder = freshFolder("removal-eight");
    std::vector<RemovalTarget> targets;
    std::vector<fs::path> locked;
    for (int i = 1; i <= 7; ++i) {
        locked.push_back(folder / ("busy" + std::to_string(i) + ".db"));
        writeFile(locked.back());
        targets.push_back({locked.back(), i % 2 == 0, 100});  // deletions and Trash moves alike
    }
    writeFile(folder / "caf\xe9/x");
    locked.push_back(folder / "caf\xe9/x");
    targets.push_back({folder.native() + "/caf\xe9/", true, 100});
    LockedPart lock(locked);
    SKIP_UNLESS_LOCKED(lock);

    RecordingAdmin admin;
    const RemovalOutcome outcome = Removal::run(targets, admin.runner());

    EXPECT_EQ(outcome.freed + outcome.trashed, 0);
    std::vector<QString> named;  // each by its whole path, shown even when not UTF-8
    for (int i = 1; i <= 7; ++i)
        named.push_back(FS::pretty(folder / ("busy" + std::to_string(i) + ".db")));
    named.push_back(FS::pretty(folder) + "/caf\xef\xbf\xbd");
    EXPECT_EQ(outcome.failures, named);
    EXPECT_TRUE(admin.requests.empty());  // neither failed moves nor deletions outside the Trash
    for (const fs::path& file : locked) {
        EXPECT_TRUE(present(file));
        EXPECT_FALSE(present(infoFor(FS::trashFolder() / file.filename())));  // a failed move leaves no information behind
    }
}

TEST(RemovalRetry, LockedTrashEntriesGetOneAdministratorRequest)
{
    // A name that would be shell text, an option and two lines, if anything read it as such.
    const std::string hostile = "-it's \"$(touch pwned)\"\nlocked";
    const fs::path folder = freshFolder("removal-retry");
    const fs::path first = trashed(folder, hostile);
    writeFile(folder / "box/inner");
    const fs::path box = Trash::moveToTrash(folder / "box").trashedAs;
    writeFile(folder / "elsewhere" / hostile);  // the same name outside the Trash
    // The immutable attribute, or read-only folders: the entry in the Trash
    // folder itself, the one inside a trashed folder, the one outside.
    LockedPart lock({first, box / "inner", folder / "elsewhere" / hostile});
    SKIP_UNLESS_LOCKED(lock);

    RecordingAdmin admin;
    admin.before = [&] { lock.unlock(); };  // what the administrator's rights overcome
    admin.answer = Admin::Reply{false, L("Cancelado"), {}, {}};  // a dismissed prompt changes nothing
    const std::vector<RemovalTarget> targets{
        {folder / "elsewhere" / hostile, true, 1}, {first, true, 20}, {box / "inner", true, 300}};
    RemovalOutcome outcome = Removal::run(targets, admin.runner());
    EXPECT_EQ(outcome.freed, 0);
    EXPECT_EQ(outcome.failures, (std::vector<QString>{FS::pretty(folder / "elsewhere" / hostile), FS::pretty(first),
                                                      FS::pretty(box / "inner")}));
    EXPECT_TRUE(present(first));
    EXPECT_TRUE(Removal::failureMessage(outcome.failures, outcome.adminReason).endsWith(" — " + L("Cancelado")));

    admin.answer.reset();
    outcome = Removal::run(targets, admin.runner());
    ASSERT_EQ(admin.requests.size(), 2u);  // one per run, for all eligible entries
    // Each entry by the Trash folder, the recorded holding folder and its path
    // below the Trash folder, byte for byte one argument.
    const auto idOf = [](const fs::path& entry) {
        const Trash::FolderId id = *Trash::holdingFolderId(entry);
        return std::to_string(id.device) + ":" + std::to_string(id.inode);
    };
    const std::string trash = FS::trashFolder().native();
    EXPECT_EQ(admin.requests[1].actions,
              (std::vector<Admin::Action>{{Admin::kTrashRemove, {trash, idOf(first), hostile}},
                                          {Admin::kTrashRemove, {trash, idOf(box / "inner"), box.filename().native() + "/inner"}}}));
    EXPECT_TRUE(admin.requests[1].script.empty());
    EXPECT_EQ(outcome.freed, 320);
    EXPECT_EQ(outcome.failures, (std::vector<QString>{FS::pretty(folder / "elsewhere" / hostile)}));  // only the one outside is left
    EXPECT_TRUE(present(folder / "elsewhere" / hostile));
    EXPECT_FALSE(present(first));
    EXPECT_FALSE(present(infoFor(first)));
    EXPECT_FALSE(present(box / "inner"));
    EXPECT_FALSE(present(folder / "pwned"));
}

TEST(RemovalRetry, WhichPathsMayBeRetried)
{
    const std::string t = FS::trashFolder().native();
    for (const std::string& yes : {t + "/a", t + "/a/b", t + "/a/", t + "/..a"})
        EXPECT_TRUE(Removal::retryEligible(yes)) << yes;
    // The Trash folder itself, anything that climbs out of it, and what merely starts alike.
    for (const std::string& no : {t, t + "/", t + "//", t + "/.", t + "/./", t + "/..", t + "/a/../../x", t + "x/a",
                                  std::string("/a")})
        EXPECT_FALSE(Removal::retryEligible(no)) << no;
}

TEST(RemovalRetry, ASwapBeforeTheAdministratorRunsLeavesTheItemAFailure)
{
    // Meanwhile someone swaps the Trash folder for a link to a folder where
    // the entry's path names nothing: gone from its path is not gone from the
    // folder that was checked, so nothing counts as freed and its information stays.
    const fs::path folder = freshFolder("retry-swap-loop");
    writeFile(folder / "locked/inner");
    const fs::path entry = Trash::moveToTrash(folder / "locked").trashedAs;
    fs::create_directories(folder / "Elsewhere");
    LockedPart lock({entry / "inner"});
    SKIP_UNLESS_LOCKED(lock);

    const fs::path real = FS::trashFolder().parent_path() / "files.real";
    int requests = 0;
    const RemovalOutcome outcome = Removal::run({{entry, true, 500}}, [&](const Admin::Request&) {
        ++requests;
        fs::rename(FS::trashFolder(), real);
        fs::create_directory_symlink(folder / "Elsewhere", FS::trashFolder());
        return Admin::Reply{true, {}, {QString()}, {}};  // whatever the answer says
    });

    ASSERT_EQ(requests, 1);
    EXPECT_FALSE(present(entry));  // as its path reads now
    EXPECT_EQ(outcome.freed, 0);
    EXPECT_EQ(outcome.failures, std::vector<QString>{FS::pretty(entry)});
    fs::remove(FS::trashFolder());
    fs::rename(real, FS::trashFolder());
    EXPECT_TRUE(present(entry / "inner"));
    EXPECT_TRUE(present(infoFor(entry)));
}

TEST(RemovalRetry, AMountPointInsideIsNeverRetried)
{
    // An administrator's rm would go into the mount: such an item is only reported.
    const fs::path folder = freshFolder("retry-mount");
    writeFile(folder / "Documents/thesis.tex", "years of work");
    writeFile(folder / "cache/blob");
    fs::create_directories(folder / "cache/view");
    const fs::path entry = Trash::moveToTrash(folder / "cache").trashedAs;
    BindMount mounted(folder / "Documents", entry / "view");
    SKIP_UNLESS_MOUNTED(mounted);

    RecordingAdmin admin;
    const RemovalOutcome outcome = Removal::run({{entry, true, 500}}, admin.runner());
    EXPECT_TRUE(admin.requests.empty());
    EXPECT_EQ(outcome.failures, std::vector<QString>{FS::pretty(entry)});
    EXPECT_EQ(outcome.freed, 0);
    EXPECT_EQ(readFile(folder / "Documents/thesis.tex"), "years of work");
}

TEST(RemovalLoop, ATrashThatIsALinkIsNeitherEmptiedNorRetried)
{
    const fs::path folder = freshFolder("removal-linked-trash");
    writeFile(folder / "Important/thesis.tex", "precious");
    std::error_code error;
    fs::remove_all(FS::trashFolder(), error);
    fs::create_directories(FS::trashFolder().parent_path() / "info");
    fs::create_directory_symlink(folder / "Important", FS::trashFolder());

    RecordingAdmin admin;
    const RemovalOutcome outcome = Removal::run({{FS::trashFolder() / "thesis.tex", true, 4096}}, admin.runner());
    EXPECT_EQ(readFile(folder / "Important/thesis.tex"), "precious");
    EXPECT_EQ(outcome.freed, 0);
    EXPECT_EQ(outcome.failures, std::vector<QString>{FS::pretty(FS::trashFolder() / "thesis.tex")});
    EXPECT_TRUE(admin.requests.empty());
    fs::remove(FS::trashFolder());
}

TEST(RemovalPlan, WhatChangedSinceThePlanIsHeldBackUntouched)
{
    const fs::path folder = freshFolder("removal-plan-changed");
    const fs::path elsewhere = freshFolder("removal-plan-elsewhere");
    writeFile(folder / "grows.log", "a little");
    writeFile(folder / "swapped.txt");
    writeFile(folder / "renewed/inside");
    writeFile(folder / "same.txt");
    writeFile(elsewhere / "precious");
    const Plan::Record plan = Removal::planTrash(
        "large", "Large", {{folder / "grows.log", false, 1}, {folder / "swapped.txt", false, 1},
                           {folder / "renewed", false, 1}, {folder / "same.txt", false, 1}});
    ASSERT_EQ(plan.items.size(), 4u);
    EXPECT_EQ(plan.items[0].label, FS::pretty(folder / "grows.log"));

    // between the confirmation and the click: a file grows, one becomes a
    // link to something else, a folder is made anew
    writeFile(folder / "grows.log", "a little, and then much more");
    fs::remove(folder / "swapped.txt");
    fs::create_symlink(elsewhere / "precious", folder / "swapped.txt");
    writeFile(folder / "replacement/inside");
    fs::remove_all(folder / "renewed");
    fs::rename(folder / "replacement", folder / "renewed");

    const RemovalOutcome outcome = Removal::runPlan(plan, {});
    ASSERT_TRUE(outcome.record);
    const std::vector<Plan::ItemResult>& results = outcome.record->results;
    EXPECT_EQ(results[0].result, Plan::Result::held);
    EXPECT_EQ(results[0].reason, L("mudou depois da análise"));
    EXPECT_EQ(results[1].result, Plan::Result::held);
    EXPECT_EQ(results[1].reason, L("um link tomou o lugar do item"));
    EXPECT_EQ(results[2].result, Plan::Result::held);
    EXPECT_EQ(results[3].result, Plan::Result::done);
    EXPECT_FALSE(results[3].trashedAs.empty());
    EXPECT_TRUE(present(folder / "grows.log"));
    EXPECT_TRUE(fs::is_symlink(folder / "swapped.txt"));
    EXPECT_TRUE(present(elsewhere / "precious"));
    EXPECT_TRUE(present(folder / "renewed/inside"));
    EXPECT_FALSE(present(folder / "same.txt"));
    EXPECT_EQ(outcome.trashed, 1);
    EXPECT_EQ(outcome.held.size(), 3);
    EXPECT_FALSE(outcome.complete());
}

TEST(RemovalPlan, ThePathInTwoGroupsGoesOnceAndCountsOnce)
{
    const fs::path folder = freshFolder("removal-plan-twice");
    writeFile(folder / "cache/blob");
    Plan::Record plan;
    for (const char* group : {"caches", "devcache"}) {
        Plan::Item item;
        item.group = group;
        item.path = folder / "cache";
        item.size = 4096;
        item.identity = Removal::identityOf(item.path);
        plan.items.push_back(item);
    }
    const RemovalOutcome outcome = Removal::runPlan(plan, {});
    EXPECT_EQ(outcome.record->results[0].result, Plan::Result::done);
    EXPECT_EQ(outcome.record->results[1].result, Plan::Result::gone);
    EXPECT_EQ(outcome.freed, 4096);
    EXPECT_TRUE(outcome.complete());
    EXPECT_FALSE(present(folder / "cache"));
}

TEST(RemovalPlan, EmptyingTheTrashListsEveryEntryAndRefusesALink)
{
    const fs::path folder = freshFolder("removal-plan-trash");
    trashed(folder, "one.txt");
    trashed(folder, ".hidden");
    const Plan::Record plan = Removal::planEmptyTrash(FS::trashFolder());
    EXPECT_TRUE(plan.refusal.isEmpty());
    EXPECT_GE(plan.items.size(), 2u);
    for (const Plan::Item& item : plan.items)
        EXPECT_EQ(item.fate, Plan::Fate::deleted);
    const RemovalOutcome outcome = Removal::runPlan(plan, {});
    EXPECT_TRUE(outcome.complete());
    EXPECT_TRUE(Trash::entries(FS::trashFolder()).empty());

    const fs::path real = freshFolder("removal-plan-real-trash");
    const fs::path trash = FS::trashFolder().parent_path();
    fs::rename(trash, real / "Trash");
    fs::create_directory_symlink(real / "Trash", trash);
    EXPECT_FALSE(Removal::planEmptyTrash(FS::trashFolder()).refusal.isEmpty());
    fs::remove(trash);
    fs::rename(real / "Trash", trash);
}

TEST(RemovalPlan, APlaceAddedToTheNeverTouchListAfterThePlanIsHeldBack)
{
    const fs::path folder = freshFolder("removal-plan-never");
    writeFile(folder / "kept.txt");
    writeFile(folder / "holder/ignored/inside");
    writeFile(folder / "goes.txt");
    const Plan::Record plan = Removal::planTrash(
        "large", "Large", {{folder / "kept.txt", false, 1}, {folder / "holder", false, 1}, {folder / "goes.txt", false, 1}});

    // added between the confirmation and the click
    for (const fs::path& place : {folder / "kept.txt", folder / "holder/ignored"})
        NeverTouch::add(*Prefs::standard(), place);
    const RemovalOutcome outcome = Removal::runPlan(plan, {});
    for (const fs::path& place : {folder / "kept.txt", folder / "holder/ignored"})
        NeverTouch::remove(*Prefs::standard(), place);

    ASSERT_TRUE(outcome.record);
    const std::vector<Plan::ItemResult>& results = outcome.record->results;
    for (std::size_t i : {0, 1}) {
        EXPECT_EQ(results[i].result, Plan::Result::held) << i;
        EXPECT_EQ(results[i].reason, L("Na lista Nunca tocar")) << i;
    }
    EXPECT_EQ(results[2].result, Plan::Result::done);
    EXPECT_TRUE(present(folder / "kept.txt"));
    EXPECT_TRUE(present(folder / "holder/ignored/inside"));
    EXPECT_FALSE(present(folder / "goes.txt"));
    EXPECT_EQ(outcome.held.size(), 2);
}
