// What the window's confirmation shows and what the command line prints are
// one plan: for each removal both offer, the window state's plan and the
// command's JSON plan hold the same items with the same fate, tool,
// administrator flag and way back; and after execution the disk is as the
// plan said.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

#include "app/FeatureStates.h"
#include "cli/AppCommands.h"
#include "engines/apps/LinuxDesktopApps.h"
#include "engines/removal/PlanText.h"
#include "i18n/L.h"
#include "platform/Admin.h"
#include "support/DesktopFixture.h"
#include "support/FixtureSystem.h"
#include "support/Fixtures.h"
#include "support/WaitFor.h"

namespace fs = std::filesystem;

namespace {

QString fateName(Plan::Fate fate)
{
    static const char* const names[] = {"deleted", "trashed", "byTool", "shared"};
    return QString::fromLatin1(names[int(fate)]);
}

// One row per item: what both front ends must agree on.
QStringList rowsOf(const Plan::Record& plan)
{
    QStringList rows;
    for (const Plan::Item& item : plan.items)
        rows << QStringList{item.label, fateName(item.fate), item.tool, item.admin ? "admin" : "user",
                            item.restorable() ? "restorable" : "gone for good"}
                    .join(" | ");
    return rows;
}

QStringList rowsOf(const QJsonArray& items)
{
    QStringList rows;
    for (const QJsonValue& item : items)
        rows << QStringList{item["label"].toString(), item["fate"].toString(), item["tool"].toString(),
                            item["admin"].toBool() ? "admin" : "user",
                            item["restorable"].toBool() ? "restorable" : "gone for good"}
                    .join(" | ");
    return rows;
}

} // namespace

TEST(PlanParity, TheJunkCleanOfTheHomeAndTheSystem)
{
    const fs::path home = FS::home();
    // a home with nothing but this test's junk (the preferences stay: sounds stay off)
    for (const auto& entry : fs::directory_iterator(home))
        if (entry.path().filename() != ".runtime" && entry.path().filename() != ".config")
            fs::remove_all(entry.path());
    writeBytes(home / ".cache/browser/entry", 4 * 4096);
    writeBytes(home / ".cache/editor/state", 2 * 4096);
    writeBytes(home / "Downloads/tool_1.0_amd64.deb", 3 * 4096);
    const fs::path root = freshFolder("parity-system-root");
    const fs::path dump = root / "var/lib/systemd/coredump/core.vim.1000.2.zst";
    writeBytes(dump, 20'000);
    const FixtureSystem system(root, {{"apt-get -s autoremove", "Remv libfoo1 [1.0-1]\n"},
                                      {"dpkg-query", "libfoo1\t1.0-1\t12\toptional\tno\n"}});

    FeatureStates states;
    states.junk.scanJunk();
    ASSERT_EVENTUALLY(states.junk.junkScanned() && !states.junk.junkSystemPending(), 20000);
    // every item of these groups, ticked or not, as `clean --group` takes them
    const QStringList chosen{"caches", "installers", "coredumps", "autoremove"};
    for (const QString& id : chosen)
        while (true) {
            const auto group = std::find_if(states.junk.junkGroups().begin(), states.junk.junkGroups().end(),
                                            [&id](const JunkGroup& g) { return g.id == id; });
            ASSERT_NE(group, states.junk.junkGroups().end()) << qPrintable(id);
            if (std::all_of(group->items.begin(), group->items.end(), [](const JunkItem& i) { return i.selected; }))
                break;
            states.junk.toggleJunkGroup(id);
        }
    states.junk.planClean();
    const Plan::Record& window = states.junk.cleanPlanRecord();

    QStringList args{"--json", "clean", "--dry-run"};
    for (const QString& id : chosen)
        args << "--group" << id;
    const CliOutcome cli = runCli(args);
    ASSERT_EQ(cli.status, Cli::Success) << qPrintable(cli.err);
    const QJsonObject printed = jsonOf(cli).object();
    EXPECT_EQ(rowsOf(window), rowsOf(printed["items"].toArray()));
    EXPECT_EQ(Plan::summaryLines(window), printed["summary"].toVariant().toStringList());
    // each fate as it is: caches deleted, the installer to the Trash, the core
    // dump deleted as administrator, the package by apt-get as administrator
    const QStringList rows = rowsOf(window);
    EXPECT_TRUE(rows.contains(QStringLiteral("~/Downloads/tool_1.0_amd64.deb | trashed |  | user | restorable")))
        << qPrintable(rows.join('\n'));
    EXPECT_TRUE(rows.contains(QStringLiteral("core.vim.1000.2.zst | deleted |  | admin | gone for good")));
    EXPECT_TRUE(rows.contains(QStringLiteral("libfoo1 1.0-1 | byTool | apt-get remove | admin | gone for good")))
        << qPrintable(rows.join(QLatin1Char(10)));

    // Carried out as shown: the home items gone or trashed, the system items
    // through the administrator (the prompt removes only the dump here).
    RecordingAdmin admin;
    admin.before = [&dump] { fs::remove(dump); };
    states.removals.setRemovalAdminRunner(admin.runner());
    states.junk.cleanJunk();
    ASSERT_EVENTUALLY(!states.removals.busy(), 10000);
    EXPECT_FALSE(present(home / ".cache/browser/entry"));
    EXPECT_FALSE(present(home / ".cache/editor/state"));
    EXPECT_FALSE(present(home / "Downloads/tool_1.0_amd64.deb"));
    EXPECT_TRUE(present(FS::trashFolder() / "tool_1.0_amd64.deb"));
    ASSERT_TRUE(states.removals.celebrating());
    // the report names the home folder's groups beside the system's
    const QStringList report = states.removals.celebrateReport();
    EXPECT_EQ(report.size(), 4) << qPrintable(report.join('\n'));
    EXPECT_TRUE(report.join('\n').contains(L("Instaladores em Downloads"))) << qPrintable(report.join('\n'));
}

TEST(PlanParity, TheUninstallOfAFlatpakAPackageAndAnAppImage)
{
    DesktopFixture fx;
    fx.populate();
    writeFile(fx.home / ".config/xterm/settings");
    const AppBackend backend = LinuxApps::backend(fx.sources(), fx.runner());
    FeatureStates states;
    states.uninstaller.setAppBackend(backend);
    Cli::setAppBackend(backend);
    states.uninstaller.loadApps();
    ASSERT_TRUE(QTest::qWaitFor([&] { return states.uninstaller.appCount() == 9; }, 10000));

    const auto planOf = [&states](const QString& name) {
        for (const AppInfo& app : states.uninstaller.apps())
            if (app.name == name)
                states.uninstaller.selectApp(app.id());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !states.uninstaller.appLoading(); }, 10000));
        states.uninstaller.planUninstall();
        return states.uninstaller.uninstallPlanRecord();
    };
    for (const auto& [name, asked] : std::vector<std::pair<QString, QString>>{
             {"Calculator", "org.gnome.Calculator"}, {"XTerm", "debian-xterm"}, {"Notes", "Notes"}}) {
        const Plan::Record window = planOf(name);
        const CliOutcome cli = runCli({"--json", "uninstall", asked});
        ASSERT_EQ(cli.status, Cli::Success) << qPrintable(cli.err);
        EXPECT_EQ(rowsOf(window), rowsOf(jsonOf(cli)["items"].toArray())) << qPrintable(name);
        EXPECT_EQ(Plan::summaryLines(window), jsonOf(cli)["summary"].toVariant().toStringList()) << qPrintable(name);
        ASSERT_FALSE(window.items.empty());
        const Plan::Item& own = window.items.front();
        if (name == "Calculator") {
            // removed by flatpak, which no Trash gives back
            EXPECT_EQ(own.fate, Plan::Fate::byTool);
            EXPECT_EQ(own.tool, "flatpak uninstall");
            EXPECT_FALSE(own.restorable());
            EXPECT_FALSE(own.admin);
        } else if (name == "XTerm") {
            EXPECT_EQ(own.tool, "apt-get remove");
            EXPECT_TRUE(own.admin);
        } else {
            EXPECT_EQ(own.fate, Plan::Fate::trashed);
            EXPECT_TRUE(own.restorable());
        }
        states.uninstaller.closePlan();
    }

    // The AppImage carried out as shown: its own item to the Trash.
    planOf("Notes");
    const fs::path entry = states.uninstaller.uninstallPlanRecord().items.front().path;
    ASSERT_TRUE(present(entry));
    states.uninstaller.uninstallSelected();
    ASSERT_EVENTUALLY(!states.removals.busy(), 10000);
    EXPECT_FALSE(present(entry));
    // the list is read again without it (through the fixture's tools, which must outlive the reading)
    ASSERT_EVENTUALLY(states.uninstaller.appCount() == 8, 10000);
    Cli::setAppBackend(std::nullopt);
}

TEST(PlanParity, TheDuplicatesToTheTrash)
{
    const fs::path folder = freshFolder("parity-dupes");
    writeFile(folder / "A/report.pdf", std::string(30'000, 'r'));
    writeFile(folder / "B/report.pdf", std::string(30'000, 'r'));
    writeFile(folder / "C/report.pdf", std::string(30'000, 'r'));
    writeFile(folder / "A/photo.jpg", std::string(20'000, 'p'));
    writeFile(folder / "B/photo.jpg", std::string(20'000, 'p'));

    FeatureStates states;
    states.dupes.chooseDupesFolder(QString::fromStdString(folder.native()));
    states.dupes.setDupesMin(0);
    states.dupes.scanDupes();
    ASSERT_EVENTUALLY(states.dupes.dupesScanned() && !states.dupes.dupesScanning(), 20000);
    states.dupes.planDupes(false);
    const Plan::Record window = states.dupes.dupesPlanRecord();
    ASSERT_EQ(window.items.size(), 3u);  // every copy but the kept one of each group

    const CliOutcome cli = runCli({"--json", "dupes", QString::fromStdString(folder.native()), "--min", "0", "--trash"});
    ASSERT_EQ(cli.status, Cli::Success) << qPrintable(cli.err);
    EXPECT_EQ(rowsOf(window), rowsOf(jsonOf(cli)["items"].toArray()));
    EXPECT_EQ(Plan::summaryLines(window), jsonOf(cli)["summary"].toVariant().toStringList());

    states.dupes.trashDupes();
    ASSERT_EVENTUALLY(!states.removals.busy() && states.dupes.dupesGroupCount() == 0, 10000);
    for (const Plan::Item& item : window.items)
        EXPECT_FALSE(present(item.path)) << item.path;
    int left = 0;
    for (const char* name : {"A/report.pdf", "B/report.pdf", "C/report.pdf", "A/photo.jpg", "B/photo.jpg"})
        left += present(folder / name) ? 1 : 0;
    EXPECT_EQ(left, 2);  // one of each
}
