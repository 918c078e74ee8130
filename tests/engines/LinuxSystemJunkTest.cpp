// The Linux system's junk outside the home folder, read under fixture roots:
// package caches, journal files, Snap revisions, Flatpak runtimes, packages
// nothing needs (recorded apt-get output), crash leftovers, rotated logs and
// the package manager's lock held by a real process.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <set>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engines/junk/LinuxSystemJunk.h"
#include "support/Fixtures.h"
#include "support/LockHolderProcess.h"

namespace fs = std::filesystem;
using namespace SystemJunk;

namespace {

std::set<std::string> namesOf(const Found& found)
{
    std::set<std::string> names;
    for (const SystemFile& file : found.files)
        names.insert(file.name);
    return names;
}

QString recorded(const std::string& name)
{
    return QString::fromStdString(readFile(std::string(RECORDED_DIR) + "/" + name));
}

// The first bytes of a journal file whose newest entry is at `newest` (µs since 1970).
std::string journalHeader(std::uint64_t newest, const char* signature = "LPKSHHRH")
{
    std::string header(272, '\0');
    std::memcpy(header.data(), signature, 8);
    for (int i = 0; i < 8; ++i)
        header[192 + i] = char((newest >> (8 * i)) & 0xff);
    return header;
}

std::uint64_t microsAgo(std::chrono::system_clock::time_point now, std::chrono::hours ago)
{
    return std::uint64_t(std::chrono::duration_cast<std::chrono::microseconds>((now - ago).time_since_epoch()).count());
}

} // namespace

// ---- Package caches ------------------------------------------------------------------

TEST(SystemJunk, AptArchivesAreTheDebsDirectlyInTheFolderCountedOnce)
{
    const fs::path root = freshFolder("apt-root");
    const fs::path archives = root / "var/cache/apt/archives";
    const std::int64_t vim = writeBytes(archives / "vim_9.0_amd64.deb", 40'000);
    fs::create_hard_link(archives / "vim_9.0_amd64.deb", archives / "vim-again_9.0_amd64.deb");
    const std::int64_t odd = writeBytes(archives / "ödd name\x01_1_all.deb", 9'000);
    writeBytes(archives / "partial/big_1_amd64.deb", 80'000);
    writeBytes(archives / "lock", 10);
    writeBytes(root / "elsewhere.deb", 70'000);
    fs::create_symlink(root / "elsewhere.deb", archives / "linked_1_all.deb");
    fs::create_directories(archives / "folder.deb");

    const Found found = aptArchives(root);
    EXPECT_EQ(found.files.size(), 2u);
    EXPECT_EQ(namesOf(found).count("ödd name\x01_1_all.deb"), 1u);
    EXPECT_EQ(found.total(), vim + odd);

    // A cache folder that is a link, or no folder, cannot be listed: its size is unknown.
    const fs::path linked = freshFolder("apt-linked-root");
    fs::create_directories(linked / "var/cache/apt");
    fs::create_directory_symlink(archives, linked / "var/cache/apt/archives");
    EXPECT_EQ(aptArchives(linked).total(), std::nullopt);
    EXPECT_TRUE(aptArchives(linked).files.empty());
    const fs::path file = freshFolder("apt-file-root");
    writeFile(file / "var/cache/apt/archives");
    EXPECT_EQ(aptArchives(file).total(), std::nullopt);
    // No folder at all holds nothing.
    EXPECT_EQ(aptArchives(freshFolder("apt-empty-root")).total(), 0);
}

TEST(SystemJunk, DnfCacheIsWalkedWithoutFollowingLinks)
{
    const fs::path root = freshFolder("dnf-root");
    EXPECT_EQ(dnfCacheBytes(root), 0);
    const fs::path cache = root / "var/cache/dnf";
    const std::int64_t a = writeBytes(cache / "fedora-1234/packages/a.rpm", 30'000);
    const std::int64_t b = writeBytes(cache / "updates.solv", 5'000);
    writeBytes(root / "outside/huge", 90'000);
    fs::create_directory_symlink(root / "outside", cache / "linked");
    EXPECT_EQ(dnfCacheBytes(root), a + b);

    const fs::path linked = freshFolder("dnf-linked-root");
    fs::create_directories(linked / "var/cache");
    fs::create_directory_symlink(cache, linked / "var/cache/dnf");
    EXPECT_EQ(dnfCacheBytes(linked), std::nullopt);
}

// ---- The journal -------------------------------------------------------------------------

TEST(SystemJunk, JournalHeaderAndNames)
{
    // Checked against a journal file written by systemd-journal-remote:
    // journalctl --header showed "Tail realtime timestamp ... (60a241f7a0d15)".
    EXPECT_EQ(journalNewestEntry(journalHeader(0x60a241f7a0d15)), 0x60a241f7a0d15u);
    EXPECT_EQ(journalNewestEntry(journalHeader(7).substr(0, 199)), std::nullopt);
    EXPECT_EQ(journalNewestEntry(journalHeader(7, "LPKSHHRX")), std::nullopt);
    EXPECT_EQ(journalNewestEntry(""), std::nullopt);

    for (const char* name : {"system@8f1c0e51b6d04c9c9b2ce4bfe0e9f0a7-0000000000000001-0005f2b1c2d3e4f5.journal",
                             "user-1000@8f1c0e51b6d04c9c9b2ce4bfe0e9f0a7-00000000000004d2-0005f2b1c2d3e4f5.journal",
                             "system@0005f2b1c2d3e4f5-1a2b3c4d5e6f7a8b.journal~"})
        EXPECT_TRUE(isArchivedJournal(name)) << name;
    for (const char* name : {"system.journal", "user-1000.journal", "@x.journal", "system@x.journal.gz", "notes@x"})
        EXPECT_FALSE(isArchivedJournal(name)) << name;
}

TEST(SystemJunk, OldJournalsAreArchivedFilesWhoseNewestEntryIsOverTwoWeeksOld)
{
    const auto now = std::chrono::system_clock::now();
    const std::string old = journalHeader(microsAgo(now, std::chrono::weeks(3)));
    const fs::path root = freshFolder("journal-root");
    const fs::path machine = root / "var/log/journal/0123456789abcdef0123456789abcdef";
    writeFile(machine / "system@aa-01-02.journal", old + std::string(20'000, 'j'));
    const std::int64_t archived = allocatedSize(machine / "system@aa-01-02.journal");
    writeFile(machine / "user-1000@aa-05-06.journal~", old);
    const std::int64_t dirty = allocatedSize(machine / "user-1000@aa-05-06.journal~");
    writeFile(machine / "system@aa-03-04.journal", journalHeader(microsAgo(now, std::chrono::hours(24))));
    writeFile(machine / "system.journal", old);                                  // being written
    writeFile(machine / "user-1000@aa-07-08.journal", journalHeader(0));          // no entries
    writeFile(machine / "system@aa-09-0a.journal", old.substr(0, 150));           // truncated
    writeFile(machine / "system@aa-0b-0c.journal", journalHeader(1, "NOTAJRNL"));
    writeFile(root / "var/log/journal/system@aa-0d-0e.journal", old);             // not in a machine's folder
    writeFile(root / "elsewhere.journal", old);
    fs::create_symlink(root / "elsewhere.journal", machine / "system@aa-0f-10.journal");

    const Found found = oldJournals(root, now);
    EXPECT_EQ(namesOf(found), (std::set<std::string>{"system@aa-01-02.journal", "user-1000@aa-05-06.journal~"}));
    EXPECT_EQ(found.total(), archived + dirty);

    // A journal folder that is a link is not read.
    const fs::path linked = freshFolder("journal-linked-root");
    fs::create_directories(linked / "var/log");
    fs::create_directory_symlink(root / "var/log/journal", linked / "var/log/journal");
    EXPECT_EQ(oldJournals(linked, now).total(), std::nullopt);

    // A file this user may not read leaves the total unknown (root reads everything).
    if (geteuid() != 0) {
        fs::permissions(machine / "system@aa-03-04.journal", fs::perms::none);
        EXPECT_EQ(oldJournals(root, now).total(), std::nullopt);
        fs::permissions(machine / "system@aa-03-04.journal", fs::perms::owner_all);
    }
}

// ---- Snaps ------------------------------------------------------------------------------------

TEST(SystemJunk, SnapListAllOutputs)
{
    const QString listed = QStringLiteral(
        "Name      Version          Rev    Tracking       Publisher   Notes\n"
        "core22    20240408         1380   latest/stable  canonical** base\n"
        "core22    20240111         1122   latest/stable  canonical** base,disabled\n"
        "firefox   126.0-2          4259   latest/stable  mozilla**   disabled\n"
        "firefox   127.0-1          4336   latest/stable  mozilla**   -\n"
        "local     0.1              x1     -              -           disabled\n"
        "Bad_Name  1                3      latest/stable  someone     disabled\n");
    const std::vector<LinuxApps::SnapRevision> rows = LinuxApps::parseSnapRevisions(listed);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[1].notes, (QStringList{"base", "disabled"}));
    EXPECT_TRUE(rows[3].notes.isEmpty());

    EXPECT_TRUE(LinuxApps::parseSnapRevisions("").empty());
    EXPECT_TRUE(LinuxApps::parseSnapRevisions(listed.section('\n', 0, 0)).empty());  // the header alone
    // Cut off inside a row: the rows before it; cut inside the notes, no revision reads as disabled.
    EXPECT_EQ(LinuxApps::parseSnapRevisions(listed.left(listed.indexOf("1122") + 4)).size(), 1u);
    EXPECT_TRUE(oldSnapRevisions(listed.left(listed.indexOf("base,dis") + 8), "/").empty());
    EXPECT_TRUE(LinuxApps::parseSnapRevisions(QStringLiteral("Nom     Version   Rév   Suivi          Éditeur     Notes\n"
                                                             "core22  20240111  1122  latest/stable  canonical** désactivé\n"))
                    .empty());
    EXPECT_TRUE(LinuxApps::parseSnapRevisions(QStringLiteral("No snaps are installed yet.\n")).empty());

    // Each disabled revision with its file: sized, missing, or a link (unknown).
    const fs::path root = freshFolder("snap-root");
    const fs::path snaps = root / "var/lib/snapd/snaps";
    const std::int64_t core = writeBytes(snaps / "core22_1122.snap", 50'000);
    writeBytes(root / "other.snap", 9'000);
    fs::create_directories(snaps);
    fs::create_symlink(root / "other.snap", snaps / "local_x1.snap");
    const std::vector<OldSnap> old = oldSnapRevisions(listed, root);
    ASSERT_EQ(old.size(), 3u);
    EXPECT_EQ(old[0].name, "core22");
    EXPECT_EQ(old[0].revision, "1122");
    EXPECT_EQ(old[0].version, "20240111");
    EXPECT_EQ(old[0].bytes, core);
    EXPECT_EQ(old[1].name, "firefox");
    EXPECT_EQ(old[1].file, snaps / "firefox_4259.snap");
    EXPECT_EQ(old[1].bytes, std::nullopt);
    EXPECT_EQ(old[2].revision, "x1");
    EXPECT_EQ(old[2].bytes, std::nullopt);
}

// ---- Flatpak ------------------------------------------------------------------------------------

namespace {

// An installed ref: its metadata and one file, "active" a link to its deployment.
std::int64_t deploy(const fs::path& installation, const std::string& kindAndRef, const std::string& metadata)
{
    const fs::path folder = installation / kindAndRef;
    writeFile(folder / "0a1b2c/metadata", metadata);
    const std::int64_t bytes = writeBytes(folder / "0a1b2c/files/lib/libx.so", 12'000);
    fs::create_directory_symlink("0a1b2c", folder / "active");
    return bytes + allocatedSize(folder / "0a1b2c/metadata");
}

} // namespace

TEST(SystemJunk, FlatpakRuntimesNothingUses)
{
    const fs::path system = freshFolder("flatpak-root") / "var/lib/flatpak";
    const fs::path user = freshFolder("flatpak-user");
    deploy(system, "app/org.gnome.Calculator/x86_64/stable",
           "[Application]\nname=org.gnome.Calculator\nruntime=org.gnome.Platform/x86_64/46\n"
           "sdk=org.gnome.Sdk/x86_64/46\n\n[Extension org.gnome.Calculator.Plugin]\ndirectory=plugins\n"
           "subdirectories=true\n");
    deploy(user, "app/org.example.Editor/x86_64/stable",
           "[Application]\nname=org.example.Editor\nruntime=org.kde.Platform/x86_64/6.7\nsdk=org.kde.Sdk/x86_64/6.7\n");
    deploy(system, "runtime/org.gnome.Platform/x86_64/46",
           "[Runtime]\nname=org.gnome.Platform\nruntime=org.gnome.Platform/x86_64/46\nsdk=org.gnome.Sdk/x86_64/46\n\n"
           "[Extension org.gnome.Platform.Extra]\ndirectory=lib/extra\n");
    deploy(system, "runtime/org.gnome.Sdk/x86_64/46", "[Runtime]\nname=org.gnome.Sdk\n");
    const std::int64_t old = deploy(system, "runtime/org.gnome.Platform/x86_64/44", "[Runtime]\nname=org.gnome.Platform\n");
    deploy(system, "runtime/org.kde.Platform/x86_64/6.7", "[Runtime]\nname=org.kde.Platform\n");
    deploy(system, "runtime/org.freedesktop.Platform.GL.default/x86_64/23.08", "[Runtime]\nname=x\n");
    deploy(system, "runtime/org.gnome.Calculator.Plugin.Units/x86_64/stable", "[Runtime]\nname=x\n");
    deploy(system, "runtime/org.gnome.Platform.Extra.Fonts/x86_64/46", "[Runtime]\nname=x\n");
    const QString list = QStringLiteral("org.example.Editor/x86_64/stable\tuser\tuser,current\n"
                                        "org.gnome.Calculator/x86_64/stable\tsystem\tsystem,current\n"
                                        "org.freedesktop.Platform.GL.default/x86_64/23.08\tsystem\tsystem,runtime\n"
                                        "org.gnome.Calculator.Plugin.Units/x86_64/stable\tsystem\tsystem,runtime\n"
                                        "org.gnome.Platform/x86_64/44\tsystem\tsystem,runtime,eol=unsupported\n"
                                        "org.gnome.Platform/x86_64/46\tsystem\tsystem,runtime\n"
                                        "org.gnome.Platform.Extra.Fonts/x86_64/46\tsystem\tsystem,runtime\n"
                                        "org.gnome.Sdk/x86_64/46\tsystem\tsystem,runtime\n"
                                        "org.kde.Platform/x86_64/6.7\tsystem\tsystem,runtime\n");
    const std::map<QString, fs::path> installations{{"system", system}, {"user", user}};

    const std::vector<UnusedRuntime> unused = unusedFlatpakRuntimes(list, installations);
    ASSERT_EQ(unused.size(), 1u);
    EXPECT_EQ(unused[0].ref, "runtime/org.gnome.Platform/x86_64/44");
    EXPECT_EQ(unused[0].installation, "system");
    EXPECT_EQ(unused[0].bytes, old);

    // An application whose needs cannot be read: nothing is known to be unused.
    EXPECT_TRUE(unusedFlatpakRuntimes(list, {{"system", system}}).empty());
    // A runtime in an installation whose folder is not known: offered, its size unknown.
    const std::vector<UnusedRuntime> elsewhere =
        unusedFlatpakRuntimes(list + "org.gnome.Platform/x86_64/43\tsystem (extra)\tsystem (extra),runtime\n", installations);
    ASSERT_EQ(elsewhere.size(), 2u);
    EXPECT_EQ(elsewhere[1].bytes, std::nullopt);
}

TEST(SystemJunk, FlatpakListRowsAndAutomaticExtensions)
{
    const std::vector<LinuxApps::FlatpakRef> refs = LinuxApps::parseFlatpakRefs(QStringLiteral(
        "Ref\tInstallation\tOptions\n"
        "org.gnome.Calculator/x86_64/stable\tsystem\n"
        "org.gnome.Platform/x86_64/46\tsystem (extra)\tsystem (extra),runtime,partial (/a /b)\n"
        "org.gnome.Platform/x86_64\tsystem\truntime\n"
        "garbage line\n"
        "org.gnome.Sdk/x86_"));
    ASSERT_EQ(refs.size(), 2u);
    EXPECT_FALSE(refs[0].runtime);
    EXPECT_TRUE(refs[1].runtime);
    EXPECT_EQ(refs[1].installation, "system (extra)");

    for (const char* id : {"org.freedesktop.Platform.GL.default", "org.freedesktop.Platform.GL32.nvidia-550-78",
                           "org.freedesktop.Platform.VAAPI.Intel", "org.mozilla.firefox.Codecs", "org.gnome.Platform.Locale",
                           "org.gnome.Sdk.Debug", "org.gnome.Sdk.Sources", "org.freedesktop.Platform.openh264",
                           "org.freedesktop.Platform.ffmpeg-full", "org.gtk.Gtk3theme.Adwaita-dark"})
        EXPECT_TRUE(isAutomaticExtension(id)) << id;
    for (const char* id : {"org.gnome.Platform", "org.freedesktop.Sdk.Extension.rust-stable", "org.GLib.Tool", "Locale"})
        EXPECT_FALSE(isAutomaticExtension(id)) << id;
    EXPECT_EQ(readFlatpakMetadata(freshFolder("flatpak-none") / "metadata"), std::nullopt);
}

// ---- Packages nothing needs -----------------------------------------------------------------------

TEST(SystemJunk, PackagesNothingNeedsFromRecordedOutput)
{
    // Recorded on this project's Debian 12 machine; libtext-charwidth-perl is "required" there.
    const std::vector<NeedlessPackage> packages =
        packagesNothingNeeds(recorded("apt-autoremove.txt"), recorded("autoremove-show.txt"), "6.1.0-18-amd64");
    EXPECT_EQ(listOf(packages, &NeedlessPackage::name),
              (std::vector<QString>{"libc++1-14", "libc++abi1-14", "libunwind-14", "xbitmaps"}));
    EXPECT_EQ(packages[0].version, "1:14.0.6-12");
    EXPECT_EQ(packages[0].bytes, 1050 * 1024);

    EXPECT_TRUE(packagesNothingNeeds("", "", "6.1.0-18-amd64").empty());
    EXPECT_TRUE(packagesNothingNeeds("E: Could not open lock file /var/lib/dpkg/lock-frontend\n", "", "x").empty());
}

TEST(SystemJunk, TheRunningKernelIsNeverOffered)
{
    const QString apt = QStringLiteral("Reading package lists...\n"
                                       "Remv linux-image-6.1.0-17-amd64 [6.1.69-1]\n"
                                       "Remv linux-headers-6.1.0-17-amd64 [6.1.69-1]\n"
                                       "Remv linux-headers-6.1.0-17-common [6.1.69-1]\n"
                                       "Remv linux-image-6.1.0-18-amd64 [6.1.76-1]\n"
                                       "Remv linux-headers-6.1.0-18-common [6.1.76-1]\n"
                                       "Remv linux-image-6.1.0-180-amd64 [6.1.99-1]\n"
                                       "Remv libfoo1:i386 [1.0-1]\n");
    const QString dpkg = QStringLiteral("linux-image-6.1.0-17-amd64\t6.1.69-1\t400000\toptional\tno\n"
                                        "libfoo1\t1.0-1\t12\toptional\tno\n");
    const std::vector<NeedlessPackage> packages = packagesNothingNeeds(apt, dpkg, "6.1.0-18-amd64");
    EXPECT_EQ(listOf(packages, &NeedlessPackage::name),
              (std::vector<QString>{"linux-image-6.1.0-17-amd64", "linux-headers-6.1.0-17-amd64",
                                    "linux-headers-6.1.0-17-common", "linux-image-6.1.0-180-amd64", "libfoo1:i386"}));
    EXPECT_EQ(packages[0].bytes, 400000 * 1024);
    EXPECT_EQ(packages[1].bytes, std::nullopt);  // not in dpkg-query's answer
    EXPECT_EQ(packages[4].bytes, 12 * 1024);

    EXPECT_TRUE(isRunningKernelPackage("linux-modules-extra-6.5.0-14-generic", "6.5.0-14-generic"));
    EXPECT_TRUE(isRunningKernelPackage("linux-hwe-6.5-headers-6.5.0-14", "6.5.0-14-generic"));
    EXPECT_FALSE(isRunningKernelPackage("linux-image-6.5.0-140-generic", "6.5.0-14-generic"));
    EXPECT_FALSE(isRunningKernelPackage("linux-image-6.1.0-18-amd64", ""));
    EXPECT_FALSE(isRunningKernelPackage("firmware-6.1.0-18", "6.1.0-18-amd64"));
}

// ---- Crash leftovers and rotated logs -----------------------------------------------------------

TEST(SystemJunk, CoreDumpsAndCrashReports)
{
    const fs::path root = freshFolder("crash-root");
    const fs::path dumps = root / "var/lib/systemd/coredump";
    const std::int64_t dump = writeBytes(dumps / "core.firefox.1000.1a2b.4242.1700000000000000.zst", 60'000);
    writeBytes(dumps / "README", 100);
    writeBytes(root / "elsewhere", 9'000);
    fs::create_symlink(root / "elsewhere", dumps / "core.linked");
    writeBytes(dumps / "core.folder/inside", 100);
    const std::int64_t report = writeBytes(root / "var/crash/_usr_bin_gedit.1000.crash", 7'000);
    writeBytes(root / "var/crash/.crash", 10);
    writeBytes(root / "var/crash/_usr_bin_gedit.1000.upload", 10);

    EXPECT_EQ(namesOf(coreDumps(root)), (std::set<std::string>{"core.firefox.1000.1a2b.4242.1700000000000000.zst"}));
    EXPECT_EQ(coreDumps(root).total(), dump);
    EXPECT_EQ(namesOf(crashReports(root)), (std::set<std::string>{"_usr_bin_gedit.1000.crash"}));
    EXPECT_EQ(crashReports(root).total(), report);

    // A place that cannot be listed (no folder, a link) is unknown; a missing one is empty.
    const fs::path odd = freshFolder("crash-odd-root");
    writeFile(odd / "var/lib/systemd/coredump");
    fs::create_directories(odd / "var");
    fs::create_directory_symlink(root / "var/crash", odd / "var/crash");
    EXPECT_EQ(coreDumps(odd).total(), std::nullopt);
    EXPECT_EQ(crashReports(odd).total(), std::nullopt);
    EXPECT_EQ(crashReports(freshFolder("crash-empty-root")).total(), 0);
}

TEST(SystemJunk, RotatedLogsBesideTheirLiveLogNeverAuditTrails)
{
    const fs::path root = freshFolder("logs-root");
    const fs::path logs = root / "var/log";
    for (const char* live : {"syslog", "apt/history.log", "wtmp", "auth.log", "audit/audit.log", "my app.log"})
        writeBytes(logs / live, 1'000);
    std::int64_t expected = 0;
    for (const char* rotated : {"syslog.1", "syslog.2.gz", "apt/history.log.1.xz", "my app.log.old"})
        expected += writeBytes(logs / rotated, 6'000);
    for (const char* kept : {"kern.log.1", "wtmp.1", "auth.log.1", "audit/audit.log.1", "syslog.tmp", "syslog.12345"})
        writeBytes(logs / kept, 6'000);
    fs::create_hard_link(logs / "syslog.1", logs / "apt/syslog.1");
    writeBytes(logs / "apt/syslog", 10);
    writeBytes(root / "elsewhere", 9'000);
    fs::create_symlink(root / "elsewhere", logs / "syslog.3");
    fs::create_directory_symlink(root / "var", logs / "loop");

    const Found found = rotatedLogs(root);
    EXPECT_EQ(found.files.size(), 4u);
    std::set<std::string> names = namesOf(found);
    EXPECT_TRUE(names.count("syslog.2.gz") && names.count("apt/history.log.1.xz") && names.count("my app.log.old"));
    EXPECT_TRUE(names.count("syslog.1") || names.count("apt/syslog.1"));  // one name of the two
    EXPECT_EQ(found.total(), expected);
    EXPECT_EQ(rotatedLogs(freshFolder("logs-empty-root")).total(), 0);
}

// ---- The package manager's lock -------------------------------------------------------------------

TEST(SystemJunk, ProcLocksLines)
{
    const std::string locks = "1: POSIX  ADVISORY  WRITE 12345 fd:01:1048582 0 EOF\n"
                              "1: -> POSIX  ADVISORY  WRITE 777 fd:01:1048583 0 EOF\n"
                              "2: OFDLCK ADVISORY  WRITE -1 fd:01:1048584 0 EOF\n"
                              "3: FLOCK  ADVISORY  WRITE 4321 08:02:99 0 EOF\n"
                              "4: POSIX  ADVISORY  READ 55 zz:01:5 0 EOF\n"
                              "5: POSIX\n";
    EXPECT_EQ(lockHolderPid(locks, 0xfd, 1, 1048582), 12345);
    EXPECT_EQ(lockHolderPid(locks, 0xfd, 1, 1048583), std::nullopt);  // only waiting
    EXPECT_EQ(lockHolderPid(locks, 0xfd, 1, 1048584), std::nullopt);  // no process
    EXPECT_EQ(lockHolderPid(locks, 8, 2, 99), 4321);
    EXPECT_EQ(lockHolderPid(locks, 8, 1, 99), std::nullopt);
    EXPECT_EQ(lockHolderPid("", 8, 2, 99), std::nullopt);
}

TEST(SystemJunk, TheLockHolderIsARealProcessSeenInProcLocks)
{
    const fs::path root = freshFolder("lock-root");
    const fs::path lists = root / "var/lib/apt/lists/lock";
    writeFile(root / "var/lib/dpkg/lock-frontend", "");
    writeFile(lists, "");
    EXPECT_EQ(packageLockHolder(root), std::nullopt);
    EXPECT_EQ(lockHolder(root / "missing"), std::nullopt);

    // A child takes apt's lock as apt does (fcntl F_SETLK) and waits.
    const LockHolderProcess child(lists);
    EXPECT_TRUE(child.held());

    const std::optional<LockHolder> holder = packageLockHolder(root);
    ASSERT_TRUE(holder.has_value());
    EXPECT_EQ(holder->pid, child.pid());
    EXPECT_EQ(holder->name.toStdString() + "\n", readFile("/proc/self/comm"));
    EXPECT_EQ(lockHolder(root / "var/lib/dpkg/lock-frontend"), std::nullopt);
    // Through another /proc root that lacks the process: nothing.
    writeFile(root / "proc/locks", readFile("/proc/locks"));
    EXPECT_EQ(packageLockHolder(root, root / "proc"), std::nullopt);
}
