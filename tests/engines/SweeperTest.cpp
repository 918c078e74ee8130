// The junk rule catalogue and the junk scan, on fixture homes.
#include <gtest/gtest.h>

#include <algorithm>

#include <unistd.h>

#include "engines/JunkFixture.h"
#include "i18n/L.h"

using namespace junkfixture;

namespace {

std::vector<QString> ids(const std::vector<JunkGroup>& groups)
{
    std::vector<QString> list;
    for (const JunkGroup& group : groups)
        list.push_back(group.id);
    return list;
}

std::vector<QString> names(const JunkGroup& group)
{
    std::vector<QString> list;
    for (const JunkItem& item : group.items)
        list.push_back(item.name);
    return list;
}

const JunkRule& ruleNamed(const QString& id)
{
    for (const JunkRule& rule : Sweeper::rules())
        if (rule.id == id)
            return rule;
    ADD_FAILURE() << "no rule " << qPrintable(id);
    return Sweeper::rules().front();
}

} // namespace

// ---- The catalogue ---------------------------------------------------------

TEST(JunkRules, ElevenRulesInCatalogueOrderWithTheirFlags)
{
    struct Expect {
        const char* id;
        bool children, preselect, permanent;
        std::size_t paths;
    };
    const std::vector<Expect> expected = {
        {"caches", true, true, true, 1},      {"logs", true, true, true, 1},
        {"state", true, true, true, 1},       {"xcode", false, true, true, 5},
        {"devcache", false, true, true, 6},   {"media", false, true, true, 4},
        {"dotcache", true, false, true, 1},   {"archives", true, false, false, 1},
        {"mail", true, false, true, 1},       {"installers", true, false, false, 1},
        {"trash", true, true, true, 1},
    };
    const auto& rules = Sweeper::rules();
    ASSERT_EQ(rules.size(), expected.size());
    for (std::size_t i = 0; i < rules.size(); ++i) {
        SCOPED_TRACE(expected[i].id);
        EXPECT_EQ(rules[i].id, expected[i].id);
        EXPECT_EQ(rules[i].children, expected[i].children);
        EXPECT_EQ(rules[i].preselect, expected[i].preselect);
        EXPECT_EQ(rules[i].permanent, expected[i].permanent);
        EXPECT_EQ(rules[i].paths.size(), expected[i].paths);
        // Only the installers rule filters by extension.
        EXPECT_EQ(rules[i].extensions.has_value(), rules[i].id == "installers");
    }
    EXPECT_EQ(*ruleNamed("installers").extensions, (std::set<std::string>{"dmg", "pkg", "mpkg", "iso", "xip"}));
    // Built once: every read hands out the same list.
    EXPECT_EQ(&Sweeper::rules(), &rules);
}

TEST(JunkRules, TextsAndTheTrashPath)
{
    // The tests run with no language set, so the interface language is English.
    EXPECT_EQ(ruleNamed("caches").title, L("Caches de apps", Lang::en));
    EXPECT_EQ(ruleNamed("state").detail, "~/Library/Saved Application State");
    EXPECT_EQ(ruleNamed("devcache").detail, "npm, pnpm, yarn, Gradle, Android");
    EXPECT_EQ(Sweeper::resolveRulePath("~/.Trash"), FS::trashFolder());
    EXPECT_EQ(Sweeper::resolveRulePath("~/.cache"), FS::home() / ".cache");
}

TEST(JunkRules, OwnEntriesAndExtensions)
{
    for (const char* name : {"com.halvick.Quillmoor", "com.halvick.Quillmoor.savedState", "Quillmoor", "quillMOOR"})
        EXPECT_TRUE(Sweeper::isOwnEntry(name)) << name;
    EXPECT_FALSE(Sweeper::isOwnEntry("Quillmoor-old"));

    const std::set<std::string> set = {"dmg", "pkg"};
    EXPECT_TRUE(Sweeper::hasExtension("/x/a.b.DMG", set));
    for (const char* name : {"/x/archive.zip", "/x/dmg", "/x/.dmg", "/x/name."})
        EXPECT_FALSE(Sweeper::hasExtension(name, set)) << name;
}

// ---- The scan ----------------------------------------------------------------

using JunkScan = JunkHome;

TEST_F(JunkScan, SystemCachesComeFirstButAreNotSelected)
{
    const auto safari = writeFile(home / "Library/Caches/com.apple.Safari/data", 12'000'000);
    const auto example = writeFile(home / "Library/Caches/com.example.app/data", 5'000'000);

    const auto groups = Sweeper::scanJunk();
    ASSERT_EQ(ids(groups), std::vector<QString>{"caches"});
    const JunkGroup& caches = groups.front();
    ASSERT_EQ(names(caches), (std::vector<QString>{"com.apple.Safari", "com.example.app"}));
    EXPECT_FALSE(caches.items[0].selected);
    EXPECT_TRUE(caches.items[1].selected);
    EXPECT_EQ(caches.items[0].size, safari);
    EXPECT_EQ(caches.items[1].size, example);
    EXPECT_EQ(caches.items[0].url, home / "Library/Caches/com.apple.Safari");
    EXPECT_EQ(caches.total(), safari + example);
    EXPECT_EQ(caches.selectedTotal(), example);
    EXPECT_TRUE(caches.permanent);
}

TEST_F(JunkScan, GroupsInCatalogueOrderAndTwoProgressReportsPerRule)
{
    writeFile(FS::trashFolder() / "old.txt", 8192);
    writeFile(home / "Library/Logs/app.log", 8192);
    writeFile(home / ".cache/pip/wheel", 8192);
    writeFile(home / "Library/Caches/thing/x", 8192);

    std::vector<std::pair<QString, std::int64_t>> reports;
    const auto groups = Sweeper::scanJunk([&](const QString& title, std::int64_t bytes) {
        reports.emplace_back(title, bytes);
    });
    ASSERT_EQ(ids(groups), (std::vector<QString>{"caches", "logs", "dotcache", "trash"}));
    // Each rule announces itself with 0, then reports what it found, even 0.
    const auto& rules = Sweeper::rules();
    ASSERT_EQ(reports.size(), 2 * rules.size());
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const JunkGroup* group = findGroup(groups, rules[i].id);
        EXPECT_EQ(reports[2 * i], std::make_pair(rules[i].title, std::int64_t(0)));
        EXPECT_EQ(reports[2 * i + 1], std::make_pair(rules[i].title, group ? group->total() : 0));
    }
}

TEST_F(JunkScan, TheProgramsOwnCachesAreNeverListed)
{
    writeFile(home / "Library/Caches/com.halvick.Quillmoor/x", 8192);
    writeFile(home / "Library/Saved Application State/com.halvick.Quillmoor.savedState/x", 8192);
    writeFile(home / ".cache/Quillmoor/qmlcache/x", 8192);
    writeFile(home / ".cache/quillmoor/x", 8192);
    writeFile(home / ".cache/other/x", 8192);

    const auto groups = Sweeper::scanJunk();
    ASSERT_EQ(ids(groups), std::vector<QString>{"dotcache"});
    EXPECT_EQ(names(groups.front()), std::vector<QString>{"other"});
}

TEST_F(JunkScan, InstallersByExtensionInAnyCaseFoldersIncluded)
{
    writeFile(home / "Downloads/a.DMG", 3 * 4096);
    writeFile(home / "Downloads/b.iso", 2 * 4096);
    writeFile(home / "Downloads/c.zip", 4 * 4096);
    writeFile(home / "Downloads/d.pkg/Contents/payload", 4096);
    writeFile(home / "Downloads/notes.txt", 4096);

    const auto groups = Sweeper::scanJunk();
    const JunkGroup* installers = findGroup(groups, "installers");
    ASSERT_NE(installers, nullptr);
    EXPECT_EQ(names(*installers), (std::vector<QString>{"a.DMG", "b.iso", "d.pkg"}));
    for (const JunkItem& item : installers->items)
        EXPECT_FALSE(item.selected) << qPrintable(item.name);
    EXPECT_FALSE(installers->permanent);
}

TEST_F(JunkScan, EmptyFilesAndFoldersOfEmptyFilesAreNeverItems)
{
    writeFile(home / "Library/Caches/empty-file", 0);
    writeFile(home / "Library/Caches/hollow/a", 0);
    writeFile(home / "Library/Caches/hollow/deeper/b", 0);
    fs::create_directories(home / "Library/Caches/bare");
    fs::create_directories(home / "Library/Developer/Xcode/DerivedData/Empty");

    EXPECT_TRUE(Sweeper::scanJunk().empty());
}

TEST_F(JunkScan, TheTrashListsHiddenEntriesButNotDSStore)
{
    const fs::path trash = FS::trashFolder();
    ASSERT_EQ(trash, home / ".local/share/Trash/files");
    writeFile(trash / ".DS_Store", 4096);
    writeFile(trash / ".hidden-thing", 4096);
    writeFile(trash / "visible", 4096);
    // A ~/.Trash folder means nothing here: the Trash lives in the data folder.
    writeFile(home / ".Trash/elsewhere", 4096);

    const auto groups = Sweeper::scanJunk();
    ASSERT_EQ(ids(groups), std::vector<QString>{"trash"});
    std::vector<QString> found = names(groups.front());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<QString>{".hidden-thing", "visible"}));
    for (const JunkItem& item : groups.front().items)
        EXPECT_TRUE(item.selected);
}

TEST_F(JunkScan, HiddenEntriesAreSkippedOutsideTheTrash)
{
    writeFile(home / "Library/Caches/.hidden/x", 4096);
    writeFile(home / "Library/Logs/.DS_Store", 4096);
    writeFile(home / ".cache/.lock", 4096);
    writeFile(home / "Library/Logs/shown.log", 4096);

    const auto groups = Sweeper::scanJunk();
    ASSERT_EQ(ids(groups), std::vector<QString>{"logs"});
    EXPECT_EQ(names(groups.front()), std::vector<QString>{"shown.log"});
}

TEST_F(JunkScan, WholeFolderRulesNameTheirFolderFromHome)
{
    const auto derived = writeFile(home / "Library/Developer/Xcode/DerivedData/App-abc/Build/x", 8192)
        + writeFile(home / "Library/Developer/Xcode/DerivedData/App-abc/.hidden", 4096);

    const auto groups = Sweeper::scanJunk();
    ASSERT_EQ(ids(groups), std::vector<QString>{"xcode"});
    const JunkGroup& xcode = groups.front();
    ASSERT_EQ(xcode.items.size(), 1u);
    EXPECT_EQ(xcode.items[0].name, "~/Library/Developer/Xcode/DerivedData");
    EXPECT_EQ(xcode.items[0].url, home / "Library/Developer/Xcode/DerivedData");
    EXPECT_EQ(xcode.items[0].size, derived);  // hidden files inside count
    EXPECT_TRUE(xcode.items[0].selected);
}

TEST_F(JunkScan, EqualSizesKeepTheListingOrder)
{
    // Enough entries that an unstable sort would reorder them.
    for (int i = 0; i < 40; ++i)
        writeFile(home / "Library/Logs" / ("log-" + std::to_string((i * 17) % 40)), 4096);
    writeFile(home / "Library/Logs/big", 3 * 4096);

    std::vector<QString> listing = {"big"};
    for (const fs::path& child : FS::children(home / "Library/Logs"))
        if (child.filename() != "big")
            listing.push_back(QString::fromStdString(child.filename().string()));

    const auto groups = Sweeper::scanJunk();
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(names(groups.front()), listing);
}

TEST_F(JunkScan, AwkwardNamesAreListedAndSizedByTheirBytes)
{
    const std::string invalidUtf8 = "bad\xff\xfe-name";
    const auto a = writeFile(home / "Library/Caches" / invalidUtf8 / "x", 4096);
    const auto b = writeFile(home / "Library/Caches/line\nbreak", 2 * 4096);
    const auto c = writeFile(home / "Library/Caches/-rf", 3 * 4096);
    const auto d = writeFile(home / "Library/Caches/it's $(here)", 4 * 4096);

    const auto groups = Sweeper::scanJunk();
    ASSERT_EQ(groups.size(), 1u);
    const JunkGroup& caches = groups.front();
    ASSERT_EQ(caches.items.size(), 4u);
    EXPECT_EQ(caches.items[0].url, home / "Library/Caches/it's $(here)");
    EXPECT_EQ(caches.items[0].size, d);
    EXPECT_EQ(caches.items[1].url, home / "Library/Caches/-rf");
    EXPECT_EQ(caches.items[1].size, c);
    EXPECT_EQ(caches.items[2].name, "line\nbreak");
    EXPECT_EQ(caches.items[2].size, b);
    // The location keeps the raw bytes; only the shown name is decoded.
    EXPECT_EQ(caches.items[3].url.native(), (home / "Library/Caches" / invalidUtf8).native());
    EXPECT_EQ(caches.items[3].size, a);
    EXPECT_TRUE(caches.items[3].name.startsWith("bad"));
    EXPECT_TRUE(caches.items[3].name.endsWith("-name"));
}

TEST_F(JunkScan, ProtectedPlacesAreNeverOffered)
{
    writeFile(home / "Downloads/keep.txt", 4096);
    writeFile(home / "Documents/keep.txt", 4096);
    // A rule (as a test would write one) that points at protected folders
    // themselves and at the Trash folder as a whole.
    const std::vector<JunkRule> rules = {
        {.id = "odd", .title = "Odd", .detail = "", .symbol = "x",
         .paths = {"~/Downloads", "~/Documents", "~/.Trash", "~"}, .children = false},
    };
    writeFile(FS::trashFolder() / "t", 4096);
    std::vector<std::int64_t> reports;
    const auto groups = Sweeper::scanJunk(rules, [&](const QString&, std::int64_t bytes) { reports.push_back(bytes); });
    EXPECT_TRUE(groups.empty());
    EXPECT_EQ(reports, (std::vector<std::int64_t>{0, 0}));
}

TEST_F(JunkScan, MissingAndUnreadableFoldersContributeNothing)
{
    writeFile(home / "Library/Caches/locked/x", 4096);
    writeFile(home / "Library/Logs/app.log", 4096);
    fs::permissions(home / "Library/Caches", fs::perms::none);
    const auto groups = Sweeper::scanJunk();
    fs::permissions(home / "Library/Caches", fs::perms::owner_all);
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every folder";
    EXPECT_EQ(ids(groups), std::vector<QString>{"logs"});
}
