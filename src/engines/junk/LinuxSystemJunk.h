#pragma once
// What the system keeps outside the home folder that can go: downloaded
// packages, old journal files, disabled Snap revisions, Flatpak runtimes
// nothing uses, packages nothing needs, core dumps, crash reports and rotated
// logs; and who holds the package manager's lock.
//
// Everything here only reads, with this user's rights: removal is the
// administrator helper's (see platform/AdminActions.h), and the package tools
// are run by the caller (in the C locale, with a time limit), which hands
// their output over. Every system path is taken under `root` ("/" for the
// real system), so the same functions read fixture folders. Sizes are
// allocated sizes (st_blocks x 512); a link is never followed nor counted,
// and a file with several names counts once.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <QString>
#include <QStringList>

#include "engines/apps/LinuxPackageTools.h"

namespace SystemJunk {

namespace fs = std::filesystem;

// One file a group offers.
struct SystemFile {
    fs::path path;       // under the root
    std::string name;    // what the helper is handed: the file's name, or for a rotated log its path below var/log
    std::int64_t bytes = 0;
};

// What a group found in its folder. `complete` is false when the folder is
// there but cannot be listed (no folder, a link, no permission to read it) or
// a file that decides could not be read: the total is then unknown, which is
// not the same as nothing. A folder that does not exist holds nothing.
struct Found {
    std::vector<SystemFile> files;
    bool complete = true;
    std::optional<std::int64_t> total() const;
};

// A text as the bytes a tool, the helper or a file name takes (the file-name
// encoding), and such bytes back as text.
std::string encoded(const QString& text);
QString decoded(const std::string& bytes);

// A regular file's allocated size; nothing for anything else or nothing at all.
std::optional<std::int64_t> regularFileBytes(const fs::path& file);
// The whole tree of a folder; nothing when it is not there or cannot be listed.
std::optional<std::int64_t> folderBytes(const fs::path& folder);

// ---- Package caches --------------------------------------------------------

// The packages apt downloaded: "*.deb" regular files directly in
// var/cache/apt/archives (partial/ left out). An archives folder that is a
// link is not read.
Found aptArchives(const fs::path& root);
// What dnf keeps in var/cache/dnf, the whole tree; 0 when there is no such
// folder, nothing when it cannot be read or is a link.
std::optional<std::int64_t> dnfCacheBytes(const fs::path& root);

// The installed package a file of pacman's cache holds, as its folder in
// var/lib/pacman/local is named ("vim-9.1.0-1" for
// "vim-9.1.0-1-x86_64.pkg.tar.zst" or its ".sig"); empty for another file.
std::string pacmanPackageOf(std::string_view file);
// What "pacman -Sc" frees: the files of var/cache/pacman/pkg whose package
// version is not installed. Unknown when the list of installed packages
// cannot be read.
Found pacmanCache(const fs::path& root);

// ---- The journal -----------------------------------------------------------

// How long vacuum-journal keeps the journal ("--vacuum-time=2weeks").
inline constexpr std::chrono::hours kJournalKept = std::chrono::weeks(2);
// The time of a journal file's newest entry, in microseconds since 1970,
// from the first bytes of the file (its little-endian header, signature
// "LPKSHHRH", tail_entry_realtime at byte 192). Nothing when there are too
// few bytes or the signature is another; 0 for a file without entries.
std::optional<std::uint64_t> journalNewestEntry(std::string_view header);
// Whether the name is an archived journal file's ("system@….journal",
// "user-1000@….journal", or one archived dirty, ending ".journal~"). The
// journal being written ("system.journal", "user-1000.journal") never is.
bool isArchivedJournal(std::string_view name);
// The archived journal files in var/log/journal/*/ whose newest entry is
// older than kJournalKept before `now`. Files without entries, too short or
// with another signature are passed over; a file that cannot be read makes
// the finding incomplete (this user may not be allowed to read the journal).
Found oldJournals(const fs::path& root, std::chrono::system_clock::time_point now);

// ---- Snaps -----------------------------------------------------------------

// A revision snap keeps after a refresh, and its file.
struct OldSnap {
    QString name;
    QString revision;
    QString version;
    fs::path file;                       // var/lib/snapd/snaps/NAME_REVISION.snap
    std::optional<std::int64_t> bytes;   // nothing when the file is missing or no regular file
};
// The disabled revisions in the output of "snap list --all" (see
// LinuxApps::parseSnapRevisions); names and revisions the helper would
// refuse are left out.
std::vector<OldSnap> oldSnapRevisions(const QString& snapListAll, const fs::path& root);

// The snap and revision a program path lies in ("/snap/firefox/4259/usr/lib/…"
// gives "firefox_4259"); empty for any other path.
std::string snapRevisionOf(std::string_view path);
// The revisions, as NAME_REVISION, whose programs are running now (each
// process's <procRoot>/PID/exe; processes this user may not look at are passed over).
std::set<std::string> runningSnapRevisions(const fs::path& procRoot = "/proc");

// ---- Flatpak ---------------------------------------------------------------

// What an installed application or runtime needs, from its metadata file:
// an application's runtime= and sdk= ([Application], ID/ARCH/BRANCH), and the
// extension points either declares ([Extension NAME]).
struct FlatpakNeeds {
    QString runtime;
    QString sdk;
    QStringList extensionPoints;
};
// Nothing when the file cannot be read as a key file.
std::optional<FlatpakNeeds> readFlatpakMetadata(const fs::path& file);
// Whether a runtime's id is that of an extension flatpak downloads by itself
// (graphics drivers .GL.* .GL32.* .VAAPI.*, .Codecs, .Locale, .Debug,
// .Sources, .openh264, .ffmpeg-full, GTK themes org.gtk.Gtk3theme.*): never offered.
bool isAutomaticExtension(const QString& id);
// The runtimes of `installed` that nothing needs: no application's runtime or
// SDK, nothing in an extension point of an application or of a runtime one
// needs, and no automatic extension. Every application of every installation
// counts (an application of the user's installation runs on a system
// runtime). `needs` is keyed by ref; when an application, or an installed
// runtime one needs, has no entry there, nothing is known to be unused and
// the answer is empty.
std::vector<LinuxApps::FlatpakRef> runtimesNothingNeeds(const std::vector<LinuxApps::FlatpakRef>& installed,
                                                        const std::map<QString, FlatpakNeeds>& needs);

// An installed runtime nothing needs.
struct UnusedRuntime {
    QString ref;           // runtime/ID/ARCH/BRANCH, as the helper takes it
    QString installation;  // as flatpak writes it ("system", "user")
    fs::path folder;       // INSTALLATION/runtime/ID/ARCH/BRANCH
    std::optional<std::int64_t> bytes;  // nothing when the folder cannot be read
};
// From "flatpak list --columns=" LinuxApps::kFlatpakRefColumns and the
// metadata of every ref (INSTALLATION/app|runtime/ID/ARCH/BRANCH/active/metadata).
// `installations` gives each installation's folder by the name flatpak writes
// ("system" → ROOT/var/lib/flatpak, "user" → ~/.local/share/flatpak).
std::vector<UnusedRuntime> unusedFlatpakRuntimes(const QString& flatpakList,
                                                 const std::map<QString, fs::path>& installations);

// ---- Packages nothing needs ------------------------------------------------

struct NeedlessPackage {
    QString name;     // as apt writes it (with ":ARCH" for another architecture's package)
    QString version;
    std::optional<std::int64_t> bytes;  // Installed-Size; nothing when dpkg-query did not tell
};
// Whether the package belongs to the running kernel `release` (uname -r,
// "6.1.0-18-amd64"): its image, modules and headers carry the release, the
// headers every flavour shares its version and ABI ("linux-headers-6.1.0-18-common").
bool isRunningKernelPackage(const QString& package, const QString& release);
// The packages "apt-get -s autoremove" would remove ("Remv" lines), but never
// the running kernel's nor one dpkg-query calls Essential, required or
// important, with what dpkg-query tells of them (its output in the format
// LinuxApps::kDpkgShowFormat, for the names LinuxApps::parseAptRemovals gives).
std::vector<NeedlessPackage> packagesNothingNeeds(const QString& aptAutoremove, const QString& dpkgShow,
                                                  const QString& kernelRelease);

// The installed size of an installed package (dpkg's var/lib/dpkg/status:
// Installed-Size in KiB, times 1024), 0 when it is not installed (or only
// its configuration files are left), nothing when the status cannot be read.
// "NAME:ARCH" names that architecture's package only.
std::optional<std::int64_t> installedPackageBytes(const fs::path& root, const QString& package);

// ---- Crash leftovers and rotated logs --------------------------------------

// Core dumps: regular files directly in var/lib/systemd/coredump named "core.…".
Found coreDumps(const fs::path& root);
// Crash reports: regular files directly in var/crash named "….crash".
Found crashReports(const fs::path& root);
// Rotated logs anywhere below var/log: NAME.N, NAME.N.gz, NAME.N.xz and
// NAME.old (Admin::rotatedLogBase) while the live NAME is beside them, never
// an audit trail (Admin::isAuditTrail). Each file's name is its path below
// var/log. Folders below var/log that cannot be opened are passed over.
Found rotatedLogs(const fs::path& root);

// ---- The package manager's lock ----------------------------------------------

struct LockHolder {
    int pid = 0;
    QString name;  // its comm
};
// The process holding a lock on the file (device MAJOR:MINOR, inode) in the
// text of /proc/locks; waiting requests ("->") and locks with no process
// (-1, the open file description locks) are passed over.
std::optional<int> lockHolderPid(std::string_view procLocks, unsigned major, unsigned minor, std::uint64_t inode);
// Who holds a lock on `lockFile`, from <procRoot>/locks and <procRoot>/PID/comm;
// nothing when the file is missing, nobody holds it or the holder has ended.
std::optional<LockHolder> lockHolder(const fs::path& lockFile, const fs::path& procRoot = "/proc");
// The first holder of the package tools' locks under `root`: dpkg's front
// end and its database, apt's archives and package lists.
std::optional<LockHolder> packageLockHolder(const fs::path& root, const fs::path& procRoot = "/proc");

} // namespace SystemJunk
