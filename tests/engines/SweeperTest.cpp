// The junk rule catalogue and the junk scan, on fixture homes.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include <sys/stat.h>
#include <unistd.h>

#include "engines/JunkFixture.h"

using namespace junkfixture;

namespace {

std::vector<QString> ids(const std::vector<JunkGroup>& groups) { return listOf(groups, &JunkGroup::id); }
std::vector<QString> names(const JunkGroup& group) { return listOf(group.items, &JunkItem::name); }

} // namespace

// ---- The records ------------------------------------------------------------

TEST(JunkRecords, AnItemOfUnknownSizeCountsAsNothingInTheTotals)
{
    JunkGroup group;
    group.items.resize(3);
    group.items[0].size = 3000;
    group.items[0].selected = true;
    group.items[1].size = 9000;
    group.items[1].selected = true;
    group.items[1].sizeKnown = false;
    group.items[2].size = 500;
    EXPECT_FALSE(group.admin);
    EXPECT_TRUE(group.items[0].actions.empty());
    EXPECT_EQ(group.total(), 3500);
    EXPECT_EQ(group.selectedTotal(), 3000);
}

// ---- The catalogue ---------------------------------------------------------

TEST(JunkRules, OrderPreselectionTrashAndTheInstallerExtensions)
{
    std::vector<QString> order, notPreselected, toTrash, byExtension;
    for (const JunkRule& rule : macosRules()) {
        order.push_back(rule.id);
        if (!rule.preselect)
            notPreselected.push_back(rule.id);
        if (!rule.permanent)
            toTrash.push_back(rule.id);
        if (rule.extensions) {
            byExtension.push_back(rule.id);
            EXPECT_EQ(*rule.extensions, (std::set<std::string>{"dmg", "pkg", "mpkg", "iso", "xip"}));
        }
    }
    EXPECT_EQ(order, (std::vector<QString>{"caches", "logs", "state", "xcode", "devcache", "media", "dotcache",
                                           "archives", "mail", "installers", "trash"}));
    EXPECT_EQ(notPreselected, (std::vector<QString>{"dotcache", "archives", "mail", "installers"}));
    EXPECT_EQ(toTrash, (std::vector<QString>{"archives", "installers"}));
    EXPECT_EQ(byExtension, std::vector<QString>{"installers"});
}

TEST(JunkRules, OwnEntriesExtensionsAndTheTrashPath)
{
    for (const char* name : {"com.halvick.Quillmoor", "com.halvick.Quillmoor.savedState", "Quillmoor", "quillMOOR"})
        EXPECT_TRUE(Sweeper::isOwnEntry(name)) << name;
    EXPECT_FALSE(Sweeper::isOwnEntry("Quillmoor-old"));

    const std::set<std::string> set = {"dmg", "pkg"};
    EXPECT_TRUE(Sweeper::hasExtension("/x/a.b.DMG", set));
    for (const char* name : {"/x/archive.zip", "/x/dmg", "/x/.dmg", "/x/name."})
        EXPECT_FALSE(Sweeper::hasExtension(name, set)) << name;

    // "~/.Trash" in a rule means the Trash in the data folder.
    EXPECT_EQ(Sweeper::resolveRulePath("~/.Trash"), FS::trashFolder());
    EXPECT_EQ(Sweeper::resolveRulePath("~/.cache"), FS::home() / ".cache");
}

// ---- The scan ----------------------------------------------------------------

using JunkScan = JunkHome;

TEST_F(JunkScan, SystemCachesComeFirstButAreNotSelected)
{
    const auto safari = writeBytes(home / "Library/Caches/com.apple.Safari/data", 12'000'000);
    const auto example = writeBytes(home / "Library/Caches/com.example.app/data", 5'000'000);

    const auto groups = Sweeper::scanJunk(macosRules(), {}).groups;
    ASSERT_EQ(ids(groups), std::vector<QString>{"caches"});
    const JunkGroup& caches = groups.front();
    ASSERT_EQ(names(caches), (std::vector<QString>{"com.apple.Safari", "com.example.app"}));
    EXPECT_FALSE(caches.items[0].selected);
    EXPECT_TRUE(caches.items[1].selected);
    EXPECT_EQ(caches.items[0].size, safari);
    EXPECT_EQ(caches.items[1].size, example);
    EXPECT_EQ(caches.total(), safari + example);
    EXPECT_EQ(caches.selectedTotal(), example);
    EXPECT_TRUE(caches.permanent);
}

TEST_F(JunkScan, GroupsInCatalogueOrderAndTwoProgressReportsPerRule)
{
    writeBytes(FS::trashFolder() / "old.txt", 8192);
    writeBytes(home / "Library/Logs/app.log", 8192);
    writeBytes(home / ".cache/pip/wheel", 8192);
    writeBytes(home / "Library/Caches/thing/x", 8192);

    std::vector<std::pair<QString, std::int64_t>> reports;
    const auto groups = Sweeper::scanJunk(macosRules(), {}, [&](const QString& title, std::int64_t bytes) {
        reports.emplace_back(title, bytes);
    }).groups;
    ASSERT_EQ(ids(groups), (std::vector<QString>{"caches", "logs", "dotcache", "trash"}));
    // Each rule announces itself with 0, then reports what it found, even 0.
    const auto& rules = macosRules();
    ASSERT_EQ(reports.size(), 2 * rules.size());
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const JunkGroup* group = findGroup(groups, rules[i].id);
        EXPECT_EQ(reports[2 * i], std::make_pair(rules[i].title, std::int64_t(0)));
        EXPECT_EQ(reports[2 * i + 1], std::make_pair(rules[i].title, group ? group->total() : 0));
    }
}

TEST_F(JunkScan, OwnCachesAndEmptyEntriesAreNeverListed)
{
    for (const char* own : {"Library/Caches/com.halvick.Quillmoor/x", ".cache/Quillmoor/qmlcache/x",
                            "Library/Saved Application State/com.halvick.Quillmoor.savedState/x",
                            ".cache/quillmoor/x", ".cache/other/x"})
        writeBytes(home / own, 8192);
    // Empty files and folders holding only empty files, in both kinds of rule.
    for (const char* empty : {"Library/Caches/empty-file", "Library/Caches/hollow/a", "Library/Caches/hollow/deeper/b"})
        writeBytes(home / empty, 0);
    fs::create_directories(home / "Library/Caches/bare");
    fs::create_directories(home / "Library/Developer/Xcode/DerivedData/Empty");

    const auto groups = Sweeper::scanJunk(macosRules(), {}).groups;
    ASSERT_EQ(ids(groups), std::vector<QString>{"dotcache"});
    EXPECT_EQ(names(groups.front()), std::vector<QString>{"other"});
}

TEST_F(JunkScan, InstallersByExtensionInAnyCaseFoldersIncluded)
{
    // Largest first: a.DMG, b.iso, d.pkg.
    const std::pair<const char*, int> files[] = {
        {"a.DMG", 3}, {"b.iso", 2}, {"c.zip", 4}, {"d.pkg/Contents/payload", 1}, {"notes.txt", 1}};
    for (const auto& [name, blocks] : files)
        writeBytes(home / "Downloads" / name, blocks * 4096);

    const auto groups = Sweeper::scanJunk(macosRules(), {}).groups;
    const JunkGroup* installers = findGroup(groups, "installers");
    ASSERT_NE(installers, nullptr);
    EXPECT_EQ(names(*installers), (std::vector<QString>{"a.DMG", "b.iso", "d.pkg"}));
    for (const JunkItem& item : installers->items)
        EXPECT_FALSE(item.selected) << qPrintable(item.name);
    EXPECT_FALSE(installers->permanent);
}

TEST_F(JunkScan, HiddenEntriesAreListedOnlyInTheTrashAndDSStoreNever)
{
    const fs::path trash = FS::trashFolder();
    ASSERT_EQ(trash, home / ".local/share/Trash/files");
    for (const char* name : {".DS_Store", ".hidden-thing", "visible"})
        writeBytes(trash / name, 4096);
    // A ~/.Trash folder means nothing here: the Trash lives in the data folder.
    for (const char* file : {".Trash/elsewhere", "Library/Caches/.hidden/x", "Library/Logs/.DS_Store", ".cache/.lock",
                             "Library/Logs/shown.log"})
        writeBytes(home / file, 4096);

    const auto groups = Sweeper::scanJunk(macosRules(), {}).groups;
    ASSERT_EQ(ids(groups), (std::vector<QString>{"logs", "trash"}));
    EXPECT_EQ(names(groups[0]), std::vector<QString>{"shown.log"});
    std::vector<QString> found = names(groups[1]);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<QString>{".hidden-thing", "visible"}));
    for (const JunkItem& item : groups[1].items)
        EXPECT_TRUE(item.selected);
}

TEST_F(JunkScan, WholeFolderRulesNameTheirFolderFromHome)
{
    const auto derived = writeBytes(home / "Library/Developer/Xcode/DerivedData/App-abc/Build/x", 8192)
        + writeBytes(home / "Library/Developer/Xcode/DerivedData/App-abc/.hidden", 4096);

    const auto groups = Sweeper::scanJunk(macosRules(), {}).groups;
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
        writeBytes(home / "Library/Logs" / ("log-" + std::to_string((i * 17) % 40)), 4096);
    writeBytes(home / "Library/Logs/big", 3 * 4096);

    std::vector<QString> listing = {"big"};
    for (const fs::path& child : FS::children(home / "Library/Logs"))
        if (child.filename() != "big")
            listing.push_back(QString::fromStdString(child.filename().string()));

    const auto groups = Sweeper::scanJunk(macosRules(), {}).groups;
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(names(groups.front()), listing);
}

TEST_F(JunkScan, AwkwardNamesAreListedAndSizedByTheirBytes)
{
    // Each one block smaller than the one before, so they are listed in this order.
    const std::string invalidUtf8 = "bad\xff\xfe-name";
    const std::vector<std::string> tops = {"it's $(here)", "-rf", "line\nbreak", invalidUtf8};
    std::vector<std::int64_t> sizes;
    for (std::size_t i = 0; i < tops.size(); ++i) {
        const fs::path top = home / "Library/Caches" / tops[i];
        sizes.push_back(writeBytes(i == 3 ? top / "x" : top, (4 - i) * 4096));
    }

    const auto groups = Sweeper::scanJunk(macosRules(), {}).groups;
    ASSERT_EQ(groups.size(), 1u);
    const JunkGroup& caches = groups.front();
    ASSERT_EQ(caches.items.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(caches.items[i].url.native(), (home / "Library/Caches" / tops[i]).native());  // the raw bytes
        EXPECT_EQ(caches.items[i].size, sizes[i]);
    }
    EXPECT_EQ(caches.items[2].name, "line\nbreak");  // only the shown name is decoded
    EXPECT_TRUE(caches.items[3].name.startsWith("bad"));
    EXPECT_TRUE(caches.items[3].name.endsWith("-name"));
}

TEST_F(JunkScan, ProtectedPlacesAreNeverOffered)
{
    writeBytes(home / "Downloads/keep.txt", 4096);
    writeBytes(home / "Documents/keep.txt", 4096);
    // A rule (as a test would write one) that points at protected folders
    // themselves and at the Trash folder as a whole.
    const std::vector<JunkRule> rules = {
        {.id = "odd", .title = "Odd", .detail = "", .symbol = "x",
         .paths = {"~/Downloads", "~/Documents", "~/.Trash", "~"}, .children = false},
    };
    writeBytes(FS::trashFolder() / "t", 4096);
    std::vector<std::int64_t> reports;
    const auto groups = Sweeper::scanJunk(rules, {}, [&](const QString&, std::int64_t bytes) { reports.push_back(bytes); }).groups;
    EXPECT_TRUE(groups.empty());
    EXPECT_EQ(reports, (std::vector<std::int64_t>{0, 0}));
}

TEST_F(JunkScan, MissingAndUnreadableFoldersContributeNothing)
{
    writeBytes(home / "Library/Caches/locked/x", 4096);
    writeBytes(home / "Library/Logs/app.log", 4096);
    fs::permissions(home / "Library/Caches", fs::perms::none);
    const auto groups = Sweeper::scanJunk(macosRules(), {}).groups;
    fs::permissions(home / "Library/Caches", fs::perms::owner_all);
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every folder";
    EXPECT_EQ(ids(groups), std::vector<QString>{"logs"});
}

// All of a rule's candidates are sized together on the walking threads: each
// item must still get what measuring it alone on one thread gives, whatever
// the mix of big and small folders, files, links and hard links.
TEST_F(JunkScan, CandidatesSizedTogetherMatchEachMeasuredAlone)
{
    const fs::path caches = home / "Library/Caches";
    for (int i = 0; i < 600; ++i)  // big enough for the threads to share it
        writeBytes(caches / "big" / ("d" + std::to_string(i % 23)) / ("f" + std::to_string(i)), 100 + 37 * i);
    for (int i = 0; i < 30; ++i)
        writeBytes(caches / ("small" + std::to_string(i)) / ".hidden", 4096 * (1 + i % 4));
    writeBytes(caches / "plain-file", 12000);
    fs::create_directory(caches / "empty");
    fs::create_directory_symlink(caches / "big", caches / "link-to-big");
    fs::create_directory_symlink("big", caches / "short-link");  // its target fits in the inode: no blocks
    fs::create_hard_link(caches / "big/d0/f0", caches / "small0/same-file");
    writeBytes(home / ".npm/_cacache/index/x", 5000);

    const auto groups = Sweeper::scanJunk(macosRules(), {}).groups;
    const JunkGroup* group = findGroup(groups, "caches");
    ASSERT_NE(group, nullptr);
    std::set<fs::path> listed;
    for (const JunkItem& item : group->items) {
        listed.insert(item.url);
        EXPECT_EQ(item.size, FS::size(item.url, 1)) << item.url;
        EXPECT_GT(item.size, 0) << item.url;  // nothing listed weighs nothing
    }
    EXPECT_FALSE(listed.count(caches / "empty"));
    EXPECT_TRUE(listed.count(caches / "big"));
    EXPECT_TRUE(listed.count(caches / "plain-file"));
    // a link is listed as itself (never followed), and only when it has blocks of its own
    std::size_t links = 0;
    for (const char* name : {"link-to-big", "short-link"}) {
        struct stat info {};
        ASSERT_EQ(lstat((caches / name).c_str(), &info), 0);
        EXPECT_EQ(listed.count(caches / name) == 1, info.st_blocks > 0) << name;
        links += info.st_blocks > 0 ? 1 : 0;
    }
    EXPECT_EQ(listed.size(), 32u + links);  // big, 30 small ones, the file and the links that weigh
    EXPECT_TRUE(std::is_sorted(group->items.begin(), group->items.end(),
                               [](const JunkItem& a, const JunkItem& b) { return a.size > b.size; }));
}
