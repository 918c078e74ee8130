// The system's junk groups over fixture roots and recorded tool output: which
// groups appear, what starts ticked, the helper's actions per item, unknown
// sizes and the package manager's lock held by a real process.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engines/apps/LinuxPackageTools.h"
#include "engines/junk/SystemJunkGroups.h"
#include "i18n/L.h"
#include "support/Fixtures.h"

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

// A child process holding `file` with an fcntl write lock, as apt holds its locks.
class LockHolderProcess {
public:
    explicit LockHolderProcess(const fs::path& file)
    {
        int ready[2];
        if (pipe(ready) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            const int fd = open(file.c_str(), O_RDWR);
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            const char taken = fd >= 0 && fcntl(fd, F_SETLK, &lock) == 0 ? 'y' : 'n';
            if (write(ready[1], &taken, 1) != 1)
                _exit(1);
            pause();
            _exit(0);
        }
        char taken = 'n';
        held_ = pid_ > 0 && read(ready[0], &taken, 1) == 1 && taken == 'y';
        close(ready[0]);
        close(ready[1]);
    }
    ~LockHolderProcess()
    {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    bool held() const { return held_; }

private:
    pid_t pid_ = -1;
    bool held_ = false;
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

    const JunkGroup& logs = *groupIn(groups, "oldlogs");
    ASSERT_EQ(logs.items.size(), 1u);
    std::vector<Admin::Action> logActions = logs.items[0].actions;
    std::sort(logActions.begin(), logActions.end(), [](const auto& a, const auto& b) { return a.args < b.args; });
    EXPECT_EQ(logActions, (std::vector<Admin::Action>{{Admin::kRemoveRotatedLog, {"syslog.1"}},
                                                      {Admin::kRemoveRotatedLog, {"syslog.2.gz"}}}));

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
        return Shell::Result{false, QStringLiteral("")};  // snap and flatpak are not there
    });
    ASSERT_EQ(commands.size(), 5u);
    for (const std::string& command : commands)
        EXPECT_EQ(command.rfind(LinuxApps::toolCommand(""), 0), 0u) << command;
    EXPECT_NE(commands[1].find(" -- 'libfoo1' 'it'\\''s'"), std::string::npos) << commands[1];
    EXPECT_TRUE(outputs.aptAutoremove.has_value());
    EXPECT_EQ(outputs.dpkgShow, "libfoo1\t1.0-1\t12\toptional\tno\n");  // kept though one name was unknown
    EXPECT_EQ(outputs.snapListAll, std::nullopt);
    EXPECT_EQ(outputs.flatpakList, std::nullopt);
    EXPECT_EQ(outputs.kernelRelease, "6.1.0-18-amd64");
}
