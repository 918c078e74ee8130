#include <gtest/gtest.h>

#include <map>

#include "engines/autoclean/AutoChoice.h"
#include "engines/autoclean/AutoSettings.h"
#include "engines/junk/JunkPlan.h"
#include "platform/FS.h"
#include "platform/Trash.h"
#include "platform/TrashRestore.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;
using namespace AutoClean;

namespace {

JunkItem item(const fs::path& url, bool selected, bool inUse = false)
{
    JunkItem made;
    made.url = url;
    made.size = 10;
    made.selected = selected;
    made.inUse = inUse;
    return made;
}

JunkGroup group(const QString& id, std::vector<JunkItem> items, bool admin = false)
{
    JunkGroup made;
    made.id = id;
    made.items = std::move(items);
    made.admin = admin;
    return made;
}

std::vector<fs::path> tickedPaths(const std::vector<JunkGroup>& groups)
{
    std::vector<fs::path> paths;
    for (const JunkGroup& each : groups)
        for (const JunkItem& it : each.items)
            if (it.selected)
                paths.push_back(it.url);
    return paths;
}

} // namespace

TEST(AutoChoice, TakesTheHomeGroupsAsTheWindowTicksThemAndOldTrashOnly)
{
    const QDateTime now(QDate(2026, 12, 9), QTime(12, 0));
    const std::map<fs::path, QDateTime> deleted{{"/t/files/old", now.addDays(-31)},
                                                {"/t/files/recent", now.addDays(-29)}};
    const DeletedAt deletedAt = [&](const fs::path& entry) -> std::optional<QDateTime> {
        const auto found = deleted.find(entry);
        return found == deleted.end() ? std::nullopt : std::optional(found->second);
    };
    JunkGroup held = group("logs", {item("/h/log", true)});
    held.held = true;
    const std::vector<JunkGroup> found{
        group("caches", {item("/h/a", true), item("/h/busy", false, true), item("/h/systemish", false)}),
        group("thumbnails", {item("/h/thumbs", true)}),
        held,
        group("installers", {item("/h/setup.deb", false), item("/h/running.AppImage", false, true)}),
        group("trash", {item("/t/files/old", true), item("/t/files/recent", true), item("/t/files/undated", true)}),
        group("pkgcache", {item("/var/cache/apt/archives", true)}, true),
    };

    // The defaults: what programs make again, as the window ticks it; never
    // an item in use, a held group, the system's, installers or the Trash.
    const std::vector<JunkGroup> byDefault = automaticChoice(found, defaultGroups() << "pkgcache", now, deletedAt);
    EXPECT_EQ(tickedPaths(byDefault), (std::vector<fs::path>{"/h/a", "/h/thumbs"}));

    // Added by the user: every installer not in use, and only Trash entries over 30 days old.
    const std::vector<JunkGroup> withMore = automaticChoice(found, {"installers", "trash"}, now, deletedAt);
    EXPECT_EQ(tickedPaths(withMore), (std::vector<fs::path>{"/h/setup.deb", "/t/files/old"}));

    // The plan is the window's clean of those ticks.
    const Plan::Record plan = Sweeper::planClean(byDefault);
    ASSERT_EQ(plan.items.size(), 2u);
    EXPECT_EQ(plan.items[0].path, "/h/a");
}

TEST(AutoChoice, ADeletionDateIsReadOnlyFromARealTrashEntry)
{
    const fs::path file = FS::home() / "Downloads/old.iso";
    writeFile(file);
    const Trash::MoveResult moved = Trash::moveToTrash(file);
    ASSERT_TRUE(moved.ok);
    const std::optional<QDateTime> when = TrashRestore::deletedAt(moved.trashedAs);
    ASSERT_TRUE(when.has_value());
    EXPECT_LE(std::abs(when->secsTo(QDateTime::currentDateTime())), 5);
    // A .trashinfo replaced by a link, or missing, gives no date (so the entry stays).
    const fs::path info = moved.trashedAs.parent_path().parent_path() / "info" / (moved.trashedAs.filename().native() + ".trashinfo");
    const fs::path elsewhere = FS::home() / "forged";
    writeFile(elsewhere, "[Trash Info]\nPath=/x\nDeletionDate=2000-01-01T00:00:00\n");
    fs::remove(info);
    fs::create_symlink(elsewhere, info);
    EXPECT_FALSE(TrashRestore::deletedAt(moved.trashedAs).has_value());
    fs::remove(info);
    EXPECT_FALSE(TrashRestore::deletedAt(moved.trashedAs).has_value());
}

TEST(AutoChoice, SettingsStartOffWithTheDefaultGroups)
{
    QSettings settings(QString::fromStdString((FS::home() / "auto.ini").native()), QSettings::IniFormat);
    Settings choice = load(settings);
    EXPECT_EQ(choice.interval, Interval::off);
    EXPECT_EQ(choice.groups, defaultGroups());
    choice = {Interval::weekly, {}};
    save(settings, choice);
    EXPECT_EQ(load(settings).interval, Interval::weekly);
    EXPECT_TRUE(load(settings).groups.isEmpty());  // none chosen stays none
}
