// The administrator helper as a real process, run as root: its test build
// with a fixture folder in front of every system path and tool, so each tool
// is a stand-in that records the exact argument vector it gets. Skipped when
// the tests do not run as root.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "engines/junk/SnapshotStore.h"
#include "i18n/L.h"

#include "support/Fixtures.h"
#include "i18n/L.h"
#include "platform/AdminActions.h"
#include "platform/Shell.h"

namespace fs = std::filesystem;

namespace {

using Args = std::vector<std::string>;

// A stand-in tool: records its name and arguments (NUL-separated, one file
// per call, in order) and its environment, then exits with the status in
// status-NAME (0 without one), after writing stderr-NAME to its standard
// error. apt-get's simulation prints a removal for each package it is given
// and for each line of apt-extra; dpkg-query calls the packages listed in
// essential required; snapper's list prints snapper-list.json and btrfs
// get-default prints get-default.txt.
const char* kStandIn = R"SH(#!/bin/sh
root="${0%/usr/*}"
name="${0##*/}"
mkdir -p "$root/calls"
n=$(ls "$root/calls" | wc -l)
printf '%s\0' "$name" "$@" > "$root/calls/$n"
env > "$root/env-$name"
case "$name $1" in
"apt-get -s")
  seen=""; for a in "$@"; do [ -n "$seen" ] && echo "Remv $a [1]"; [ "$a" = "--" ] && seen=1; done
  [ -f "$root/apt-extra" ] && sed 's/.*/Remv & [1]/' "$root/apt-extra" ;;
"dpkg-query "*)
  seen=""; for a in "$@"; do
    if [ -n "$seen" ]; then p=optional; grep -qx "$a" "$root/essential" 2>/dev/null && p=required
      printf '%s\t1.0\t10\t%s\tno\n' "$a" "$p"; fi
    [ "$a" = "--" ] && seen=1; done ;;
"snapper --no-dbus")
  [ "$5" = list ] && cat "$root/snapper-list.json" ;;
"btrfs subvolume")
  cat "$root/get-default.txt" ;;
esac
[ -f "$root/stderr-$name" ] && cat "$root/stderr-$name" >&2
exit "$(cat "$root/status-$name" 2>/dev/null || echo 0)"
)SH";

class AdminHelper : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (geteuid() != 0)
            GTEST_SKIP() << "the helper only runs as root";
        fs::remove_all(freshFolder("system"));
        root_ = freshFolder("system");
        for (const char* tool : {"apt-get", "dpkg-query", "snap", "systemctl", "resolvectl", "journalctl", "dnf",
                                 "pacman", "flatpak", "docker", "snapper", "btrfs"}) {
            writeFile(root_ / "usr/bin" / tool, kStandIn);
            fs::permissions(root_ / "usr/bin" / tool, fs::perms::owner_all);
        }
        fs::create_directories(root_ / "var/lib/dpkg");
    }

    // Runs the test build of the helper over the fixture system.
    Shell::ProcessOutput run(const Args& args, const char* pkexecUid = "0")
    {
        ScopedEnv fixture("QUILLMOOR_ADMIN_TEST_ROOT", root_.native());
        ScopedEnv uid("PKEXEC_UID", pkexecUid ? std::optional<std::string>(pkexecUid) : std::nullopt);
        ScopedEnv handed("QM_HANDED_IN", std::string("handed-in"));
        return Shell::runProcess(QUILLMOOR_ADMIN_TEST, args);
    }

    std::vector<Args> calls() const
    {
        std::vector<Args> list;
        for (int n = 0; present(root_ / "calls" / std::to_string(n)); ++n) {
            const std::string text = readFile(root_ / "calls" / std::to_string(n));
            Args call;
            for (std::size_t start = 0; start < text.size();) {
                const std::size_t end = text.find('\0', start);
                call.push_back(text.substr(start, end - start));
                start = end + 1;
            }
            list.push_back(call);
        }
        return list;
    }

    static std::string out(const Shell::ProcessOutput& output) { return output.out.toStdString(); }

    fs::path root_;
};

TEST_F(AdminHelper, EachToolGetsExactlyItsArgumentVectorInACleanEnvironment)
{
    const Shell::ProcessOutput output = run(Admin::encode({
        {Admin::kRemoveSnap, {"hello-world"}},
        {Admin::kRemoveSnapRevision, {"core22", "1033"}},
        {Admin::kUnitDisable, {"cups.service"}},
        {Admin::kUnitEnable, {"getty@tty1.service"}},
        {Admin::kFlushDns, {}},
        {Admin::kVacuumJournal, {}},
        {Admin::kCleanPackageCache, {"apt"}},
        {Admin::kCleanPackageCache, {"dnf"}},
        {Admin::kCleanPackageCache, {"pacman"}},
        {Admin::kRemoveFlatpakRuntimes, {"runtime/org.gnome.Platform/x86_64/44", "runtime/org.kde.Platform/x86_64/5.15"}},
        {Admin::kRemoveDockerContainers, {"0c8471e4332c0eb7a9fd766abcef765b9ea820d196fbf55b06ae3682bf846f28"}},
        {Admin::kRemoveDockerImages, {"ec10cf041f05", "7fb2c0ff2aaa"}},
        {Admin::kPruneDockerBuildCache, {}},
    }));
    EXPECT_EQ(output.exitCode, 0) << out(output);
    EXPECT_EQ(out(output), "done 0\ndone 1\ndone 2\ndone 3\ndone 4\ndone 5\ndone 6\ndone 7\ndone 8\ndone 9\n"
                           "done 10\ndone 11\ndone 12\n");
    const std::vector<Args> expected{
        {"snap", "remove", "--", "hello-world"},
        {"snap", "remove", "--revision=1033", "--", "core22"},
        {"systemctl", "disable", "--now", "--", "cups.service"},
        {"systemctl", "enable", "--now", "--", "getty@tty1.service"},
        {"resolvectl", "flush-caches"},
        {"journalctl", "--vacuum-time=2weeks"},
        {"apt-get", "clean"},
        {"dnf", "clean", "packages"},
        {"pacman", "-Sc", "--noconfirm"},
        {"flatpak", "uninstall", "--system", "-y", "--noninteractive", "--", "runtime/org.gnome.Platform/x86_64/44",
         "runtime/org.kde.Platform/x86_64/5.15"},
        {"docker", "container", "rm", "--", "0c8471e4332c0eb7a9fd766abcef765b9ea820d196fbf55b06ae3682bf846f28"},
        {"docker", "image", "rm", "--", "ec10cf041f05", "7fb2c0ff2aaa"},
        {"docker", "builder", "prune", "-f"},
    };
    EXPECT_EQ(calls(), expected);
    // Nothing handed in reaches a tool, the search path is the system's.
    const std::string env = readFile(root_ / "env-snap");
    EXPECT_EQ(env.find("handed-in"), std::string::npos) << env;
    EXPECT_EQ(env.find("QUILLMOOR"), std::string::npos) << env;
    EXPECT_NE(env.find("PATH=/usr/sbin:/usr/bin:/sbin:/bin"), std::string::npos) << env;
}

TEST_F(AdminHelper, AFailingToolFailsItsActionWithItsLastLineAndTheRunGoesOn)
{
    writeFile(root_ / "status-systemctl", "5");
    fs::remove(root_ / "usr/bin/resolvectl");
    const Shell::ProcessOutput output =
        run(Admin::encode({{Admin::kUnitDisable, {"cups.service"}}, {Admin::kFlushDns, {}}, {Admin::kVacuumJournal, {}}}));
    EXPECT_EQ(output.exitCode, Admin::kExitFailed);
    const std::vector<Admin::Answer> answers = Admin::readAnswers(out(output));
    ASSERT_EQ(answers.size(), 3u) << out(output);
    EXPECT_EQ(answers[0].code, "tool");
    EXPECT_EQ(answers[1].code, "missing");
    EXPECT_EQ(answers[1].detail, "resolvectl");
    EXPECT_TRUE(answers[2].done);
}

TEST_F(AdminHelper, AHostileRequestIsRefusedWholeBeforeAnythingRuns)
{
    const std::vector<Args> requests{
        {"system-care", "vacuum-journal", "unit-disable", "-o/etc/evil.service"},
        {"system-care", "vacuum-journal", "unit-disable", "../../x.service"},
        {"remove-software", "remove-packages", "1", "vim; rm -rf /"},
        {"remove-software", "remove-packages", "2", "vim"},         // a count that lies
        {"system-care", "remove-snap", "hello"},                    // software under the milder class
        {"system-care", "remove-rotated-log", "wtmp.1"},            // an audit trail
        {"system-care", "remove-rotated-log", "../etc/shadow.1"},
        {"system-care", "remove-core-dump", "core.x/../../etc"},
        {"system-care", "trash-remove", "/etc/files", "1:2", "x"},  // not a Trash
        {"system-care", "run-anything", "/bin/sh"},
        {"system-care", "remove-docker-images", "1", "--force"},
        {"system-care", "remove-docker-containers", "2", "0c8471e4332c"},
        {"system-care", "prune-docker-build-cache", "--all"},
        {"system-care", "remove-snapper-snapshot", "-c", "4", "0"},
        {"system-care", "remove-snapper-snapshot", "sbt", "4", "4"},
        {"system-care", "measure-snapshots", "--help"},
    };
    for (const Args& request : requests) {
        const Shell::ProcessOutput output = run(request);
        EXPECT_EQ(output.exitCode, Admin::kExitRefused) << request.back();
        EXPECT_EQ(out(output).rfind("refused ", 0), 0u) << out(output);
    }
    EXPECT_TRUE(calls().empty());
}

TEST_F(AdminHelper, TheUserComesFromPkexecAndOnlyRootRunsIt)
{
    EXPECT_EQ(out(run({"system-care", "vacuum-journal"}, "4000000000")), "refused user\n");
    EXPECT_EQ(out(run({"system-care", "vacuum-journal"}, "0; id")), "refused user\n");
    const Shell::ProcessOutput notRoot =
        Shell::runProcess("/usr/sbin/runuser", {"-u", "nobody", "--", QUILLMOOR_ADMIN_TEST, "system-care", "vacuum-journal"});
    EXPECT_EQ(notRoot.exitCode, Admin::kExitNotRoot);
    EXPECT_TRUE(calls().empty());
}

TEST_F(AdminHelper, PackagesGoOnlyWhenTheSimulationAsRootTakesTheApprovedSet)
{
    const Args request = Admin::encode({{Admin::kRemovePackages, {"xterm", "xterm-extras"}}});
    // The approved set: simulated, shown, removed, with the lock held for apt.
    Shell::ProcessOutput output = run(request);
    EXPECT_EQ(out(output), "done 0\n");
    std::vector<Args> expected{
        {"apt-get", "-s", "-o", "Debug::NoLocking=true", "remove", "--", "xterm", "xterm-extras"},
        {"dpkg-query", "-W", std::string("-f=") + "${Package}\\t${Version}\\t${Installed-Size}\\t${Priority}\\t${Essential}\\n",
         "--", "xterm", "xterm-extras"},
        {"apt-get", "-y", "-o", "Debug::NoLocking=true", "remove", "--", "xterm", "xterm-extras"},
    };
    EXPECT_EQ(calls(), expected);
    const std::string env = readFile(root_ / "env-apt-get");
    EXPECT_NE(env.find("DPKG_FRONTEND_LOCKED=true"), std::string::npos);
    EXPECT_NE(env.find("DEBIAN_FRONTEND=noninteractive"), std::string::npos);

    // The plan changed since it was approved: nothing is removed.
    fs::remove_all(root_ / "calls");
    writeFile(root_ / "apt-extra", "libgone\n");
    output = run(request);
    EXPECT_EQ(out(output), "failed 0 changed +libgone\n");
    EXPECT_EQ(calls().size(), 1u);  // the simulation alone
    fs::remove(root_ / "apt-extra");

    // Something the system needs: nothing is removed.
    fs::remove_all(root_ / "calls");
    writeFile(root_ / "essential", "xterm-extras\n");
    output = run(request);
    EXPECT_EQ(out(output), "failed 0 essential xterm-extras\n");
    EXPECT_EQ(calls().size(), 2u);
    fs::remove(root_ / "essential");

    // Another package tool holds the lock: the helper waits, then says so.
    fs::remove_all(root_ / "calls");
    const int lockFd = open((root_ / "var/lib/dpkg/lock-frontend").c_str(), O_RDWR | O_CREAT, 0640);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    ASSERT_EQ(fcntl(lockFd, F_SETLK, &lock), 0);
    output = run(request);
    close(lockFd);
    EXPECT_EQ(out(output), "failed 0 busy\n");
    EXPECT_TRUE(calls().empty());
}

TEST_F(AdminHelper, ATrashEntryGoesOnlyFromTheRecordedFolderOfTheUsersOwnTrash)
{
    const fs::path files = freshFolder("data") / "Trash/files";
    const fs::path entry = files / "folder/it's $(x)\n-o";
    writeFile(entry / "inner.txt");
    const fs::path outside = freshFolder("outside");
    writeFile(outside / "keep.txt");
    fs::create_directory_symlink(outside, entry / "link-out");
    struct stat folder;
    ASSERT_EQ(stat((files / "folder").c_str(), &folder), 0);
    const std::string id = std::to_string(folder.st_dev) + ":" + std::to_string(folder.st_ino);
    const Args request = Admin::encode({{Admin::kTrashRemove, {files.native(), id, "folder/it's $(x)\n-o"}}});

    // Another user's Trash: refused, nothing touched.
    EXPECT_EQ(out(run(request, "65534")), "failed 0 owner " + files.native() + "\n");
    EXPECT_TRUE(present(entry / "inner.txt"));

    // The holding folder swapped for another of the same name: refused.
    fs::rename(files / "folder", files / "moved");
    fs::create_directory(files / "folder");
    writeFile(files / "folder/it's $(x)\n-o");
    EXPECT_EQ(Admin::readAnswers(out(run(request))).at(0).code, "place");
    EXPECT_TRUE(present(files / "folder/it's $(x)\n-o"));
    fs::remove_all(files / "folder");
    // ...or for a link to the real one: refused as well.
    fs::create_directory_symlink(files / "moved", files / "folder");
    EXPECT_EQ(Admin::readAnswers(out(run(request))).at(0).code, "place");
    fs::remove(files / "folder");
    fs::rename(files / "moved", files / "folder");

    // The recorded folder: the entry goes, locked parts included, and the
    // link inside goes as a link.
    ImmutableGuard locked({entry / "inner.txt", entry});
    EXPECT_EQ(out(run(request)), "done 0\n");
    EXPECT_FALSE(present(entry));
    EXPECT_TRUE(present(outside / "keep.txt"));
}

TEST_F(AdminHelper, SystemLeftoversGoOnlyFromTheirOwnFolders)
{
    const fs::path dumps = root_ / "var/lib/systemd/coredump";
    writeFile(dumps / "core.bash.1000.zst");
    writeFile(root_ / "var/crash/_usr_bin_x.1000.crash");
    writeFile(root_ / "secret");
    fs::create_directories(dumps);
    fs::create_symlink(root_ / "secret", dumps / "core.link");
    writeFile(root_ / "var/log/syslog");
    writeFile(root_ / "var/log/syslog.2.gz");
    writeFile(root_ / "var/log/apt/history.log.1");  // its live log is missing
    writeFile(root_ / "var/log/kern.log.1");
    writeFile(root_ / "var/log/kern.log");
    fs::create_directory_symlink(root_ / "var/crash", root_ / "var/log/via-link");
    writeFile(root_ / "var/crash/x.log");
    writeFile(root_ / "var/crash/x.log.1");
    const int held = open((root_ / "var/log/kern.log.1").c_str(), O_RDONLY);

    const Shell::ProcessOutput output = run(Admin::encode({
        {Admin::kRemoveCoreDump, {"core.bash.1000.zst"}},
        {Admin::kRemoveCoreDump, {"core.link"}},
        {Admin::kRemoveCrashReport, {"_usr_bin_x.1000.crash"}},
        {Admin::kRemoveRotatedLog, {"syslog.2.gz"}},
        {Admin::kRemoveRotatedLog, {"apt/history.log.1"}},
        {Admin::kRemoveRotatedLog, {"kern.log.1"}},
        {Admin::kRemoveRotatedLog, {"via-link/x.log.1"}},
    }));
    close(held);
    const std::vector<Admin::Answer> answers = Admin::readAnswers(out(output));
    ASSERT_EQ(answers.size(), 7u) << out(output);
    EXPECT_EQ(listOf(answers, &Admin::Answer::code),
              (std::vector<std::string>{"", "place", "", "", "place", "in-use", "place"}));
    EXPECT_FALSE(present(dumps / "core.bash.1000.zst"));
    EXPECT_TRUE(present(root_ / "secret"));
    EXPECT_FALSE(present(root_ / "var/crash/_usr_bin_x.1000.crash"));
    EXPECT_FALSE(present(root_ / "var/log/syslog.2.gz"));
    EXPECT_TRUE(present(root_ / "var/log/syslog"));
    EXPECT_TRUE(present(root_ / "var/log/kern.log.1"));
    EXPECT_TRUE(present(root_ / "var/crash/x.log.1"));
}

// Timeshift's snapshots on a backup disk mounted at /media/backup, and a
// stand-in timeshift that records its call like the others, then deletes the
// snapshot it is given; it fails with a message of its own when
// timeshift-fails is there, and says done but leaves the folder when
// timeshift-keeps is.
const char* kTimeshiftStandIn = R"SH(#!/bin/sh
root="${0%/usr/*}"
mkdir -p "$root/calls"
n=$(ls "$root/calls" | wc -l)
printf '%s\0' "${0##*/}" "$@" > "$root/calls/$n"
env > "$root/env-timeshift"
if [ -f "$root/timeshift-fails" ]; then echo "Removing snapshot: $3"; echo "E: Failed to remove snapshot: $3"; exit 1; fi
[ -f "$root/timeshift-keeps" ] || rm -rf "$root/media/backup/timeshift/snapshots/$3"
echo "Removed snapshot: $3"
)SH";

class TimeshiftHelper : public AdminHelper {
protected:
    void SetUp() override
    {
        AdminHelper::SetUp();
        if (IsSkipped())
            return;
        writeFile(root_ / "usr/bin/timeshift", kTimeshiftStandIn);
        fs::permissions(root_ / "usr/bin/timeshift", fs::perms::owner_all);
        const std::string uuid = "3f1e2a9c-5b7d-4c1e-9a2b-0d6e8f4c1a23";
        writeFile(root_ / "etc/timeshift/timeshift.json",
                  "{\"backup_device_uuid\" : \"" + uuid + "\", \"btrfs_mode\" : \"false\"}");
        writeFile(root_ / "dev/vdb1", "");
        fs::create_directories(root_ / "dev/disk/by-uuid");
        fs::create_symlink("../../vdb1", root_ / "dev/disk/by-uuid" / uuid);
        writeFile(root_ / "proc/self/mountinfo", "27 1 254:1 / / rw,relatime - ext4 /dev/vda1 rw\n"
                                                 "45 27 8:17 / /media/backup rw,relatime - ext4 /dev/vdb1 rw\n");
        snapshots_ = root_ / "media/backup/timeshift/snapshots";
        fs::create_directories(snapshots_);
    }

    // A finished snapshot made `hours` ago; an unfinished one has no info.json.
    void snapshot(const std::string& name, int hours, const std::string& extra = "")
    {
        const qint64 created = QDateTime::currentSecsSinceEpoch() - qint64(hours) * 3600;
        writeFile(snapshots_ / name / "localhost/etc/hostname", "box\n");
        if (hours >= 0)
            writeFile(snapshots_ / name / "info.json", "{\n  \"created\" : \"" + std::to_string(created)
                                                           + "\",\n  \"tags\" : \"ondemand\",\n  \"type\" : \"rsync\"" + extra + "\n}\n");
    }

    // The helper's one answer to removing `name`.
    Admin::Answer remove(const std::string& name)
    {
        const std::string said = out(run(Admin::encode({{Admin::kRemoveTimeshiftSnapshot, {name}}})));
        const std::vector<Admin::Answer> answers = Admin::readAnswers(said);
        EXPECT_EQ(answers.size(), 1u) << said;
        return answers.empty() ? Admin::Answer{} : answers.front();
    }

    fs::path snapshots_;
};

TEST_F(TimeshiftHelper, AnOldSnapshotIsDeletedByTimeshiftInTheCLocale)
{
    snapshot("2026-01-01_10-00-01", 24 * 10);
    snapshot("2026-01-04_10-00-01", 1);
    Shell::ProcessOutput output;
    {
        ScopedEnv language("LANGUAGE", std::string("de"));
        output = run(Admin::encode({{Admin::kRemoveTimeshiftSnapshot, {"2026-01-01_10-00-01"}}}));
    }
    EXPECT_EQ(out(output), "done 0\n");
    EXPECT_EQ(output.exitCode, Admin::kExitDone);
    EXPECT_EQ(calls(), (std::vector<Args>{{"timeshift", "--delete", "--snapshot", "2026-01-01_10-00-01", "--scripted"}}));
    EXPECT_FALSE(present(snapshots_ / "2026-01-01_10-00-01"));
    EXPECT_TRUE(present(snapshots_ / "2026-01-04_10-00-01"));
    const std::string env = readFile(root_ / "env-timeshift");
    EXPECT_NE(env.find("LC_ALL=C\n"), std::string::npos) << env;
    EXPECT_EQ(env.find("LANGUAGE="), std::string::npos) << env;
}

TEST_F(TimeshiftHelper, WhatTheRuleKeepsOrWhatIsNotThereIsRefusedAndNothingRuns)
{
    snapshot("2026-01-01_10-00-01", 24 * 10);
    snapshot("2026-01-02_10-00-01", 24 * 9, ",\n  \"live\" : \"true\"");
    snapshot("2026-01-03_10-00-01", 2);
    snapshot("2026-01-04_10-00-01", 1);
    snapshot("2026-01-05_10-00-01", -1);  // still being made
    // A snapshot's name that is a link to an old snapshot kept elsewhere.
    const fs::path elsewhere = freshFolder("elsewhere") / "2026-01-06_10-00-01";
    writeFile(elsewhere / "info.json", "{\"created\" : \"1000000000\"}");
    fs::create_directory_symlink(elsewhere, snapshots_ / "2026-01-06_10-00-01");

    const auto kept = [&](const std::string& name, const char* why) {
        const Admin::Answer answer = remove(name);
        EXPECT_EQ(answer.code, "snapshot-kept") << name;
        EXPECT_EQ(answer.detail, name + ' ' + L(why).toStdString()) << name;
        EXPECT_TRUE(present(snapshots_ / name)) << name;
    };
    kept("2026-01-04_10-00-01", "É o instantâneo mais recente");
    kept("2026-01-03_10-00-01", "Tem menos de um dia");
    kept("2026-01-02_10-00-01", "O sistema inicia ou roda a partir dele");
    kept("2026-01-05_10-00-01", "Incompleto ou ainda sendo feito");

    Admin::Answer answer = remove("2026-01-07_10-00-01");  // deleted since it was shown
    EXPECT_EQ(answer.code, "snapshot-gone");
    EXPECT_EQ(answer.detail, "2026-01-07_10-00-01");
    EXPECT_EQ(remove("2026-01-06_10-00-01").code, "snapshot-gone");
    EXPECT_TRUE(present(elsewhere / "info.json"));

    // The backup disk is no longer mounted: Timeshift's folder is not found.
    writeFile(root_ / "proc/self/mountinfo", "27 1 254:1 / / rw,relatime - ext4 /dev/vda1 rw\n");
    answer = remove("2026-01-01_10-00-01");
    EXPECT_EQ(answer.code, "no-timeshift");
    EXPECT_TRUE(present(snapshots_ / "2026-01-01_10-00-01"));
    EXPECT_TRUE(calls().empty());
}

TEST_F(TimeshiftHelper, TimeshiftsWordIsCheckedAgainstTheFolder)
{
    snapshot("2026-01-01_10-00-01", 24 * 10);
    snapshot("2026-01-04_10-00-01", 1);

    // It says done and leaves the snapshot's folder: failed.
    writeFile(root_ / "timeshift-keeps");
    Admin::Answer answer = remove("2026-01-01_10-00-01");
    EXPECT_EQ(answer.code, "kept");
    EXPECT_EQ(answer.detail, "2026-01-01_10-00-01");
    fs::remove(root_ / "timeshift-keeps");

    // It fails: its last line says why.
    writeFile(root_ / "timeshift-fails");
    answer = remove("2026-01-01_10-00-01");
    EXPECT_EQ(answer.code, "tool");
    EXPECT_EQ(answer.detail, "E: Failed to remove snapshot: 2026-01-01_10-00-01");
    EXPECT_TRUE(present(snapshots_ / "2026-01-01_10-00-01"));
    EXPECT_EQ(calls().size(), 2u);
}

TEST_F(AdminHelper, TheInstalledHelperHasNoWayToRedirectItsTools)
{
    const std::string binary = readFile(QUILLMOOR_ADMIN);
    ASSERT_FALSE(binary.empty());
    EXPECT_EQ(binary.find("QUILLMOOR_ADMIN_TEST_ROOT"), std::string::npos);
    EXPECT_NE(readFile(QUILLMOOR_ADMIN_TEST).find("QUILLMOOR_ADMIN_TEST_ROOT"), std::string::npos);
    // Asked for a crash report that only the fixture holds, it looks at the real /var/crash.
    writeFile(root_ / "var/crash/only-in-the-fixture-4f1c.crash");
    ScopedEnv fixture("QUILLMOOR_ADMIN_TEST_ROOT", root_.native());
    const Shell::ProcessOutput output =
        Shell::runProcess(QUILLMOOR_ADMIN, {"system-care", "remove-crash-report", "only-in-the-fixture-4f1c.crash"});
    EXPECT_TRUE(present(root_ / "var/crash/only-in-the-fixture-4f1c.crash")) << out(output);
}

// Snapper's recorded list of its configuration "sbt" (1 to 3 single, 4 and 5
// a pre/post pair, 6 important and the newest), every date `ageSecs` before
// now; each of `changes` is merged into the snapshot of its number, or added
// after the others as a copy of snapshot 1.
std::string snapperList(qint64 ageSecs, const std::map<int, QJsonObject>& changes = {})
{
    const QByteArray recorded = QByteArray::fromStdString(readFile(std::string(RECORDED_DIR) + "/snapper/list.json"));
    QJsonArray rows = QJsonDocument::fromJson(recorded).object().value("sbt").toArray();
    const QString date = QDateTime::currentDateTime().addSecs(-ageSecs).toString("yyyy-MM-dd HH:mm:ss");
    const auto merged = [](QJsonObject row, const QJsonObject& change) {
        for (auto field = change.begin(); field != change.end(); ++field)
            row[field.key()] = field.value();
        return row;
    };
    std::map<int, QJsonObject> added = changes;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        QJsonObject row = rows[i].toObject();
        const int number = row.value("number").toInt();
        if (number != 0)
            row["date"] = date;
        if (const auto change = added.find(number); change != added.end()) {
            row = merged(row, change->second);
            added.erase(change);
        }
        rows[i] = row;
    }
    for (const auto& [number, change] : added)
        rows.append(merged(merged(rows[1].toObject(), change), {{"number", number}}));
    return QJsonDocument(QJsonObject{{"sbt", rows}}).toJson().toStdString();
}

constexpr qint64 kWeek = 7 * 24 * 3600;
const QJsonObject kImportant{{"userdata", QJsonObject{{"important", "yes"}}}};

class SnapperSnapshots : public AdminHelper {
protected:
    void SetUp() override
    {
        AdminHelper::SetUp();
        if (IsSkipped())
            return;
        writeFile(root_ / "snapper-list.json", snapperList(kWeek));
        useDefault("get-default.txt");
    }

    // btrfs get-default answers as recorded in `name`.
    void useDefault(const char* name)
    {
        writeFile(root_ / "get-default.txt", readFile(std::string(RECORDED_DIR) + "/snapper/" + name));
    }

    Shell::ProcessOutput remove(const std::string& number, const std::string& partner, const std::string& config = "sbt")
    {
        fs::remove_all(root_ / "calls");
        return run(Admin::encode({{Admin::kRemoveSnapperSnapshot, {config, number, partner}}}));
    }

    bool anythingDeleted() const
    {
        for (const Args& call : calls())
            if (std::find(call.begin(), call.end(), "delete") != call.end())
                return true;
        return false;
    }

    // The judge's reasons come in the language the helper was handed.
    ScopedEnv language_{"LANGUAGE", std::string("pt")};
    const Args list_{"snapper", "--no-dbus", "--jsonout", "-c", "sbt", "list"};
    const Args getDefault_{"btrfs", "subvolume", "get-default", "/mnt/sbt"};
};

TEST_F(SnapperSnapshots, AnOldSnapshotGoesAfterItIsJudgedAgainAsRoot)
{
    const Shell::ProcessOutput output = remove("1", "0");
    EXPECT_EQ(output.exitCode, Admin::kExitDone);
    EXPECT_EQ(out(output), "done 0\n");
    EXPECT_EQ(calls(), (std::vector<Args>{list_, getDefault_, {"snapper", "--no-dbus", "-c", "sbt", "delete", "1"}}));
    // The tools answer in the C locale the parsers read.
    for (const char* tool : {"env-snapper", "env-btrfs"}) {
        const std::string env = "\n" + readFile(root_ / tool);
        EXPECT_NE(env.find("\nLC_ALL=C\n"), std::string::npos) << env;
    }
}

TEST_F(SnapperSnapshots, APrePostPairGoesWholeInOneCall)
{
    EXPECT_EQ(out(remove("5", "4")), "done 0\n");
    EXPECT_EQ(calls(), (std::vector<Args>{list_, getDefault_, {"snapper", "--no-dbus", "-c", "sbt", "delete", "5", "4"}}));
}

TEST_F(SnapperSnapshots, TheWayBackIsKeptAndNothingIsDeleted)
{
    // The newest (6, important as well: being the newest is said first).
    EXPECT_EQ(out(remove("6", "0")), "failed 0 snapshot-kept 6 É o instantâneo mais recente\n");
    EXPECT_FALSE(anythingDeleted());

    // After a rollback the file system boots into snapshot 3.
    useDefault("get-default-after-rollback.txt");
    const Shell::ProcessOutput rolledBack = remove("3", "0");
    EXPECT_EQ(rolledBack.exitCode, Admin::kExitFailed);
    EXPECT_EQ(out(rolledBack), "failed 0 snapshot-kept 3 O sistema inicia ou roda a partir dele\n");
    EXPECT_EQ(calls(), (std::vector<Args>{list_, getDefault_}));
    useDefault("get-default.txt");

    // Important, once a newer one came.
    writeFile(root_ / "snapper-list.json", snapperList(kWeek, {{7, {}}}));
    EXPECT_EQ(out(remove("6", "0")), "failed 0 snapshot-kept 6 Marcado como importante\n");
    EXPECT_FALSE(anythingDeleted());

    // A pair whose post became important since: its pre stays too.
    writeFile(root_ / "snapper-list.json", snapperList(kWeek, {{5, kImportant}, {7, {}}}));
    EXPECT_EQ(out(remove("4", "5")), "failed 0 snapshot-kept 4 Seu par antes/depois fica\n");
    EXPECT_FALSE(anythingDeleted());

    // Younger than a day.
    writeFile(root_ / "snapper-list.json", snapperList(3600));
    EXPECT_EQ(out(remove("1", "0")), "failed 0 snapshot-kept 1 Tem menos de um dia\n");
    EXPECT_FALSE(anythingDeleted());
}

TEST_F(SnapperSnapshots, AVanishedSnapshotOrAPairAskedHalfIsRefusedOnTheListingAlone)
{
    const std::vector<std::pair<Args, std::string>> requests{
        {{"9", "0"}, "failed 0 snapshot-gone 9\n"},
        {{"4", "9"}, "failed 0 snapshot-gone 9\n"},
        {{"4", "0"}, "failed 0 snapshot-pair 4 5\n"},  // half a pair
        {{"5", "0"}, "failed 0 snapshot-pair 5 4\n"},
        {{"4", "3"}, "failed 0 snapshot-pair 4 5\n"},  // a wrong partner
        {{"1", "2"}, "failed 0 snapshot-pair 1 0\n"},  // a single one has none
    };
    for (const auto& [request, answer] : requests) {
        EXPECT_EQ(out(remove(request[0], request[1])), answer) << request[0] << " " << request[1];
        EXPECT_EQ(calls(), std::vector<Args>{list_});
    }
    // Snapper answering with another configuration's list: none of this one's is listed.
    EXPECT_EQ(out(remove("1", "0", "root")), "failed 0 snapshot-gone 1\n");
    EXPECT_FALSE(anythingDeleted());
}

TEST_F(SnapperSnapshots, AListingOrADefaultThatCannotBeReadRefuses)
{
    writeFile(root_ / "status-snapper", "1");
    writeFile(root_ / "stderr-snapper", "Unknown config.\n");
    EXPECT_EQ(out(remove("1", "0")), "failed 0 tool Unknown config.\n");
    fs::remove(root_ / "status-snapper");
    fs::remove(root_ / "stderr-snapper");

    writeFile(root_ / "snapper-list.json", "Failure (dbus fatal exception).\n");
    EXPECT_EQ(out(remove("1", "0")), "failed 0 unreadable snapper list\n");

    // A subvolume btrfs could take for an option is never handed to it.
    writeFile(root_ / "snapper-list.json", snapperList(kWeek, {{1, {{"subvolume", "--help"}}}}));
    EXPECT_EQ(out(remove("1", "0")), "failed 0 unreadable snapper list\n");
    EXPECT_EQ(calls(), std::vector<Args>{list_});

    writeFile(root_ / "snapper-list.json", snapperList(kWeek));
    writeFile(root_ / "status-btrfs", "1");
    writeFile(root_ / "stderr-btrfs", "ERROR: can't perform the search: Operation not permitted\n");
    EXPECT_EQ(out(remove("1", "0")), "failed 0 tool ERROR: can't perform the search: Operation not permitted\n");
    EXPECT_FALSE(anythingDeleted());
}

TEST_F(SnapperSnapshots, MeasuringAnswersTheListAsRootReadsItAndChangesNothing)
{
    const Shell::ProcessOutput output = run(Admin::encode({{Admin::kMeasureSnapshots, {"sbt"}}}));
    EXPECT_EQ(calls(), std::vector<Args>{list_});
    const std::vector<Admin::Answer> answers = Admin::readAnswers(out(output));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_TRUE(answers[0].done);
    // The list as the user would have read it, sizes and all.
    const auto measured = Snapshots::parseSnapperList(QByteArray::fromStdString(answers[0].detail));
    ASSERT_TRUE(measured);
    ASSERT_EQ(measured->size(), 6u);
    EXPECT_EQ((*measured)[2].exclusiveBytes, 15745024);
    EXPECT_EQ((*measured)[4].preNumber, 4);
    EXPECT_TRUE((*measured)[5].important);
}

} // namespace
