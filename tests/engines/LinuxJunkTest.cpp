// The Linux junk catalogue on a fixture home: each rule finds its own fixture
// and nothing else, no byte counts twice, the in-use check with real processes,
// links, odd cache folders, the download folder and the Trash of other disks.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include <unistd.h>

#include "engines/JunkFixture.h"
#include "engines/removal/Removal.h"
#include "i18n/L.h"
#include "platform/Paths.h"
#include "platform/Trash.h"

using namespace junkfixture;

namespace {

// Item paths (home-relative) per group id.
std::map<QString, std::set<std::string>> itemsByGroup(const std::vector<JunkGroup>& groups, const fs::path& home)
{
    std::map<QString, std::set<std::string>> found;
    for (const JunkGroup& group : groups)
        for (const JunkItem& item : group.items)
            found[group.id].insert(item.url.lexically_relative(home).native());
    return found;
}

const JunkItem* itemAt(const std::vector<JunkGroup>& groups, const fs::path& path)
{
    for (const JunkGroup& group : groups)
        for (const JunkItem& item : group.items)
            if (item.url == path)
                return &item;
    return nullptr;
}

} // namespace

using LinuxJunk = JunkHome;

TEST_F(LinuxJunk, EachRuleFindsItsOwnFixtureAndNothingElse)
{
    const fs::path cache = Paths::cacheHome();
    ASSERT_EQ(cache, home / ".cache");
    for (const char* file :
         {".cache/mozilla/firefox/cache2/entry", ".cache/fontconfig/abc.cache-8", ".var/app/org.gimp.GIMP/cache/tile",
          ".cache/thumbnails/normal/a.png", ".xsession-errors", ".xsession-errors.old", ".local/share/xorg/Xorg.0.log",
          ".local/share/xorg/Xorg.0.log.old", ".local/share/xorg/notes.txt", ".npm/_cacache/index-v5/x",
          ".cache/pip/http/y", ".cache/go-build/00/z", ".cargo/registry/cache/crate", ".cache/spotify/Storage/s",
          ".var/app/com.spotify.Client/cache/s", ".cache/huggingface/hub/model.bin", ".ollama/models/blobs/b",
          "Downloads/tool_1.0_amd64.deb", "Downloads/Editor-x86_64.AppImage", "Downloads/photo.jpg",
          "Documents/report.log"})
        writeBytes(home / file, 4'000);
    writeBytes(FS::trashFolder() / "old.txt", 2'000);
    writeFile(FS::trashFolder().parent_path() / "info/old.txt.trashinfo", "[Trash Info]\n");

    const std::vector<JunkGroup> groups = Sweeper::scanJunk(linuxRules(), {}).groups;
    const auto found = itemsByGroup(groups, home);
    const std::map<QString, std::set<std::string>> expected{
        {"caches", {".cache/mozilla", ".cache/fontconfig", ".var/app/org.gimp.GIMP/cache"}},
        {"thumbnails", {".cache/thumbnails"}},
        {"logs", {".xsession-errors", ".xsession-errors.old", ".local/share/xorg/Xorg.0.log",
                  ".local/share/xorg/Xorg.0.log.old"}},
        {"devcache", {".npm/_cacache", ".cache/pip", ".cache/go-build", ".cargo/registry/cache"}},
        {"media", {".cache/spotify", ".var/app/com.spotify.Client/cache"}},
        {"models", {".cache/huggingface", ".ollama/models"}},
        {"installers", {"Downloads/tool_1.0_amd64.deb", "Downloads/Editor-x86_64.AppImage"}},
        {"trash", {".local/share/Trash/files/old.txt"}},
    };
    EXPECT_EQ(found, expected);

    // Pre-selection: everything but models and installers.
    for (const JunkGroup& group : groups)
        for (const JunkItem& item : group.items)
            EXPECT_EQ(item.selected, group.id != "models" && group.id != "installers") << item.name.toStdString();
    // The application's cache item is named after the application; the whole
    // folders by their home-relative path.
    ASSERT_NE(itemAt(groups, home / ".var/app/org.gimp.GIMP/cache"), nullptr);
    EXPECT_EQ(itemAt(groups, home / ".var/app/org.gimp.GIMP/cache")->name, "org.gimp.GIMP");
    EXPECT_EQ(itemAt(groups, home / ".local/share/xorg/Xorg.0.log")->name, "Xorg.0.log");
    EXPECT_EQ(itemAt(groups, cache / "thumbnails")->name, "~/.cache/thumbnails");
    EXPECT_FALSE(findGroup(groups, "installers")->permanent);
}

TEST_F(LinuxJunk, NoByteIsCountedInTwoGroups)
{
    // A file in every folder that any rule names, so that overlaps would show.
    const fs::path cache = Paths::cacheHome();
    std::int64_t written = 0;
    for (const JunkRule& rule : linuxRules()) {
        for (const std::string& text : rule.paths) {
            if (text == "~/.Trash" || text.find('*') != std::string::npos)
                continue;
            const fs::path place = Sweeper::resolveRulePath(text);
            if (text.rfind("~/.xsession", 0) == 0)
                written += writeBytes(place, 1'000);
            else
                written += writeBytes(place / "sub" / "data", 3'000);
        }
    }
    written += writeBytes(home / ".var/app/org.example.App/cache/x", 3'000);
    written += writeBytes(home / ".local/share/xorg/Xorg.1.log", 3'000);

    const std::vector<JunkGroup> groups = Sweeper::scanJunk(linuxRules(), {}).groups;
    std::int64_t counted = 0;
    std::vector<fs::path> items;
    for (const JunkGroup& group : groups)
        for (const JunkItem& item : group.items) {
            counted += item.size;
            items.push_back(item.url);
        }
    // No item lies inside another.
    for (const fs::path& a : items)
        for (const fs::path& b : items)
            if (a != b) {
                EXPECT_NE(a.native().rfind(b.native() + "/", 0), 0u) << a << " inside " << b;
            }
    // Every file once: the items' sizes add up to the files written plus the
    // folders' own blocks, never more than that sum.
    std::int64_t folders = 0;
    for (const fs::path& item : items)
        if (fs::is_directory(fs::symlink_status(item))) {
            folders += allocatedSize(item);
            for (const auto& entry : fs::recursive_directory_iterator(item))
                if (entry.is_directory())
                    folders += allocatedSize(entry.path());
        }
    EXPECT_LE(counted, written + folders);
    EXPECT_GE(counted, written);
}

TEST_F(LinuxJunk, ExcludedEntriesBelongToTheirOwnRuleOnly)
{
    writeBytes(home / "box/keep/data", 4'000);
    writeBytes(home / "box/other/data", 4'000);
    writeBytes(home / "box/other.log", 4'000);
    const std::vector<JunkRule> rules{
        {.id = "a", .title = "A", .detail = {}, .symbol = {}, .paths = {"~/box"}, .exclude = {"~/box/other"}},
        {.id = "b", .title = "B", .detail = {}, .symbol = {}, .paths = {"~/box/other"}, .children = false},
        {.id = "c", .title = "C", .detail = {}, .symbol = {}, .paths = {"~/box/*"}, .namePatterns = {"*.log"}},
    };
    const auto found = itemsByGroup(Sweeper::scanJunk(rules, {}).groups, home);
    EXPECT_EQ(found.at("a"), (std::set<std::string>{"box/keep", "box/other.log"}));
    EXPECT_EQ(found.at("b"), std::set<std::string>{"box/other"});
    EXPECT_EQ(found.at("c"), std::set<std::string>{"box/other.log"});
}

TEST(JunkPatterns, OneStarStandsForAnyRun)
{
    const struct {
        const char* name;
        const char* pattern;
        bool matches;
    } cases[] = {
        {"Xorg.0.log", "*.log", true},   {"Xorg.0.log.old", "*.log", false}, {"Xorg.0.log.old", "*.log.old", true},
        {".log", "*.log", true},         {"log", "*.log", false},            {"abc", "*", true},
        {"a.b", "a*b", true},            {"ab", "a*b", true},                {"aXb", "aX", false},
        {"exact", "exact", true},        {"exact2", "exact", false},         {"axb", "a.b", false},  // a dot is a dot
    };
    for (const auto& c : cases)
        EXPECT_EQ(Sweeper::matchesPattern(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
}

TEST_F(LinuxJunk, AnItemInUseIsListedUnselectedWithTheProgramsName)
{
    const fs::path cache = Paths::cacheHome();
    writeBytes(cache / "browser/cache2/entry", 20'000);
    writeBytes(cache / "editor/state/file", 20'000);
    writeBytes(cache / "idle/file", 20'000);
    const Sleeper holding(cache / "browser/cache2/entry", {});
    const Sleeper working({}, cache / "editor/state");
    ASSERT_TRUE(holding.started() && working.started());

    const std::vector<JunkGroup> groups = Sweeper::scanJunk(linuxRules(), {}).groups;
    for (const char* name : {"browser", "editor"}) {
        const JunkItem* item = itemAt(groups, cache / name);
        ASSERT_NE(item, nullptr) << name;
        EXPECT_FALSE(item->selected) << name;
        EXPECT_EQ(item->note, LF("Em uso por %@", QStringLiteral("sleep"))) << name;
    }
    const JunkItem* idle = itemAt(groups, cache / "idle");
    ASSERT_NE(idle, nullptr);
    EXPECT_TRUE(idle->selected);
    EXPECT_TRUE(idle->note.isEmpty());
}

TEST_F(LinuxJunk, ARelativeOrEmptyCacheFolderIsIgnored)
{
    writeBytes(home / ".cache/app/data", 5'000);
    for (const char* value : {"", "relative/cache", "./cache"}) {
        ScopedEnv cacheHome("XDG_CACHE_HOME", value);
        EXPECT_EQ(Paths::cacheHome(), home / ".cache") << value;
        EXPECT_NE(itemAt(Sweeper::scanJunk(linuxRules(), {}).groups, home / ".cache/app"), nullptr) << value;
    }
}

TEST_F(LinuxJunk, ACacheFolderThatIsALinkIsResolvedAndLinksInsideStayLinks)
{
    const fs::path real = home / "elsewhere/cache";
    writeBytes(real / "app/data", 5'000);
    // a target too long to fit in the link's inode: the link has a block of its own
    const fs::path precious = home / "precious-folder-whose-name-is-long-enough-for-a-block-of-its-own";
    writeBytes(precious / "data", 5'000);
    fs::create_directory_symlink(precious, real / "pointer");
    fs::create_directory_symlink(real, home / "cachelink");
    ScopedEnv cacheHome("XDG_CACHE_HOME", (home / "cachelink").native());

    const std::vector<JunkGroup> groups = Sweeper::scanJunk(linuxRules(), {}).groups;
    // Items are named where the link leads, once.
    ASSERT_NE(itemAt(groups, real / "app"), nullptr);
    const JunkItem* link = itemAt(groups, real / "pointer");
    ASSERT_NE(link, nullptr);
    EXPECT_LT(link->size, 5'000);  // the link's own size, never what it points at

    // Removing the link leaves what it pointed at.
    const RemovalOutcome outcome = Removal::run({{link->url, true, link->size}});
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_FALSE(fs::exists(fs::symlink_status(real / "pointer")));
    EXPECT_TRUE(fs::exists(precious / "data"));
}

TEST_F(LinuxJunk, InstallersAreFoundInTheDownloadFolderTheUserNamed)
{
    writeFile(Paths::configHome() / "user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"$HOME/Transferências\"\n");
    writeBytes(home / "Transferências/setup.RPM", 3'000);
    writeBytes(home / "Downloads/ignored.deb", 3'000);
    auto found = itemsByGroup(Sweeper::scanJunk(linuxRules(), {}).groups, home);
    EXPECT_EQ(found["installers"], std::set<std::string>{"Transferências/setup.RPM"});
    fs::remove(Paths::configHome() / "user-dirs.dirs");
}

TEST_F(LinuxJunk, TheTrashOfAnotherFileSystemIsEmptiedWithItsInformation)
{
    // A mount table naming a fixture folder as the top of a file system.
    const fs::path top = home / "volume";
    const std::string uid = std::to_string(getuid());
    writeBytes(top / (".Trash-" + uid) / "files/entry", 5'000);
    writeFile(top / (".Trash-" + uid) / "info/entry.trashinfo", "[Trash Info]\n");
    writeBytes(top / ".Trash" / uid / "files/.hidden", 5'000);
    writeFile(home / "mounts", "/dev/sdb1 " + top.native() + " ext4 rw 0 0\n" + "tmpfs " + top.native()
                                   + " tmpfs rw 0 0\n" + "proc /nowhere proc rw 0 0\n");
    const std::vector<fs::path> trashes = Trash::volumeTrashFolders(home / "mounts");
    EXPECT_EQ(trashes, (std::vector<fs::path>{top / ".Trash" / uid / "files", top / (".Trash-" + uid) / "files"}));

    // The rule lists what they hold (hidden entries too); deleting an entry takes its information along.
    const std::vector<JunkRule> rules{{.id = "trash", .title = "T", .detail = {}, .symbol = {}, .paths = {"~/.Trash"},
                                       .places = [] { return Trash::volumeTrashFolders(FS::home() / "mounts"); },
                                       .hidden = true}};
    const std::vector<JunkGroup> groups = Sweeper::scanJunk(rules, {}).groups;
    const JunkItem* item = itemAt(groups, top / (".Trash-" + uid) / "files/entry");
    ASSERT_NE(item, nullptr);
    EXPECT_NE(itemAt(groups, top / ".Trash" / uid / "files/.hidden"), nullptr);
    const RemovalOutcome outcome = Removal::run({{item->url, true, item->size}});
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_FALSE(fs::exists(top / (".Trash-" + uid) / "files/entry"));
    EXPECT_FALSE(fs::exists(top / (".Trash-" + uid) / "info/entry.trashinfo"));
}

TEST_F(LinuxJunk, TheNeverTouchListHidesItsPlacesAndOpensTheFoldersHoldingThem)
{
    const fs::path cache = home / ".cache";
    // A cache holding an ignored folder: its other entries are offered one level
    // down, and further down where an entry holds the place too.
    writeBytes(cache / "app/keep/data", 4'000);
    writeBytes(cache / "app/tmp/x", 4'000);
    writeBytes(cache / "app/blob", 4'000);
    writeBytes(cache / "deep/sub/kept/y", 4'000);
    writeBytes(cache / "deep/sub/other", 4'000);
    writeBytes(cache / "deep/top", 4'000);
    writeBytes(cache / "whole/z", 4'000);
    // A link to an ignored folder is an item of its own: the target is never walked nor removed through it.
    const fs::path precious = home / "precious-folder-whose-name-is-long-enough-for-a-block-of-its-own";
    writeBytes(precious / "data", 5'000);
    fs::create_directory_symlink(precious, cache / "pointer");

    const NeverTouchList never({cache / "app/keep", cache / "deep/sub/kept", cache / "whole", precious,
                                home / "nothing-there"});
    const JunkFound found = Sweeper::scanJunk(linuxRules(), never);
    const auto items = itemsByGroup(found.groups, home);
    std::set<std::string> cacheItems;
    for (const auto& [group, paths] : items)
        for (const std::string& path : paths)
            if (path.starts_with(".cache/"))
                cacheItems.insert(path);
    EXPECT_EQ(cacheItems, (std::set<std::string>{".cache/app/blob", ".cache/app/tmp", ".cache/deep/sub/other",
                                                 ".cache/deep/top", ".cache/pointer"}));
    EXPECT_EQ(found.ignored, 3);  // app/keep, deep/sub/kept, whole
    const JunkItem* opened = itemAt(found.groups, cache / "deep/sub/other");
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->name, "deep/sub/other");

    // Cleaning everything offered leaves every place of the list as it was.
    std::vector<RemovalTarget> targets;
    for (const JunkGroup& group : found.groups)
        for (const JunkItem& item : group.items)
            targets.push_back({item.url, true, item.size});
    EXPECT_TRUE(Removal::run(targets).failures.empty());
    for (const char* kept : {".cache/app/keep/data", ".cache/deep/sub/kept/y", ".cache/whole/z"})
        EXPECT_TRUE(fs::exists(home / kept)) << kept;
    EXPECT_FALSE(fs::exists(fs::symlink_status(cache / "pointer")));
    EXPECT_TRUE(fs::exists(precious / "data"));
}
