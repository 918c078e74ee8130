// quillmoor-cli's "junk" and "clean" on a fixture home.
#include <gtest/gtest.h>

#include <map>

#include <QJsonArray>
#include <QJsonObject>

#include "engines/JunkFixture.h"
#include "engines/autoclean/AutoChoice.h"
#include "engines/autoclean/AutoSettings.h"
#include "i18n/L.h"
#include "platform/Admin.h"
#include "platform/AutoCleanFiles.h"
#include "platform/FileLock.h"
#include "platform/FS.h"
#include "platform/Paths.h"
#include "platform/Prefs.h"
#include "support/FixtureSystem.h"
#include "support/Fixtures.h"

using namespace junkfixture;

namespace {

// On the designed catalogue: two cache folders (one selected, one not), a
// tool cache (never selected) and an installer (never selected, goes to the Trash).
class JunkCli : public JunkHome {
protected:
    void SetUp() override
    {
        JunkHome::SetUp();
        Profiles::choose("macos");
        exampleSize = writeBytes(example(), 5 * 4096);
        writeBytes(safari() / "data", 12 * 4096);
        writeBytes(pip() / "wheel", 3 * 4096);
        installerSize = writeBytes(installer(), 2 * 4096);
    }
    void TearDown() override { Profiles::choose("linux"); }
    fs::path example() const { return home / "Library/Caches/com.example.app"; }
    fs::path safari() const { return home / "Library/Caches/com.apple.Safari"; }
    fs::path pip() const { return home / ".cache/pip"; }
    fs::path installer() const { return home / "Downloads/Setup.DMG"; }

    std::int64_t storedTotal() const { return Prefs::readInt(*Prefs::standard(), "totalFreed"); }

    std::int64_t exampleSize = 0;
    std::int64_t installerSize = 0;
};

} // namespace

TEST_F(JunkCli, JunkAsJsonAndAsText)
{
    const CliOutcome r = runCli({"junk", "--json"});
    ASSERT_EQ(r.status, Cli::Success) << qPrintable(r.err);
    const QJsonArray groups = jsonOf(r).array();
    ASSERT_EQ(groups.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(groups[i]["id"].toString(), (QStringList{"caches", "dotcache", "installers"}[i]));

    const QJsonObject caches = groups[0].toObject();
    EXPECT_EQ(caches["selectedTotal"].toInteger(), exampleSize);
    EXPECT_TRUE(caches["permanent"].toBool());
    const QJsonArray items = caches["items"].toArray();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[1]["name"].toString(), "com.example.app");
    EXPECT_EQ(items[1]["path"].toString(), QString::fromStdString(example().string()));
    EXPECT_EQ(items[1]["size"].toInteger(), exampleSize);
    EXPECT_TRUE(items[1]["selected"].toBool());
    EXPECT_EQ(caches["total"].toInteger(), items[0]["size"].toInteger() + exampleSize);

    const CliOutcome text = runCli({"junk"});
    ASSERT_EQ(text.status, Cli::Success);
    EXPECT_TRUE(text.out.contains("[x]"));
    EXPECT_LT(text.out.indexOf("com.apple.Safari"), text.out.indexOf("com.example.app"));
}

TEST_F(JunkCli, CleanRemovesOnlyWithYesAndOnlyTheSelectedOrTheNamedGroup)
{
    const std::int64_t before = storedTotal();
    for (const QStringList& args : {QStringList{"clean"}, QStringList{"clean", "--dry-run", "--yes"},
                                    QStringList{"--json", "clean", "--group", "installers"}}) {
        const CliOutcome r = runCli(args);
        EXPECT_EQ(r.status, Cli::Success) << qPrintable(args.join(' '));
        EXPECT_TRUE(fs::exists(example()));
        EXPECT_TRUE(fs::exists(installer()));
    }
    const CliOutcome plan = runCli({"clean"});
    EXPECT_TRUE(plan.out.contains(FS::pretty(example()))) << qPrintable(plan.out);
    EXPECT_FALSE(plan.out.contains("Safari"));
    EXPECT_EQ(storedTotal(), before);

    // Everything selected goes; the unselected cache, the tool cache and the installer stay.
    const CliOutcome r = runCli({"clean", "--yes"});
    EXPECT_EQ(r.status, Cli::Success) << qPrintable(r.err);
    EXPECT_FALSE(fs::exists(example()));
    EXPECT_TRUE(fs::exists(safari()));
    EXPECT_TRUE(fs::exists(pip()));
    EXPECT_TRUE(fs::exists(installer()));
    EXPECT_EQ(storedTotal(), before + exampleSize);
    EXPECT_TRUE(Prefs::standard()->contains("lastClean"));

    // A named group: all its items to the Trash, other groups untouched, nothing freed yet.
    writeBytes(example(), 4096);
    const CliOutcome group = runCli({"--json", "clean", "--group", "installers", "--yes"});
    ASSERT_EQ(group.status, Cli::Success) << qPrintable(group.err);
    const QJsonObject outcome = jsonOf(group).object();
    EXPECT_EQ(outcome["trashed"].toInteger(), installerSize);
    EXPECT_EQ(outcome["freed"].toInteger(), 0);
    EXPECT_FALSE(fs::exists(installer()));
    EXPECT_TRUE(fs::exists(FS::trashFolder() / "Setup.DMG"));
    EXPECT_TRUE(fs::exists(example()));
    EXPECT_EQ(storedTotal(), before + exampleSize);
}

TEST_F(JunkCli, ACleanGoesIntoTheHistoryWithTheItemsItsPlanShowed)
{
    fs::remove_all(Paths::logFolder());
    const CliOutcome empty = runCli({"history"});
    EXPECT_EQ(empty.status, Cli::Success);
    EXPECT_EQ(empty.out.trimmed(), L("Nenhuma remoção registrada ainda."));
    runCli({"clean", "--dry-run"});  // a plan shown is not history
    EXPECT_TRUE(jsonOf(runCli({"--json", "history"})).array().isEmpty());

    const QJsonArray planned = jsonOf(runCli({"--json", "clean"})).object()["items"].toArray();
    ASSERT_FALSE(planned.isEmpty());
    ASSERT_EQ(runCli({"clean", "--yes"}).status, Cli::Success);

    const QJsonArray history = jsonOf(runCli({"--json", "history"})).array();
    ASSERT_EQ(history.size(), 1);
    const QJsonObject record = history[0].toObject();
    EXPECT_EQ(record["v"].toInt(), 1);
    EXPECT_EQ(record["origin"].toString(), "cli");
    EXPECT_EQ(record["action"].toString(), "clean");
    EXPECT_EQ(record["freed"].toInteger(), exampleSize);
    const QJsonArray items = record["items"].toArray();
    ASSERT_EQ(items.size(), planned.size());
    for (qsizetype i = 0; i < items.size(); ++i) {
        QJsonObject item = items[i].toObject();
        EXPECT_EQ(item.take("result").toString(), "done");
        EXPECT_EQ(item, planned[i].toObject());
    }

    const CliOutcome text = runCli({"history"});
    EXPECT_TRUE(text.out.contains(L("linha de comando"))) << qPrintable(text.out);
    EXPECT_TRUE(text.out.contains(planned[0]["label"].toString())) << qPrintable(text.out);
    EXPECT_TRUE(text.out.contains(L("feito")));
}

TEST_F(JunkCli, CleanFailureIsExitOneWithTheMessage)
{
    // An immutable file, or a folder without write access.
    const fs::path locked = home / "Library/Caches/locked";
    writeBytes(locked / "inner/x", 4096);
    LockedPart lock({locked / "inner/x"});
    SKIP_UNLESS_LOCKED(lock);
    const CliOutcome r = runCli({"clean", "--yes"});

    EXPECT_EQ(r.status, Cli::Failure);
    EXPECT_TRUE(r.err.contains("locked")) << qPrintable(r.err);
    EXPECT_TRUE(fs::exists(locked / "inner/x"));
    EXPECT_FALSE(fs::exists(example()));  // the rest goes all the same
}

TEST_F(JunkCli, BadGroupOrArgumentIsBadUsage)
{
    for (const QStringList& args : {QStringList{"junk", "extra"}, QStringList{"clean", "--group", "nope"},
                                    QStringList{"clean", "--group"}, QStringList{"clean", "--group", "nope", "--yes"},
                                    QStringList{"clean", "--force"}}) {
        const CliOutcome r = runCli(args);
        EXPECT_EQ(r.status, Cli::BadUsage) << qPrintable(args.join(' '));
        EXPECT_EQ(r.err.count('\n'), 1);
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_TRUE(fs::exists(example()));
}

TEST_F(JunkCli, ATrashWhoseFilesFolderIsALinkIsNeitherListedNorEmptied)
{
    fs::create_directories(FS::trashFolder().parent_path() / "info");
    writeFile(home / "Important/thesis.tex", "x\n");
    fs::create_directory_symlink(home / "Important", FS::trashFolder());

    const CliOutcome listed = runCli({"--json", "junk"});
    EXPECT_FALSE(listed.out.contains("thesis.tex")) << qPrintable(listed.out);
    const CliOutcome r = runCli({"--json", "clean", "--group", "trash", "--yes"});
    EXPECT_EQ(readFile(home / "Important/thesis.tex"), "x\n") << qPrintable(r.out) << qPrintable(r.err);
    EXPECT_EQ(storedTotal(), 0);
}

TEST_F(JunkCli, AMountPointInADevelopmentCacheIsLeftWithItsContents)
{
    writeFile(home / "Documents/thesis.tex", "years of work");
    const std::int64_t documents = writeBytes(home / "Documents/data.bin", 50 * 4096);
    writeBytes(home / ".npm/_cacache/content/blob", 3 * 4096);
    fs::create_directories(home / ".npm/_cacache/view");
    BindMount mounted(home / "Documents", home / ".npm/_cacache/view");
    SKIP_UNLESS_MOUNTED(mounted);

    // The scan does not size what is mounted inside the cache.
    const QJsonArray groups = jsonOf(runCli({"--json", "junk"})).array();
    bool seen = false;
    for (const QJsonValue& group : groups)
        if (group["id"].toString() == "devcache") {
            seen = true;
            EXPECT_LT(group["items"][0]["size"].toInteger(), documents);
        }
    EXPECT_TRUE(seen);
    const CliOutcome r = runCli({"clean", "--group", "devcache", "--yes"});
    EXPECT_EQ(r.status, Cli::Failure);
    EXPECT_TRUE(r.err.contains("_cacache")) << qPrintable(r.err);  // named among the failures
    EXPECT_EQ(readFile(home / "Documents/thesis.tex"), "years of work");
    EXPECT_FALSE(present(home / ".npm/_cacache/content"));
}

// ---- The Linux catalogue ------------------------------------------------------

using LinuxJunkCli = JunkHome;

// What the catalogue finds and ticks is the scan's own business; here, that an
// item in use carries its note in the output, and an item without one has none.
TEST_F(LinuxJunkCli, AnItemInUseCarriesItsNote)
{
    ASSERT_EQ(Profiles::active().name, "linux");
    writeBytes(home / ".cache/fontconfig/a.cache-8", 4 * 4096);
    writeBytes(home / ".cache/browser/cache2/entry", 8 * 4096);
    const Sleeper holding(home / ".cache/browser/cache2/entry", {});
    ASSERT_TRUE(holding.started());
    const CliOutcome r = runCli({"--json", "junk"});
    const QJsonArray groups = jsonOf(r).array();
    ASSERT_FALSE(groups.isEmpty()) << qPrintable(r.out);
    const QJsonArray caches = groups[0]["items"].toArray();
    ASSERT_EQ(caches.size(), 2) << qPrintable(r.out);
    EXPECT_EQ(caches[0]["note"].toString(), LF("Em uso por %@", QStringLiteral("sleep")));
    EXPECT_FALSE(caches[1].toObject().contains("note"));
}

TEST_F(LinuxJunkCli, SystemGroupsFollowTheHomeGroupsMarkedForTheAdministrator)
{
    writeBytes(home / ".cache/browser/entry", 4 * 4096);
    const fs::path root = freshFolder("cli-system-root");
    const std::int64_t dump = writeBytes(root / "var/lib/systemd/coredump/core.vim.1000.2.zst", 20'000);
    // apt's cache is a link: listed, its size unknown.
    fs::create_directories(root / "var/cache/apt");
    fs::create_directory_symlink(freshFolder("cli-system-elsewhere"), root / "var/cache/apt/archives");
    const FixtureSystem system(root, {{"apt-get -s autoremove", "Remv libfoo1 [1.0-1]\n"},
                                      {"dpkg-query", "libfoo1\t1.0-1\t12\toptional\tno\n"}});

    const CliOutcome r = runCli({"--json", "junk"});
    ASSERT_EQ(r.status, Cli::Success) << qPrintable(r.err);
    const QJsonArray groups = jsonOf(r).array();
    QStringList ids;
    for (const QJsonValue& group : groups)
        ids << group["id"].toString();
    EXPECT_EQ(ids, (QStringList{"caches", "pkgcache", "coredumps", "autoremove"}));
    EXPECT_FALSE(groups[0]["admin"].toBool());

    const QJsonObject cache = groups[1].toObject();
    EXPECT_TRUE(cache["admin"].toBool());
    EXPECT_EQ(cache["title"].toString(), L("Pacotes baixados"));
    EXPECT_EQ(cache["total"].toInteger(), 0);
    EXPECT_TRUE(cache["items"][0]["size"].isNull()) << qPrintable(r.out);
    EXPECT_TRUE(cache["items"][0]["selected"].toBool());
    EXPECT_EQ(groups[2]["items"][0]["size"].toInteger(), dump);
    EXPECT_EQ(groups[3]["items"][0]["size"].toInteger(), 12 * 1024);
    EXPECT_FALSE(groups[3]["items"][0]["selected"].toBool());

    const CliOutcome text = runCli({"junk"});
    EXPECT_LT(text.out.indexOf("[caches]"), text.out.indexOf(QStringLiteral("🔒 ") + L("Pacotes baixados")));
    EXPECT_TRUE(text.out.contains(L("Tamanho desconhecido"))) << qPrintable(text.out);
    // clean's plan takes the ticked system items, for the administrator; a
    // system group can be named, one that is not there cannot.
    const CliOutcome plan = runCli({"clean", "--dry-run"});
    EXPECT_TRUE(plan.out.contains("core.vim")) << qPrintable(plan.out);
    EXPECT_TRUE(plan.out.contains(L("[administrador]")));
    EXPECT_FALSE(plan.out.contains("libfoo1"));  // not ticked
    EXPECT_TRUE(runCli({"clean", "--group", "autoremove", "--dry-run"}).out.contains("libfoo1"));
    EXPECT_EQ(runCli({"clean", "--group", "nonesuch"}).status, Cli::BadUsage);

    // A system group cleaned alone: one administrator run, what it freed measured.
    std::vector<Admin::Request> asked;
    Admin::setRunner([&](const Admin::Request& request) {
        asked.push_back(request);
        fs::remove(root / "var/lib/systemd/coredump/core.vim.1000.2.zst");
        return Admin::Reply{true, {}, {QString()}, {}};
    });
    const CliOutcome cleaned = runCli({"--json", "clean", "--group", "coredumps", "--yes"});
    Admin::setRunner({});
    EXPECT_EQ(cleaned.status, Cli::Success) << qPrintable(cleaned.err);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].actions, (std::vector<Admin::Action>{{Admin::kRemoveCoreDump, {"core.vim.1000.2.zst"}}}));
    const QJsonObject result = jsonOf(cleaned).object();
    EXPECT_EQ(result["freed"].toInteger(), dump);
    EXPECT_EQ(result["systemGroups"][0]["id"].toString(), "coredumps");
    EXPECT_EQ(result["systemGroups"][0]["freed"].toInteger(), dump);
    EXPECT_TRUE(present(home / ".cache/browser/entry"));  // only the group named
}

TEST_F(LinuxJunkCli, AnAutomaticCleanTakesItsChoiceOnceWaitsForAnotherCleanAndLeavesItsRecord)
{
    writeBytes(home / ".cache/fontconfig/a.cache-8", 4 * 4096);
    writeBytes(home / ".cache/browser/cache2/entry", 8 * 4096);
    writeBytes(home / ".cache/kept/data", 4 * 4096);
    writeBytes(home / "Downloads/tool.deb", 4 * 4096);
    ASSERT_EQ(runCli({"ignore", "add", FS::text(home / ".cache/kept")}).status, Cli::Success);
    const Sleeper holding(home / ".cache/browser/cache2/entry", {});
    ASSERT_TRUE(holding.started());
    fs::remove_all(Paths::logFolder());

    // Off: the schedule does nothing and says so; usage mistakes are refused.
    EXPECT_EQ(runCli({"clean", "--auto", "--if-due"}).out.trimmed(), L("A limpeza automática está desligada."));
    EXPECT_EQ(runCli({"clean", "--if-due"}).status, Cli::BadUsage);
    EXPECT_EQ(runCli({"clean", "--auto", "--group", "caches"}).status, Cli::BadUsage);
    {
        auto settings = Prefs::standard();
        AutoClean::save(*settings, {AutoClean::Interval::daily, AutoClean::defaultGroups()});
    }

    // Another clean holds the lock: neither an automatic nor a manual one starts.
    {
        const FileLock other(AutoCleanFiles::cleanLock(), FileLock::Wait::no);
        ASSERT_TRUE(other.held());
        EXPECT_EQ(runCli({"clean", "--auto", "--if-due"}).out.trimmed(), L("Outra limpeza do Quillmoor está em andamento."));
        const CliOutcome manual = runCli({"clean", "--yes"});
        EXPECT_EQ(manual.status, Cli::Failure);
        EXPECT_TRUE(manual.err.contains(L("Outra limpeza do Quillmoor está em andamento.")));
        EXPECT_TRUE(fs::exists(home / ".cache/fontconfig"));
    }

    // Due: the default groups as the window ticks them, never what is in use,
    // ignored or an installer; the record appended is the one printed.
    const CliOutcome ran = runCli({"--json", "clean", "--auto", "--if-due"});
    ASSERT_EQ(ran.status, Cli::Success) << qPrintable(ran.out + ran.err);
    const QJsonArray items = jsonOf(ran).object()["items"].toArray();
    ASSERT_EQ(items.size(), 1) << qPrintable(ran.out);
    EXPECT_EQ(items[0]["path"].toString(), FS::text(home / ".cache/fontconfig"));
    EXPECT_FALSE(fs::exists(home / ".cache/fontconfig"));
    for (const char* stays : {".cache/browser/cache2/entry", ".cache/kept/data", "Downloads/tool.deb"})
        EXPECT_TRUE(fs::exists(home / stays)) << stays;
    const QJsonObject record = jsonOf(runCli({"--json", "history"})).array()[0].toObject();
    EXPECT_EQ(record["origin"].toString(), "auto");
    EXPECT_EQ(record["items"].toArray(), items);
    EXPECT_EQ(jsonOf(ran).object()["history"].toObject(), record);

    // Right after, it is not due, and says when it will be.
    const CliOutcome again = runCli({"--json", "clean", "--auto", "--if-due"});
    EXPECT_FALSE(jsonOf(again).object()["ran"].toBool());
    EXPECT_EQ(jsonOf(runCli({"--json", "history"})).array().size(), 1);
}
