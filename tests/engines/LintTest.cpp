// The lint of empty folders and broken links on fixture trees: what the walk
// lists and what it never does (hidden entries, the user's folders, version
// control, mounts and where volumes mount, needed folders, the never-touch
// list, projects, odd names), the readers of the mount tables, and the check
// each removal makes right before it acts.
#include <gtest/gtest.h>

#include <map>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engines/dupes/Lint.h"
#include "engines/dupes/LintPlaces.h"
#include "i18n/L.h"
#include "platform/NeverTouch.h"
#include "platform/Paths.h"
#include "platform/Prefs.h"
#include "profiles/SystemTraits.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;
using namespace Lint;

namespace {

// Options that read no table of this machine: an empty fstab, no unit folders, no removable-disk folders.
Options fixtureOptions(const fs::path& root)
{
    Options options;
    options.fstab = root / "no-fstab";
    options.automountUnits = {};
    options.volumeRoots = {};
    return options;
}

// Each item by its path below `root`: its kind and count ("folder 3", "link").
std::map<std::string, std::string> found(const fs::path& root, const Options& options)
{
    std::map<std::string, std::string> items;
    for (const Item& item : find(root, options, CancelFlag{}).items)
        items[fs::relative(item.path, root).native()] =
            item.kind == Kind::BrokenLink ? "link" : "folder " + std::to_string(item.folders);
    return items;
}

void emptyFolder(const fs::path& path) { fs::create_directories(path); }

const Item& itemAt(const std::vector<Item>& items, const fs::path& path)
{
    for (const Item& item : items)
        if (item.path == path.native())
            return item;
    throw std::runtime_error("no item " + path.native());
}

} // namespace

TEST(Lint, ListsTopEmptyTreesAndBrokenLinksOnly)
{
    const fs::path root = freshFolder("lint-find");
    emptyFolder(root / "a/b/c");
    emptyFolder(root / "a/b2");
    emptyFolder(root / "withHidden/inner");
    writeFile(root / "withHidden/.keep");
    emptyFolder(root / "hiddenInside/.x");
    emptyFolder(root / ".dot/empty");
    emptyFolder(root / "withFile/empty");
    writeFile(root / "withFile/f");
    emptyFolder(root / "linkOnly");
    fs::create_symlink("../nowhere", root / "linkOnly/dangling");         // relative, dangling
    fs::create_symlink("/nonexistent-lint/x", root / "absolute");
    fs::create_symlink("withFile/f/below", root / "throughFile");         // ENOTDIR: missing
    fs::create_symlink("withFile/f", root / "fine");
    fs::create_symlink("loopB", root / "loopA");                          // ELOOP: not missing
    fs::create_symlink("loopA", root / "loopB");
    fs::create_symlink("a", root / "toEmptyTree");                        // never followed
    emptyFolder(root / "odd\nname/\xff\xfe");
    fs::path deep = root / "deep";  // deeper than the walk keeps folders open
    for (int level = 1; level < 100; ++level)
        deep /= "d";
    emptyFolder(deep);
    writeFile(deep.parent_path() / "f");
    emptyFolder(root / "deeper");
    fs::path deeper = root / "deeper";
    for (int level = 1; level < 150; ++level)
        deeper /= "d";
    emptyFolder(deeper);
    fs::create_symlink("gone", root / "odd\nname-\xfe link");

    Options options = fixtureOptions(root);
    EXPECT_EQ(found(root, options), (std::map<std::string, std::string>{
                                        {"a", "folder 4"},
                                        {"withHidden/inner", "folder 1"},
                                        {"withFile/empty", "folder 1"},
                                        {"linkOnly/dangling", "link"},
                                        {"absolute", "link"},
                                        {"throughFile", "link"},
                                        {"odd\nname", "folder 2"},
                                        {(fs::path("deep") / fs::relative(deep, root / "deep")).native(), "folder 1"},
                                        {"deeper", "folder 150"},
                                        {"odd\nname-\xfe link", "link"},
                                    }));
    const Result result = find(root, options, CancelFlag{});
    EXPECT_EQ(itemAt(result.items, root / "absolute").target, "/nonexistent-lint/x");
    EXPECT_TRUE(itemAt(result.items, root / "absolute").selected);
    EXPECT_GT(result.entries, 15);

    // With hidden entries: hidden folders are entered and listed.
    options.hidden = true;
    const auto hidden = found(root, options);
    EXPECT_EQ(hidden.at("hiddenInside"), "folder 2");
    EXPECT_EQ(hidden.at(".dot"), "folder 2");
    EXPECT_EQ(hidden.count("withHidden/inner"), 1u);  // the file still keeps its folder

    // The chosen folder itself is never an item, and a stopped search keeps nothing.
    EXPECT_EQ(found(root / "a", options).size(), 2u);  // its subtrees are
    emptyFolder(root / "lone");
    EXPECT_TRUE(find(root / "lone", options, CancelFlag{}).items.empty());
    CancelFlag stopped;
    stopped.cancelled = true;
    const Result none = find(root, options, stopped);
    EXPECT_TRUE(none.cancelled);
    EXPECT_TRUE(none.items.empty());
}

TEST(Lint, LeavesWhatIsNeededOrNotItsOwn)
{
    const fs::path root = freshFolder("lint-keep");
    // The user's own folders: named by user-dirs.dirs, or by their usual names.
    writeFile(Paths::configHome() / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"" + (root / "Docs").native() + "\"\n");
    emptyFolder(root / "Docs/old");
    emptyFolder(Paths::home() / "Desktop");
    // Version control: the refs of a repository, of a bare one.
    emptyFolder(root / "repo/.git/refs/heads");
    emptyFolder(root / "repo/.hg/store");
    emptyFolder(root / "bare.git/refs/tags");
    emptyFolder(root / "bare.git/objects/pack");
    writeFile(root / "bare.git/HEAD", "ref: refs/heads/main\n");
    // A folder a program needs, and a tree holding one.
    emptyFolder(root / "conf/keys");
    // The never-touch list.
    emptyFolder(root / "untouched");
    fs::create_symlink("gone", root / "untouchedLink");
    // Where volumes mount: an fstab target and an automount unit's, both empty while away, and links onto them.
    emptyFolder(root / "media/usb");
    emptyFolder(root / "auto");
    writeFile(root / "fstab", "# the disks\nUUID=1 " + (root / "media/usb").native() + " ext4 defaults 0 2\nnone none swap sw 0 0\n");
    writeFile(root / "units/data.automount", "[Unit]\nDescription=x\n[Automount]\nWhere=" + (root / "auto").native() + "\n");
    fs::create_symlink(root / "media/usb/film.mkv", root / "toUsb");
    fs::create_symlink(root / "removable/STICK/notes", root / "toStick");
    emptyFolder(root / "removable");
    // A folder the mount table lists (a bind mount of the same disk).
    emptyFolder(root / "bound");
    writeFile(root / "mountinfo", "36 35 98:0 / " + (root / "bound").native() + " rw - ext4 /dev/x rw\n");

    Options options = fixtureOptions(root);
    options.hidden = true;
    options.needed = {root / "conf/keys"};
    options.never = NeverTouchList({root / "untouched", root / "untouchedLink"});
    options.fstab = root / "fstab";
    options.automountUnits = {root / "units"};
    options.volumeRoots = {root / "removable"};
    options.mountinfo = root / "mountinfo";
    const Result result = find(root, options, CancelFlag{});
    std::vector<std::string> paths;
    for (const Item& item : result.items)
        paths.push_back(fs::relative(item.path, root).native());
    EXPECT_EQ(paths, (std::vector<std::string>{"Docs/old", "removable"}));
    EXPECT_EQ(result.ignored, 2);
    EXPECT_TRUE(found(Paths::home(), fixtureOptions(root)).count("Desktop") == 0);

    // A real mount point (root only): neither listed nor entered, and its parent stays.
    emptyFolder(root / "mnt/point");
    const BindMount mount(root / "removable", root / "mnt/point");
    if (mount.ok()) {
        const auto withMount = found(root, options);
        EXPECT_EQ(withMount.count("mnt"), 0u);
        EXPECT_EQ(withMount.count("mnt/point"), 0u);
    }
}

TEST(Lint, ProjectsItemsStartUnticked)
{
    const fs::path root = freshFolder("lint-project");
    writeFile(root / "app/.git/HEAD", "ref");
    emptyFolder(root / "app/build/empty");
    emptyFolder(root / "web/node_modules/pkg/dist");
    writeFile(root / "web/index.js");
    emptyFolder(root / "plain/empty");
    const Result result = find(root, fixtureOptions(root), CancelFlag{});
    ASSERT_EQ(result.items.size(), 3u);
    for (const Item& item : result.items) {
        const bool project = item.path.find("plain") == std::string::npos;
        EXPECT_EQ(item.inProject, project) << item.path;
        EXPECT_EQ(item.selected, !project) << item.path;
        EXPECT_EQ(noteOf(item), project ? L("Parte de um projeto") : QString()) << item.path;
    }
}

TEST(Lint, TargetThatCannotBeReadIsNotMissing)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to look as another user";
    // Readable by everyone but for the closed folder the link points into.
    char shared[] = "/tmp/quillmoor-lint-XXXXXX";
    ASSERT_NE(mkdtemp(shared), nullptr);
    const fs::path root(shared);
    chmod(shared, 0755);
    emptyFolder(root / "closed");
    chmod((root / "closed").c_str(), 0700);
    emptyFolder(root / "open");
    chmod((root / "open").c_str(), 0755);
    fs::create_symlink(root / "closed/anything", root / "open/behindDoor");
    fs::create_symlink(root / "nothing", root / "open/missing");
    const Options options = fixtureOptions(root);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0)
            _exit(3);
        const Result result = find(root / "open", options, CancelFlag{});
        _exit(result.items.size() == 1 && result.items.front().path == (root / "open/missing").native() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    fs::remove_all(root);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(Lint, ReadsWhereVolumesMount)
{
    const fs::path root = freshFolder("lint-tables");
    writeFile(root / "fstab", "# c\n\nLABEL=a /media/My\\040Disk ntfs rw 0 0\nproc /proc proc defaults 0 0\n"
                              "/swapfile none swap sw 0 0\n/dev/sdb1 /mnt/data/ ext4 rw\n");
    EXPECT_EQ(fstabTargets(root / "fstab"), (std::vector<std::string>{"/media/My Disk", "/proc", "/mnt/data"}));
    EXPECT_TRUE(fstabTargets(root / "missing").empty());

    EXPECT_EQ(automountWhere("[Unit]\nWhere=/no\n[Automount]\n  Where = /srv/nfs/ \n# Where=/x\n"), "/srv/nfs");
    EXPECT_EQ(automountWhere("[Automount]\nWhere=relative\n"), "");
    EXPECT_EQ(automountWhere("[Mount]\nWhere=/srv\n"), "");

    const std::vector<std::string> places{"/media", "/mnt/data"};
    EXPECT_TRUE(onAbsentVolume("/media/me/STICK/a", places, {"/"}));
    EXPECT_FALSE(onAbsentVolume("/media/me/STICK/a", places, {"/", "/media/me/STICK"}));
    EXPECT_TRUE(onAbsentVolume("/mnt/data/x", places, {"/", "/mnt"}));
    EXPECT_FALSE(onAbsentVolume("/mnt/data/x", places, {"/", "/mnt/data"}));
    EXPECT_FALSE(onAbsentVolume("/mnt/database/x", places, {"/"}));
    EXPECT_FALSE(onAbsentVolume("/home/me/x", places, {"/"}));

    EXPECT_EQ(targetPath("/home/me/a", "../b/./c"), "/home/me/b/c");
    EXPECT_EQ(targetPath("", "etc/x"), "/etc/x");
    EXPECT_EQ(targetPath("/home", "/abs//y/"), "/abs/y");
    EXPECT_TRUE(targetMissing(ENOENT));
    EXPECT_TRUE(targetMissing(ENOTDIR));
    EXPECT_FALSE(targetMissing(EACCES));
    EXPECT_FALSE(targetMissing(ELOOP));
}

TEST(Lint, NeededFoldersFollowTheBaseFolders)
{
    const ScopedEnv data("XDG_DATA_HOME", "/elsewhere/data");
    const ScopedEnv runtime("XDG_RUNTIME_DIR", "/home/me/run/");
    Profiles::SystemTraits traits;
    traits.neededFolders = {".ssh", ".local/share/keyrings", ".config/autostart"};
    const std::vector<fs::path> folders = Profiles::neededFolders(traits, "/home/me");
    EXPECT_EQ(folders, (std::vector<fs::path>{"/home/me/.ssh", "/home/me/.local/share/keyrings", "/elsewhere/data/keyrings",
                                              "/home/me/.config/autostart", Paths::configHome() / "autostart",
                                              "/home/me/run"}));
}

TEST(Lint, PlanNamesEachTreeAndLink)
{
    const fs::path root = freshFolder("lint-plan");
    emptyFolder(root / "tree/a/b");
    emptyFolder(root / "proj/node_modules/x");
    writeFile(root / "proj/node_modules/y");
    fs::create_symlink("gone", root / "link");
    const Result result = find(root, fixtureOptions(root), CancelFlag{});
    const Plan::Record plan = planRecord(result.items);
    ASSERT_EQ(plan.items.size(), 2u);  // the project's item is not ticked
    EXPECT_EQ(plan.action, "lint");
    EXPECT_EQ(plan.items[0].fate, Plan::Fate::trashed);
    EXPECT_EQ(plan.items[1].fate, Plan::Fate::deleted);
    EXPECT_EQ(plan.items[1].size, 0);
    EXPECT_TRUE(plan.items[1].label.contains("3")) << plan.items[1].label.toStdString();
}

TEST(Lint, RemovalChecksEachItemAgain)
{
    const fs::path root = freshFolder("lint-remove");
    fs::path deep = root / "goes";  // deeper than the walk keeps folders open
    for (int level = 1; level < 100; ++level)
        deep /= "d";
    emptyFolder(deep);
    emptyFolder(root / "gains/a/b");
    emptyFolder(root / "swapped/a");
    emptyFolder(root / "untouched");
    writeFile(root / "target-kept");
    fs::create_symlink("missing", root / "goes-link");
    fs::create_symlink("appears", root / "back-link");
    fs::create_symlink("was", root / "relinked");
    fs::create_symlink("target-kept/below", root / "through-file");
    std::vector<Item> items = find(root, fixtureOptions(root), CancelFlag{}).items;
    ASSERT_EQ(items.size(), 8u);

    writeFile(root / "gains/a/b/new");
    writeFile(root / "appears", "now here");
    fs::create_symlink("was", root / "relinked.new");  // made first, so it cannot take the old link's inode
    fs::rename(root / "relinked.new", root / "relinked");
    fs::rename(root / "swapped", root / "swapped-away");
    emptyFolder(root / "swapped");
    NeverTouch::add(*Prefs::standard(), root / "untouched");

    const RemovalOutcome outcome = remove(items);
    NeverTouch::remove(*Prefs::standard(), root / "untouched");
    ASSERT_TRUE(outcome.record);
    std::map<std::string, std::pair<Plan::Result, QString>> results;
    for (std::size_t i = 0; i < outcome.record->plan.items.size(); ++i)
        results[outcome.record->plan.items[i].path.filename().native()] = {outcome.record->results[i].result,
                                                                           outcome.record->results[i].reason};
    EXPECT_EQ(results["goes"].first, Plan::Result::done);
    EXPECT_EQ(results["goes-link"].first, Plan::Result::done);
    EXPECT_EQ(results["through-file"].first, Plan::Result::done);
    EXPECT_EQ(results["gains"], std::make_pair(Plan::Result::held, L("não está mais vazia")));
    EXPECT_EQ(results["back-link"], std::make_pair(Plan::Result::held, L("o destino existe agora")));
    EXPECT_EQ(results["relinked"], std::make_pair(Plan::Result::held, L("mudou depois da análise")));
    EXPECT_EQ(results["swapped"], std::make_pair(Plan::Result::held, L("mudou depois da análise")));
    EXPECT_EQ(results["untouched"], std::make_pair(Plan::Result::held, L("Na lista Nunca tocar")));
    EXPECT_EQ(outcome.held.size(), 5);

    EXPECT_FALSE(fs::exists(fs::symlink_status(root / "goes")));
    EXPECT_TRUE(fs::exists(root / "gains/a/b/new"));
    EXPECT_TRUE(fs::is_directory(root / "swapped-away/a"));
    EXPECT_TRUE(fs::is_directory(root / "swapped"));
    EXPECT_TRUE(fs::is_directory(root / "untouched"));
    EXPECT_EQ(readFile(root / "appears"), "now here");
    EXPECT_EQ(readFile(root / "target-kept"), "data");
    EXPECT_TRUE(fs::is_symlink(root / "back-link"));
    EXPECT_TRUE(fs::is_symlink(root / "relinked"));
    // The links are in the Trash, as links, and can be put back.
    const fs::path trashed = Paths::dataHome() / "Trash/files/goes-link";
    EXPECT_TRUE(fs::is_symlink(trashed));
    EXPECT_EQ(fs::read_symlink(trashed), "missing");
    for (std::size_t i = 0; i < outcome.record->plan.items.size(); ++i)
        if (outcome.record->plan.items[i].path.filename() == "goes-link") {
            EXPECT_EQ(outcome.record->results[i].trashedAs.filename(), "goes-link");
        }
}
