// The system's junk groups over fixture roots and recorded tool output: which
// groups appear, what starts ticked, the helper's actions per item, unknown
// sizes and the package manager's lock held by a real process; then the
// clean: one administrator run, what each group freed measured on the fixture,
// the dismissed prompt, and the package plan's refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engines/apps/LinuxPackageTools.h"
#include "engines/junk/JunkPlan.h"
#include "engines/junk/JunkScan.h"
#include "engines/junk/LinuxSystemJunk.h"
#include "engines/junk/SystemClean.h"
#include "engines/junk/SystemJunkGroups.h"
#include "i18n/L.h"
#include "support/Fixtures.h"
#include "support/LockHolderProcess.h"

namespace fs = std::filesystem;
using namespace SystemJunk;

namespace {

QString recordedText(const std::string& name)
{
    return QString::fromStdString(readFile(std::string(RECORDED_DIR) + "/" + name));
}

const JunkGroup* groupIn(const std::vector<JunkGroup>& groups, const char* id)
{
    for (const JunkGroup& group : groups)
        if (group.id == id)
            return &group;
    return nullptr;
}

// An archived journal file whose newest entry is three weeks old.
void oldJournal(const fs::path& file)
{
    std::string header(272, '\0');
    std::memcpy(header.data(), "LPKSHHRH", 8);
    const auto newest = std::chrono::duration_cast<std::chrono::microseconds>(
                            (std::chrono::system_clock::now() - std::chrono::weeks(3)).time_since_epoch())
                            .count();
    for (int i = 0; i < 8; ++i)
        header[192 + i] = char((std::uint64_t(newest) >> (8 * i)) & 0xff);
    writeFile(file, header + std::string(9'000, 'j'));
}

const QString kSnaps = QStringLiteral("Name      Version   Rev    Tracking       Publisher   Notes\n"
                                      "firefox   126.0-2   4259   latest/stable  mozilla**   disabled\n"
                                      "firefox   127.0-1   4336   latest/stable  mozilla**   -\n"
                                      "core22    20240111  1122   latest/stable  canonical** base,disabled\n");
const QString kFlatpaks = QStringLiteral("org.gnome.Platform/x86_64/44\tsystem\tsystem,runtime\n"
                                         "org.kde.Platform/x86_64/5.15\tuser\tuser,runtime\n");

// A root with something for every group, and the tools' recorded output.
struct FullRoot {
    SystemPlaces places;
    ToolOutputs outputs;
    std::int64_t debs = 0;
    std::int64_t newSnap = 0;

    FullRoot()
    {
        const fs::path root = freshFolder("groups-root");
        places.root = root;
        places.userFlatpak = freshFolder("groups-user-flatpak");
        debs = writeBytes(root / "var/cache/apt/archives/vim_9.0_amd64.deb", 40'000);
        oldJournal(root / "var/log/journal/0123/system@aa-01-02.journal");
        writeBytes(root / "var/lib/snapd/snaps/core22_1122.snap", 20'000);  // firefox_4259.snap missing
        newSnap = allocatedSize(root / "var/lib/snapd/snaps/core22_1122.snap");
        writeBytes(root / "var/lib/flatpak/runtime/org.gnome.Platform/x86_64/44/files/lib", 8'000);
        writeBytes(places.userFlatpak / "runtime/org.kde.Platform/x86_64/5.15/files/lib", 8'000);
        writeBytes(root / "var/lib/systemd/coredump/core.gedit.1000.1.zst", 30'000);
        writeBytes(root / "var/lib/systemd/coredump/core.vim.1000.2.zst", 50'000);
        writeBytes(root / "var/crash/_usr_bin_gedit.1000.crash", 7'000);
        writeBytes(root / "var/log/syslog", 1'000);
        writeBytes(root / "var/log/syslog.1", 6'000);
        writeBytes(root / "var/log/syslog.2.gz", 6'000);
        outputs.aptAutoremove = recordedText("apt-autoremove.txt");
        outputs.dpkgShow = recordedText("autoremove-show.txt");
        outputs.snapListAll = kSnaps;
        outputs.flatpakList = kFlatpaks;
        outputs.kernelRelease = "6.1.0-18-amd64";
    }
};

} // namespace

TEST(SystemJunkGroups, AnEmptyRootWithoutToolsHasNoGroups)
{
    SystemPlaces places;
    places.root = freshFolder("groups-empty-root");
    EXPECT_TRUE(systemGroups(places, {}).empty());
    // Tools that ran and found nothing, and folders that hold nothing to offer.
    writeBytes(places.root / "var/cache/apt/archives/lock", 10);
    writeBytes(places.root / "var/log/syslog", 100);
    fs::create_directories(places.root / "var/crash");
    EXPECT_TRUE(systemGroups(places, {QString(), QString(), QString(), QString(), "6.1.0-18-amd64"}).empty());
}

TEST(SystemJunkGroups, EveryGroupWithItsItemsTicksAndActions)
{
    const FullRoot full;
    const std::vector<JunkGroup> groups = systemGroups(full.places, full.outputs);
    EXPECT_EQ(listOf(groups, &JunkGroup::id), (std::vector<QString>{"pkgcache", "journal", "snaps", "flatpak",
                                                                    "coredumps", "crashes", "oldlogs", "autoremove"}));
    for (const JunkGroup& group : groups) {
        EXPECT_TRUE(group.admin) << qPrintable(group.id);
        EXPECT_FALSE(group.title.isEmpty());
        const bool ticked = group.id != "journal" && group.id != "flatpak" && group.id != "autoremove";
        for (const JunkItem& item : group.items) {
            EXPECT_EQ(item.selected, ticked) << qPrintable(group.id + " " + item.name);
            // Every action is one the helper takes as it stands.
            for (const Admin::Action& action : item.actions)
                EXPECT_EQ(Admin::check(action), std::nullopt) << action.verb;
        }
    }
    EXPECT_EQ(groups[0].title, L("Pacotes baixados"));

    const JunkItem& cache = groupIn(groups, "pkgcache")->items.at(0);
    EXPECT_EQ(cache.name, "/var/cache/apt/archives");
    EXPECT_EQ(cache.size, full.debs);
    EXPECT_EQ(cache.actions, (std::vector<Admin::Action>{{Admin::kCleanPackageCache, {"apt"}}}));
    EXPECT_EQ(groupIn(groups, "journal")->items.at(0).actions, (std::vector<Admin::Action>{{Admin::kVacuumJournal, {}}}));

    // Snaps: the file that is there first; a missing file's size is unknown.
    const JunkGroup& snaps = *groupIn(groups, "snaps");
    ASSERT_EQ(snaps.items.size(), 2u);
    EXPECT_EQ(snaps.items[0].name, "core22 20240111 (1122)");
    EXPECT_EQ(snaps.items[0].actions, (std::vector<Admin::Action>{{Admin::kRemoveSnapRevision, {"core22", "1122"}}}));
    EXPECT_FALSE(snaps.items[1].sizeKnown);
    EXPECT_EQ(snaps.total(), full.newSnap);
    for (const JunkItem& item : snaps.items)
        EXPECT_EQ(item.note, L("Não será possível voltar a esta versão"));

    // Flatpak: the system runtime through the helper, the user's without it.
    const JunkGroup& flatpak = *groupIn(groups, "flatpak");
    ASSERT_EQ(flatpak.items.size(), 2u);
    for (const JunkItem& item : flatpak.items) {
        if (item.name == "org.gnome.Platform/x86_64/44") {
            EXPECT_EQ(item.actions, (std::vector<Admin::Action>{
                                        {Admin::kRemoveFlatpakRuntimes, {"runtime/org.gnome.Platform/x86_64/44"}}}));
        } else {
            EXPECT_TRUE(item.actions.empty()) << qPrintable(item.name);
        }
    }

    const JunkGroup& dumps = *groupIn(groups, "coredumps");
    ASSERT_EQ(dumps.items.size(), 2u);
    EXPECT_EQ(dumps.items[0].name, "core.vim.1000.2.zst");  // largest first
    EXPECT_EQ(dumps.items[0].actions, (std::vector<Admin::Action>{{Admin::kRemoveCoreDump, {"core.vim.1000.2.zst"}}}));
    EXPECT_EQ(groupIn(groups, "crashes")->items.at(0).actions,
              (std::vector<Admin::Action>{{Admin::kRemoveCrashReport, {"_usr_bin_gedit.1000.crash"}}}));

    // Rotated logs: each archived file a row of its own, never one for the folder.
    const JunkGroup& logs = *groupIn(groups, "oldlogs");
    ASSERT_EQ(logs.items.size(), 2u);
    for (const JunkItem& item : logs.items) {
        const std::string file = item.url.filename().native();
        EXPECT_TRUE(file == "syslog.1" || file == "syslog.2.gz") << file;
        EXPECT_EQ(item.name, QString::fromStdString("/var/log/" + file));
        EXPECT_EQ(item.size, allocatedSize(item.url));
        EXPECT_EQ(item.actions, (std::vector<Admin::Action>{{Admin::kRemoveRotatedLog, {file}}}));
    }

    // Packages: one item each, the required one left out, largest first.
    const JunkGroup& packages = *groupIn(groups, "autoremove");
    ASSERT_EQ(packages.items.size(), 4u);
    EXPECT_EQ(packages.items[0].name, "libc++1-14 1:14.0.6-12");
    EXPECT_EQ(packages.items[0].size, 1050 * 1024);
    EXPECT_EQ(packages.items[0].actions, (std::vector<Admin::Action>{{Admin::kRemovePackages, {"libc++1-14"}}}));
}

TEST(SystemJunkGroups, WhatCannotBeMeasuredIsListedWithItsSizeUnknown)
{
    SystemPlaces places;
    places.root = freshFolder("groups-unknown-root");
    writeBytes(freshFolder("groups-unknown-elsewhere") / "x.deb", 9'000);
    fs::create_directories(places.root / "var/cache/apt");
    fs::create_directory_symlink(freshFolder("groups-unknown-elsewhere"), places.root / "var/cache/apt/archives");
    ToolOutputs outputs;
    outputs.aptAutoremove = QStringLiteral("Remv libfoo1 [1.0-1]\n");  // dpkg-query told nothing

    const std::vector<JunkGroup> groups = systemGroups(places, outputs);
    ASSERT_EQ(listOf(groups, &JunkGroup::id), (std::vector<QString>{"pkgcache", "autoremove"}));
    for (const JunkGroup& group : groups) {
        ASSERT_EQ(group.items.size(), 1u);
        EXPECT_FALSE(group.items[0].sizeKnown) << qPrintable(group.id);
        EXPECT_EQ(group.total(), 0);
    }
}

TEST(SystemJunkGroups, WhileThePackageLockIsHeldPackageGroupsAreUntickedAndSaySo)
{
    const FullRoot full;
    writeFile(full.places.root / "var/lib/dpkg/lock-frontend", "");
    const LockHolderProcess holder(full.places.root / "var/lib/dpkg/lock-frontend");
    ASSERT_TRUE(holder.held());

    const QString note = LF("Em uso por %@", QString::fromStdString(readFile("/proc/self/comm")).trimmed());
    for (const JunkGroup& group : systemGroups(full.places, full.outputs)) {
        const bool packages = group.id == "pkgcache" || group.id == "autoremove";
        for (const JunkItem& item : group.items) {
            EXPECT_EQ(item.note == note, packages) << qPrintable(group.id);
            EXPECT_EQ(group.held, packages) << qPrintable(group.id);
            if (packages) {
                EXPECT_FALSE(item.selected) << qPrintable(group.id);
            }
        }
    }
}

TEST(SystemJunkGroups, ToolsRunInTheCLocaleWithATimeLimitAndMissingOnesGiveNothing)
{
    std::vector<std::string> commands;
    const ToolOutputs outputs = runTools([&commands](const std::string& command) {
        commands.push_back(command);
        if (command.find("apt-get -s autoremove") != std::string::npos)
            return Shell::Result{true, QStringLiteral("Remv libfoo1:i386 [1.0-1]\nRemv it's [2]\n")};
        if (command.find("uname -r") != std::string::npos)
            return Shell::Result{true, QStringLiteral("6.1.0-18-amd64\n")};
        if (command.find("dpkg-query") != std::string::npos)
            return Shell::Result{false, QStringLiteral("libfoo1\t1.0-1\t12\toptional\tno\n")};
        return Shell::Result{false, QStringLiteral("")};  // snap, flatpak, podman, docker and snapper are not there
    });
    ASSERT_EQ(commands.size(), 8u);
    for (const std::string& command : commands)
        EXPECT_EQ(command.rfind(LinuxApps::toolCommand(""), 0), 0u) << command;
    const auto dpkg = std::find_if(commands.begin(), commands.end(),
                                   [](const std::string& c) { return c.find("dpkg-query") != std::string::npos; });
    ASSERT_NE(dpkg, commands.end());
    EXPECT_NE(dpkg->find(" -- 'libfoo1' 'it'\\''s'"), std::string::npos) << *dpkg;
    EXPECT_TRUE(outputs.aptAutoremove.has_value());
    EXPECT_EQ(outputs.dpkgShow, "libfoo1\t1.0-1\t12\toptional\tno\n");  // kept though one name was unknown
    EXPECT_EQ(outputs.snapListAll, std::nullopt);
    EXPECT_EQ(outputs.flatpakList, std::nullopt);
    EXPECT_FALSE(outputs.snapper.has_value());
    EXPECT_FALSE(outputs.podman.has_value());
    EXPECT_FALSE(outputs.docker.has_value());
    EXPECT_EQ(outputs.kernelRelease, "6.1.0-18-amd64");
}

// ---- The clean ----------------------------------------------------------------

namespace {

// dpkg's status with the packages the recorded autoremove names, installed.
void installedStatus(const fs::path& root, const QStringList& removed = {})
{
    std::string text;
    for (const char* name : {"libc++1-14", "libc++abi1-14", "libunwind-14", "xbitmaps"}) {
        const bool gone = removed.contains(QString::fromLatin1(name));
        text += std::string("Package: ") + name + "\nStatus: install ok " + (gone ? "config-files" : "installed")
            + "\nArchitecture: amd64\nInstalled-Size: 100\n\n";
    }
    writeFile(root / "var/lib/dpkg/status", text);
}

// Does what the helper would on the fixture root; fails the crash report.
struct FakeHelper {
    fs::path root;
    std::vector<Admin::Request> requests;

    Admin::Reply operator()(const Admin::Request& request)
    {
        requests.push_back(request);
        Admin::Reply reply;
        reply.ok = false;
        for (const Admin::Action& action : request.actions) {
            QString failure;
            const std::string arg = action.args.empty() ? "" : action.args.front();
            if (action.verb == Admin::kCleanPackageCache)
                fs::remove(root / "var/cache/apt/archives/vim_9.0_amd64.deb");
            else if (action.verb == Admin::kRemoveCoreDump)
                fs::remove(root / "var/lib/systemd/coredump" / arg);
            else if (action.verb == Admin::kRemoveCrashReport)
                failure = QStringLiteral("E: the tool's last line");
            else if (action.verb == Admin::kRemoveRotatedLog)
                fs::remove(root / "var/log" / arg);
            else if (action.verb == Admin::kRemoveSnapRevision)
                fs::remove(root / "var/lib/snapd/snaps" / (arg + "_" + action.args.at(1) + ".snap"));
            else if (action.verb == Admin::kRemoveFlatpakRuntimes)
                fs::remove_all(root / "var/lib/flatpak/runtime/org.gnome.Platform");
            else if (action.verb == Admin::kRemovePackages) {
                QStringList names;
                for (const std::string& name : action.args)
                    names << QString::fromStdString(name);
                installedStatus(root, names);
            }
            reply.failures.push_back(failure);
        }
        return reply;
    }
};

std::vector<JunkGroup> everythingTicked(std::vector<JunkGroup> groups)
{
    for (JunkGroup& group : groups)
        for (JunkItem& item : group.items)
            item.selected = true;
    return groups;
}

const GroupFreed* resultOf(const CleanReport& report, const char* id)
{
    for (const GroupFreed& group : report.groups)
        if (group.id == id)
            return &group;
    return nullptr;
}

} // namespace

TEST(SystemJunkClean, OneAdministratorRunForEveryGroupEachReportingWhatLeftTheDisk)
{
    const FullRoot full;
    const fs::path& root = full.places.root;
    installedStatus(root);
    const std::vector<JunkGroup> offered = systemGroups(full.places, full.outputs);
    std::vector<JunkGroup> chosen = everythingTicked(offered);
    // Two of the packages; apt would take exactly those.
    JunkGroup& packages = *std::find_if(chosen.begin(), chosen.end(), [](const JunkGroup& g) { return g.id == "autoremove"; });
    packages.items.resize(2);
    std::erase_if(chosen, [](const JunkGroup& g) { return g.id == "journal"; });
    // One rotated log of the two: only that one goes.
    JunkGroup& logGroup = *std::find_if(chosen.begin(), chosen.end(), [](const JunkGroup& g) { return g.id == "oldlogs"; });
    std::erase_if(logGroup.items, [](const JunkItem& item) { return item.url.filename() == "syslog.2.gz"; });
    ASSERT_EQ(logGroup.items.size(), 1u);

    FakeHelper helper{root, {}};
    std::vector<std::string> commands;
    CleanTools tools;
    tools.places = full.places;
    tools.admin = [&helper](const Admin::Request& request) { return helper(request); };
    tools.appPackages = [] { return QStringList{"firefox-esr"}; };
    tools.run = [&](const std::string& command) {
        commands.push_back(command);
        if (command.find("apt-get -s remove") != std::string::npos)
            return Shell::Result{true, QStringLiteral("Remv libc++1-14 [1:14.0.6-12]\nRemv libc++abi1-14 [1:14.0.6-12]\n")};
        if (command.find("flatpak uninstall") != std::string::npos)
            fs::remove_all(full.places.userFlatpak / "runtime");
        return Shell::Result{true, QString()};
    };
    const std::int64_t dumps = groupIn(offered, "coredumps")->total();
    const std::int64_t logs = allocatedSize(root / "var/log/syslog.1");

    const CleanReport report = clean(chosen, offered, tools);

    ASSERT_EQ(helper.requests.size(), 1u);  // one prompt for all of it
    const std::vector<Admin::Action>& actions = helper.requests[0].actions;
    EXPECT_EQ(Admin::classFor(actions), Admin::kClassSoftware);
    EXPECT_EQ(std::count_if(actions.begin(), actions.end(),
                            [](const Admin::Action& a) { return a.verb == Admin::kRemovePackages; }),
              1);
    for (const Admin::Action& action : actions) {
        EXPECT_EQ(Admin::check(action), std::nullopt) << action.verb;
        if (action.verb == Admin::kRemovePackages) {
            EXPECT_EQ(action.args, (std::vector<std::string>{"libc++1-14", "libc++abi1-14"}));
        }
        if (action.verb == Admin::kRemoveFlatpakRuntimes) {  // the user's runtime went without the helper
            EXPECT_EQ(action.args, (std::vector<std::string>{"runtime/org.gnome.Platform/x86_64/44"}));
        }
    }
    ASSERT_EQ(std::count_if(commands.begin(), commands.end(),
                            [](const std::string& c) { return c.find("flatpak uninstall --user") != std::string::npos; }),
              1);

    EXPECT_EQ(listOf(report.groups, &GroupFreed::id),
              (std::vector<QString>{"pkgcache", "snaps", "flatpak", "coredumps", "crashes", "oldlogs", "autoremove"}));
    EXPECT_TRUE(report.adminReason.isEmpty());
    EXPECT_EQ(resultOf(report, "pkgcache")->freed, full.debs);
    EXPECT_EQ(resultOf(report, "snaps")->freed, full.newSnap);
    EXPECT_EQ(resultOf(report, "coredumps")->freed, dumps);
    EXPECT_EQ(resultOf(report, "oldlogs")->freed, logs);
    EXPECT_EQ(resultOf(report, "autoremove")->freed, 2 * 100 * 1024);
    EXPECT_GT(resultOf(report, "flatpak")->freed, 16'000);
    EXPECT_TRUE(present(root / "var/log/syslog"));  // the live log stays
    EXPECT_FALSE(present(root / "var/log/syslog.1"));
    EXPECT_TRUE(present(root / "var/log/syslog.2.gz"));  // not chosen
    // The failed group: nothing freed, the tool's own words.
    EXPECT_EQ(resultOf(report, "crashes")->freed, 0);
    EXPECT_EQ(resultOf(report, "crashes")->failure, "E: the tool's last line");
    for (const GroupFreed& group : report.groups)
        if (group.id != "crashes") {
            EXPECT_TRUE(group.failure.isEmpty()) << qPrintable(group.id);
        }
}

TEST(SystemJunkClean, ADismissedPromptLeavesEverythingAndTheHomeFolderIsCleanedAnyway)
{
    const FullRoot full;
    const std::vector<JunkGroup> offered = systemGroups(full.places, full.outputs);
    std::vector<JunkGroup> groups = offered;
    std::erase_if(groups, [](const JunkGroup& g) { return g.id == "autoremove" || g.id == "flatpak"; });
    const fs::path home = freshFolder("clean-dismissed-home");
    const std::int64_t cache = writeBytes(home / "cache/blob", 5'000);
    JunkGroup homeGroup;
    homeGroup.id = "appcache";
    homeGroup.title = "Caches";
    homeGroup.permanent = true;
    homeGroup.items.push_back({QUuid::createUuid(), home / "cache", "cache", cache, true, {}, {}, true});
    groups.insert(groups.begin(), homeGroup);

    int asked = 0;
    CleanTools tools;
    tools.places = full.places;
    tools.run = [](const std::string&) { return Shell::Result{false, QString()}; };
    tools.admin = [&asked](const Admin::Request&) {
        ++asked;
        return Admin::Reply{false, L("Cancelado"), {}, {}};
    };
    const RemovalOutcome outcome = Sweeper::cleanJunk(
        Sweeper::planClean(groups), groups, tools.admin,
        [&tools](const std::vector<JunkGroup>& chosen, const std::vector<JunkGroup>& all, const Admin::Runner&) {
            return clean(chosen, all, tools);
        });

    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(present(home / "cache"));
    EXPECT_EQ(outcome.freed, cache);
    EXPECT_EQ(outcome.adminReason, L("Cancelado"));
    EXPECT_FALSE(outcome.complete());
    ASSERT_FALSE(outcome.systemGroups.empty());
    for (const GroupFreed& group : outcome.systemGroups) {
        EXPECT_EQ(group.freed, 0) << qPrintable(group.id);
        EXPECT_EQ(group.failure, L("Cancelado")) << qPrintable(group.id);
    }
    EXPECT_TRUE(present(full.places.root / "var/cache/apt/archives/vim_9.0_amd64.deb"));
    EXPECT_TRUE(present(full.places.root / "var/log/syslog.1"));
    // The record says what went and what did not, item by item: the home
    // folder's cache went, every system item stayed with the prompt's answer.
    ASSERT_TRUE(outcome.record);
    const Plan::Outcome& record = *outcome.record;
    for (std::size_t i = 0; i < record.plan.items.size(); ++i) {
        const bool home = record.plan.items[i].group == "appcache";
        EXPECT_EQ(record.results[i].result, home ? Plan::Result::done : Plan::Result::failed) << i;
        if (!home) {
            EXPECT_EQ(record.results[i].reason, L("Cancelado")) << i;
        }
    }
}

TEST(SystemJunkClean, APackagePlanIsRefusedWhenItIsTooLargeTakesWhatWasNotOfferedOrAnApp)
{
    const QStringList offered{"libold1", "libold2:i386", "firefox-esr"};
    EXPECT_EQ(packagePlanRefusal({"libold1", "libold2:i386"}, offered, {}), std::nullopt);
    EXPECT_EQ(packagePlanRefusal({"libold1", "libc6"}, offered, {}),
              LF("Recusado: a remoção levaria também %@, que não foi oferecido.", "libc6"));
    EXPECT_EQ(packagePlanRefusal({"firefox-esr"}, offered, {"firefox-esr"}),
              LF("Recusado: %@ instalou um app da lista de Apps.", "firefox-esr"));
    QStringList many;
    for (int i = 0; i <= kMaxPackages; ++i)
        many << QStringLiteral("lib%1").arg(i);
    ASSERT_TRUE(packagePlanRefusal(many, many, {}).has_value());
    EXPECT_TRUE(packagePlanRefusal(many, many, {})->contains("31"));

    // A refused plan asks for no package removal; the other groups still go.
    const FullRoot full;
    installedStatus(full.places.root);
    const std::vector<JunkGroup> offeredGroups = systemGroups(full.places, full.outputs);
    std::vector<JunkGroup> chosen = everythingTicked(offeredGroups);
    std::erase_if(chosen, [](const JunkGroup& g) { return g.id != "autoremove" && g.id != "coredumps"; });
    FakeHelper helper{full.places.root, {}};
    CleanTools tools;
    tools.places = full.places;
    tools.admin = [&helper](const Admin::Request& request) { return helper(request); };
    tools.run = [](const std::string&) {
        return Shell::Result{true, QStringLiteral("Remv libc++1-14 [1]\nRemv libc6 [2]\n")};
    };
    const CleanReport report = clean(chosen, offeredGroups, tools);
    ASSERT_EQ(helper.requests.size(), 1u);
    for (const Admin::Action& action : helper.requests[0].actions)
        EXPECT_EQ(action.verb, Admin::kRemoveCoreDump);
    EXPECT_EQ(resultOf(report, "autoremove")->failure,
              LF("Recusado: a remoção levaria também %@, que não foi oferecido.", "libc6"));
    EXPECT_EQ(resultOf(report, "autoremove")->freed, 0);
    EXPECT_GT(resultOf(report, "coredumps")->freed, 0);
}

TEST(SystemJunkClean, AHeldGroupIsNeverRun)
{
    JunkGroup held;
    held.id = "pkgcache";
    held.admin = true;
    held.held = true;
    held.title = "Downloaded packages";
    held.items.push_back({QUuid::createUuid(), "/var/cache/apt/archives", "archives", 10, false, {}, {}, true});
    held.items.front().note = "Em uso por apt-get";
    EXPECT_TRUE(Sweeper::chosenGroups({held}, {"pkgcache"}).empty());
    // Named on its own, it is not run and its plan says who holds it.
    int asked = 0;
    const Plan::Record plan = Sweeper::planClean({held}, {"pkgcache"});
    EXPECT_TRUE(plan.empty());
    EXPECT_EQ(plan.leftOut, QStringList{"Downloaded packages: Em uso por apt-get"});
    const RemovalOutcome outcome = Sweeper::cleanJunk(plan, {held}, {}, [&asked](auto&&...) {
        ++asked;
        return CleanReport{};
    });
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(outcome.complete());
}

TEST(LinuxSystemJunk, AnInstalledPackagesSizeComesFromDpkgsStatus)
{
    const fs::path root = freshFolder("dpkg-status-root");
    EXPECT_EQ(installedPackageBytes(root, "vim"), std::nullopt);  // no status to read
    writeFile(root / "var/lib/dpkg/status",
              "Package: vim\nStatus: install ok installed\nArchitecture: amd64\nInstalled-Size: 4000\n\n"
              "Package: libfoo1\nStatus: install ok installed\nArchitecture: i386\nInstalled-Size: 10\n\n"
              "Package: libfoo1\nStatus: deinstall ok config-files\nArchitecture: amd64\nInstalled-Size: 10\n\n"
              "Package: gone\nStatus: purge ok not-installed\nArchitecture: amd64\n");
    EXPECT_EQ(installedPackageBytes(root, "vim"), 4000 * 1024);
    EXPECT_EQ(installedPackageBytes(root, "libfoo1:i386"), 10 * 1024);
    EXPECT_EQ(installedPackageBytes(root, "libfoo1:amd64"), 0);
    EXPECT_EQ(installedPackageBytes(root, "gone"), 0);
    EXPECT_EQ(installedPackageBytes(root, "never-seen"), 0);
}

TEST(LinuxSystemJunk, PacmansCacheCountsOnlyVersionsNotInstalled)
{
    EXPECT_EQ(pacmanPackageOf("vim-9.1.0-1-x86_64.pkg.tar.zst"), "vim-9.1.0-1");
    EXPECT_EQ(pacmanPackageOf("lib32-glibc-2.39-1-x86_64.pkg.tar.zst.sig"), "lib32-glibc-2.39-1");
    EXPECT_EQ(pacmanPackageOf("notes.txt"), "");
    EXPECT_EQ(pacmanPackageOf("-x86_64.pkg.tar.zst"), "");

    const fs::path root = freshFolder("pacman-root");
    EXPECT_FALSE(pacmanCache(root).complete);  // nothing tells what is installed
    fs::create_directories(root / "var/lib/pacman/local/vim-9.1.0-1");
    const fs::path cache = root / "var/cache/pacman/pkg";
    writeBytes(cache / "vim-9.1.0-1-x86_64.pkg.tar.zst", 5'000);  // installed: kept
    writeBytes(cache / "vim-9.0.9-2-x86_64.pkg.tar.zst", 5'000);
    writeBytes(cache / "vim-9.0.9-2-x86_64.pkg.tar.zst.sig", 100);
    writeBytes(cache / "gone-1.0-1-any.pkg.tar.xz", 3'000);
    fs::create_symlink(cache / "gone-1.0-1-any.pkg.tar.xz", cache / "link-1.0-1-any.pkg.tar.xz");
    const Found found = pacmanCache(root);
    std::vector<std::string> names = listOf(found.files, &SystemFile::name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"gone-1.0-1-any.pkg.tar.xz", "vim-9.0.9-2-x86_64.pkg.tar.zst",
                                               "vim-9.0.9-2-x86_64.pkg.tar.zst.sig"}));
    const std::vector<JunkGroup> groups = systemGroups({root, "/proc", {}}, {});
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].items.at(0).actions, (std::vector<Admin::Action>{{Admin::kCleanPackageCache, {"pacman"}}}));
}

TEST(SystemJunkGroups, ASnapRevisionAProgramStillRunsFromIsNeverOffered)
{
    EXPECT_EQ(snapRevisionOf("/snap/firefox/4259/usr/lib/firefox/firefox"), "firefox_4259");
    EXPECT_EQ(snapRevisionOf("/snap/firefox/current"), "");
    EXPECT_EQ(snapRevisionOf("/usr/bin/firefox"), "");
    EXPECT_EQ(snapRevisionOf("/snap//4259/x"), "");

    FullRoot full;
    full.places.procRoot = freshFolder("snap-proc");
    fs::create_directories(full.places.procRoot / "4242");
    fs::create_symlink("/snap/core22/1122/usr/bin/helper", full.places.procRoot / "4242/exe");
    fs::create_directories(full.places.procRoot / "self");  // not a process number
    fs::create_symlink("/snap/firefox/4259/firefox", full.places.procRoot / "self/exe");
    EXPECT_EQ(runningSnapRevisions(full.places.procRoot), (std::set<std::string>{"core22_1122"}));
    const std::vector<JunkGroup> groups = systemGroups(full.places, full.outputs);
    const JunkGroup& snaps = *groupIn(groups, "snaps");
    EXPECT_EQ(listOf(snaps.items, &JunkItem::name), (std::vector<QString>{"firefox 126.0-2 (4259)"}));
}

TEST(SystemJunkGroups, TheNeverTouchListHidesFilesAndHoldsBackWhatAToolRemovesWhole)
{
    const FullRoot full;
    const fs::path root = full.places.root;
    // apt-get clean would take the ignored package with the whole cache; a core dump goes by itself.
    const NeverTouchList never({root / "var/cache/apt/archives/vim_9.0_amd64.deb",
                                root / "var/lib/systemd/coredump/core.vim.1000.2.zst"});
    const JunkFound found = partGroups(Part::Files, full.places, full.outputs, never);
    EXPECT_EQ(found.ignored, 1);
    const auto findGroup = [](const std::vector<JunkGroup>& groups, const char* id) -> const JunkGroup* {
        const auto at = std::find_if(groups.begin(), groups.end(), [id](const JunkGroup& g) { return g.id == id; });
        return at == groups.end() ? nullptr : &*at;
    };

    const JunkGroup* cache = findGroup(found.groups, "pkgcache");
    ASSERT_NE(cache, nullptr);
    EXPECT_TRUE(cache->held);
    ASSERT_FALSE(cache->items.empty());
    for (const JunkItem& item : cache->items) {
        EXPECT_FALSE(item.selected);
        EXPECT_EQ(item.note, L("Contém um lugar da lista Nunca tocar"));
    }
    const JunkGroup* dumps = findGroup(found.groups, "coredumps");
    ASSERT_NE(dumps, nullptr);
    EXPECT_FALSE(dumps->held);
    ASSERT_EQ(dumps->items.size(), 1u);
    EXPECT_EQ(dumps->items.front().url, root / "var/lib/systemd/coredump/core.gedit.1000.1.zst");

    // A clean naming the held group leaves it out and says why.
    const Plan::Record plan = Sweeper::planClean(found.groups, {"pkgcache", "coredumps"});
    EXPECT_EQ(plan.leftOut,
              QStringList{cache->title + QStringLiteral(": ") + L("Contém um lugar da lista Nunca tocar")});
    for (const Plan::Item& item : plan.items)
        EXPECT_NE(item.group, "pkgcache");
}
