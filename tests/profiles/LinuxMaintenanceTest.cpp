// The Linux routines: which can run with a given PATH and folders, that an
// unavailable one never runs, the administrator routines as the helper's
// actions in one request with each answer read back, and "ram".
#include <gtest/gtest.h>

#include "engines/maintenance/LinuxRoutines.h"
#include "engines/maintenance/Maintenance.h"
#include "i18n/L.h"
#include "platform/Fmt.h"
#include "profiles/LinuxMaintenance.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace {

// A folder of stand-in programs that print their name and succeed.
fs::path toolFolder(const std::string& name, const std::vector<std::string>& programs)
{
    const fs::path folder = freshFolder(name);
    for (const std::string& program : programs) {
        writeFile(folder / program, "#!/bin/sh\necho " + program + "\n");
        fs::permissions(folder / program, fs::perms::owner_all);
    }
    return folder;
}

LinuxMaintenance::Environment fixtureEnvironment(const fs::path& tools, const std::string& name)
{
    LinuxMaintenance::Environment env;
    env.path = QString::fromStdString(tools.native());
    env.home = freshFolder(name + "-home");
    env.dropCaches = freshFolder(name + "-proc") / "drop_caches";
    env.resolved = freshFolder(name + "-run") / "resolve";
    env.meminfo = freshFolder(name + "-proc") / "meminfo";
    return env;
}

const MaintTask& byId(const std::vector<MaintTask>& tasks, const QString& id)
{
    for (const MaintTask& task : tasks)
        if (task.id == id)
            return task;
    throw std::runtime_error("no routine " + id.toStdString());
}

} // namespace

TEST(LinuxMaintenance, NothingCanRunOnABarePath)
{
    const LinuxMaintenance::Environment env = fixtureEnvironment(toolFolder("bare", {}), "bare");
    const std::vector<MaintTask> tasks = LinuxMaintenance::tasks(env);
    const std::vector<QString> listed = listOf(tasks, &MaintTask::id);
    const QStringList ids(listed.begin(), listed.end());
    EXPECT_EQ(ids, (QStringList{"ram", "dns", "journal", "packages", "flatpak", "fonts", "menus"}));

    struct Row {
        const char* id;
        bool admin;
        QString missing;
    };
    const std::vector<Row> rows = {
        {"ram", true, QString::fromStdString(env.dropCaches.native())}, {"dns", true, "resolvectl"},
        {"journal", true, "journalctl"}, {"packages", true, "apt-get"}, {"flatpak", false, "flatpak"},
        {"fonts", false, "fc-cache"}, {"menus", false, "update-desktop-database"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        const MaintTask& task = byId(tasks, row.id);
        EXPECT_EQ(task.admin, row.admin);
        EXPECT_FALSE(task.available);
        EXPECT_EQ(task.reason, LF("Indisponível: falta %@", row.missing));
    }
    EXPECT_TRUE(Maintenance::defaultSelection(tasks, {"ram", "dns"}).isEmpty());

    // Ticked or not, nothing unavailable runs, and no password is asked for.
    int userRuns = 0;
    RecordingAdmin admin;
    const Maintenance::Outcome outcome = Maintenance::run(
        tasks, ids, [&](const std::string&) { ++userRuns; return Shell::Result{true, {}}; }, admin.runner());
    EXPECT_EQ(userRuns, 0);
    EXPECT_TRUE(admin.requests.empty());
    EXPECT_TRUE(outcome.okIds.isEmpty());
    EXPECT_TRUE(outcome.failures.isEmpty());
}

TEST(LinuxMaintenance, AvailableWhereTheProgramsAndFoldersAre)
{
    const fs::path tools = toolFolder("tools", {"resolvectl", "journalctl", "dnf", "flatpak", "fc-cache",
                                                "update-desktop-database", "update-mime-database"});
    LinuxMaintenance::Environment env = fixtureEnvironment(tools, "tools");
    writeFile(env.dropCaches, "");

    // resolvectl alone is not enough: systemd-resolved must be running
    std::vector<MaintTask> tasks = LinuxMaintenance::tasks(env);
    EXPECT_TRUE(byId(tasks, "ram").available);
    EXPECT_EQ(byId(tasks, "dns").reason, LF("Indisponível: falta %@", QString("systemd-resolved")));
    EXPECT_EQ(Maintenance::defaultSelection(tasks, {"ram", "dns"}), QStringList{"ram"});
    // the package tool that is there
    EXPECT_TRUE(byId(tasks, "packages").available);
    EXPECT_EQ(byId(tasks, "packages").action, (Admin::Action{Admin::kCleanPackageCache, {"dnf"}}));
    EXPECT_EQ(byId(tasks, "packages").needs, "dnf");
    // no menu folder yet
    EXPECT_EQ(byId(tasks, "menus").reason, LF("Indisponível: falta %@", QString("~/.local/share/applications")));

    fs::create_directories(env.resolved);
    const fs::path apps = env.home / ".local/share/applications";
    fs::create_directories(apps);
    tasks = LinuxMaintenance::tasks(env);
    EXPECT_TRUE(byId(tasks, "dns").available);
    EXPECT_EQ(Maintenance::defaultSelection(tasks, {"ram", "dns"}), (QStringList{"ram", "dns"}));
    EXPECT_TRUE(byId(tasks, "menus").available);
    EXPECT_EQ(byId(tasks, "menus").cmd, "update-desktop-database " + Shell::q(apps.native()));

    fs::create_directories(env.home / ".local/share/mime/packages");
    tasks = LinuxMaintenance::tasks(env);
    EXPECT_EQ(byId(tasks, "menus").cmd, "update-desktop-database " + Shell::q(apps.native()) +
                                            "; update-mime-database " +
                                            Shell::q((env.home / ".local/share/mime").native()));
    for (const MaintTask& task : tasks)
        EXPECT_TRUE(task.available) << task.id.toStdString();

    // A routine that cannot run is left out even when ticked.
    std::vector<std::string> userSeen;
    tasks[4].available = false;  // flatpak
    RecordingAdmin admin;
    Maintenance::run(tasks, {"flatpak", "fonts"},
                     [&](const std::string& c) { userSeen.push_back(c); return Shell::Result{true, {}}; }, admin.runner());
    EXPECT_EQ(userSeen, std::vector<std::string>{"fc-cache -f"});
}

TEST(LinuxMaintenance, TheAdministratorRoutinesAreOneRequestOfActionsEachAnsweredInTurn)
{
    const fs::path tools = toolFolder("helper-tools", {"resolvectl", "journalctl", "pacman", "fc-cache"});
    LinuxMaintenance::Environment env = fixtureEnvironment(tools, "helper");
    writeFile(env.dropCaches, "");
    fs::create_directories(env.resolved);
    const std::vector<MaintTask> tasks = LinuxMaintenance::tasks(env);
    for (const MaintTask& task : tasks)  // no command line behind a password
        EXPECT_EQ(task.admin, task.action && task.cmd.empty()) << task.id.toStdString();

    // One prompt for the four, in list order; the helper answers each action.
    RecordingAdmin admin;
    admin.answer = Admin::Reply{false, "journal full", {QString(), "resolvectl: no", QString(), "busy"}, {}};
    const QStringList all{"packages", "journal", "dns", "ram", "fonts"};
    Maintenance::Outcome outcome = Maintenance::run(
        tasks, all, [](const std::string&) { return Shell::Result{false, "working\nfc-cache: no fonts\n"}; },
        admin.runner(), {}, Maintenance::Reasons::WithReasons);
    ASSERT_EQ(admin.requests.size(), 1u);
    EXPECT_EQ(admin.requests[0].actions,
              (std::vector<Admin::Action>{{Admin::kDropCaches, {}}, {Admin::kFlushDns, {}}, {Admin::kVacuumJournal, {}},
                                          {Admin::kCleanPackageCache, {"pacman"}}}));
    EXPECT_TRUE(admin.requests[0].script.empty());
    EXPECT_EQ(outcome.okIds, (QStringList{"ram", "journal"}));
    EXPECT_EQ(outcome.failures, (QStringList{byId(tasks, "dns").title + ": resolvectl: no",
                                             byId(tasks, "packages").title + ": busy",
                                             byId(tasks, "fonts").title + ": fc-cache: no fonts"}));

    // Refused or dismissed, the helper answered no action: one failure, its reason.
    admin.answer = Admin::Reply{false, L("Cancelado"), {}, {}};
    outcome = Maintenance::run(tasks, {"ram", "dns"}, {}, admin.runner());
    EXPECT_EQ(outcome.failures, QStringList{L("Cancelado")});
    EXPECT_TRUE(outcome.okIds.isEmpty());
    // What the command line lists for them.
    EXPECT_EQ(Maintenance::commandText(byId(tasks, "packages")), "pacman -Sc --noconfirm");
    EXPECT_EQ(Maintenance::commandText(byId(tasks, "fonts")), "fc-cache -f");
}

TEST(LinuxMaintenance, APageCacheBeyondAnyMemoryCannotBeRead)
{
    const fs::path meminfo = freshFolder("odd-meminfo") / "meminfo";
    writeFile(meminfo, "Cached:          9223372036854775807 kB\n");  // kB * 1024 would overflow
    EXPECT_EQ(LinuxRoutines::cachedBytes(meminfo), 0);
    writeFile(meminfo, "Cached:          -5 kB\n");
    EXPECT_EQ(LinuxRoutines::cachedBytes(meminfo), 0);
}

TEST(LinuxMaintenance, RamTellsHowMuchThePageCacheShrank)
{
    LinuxMaintenance::Environment env = fixtureEnvironment(toolFolder("ram-tools", {}), "ram");
    writeFile(env.dropCaches, "");
    writeFile(env.meminfo, "MemTotal:       24000000 kB\nCached:          1875968 kB\nSwapCached:            0 kB\n");
    EXPECT_EQ(LinuxRoutines::cachedBytes(env.meminfo), 1875968LL * 1024);
    EXPECT_EQ(LinuxRoutines::cachedBytes(env.home / "missing"), 0);

    const std::vector<MaintTask> tasks = LinuxMaintenance::tasks(env);
    const MaintTask& ram = byId(tasks, "ram");
    EXPECT_EQ(ram.action, (Admin::Action{Admin::kDropCaches, {}}));
    // The helper "drops" the cache: meminfo shows less afterwards.
    RecordingAdmin admin;
    admin.before = [&] { writeFile(env.meminfo, "MemTotal:       24000000 kB\nCached:           851968 kB\n"); };
    const Maintenance::Outcome outcome =
        Maintenance::run(tasks, {"ram"}, {}, admin.runner(), {}, Maintenance::Reasons::WithReasons);
    EXPECT_EQ(outcome.okIds, QStringList{"ram"});
    EXPECT_EQ(outcome.notes, QStringList{LF("%@: o cache de páginas diminuiu %@.", ram.title,
                                            Fmt::bytes(std::int64_t(1024000) * 1024))});
}

TEST(LinuxMaintenance, FindProgramOnlyFindsExecutables)
{
    const fs::path folder = toolFolder("find", {"runme"});
    writeFile(folder / "plain", "not executable");
    const QString path = "/nonexistent:" + QString::fromStdString(folder.native());
    EXPECT_EQ(LinuxRoutines::findProgram("runme", path), QString::fromStdString((folder / "runme").native()));
    EXPECT_EQ(LinuxRoutines::findProgram("plain", path), QString());
    EXPECT_EQ(LinuxRoutines::findProgram("absent", path), QString());
    EXPECT_EQ(LinuxRoutines::findProgram(QString::fromStdString((folder / "runme").native()), ""),
              QString::fromStdString((folder / "runme").native()));
}
