// The system's junk outside the home folder, found by reading only.
// GLib first: its headers use the word "signals", which Qt turns into a macro.
#include <glib.h>
#undef signals

#include "engines/junk/LinuxSystemJunk.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <set>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QFile>

#include "platform/AdminActions.h"
#include "platform/FS.h"
#include "platform/FolderFd.h"
#include "platform/Walker.h"

namespace SystemJunk {

std::string encoded(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

QString decoded(const std::string& bytes)
{
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

namespace {

bool helperTakes(const char* verb, std::vector<std::string> args)
{
    return !Admin::check({verb, std::move(args)});
}

// ---- Reading folders --------------------------------------------------------

// What to do with a regular file met on a walk: the name the helper is to be
// handed, or nothing to pass it over.
using Take = std::function<std::optional<std::string>(const Walker::Entry&)>;

// The regular files of `folder` down to `depth` levels (1: its direct
// entries) that `take` takes. The folder is opened as the walker opens every
// folder, never through a link, so a folder that cannot be listed is told
// apart from one that is not there.
Found filesIn(const fs::path& folder, int depth, const Take& take)
{
    Found found;
    const int fd = open(folder.c_str(), FolderFd::kOpenFlags);
    if (fd < 0) {
        found.complete = errno == ENOENT;
        return found;
    }
    std::set<std::pair<dev_t, ino_t>> seen;
    Walker::walkOpen(fd, folder.native(), [&](const Walker::Entry& entry) {
        if (entry.isDir())
            return entry.depth < depth ? Walker::Step::Enter : Walker::Step::Skip;
        if (!entry.isFile())
            return Walker::Step::Skip;
        std::optional<std::string> name = take(entry);
        if (name && (entry.info.st_nlink < 2 || seen.emplace(entry.info.st_dev, entry.info.st_ino).second))
            found.files.push_back({entry.path(), std::move(*name), entry.allocated()});
        return Walker::Step::Skip;
    });
    return found;
}

std::string readText(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// ---- The journal ------------------------------------------------------------

constexpr std::string_view kJournalSignature = "LPKSHHRH";
constexpr std::size_t kTailEntryRealtime = 192;

std::uint64_t littleEndian64(std::string_view bytes)
{
    std::uint64_t value = 0;
    for (std::size_t i = 8; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

// The first bytes of the entry `name` of an open folder; nothing when it cannot be read.
std::optional<std::string> headOf(int folderFd, std::string_view name, std::size_t bytes)
{
    const int fd = openat(folderFd, std::string(name).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string head(bytes, '\0');
    const ssize_t got = pread(fd, head.data(), bytes, 0);
    close(fd);
    if (got < 0)
        return std::nullopt;
    head.resize(std::size_t(got));
    return head;
}

// ---- Flatpak ----------------------------------------------------------------

struct KeyFileFree {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};

QString keyValue(GKeyFile* keys, const char* group, const char* key)
{
    gchar* value = g_key_file_get_string(keys, group, key, nullptr);
    const QString text = value ? QString::fromUtf8(value).trimmed() : QString();
    g_free(value);
    return text;
}

QString flatpakId(const QString& ref)
{
    return ref.section('/', 0, 0);
}

bool inExtensionPoint(const QString& id, const QStringList& points)
{
    for (const QString& point : points)
        if (id == point || id.startsWith(point + '.'))
            return true;
    return false;
}

fs::path deployFolder(const fs::path& installation, const LinuxApps::FlatpakRef& ref)
{
    return installation / (ref.runtime ? "runtime" : "app") / encoded(ref.ref);
}

// ---- The lock ---------------------------------------------------------------

template <typename Number>
bool readNumber(std::string_view text, Number& number, int base = 10)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number, base);
    return error == std::errc() && end == text.data() + text.size();
}

std::vector<std::string_view> wordsOf(std::string_view line)
{
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t", at);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find_first_of(" \t", start), line.size());
        words.push_back(line.substr(start, end - start));
        at = end;
    }
    return words;
}

} // namespace

std::optional<std::int64_t> folderBytes(const fs::path& folder)
{
    const int fd = open(folder.c_str(), FolderFd::kOpenFlags);
    if (fd < 0)
        return std::nullopt;
    close(fd);
    return FS::size(folder);
}

std::optional<std::int64_t> regularFileBytes(const fs::path& file)
{
    struct stat info;
    if (lstat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return std::int64_t(info.st_blocks) * 512;
}

std::optional<std::int64_t> Found::total() const
{
    if (!complete)
        return std::nullopt;
    std::int64_t sum = 0;
    for (const SystemFile& file : files)
        sum += file.bytes;
    return sum;
}

// ---- Package caches ----------------------------------------------------------

Found aptArchives(const fs::path& root)
{
    return filesIn(root / "var/cache/apt/archives", 1, [](const Walker::Entry& entry) -> std::optional<std::string> {
        if (entry.name.size() > 4 && entry.name.ends_with(".deb"))
            return std::string(entry.name);
        return std::nullopt;
    });
}

std::optional<std::int64_t> dnfCacheBytes(const fs::path& root)
{
    const fs::path cache = root / "var/cache/dnf";
    struct stat info;
    if (lstat(cache.c_str(), &info) != 0 && errno == ENOENT)
        return 0;
    return folderBytes(cache);
}

std::string pacmanPackageOf(std::string_view file)
{
    if (file.ends_with(".sig"))
        file.remove_suffix(4);
    const std::size_t tar = file.rfind(".pkg.tar");
    if (tar == std::string_view::npos)
        return {};
    const std::string_view stem = file.substr(0, tar);  // NAME-VERSION-RELEASE-ARCH
    const std::size_t arch = stem.rfind('-');
    return arch == std::string_view::npos || arch == 0 ? std::string() : std::string(stem.substr(0, arch));
}

Found pacmanCache(const fs::path& root)
{
    // What is installed: var/lib/pacman/local holds one folder NAME-VERSION-RELEASE each.
    std::set<std::string> installed;
    const int local = open((root / "var/lib/pacman/local").c_str(), FolderFd::kOpenFlags);
    if (local < 0) {
        Found unknown;
        unknown.complete = false;
        return unknown;
    }
    Walker::walkOpen(local, (root / "var/lib/pacman/local").native(), [&installed](const Walker::Entry& entry) {
        if (entry.isDir())
            installed.emplace(entry.name);
        return Walker::Step::Skip;
    });
    return filesIn(root / "var/cache/pacman/pkg", 1, [&installed](const Walker::Entry& entry) -> std::optional<std::string> {
        const std::string package = pacmanPackageOf(entry.name);
        if (package.empty() || installed.contains(package))
            return std::nullopt;
        return std::string(entry.name);
    });
}

// ---- The journal ---------------------------------------------------------------

std::optional<std::uint64_t> journalNewestEntry(std::string_view header)
{
    if (header.size() < kTailEntryRealtime + 8 || !header.starts_with(kJournalSignature))
        return std::nullopt;
    return littleEndian64(header.substr(kTailEntryRealtime, 8));
}

bool isArchivedJournal(std::string_view name)
{
    const bool journal = name.ends_with(".journal") || name.ends_with(".journal~");
    const std::size_t at = name.find('@');
    return journal && at != std::string_view::npos && at > 0;
}

Found oldJournals(const fs::path& root, std::chrono::system_clock::time_point now)
{
    const std::int64_t cutoff =
        std::chrono::duration_cast<std::chrono::microseconds>((now - kJournalKept).time_since_epoch()).count();
    bool unreadable = false;
    Found found = filesIn(root / "var/log/journal", 2, [&](const Walker::Entry& entry) -> std::optional<std::string> {
        if (entry.depth != 2 || !isArchivedJournal(entry.name))
            return std::nullopt;
        const std::optional<std::string> head = headOf(entry.folderFd, entry.name, kTailEntryRealtime + 8);
        if (!head) {
            unreadable = true;
            return std::nullopt;
        }
        const std::optional<std::uint64_t> newest = journalNewestEntry(*head);
        if (!newest || *newest == 0 || cutoff <= 0 || *newest >= std::uint64_t(cutoff))
            return std::nullopt;
        return std::string(entry.name);
    });
    found.complete = found.complete && !unreadable;
    return found;
}

// ---- Snaps ---------------------------------------------------------------------

std::vector<OldSnap> oldSnapRevisions(const QString& snapListAll, const fs::path& root)
{
    std::vector<OldSnap> old;
    for (const LinuxApps::SnapRevision& row : LinuxApps::parseSnapRevisions(snapListAll)) {
        if (!row.notes.contains(QLatin1String("disabled"))
            || !helperTakes(Admin::kRemoveSnapRevision, {encoded(row.name), encoded(row.revision)}))
            continue;
        const fs::path file = root / "var/lib/snapd/snaps" / encoded(row.name + '_' + row.revision + ".snap");
        old.push_back({row.name, row.revision, row.version, file, regularFileBytes(file)});
    }
    return old;
}

std::string snapRevisionOf(std::string_view path)
{
    constexpr std::string_view kSnaps = "/snap/";
    if (!path.starts_with(kSnaps))
        return {};
    path.remove_prefix(kSnaps.size());
    const std::size_t name = path.find('/');
    if (name == std::string_view::npos || name == 0)
        return {};
    const std::size_t revision = path.find('/', name + 1);
    if (revision == std::string_view::npos || revision == name + 1)
        return {};
    return std::string(path.substr(0, name)) + '_' + std::string(path.substr(name + 1, revision - name - 1));
}

std::set<std::string> runningSnapRevisions(const fs::path& procRoot)
{
    std::set<std::string> running;
    std::error_code ec;
    for (fs::directory_iterator it(procRoot, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string pid = it->path().filename().string();
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        char target[4096];
        const ssize_t length = readlink((it->path() / "exe").c_str(), target, sizeof target);
        if (length > 0)
            if (std::string revision = snapRevisionOf({target, std::size_t(length)}); !revision.empty())
                running.insert(std::move(revision));
    }
    return running;
}

// ---- Flatpak -----------------------------------------------------------------------

std::optional<FlatpakNeeds> readFlatpakMetadata(const fs::path& file)
{
    const std::unique_ptr<GKeyFile, KeyFileFree> keys(g_key_file_new());
    if (!g_key_file_load_from_file(keys.get(), file.c_str(), G_KEY_FILE_NONE, nullptr))
        return std::nullopt;
    FlatpakNeeds needs;
    needs.runtime = keyValue(keys.get(), "Application", "runtime");
    needs.sdk = keyValue(keys.get(), "Application", "sdk");
    gchar** groups = g_key_file_get_groups(keys.get(), nullptr);
    for (gchar** group = groups; group && *group; ++group) {
        const QString name = QString::fromUtf8(*group);
        if (name.startsWith(QLatin1String("Extension ")))
            needs.extensionPoints << name.mid(10).trimmed();
    }
    g_strfreev(groups);
    return needs;
}

bool isAutomaticExtension(const QString& id)
{
    static const QStringList inside{QStringLiteral("GL"), QStringLiteral("GL32"), QStringLiteral("VAAPI")};
    static const QStringList last{QStringLiteral("Codecs"),  QStringLiteral("Locale"),   QStringLiteral("Debug"),
                                  QStringLiteral("Sources"), QStringLiteral("openh264"), QStringLiteral("ffmpeg-full")};
    if (id.startsWith(QLatin1String("org.gtk.Gtk3theme.")))
        return true;
    const QStringList parts = id.split('.');
    for (qsizetype i = 1; i + 1 < parts.size(); ++i)
        if (inside.contains(parts[i]))
            return true;
    return parts.size() > 1 && last.contains(parts.back());
}

std::vector<LinuxApps::FlatpakRef> runtimesNothingNeeds(const std::vector<LinuxApps::FlatpakRef>& installed,
                                                        const std::map<QString, FlatpakNeeds>& needs)
{
    std::set<QString> needed;
    QStringList points;
    // Whether the ref's needs are known; an application's runtime and SDK are needed.
    const auto take = [&](const LinuxApps::FlatpakRef& ref) {
        const auto found = needs.find(ref.ref);
        if (found == needs.end())
            return false;
        if (!ref.runtime)
            needed.insert({found->second.runtime, found->second.sdk});
        points << found->second.extensionPoints;
        return true;
    };
    for (const LinuxApps::FlatpakRef& ref : installed)
        if (!ref.runtime && !take(ref))
            return {};
    for (const LinuxApps::FlatpakRef& ref : installed)
        if (ref.runtime && needed.count(ref.ref) && !take(ref))
            return {};

    std::vector<LinuxApps::FlatpakRef> unused;
    for (const LinuxApps::FlatpakRef& ref : installed) {
        const QString id = flatpakId(ref.ref);
        if (ref.runtime && !needed.count(ref.ref) && !isAutomaticExtension(id) && !inExtensionPoint(id, points))
            unused.push_back(ref);
    }
    return unused;
}

std::vector<UnusedRuntime> unusedFlatpakRuntimes(const QString& flatpakList,
                                                 const std::map<QString, fs::path>& installations)
{
    const std::vector<LinuxApps::FlatpakRef> installed = LinuxApps::parseFlatpakRefs(flatpakList);
    std::map<QString, FlatpakNeeds> needs;
    for (const LinuxApps::FlatpakRef& ref : installed) {
        const auto installation = installations.find(ref.installation);
        if (installation == installations.end())
            continue;
        if (std::optional<FlatpakNeeds> read = readFlatpakMetadata(deployFolder(installation->second, ref) / "active/metadata"))
            needs.emplace(ref.ref, std::move(*read));
    }
    std::vector<UnusedRuntime> unused;
    for (const LinuxApps::FlatpakRef& ref : runtimesNothingNeeds(installed, needs)) {
        const QString helperRef = QStringLiteral("runtime/") + ref.ref;
        if (!Admin::isFlatpakRuntimeRef(encoded(helperRef)))
            continue;
        const auto installation = installations.find(ref.installation);
        const fs::path folder = installation == installations.end() ? fs::path() : deployFolder(installation->second, ref);
        unused.push_back({helperRef, ref.installation, folder, folder.empty() ? std::nullopt : folderBytes(folder)});
    }
    return unused;
}

// ---- Packages nothing needs ---------------------------------------------------

bool isRunningKernelPackage(const QString& package, const QString& release)
{
    const QString name = package.section(':', 0, 0);
    const QString abi = release.section('-', 0, 1);
    if (abi.isEmpty() || !name.startsWith(QLatin1String("linux-")))
        return false;
    for (qsizetype at = name.indexOf(abi); at > 0; at = name.indexOf(abi, at + 1)) {
        const qsizetype end = at + abi.size();
        if (name[at - 1] == '-' && (end == name.size() || name[end] == '-'))
            return true;
    }
    return false;
}

std::vector<NeedlessPackage> packagesNothingNeeds(const QString& aptAutoremove, const QString& dpkgShow,
                                                  const QString& kernelRelease)
{
    const std::map<QString, LinuxApps::PackageFacts> facts = LinuxApps::parseDpkgShow(dpkgShow);
    std::vector<NeedlessPackage> packages;
    for (const QString& name : LinuxApps::parseAptRemovals(aptAutoremove, true)) {
        if (isRunningKernelPackage(name, kernelRelease) || !Admin::isPackageName(encoded(name)))
            continue;
        const auto found = facts.find(name.section(':', 0, 0));
        if (found == facts.end()) {
            packages.push_back({name, {}, std::nullopt});
            continue;
        }
        if (found->second.neverOffered)
            continue;
        const std::int64_t bytes = found->second.installedBytes;
        packages.push_back({name, found->second.version, bytes > 0 ? std::optional(bytes) : std::nullopt});
    }
    return packages;
}

std::optional<std::int64_t> installedPackageBytes(const fs::path& root, const QString& package)
{
    std::ifstream in(root / "var/lib/dpkg/status");
    if (!in)
        return std::nullopt;
    const std::string name = encoded(package.section(':', 0, 0));
    const std::string arch = encoded(package.section(':', 1));
    // Each stanza's fields of interest, judged at its blank line.
    std::string stanzaName, stanzaArch, status, size;
    std::int64_t bytes = 0;
    const auto judge = [&] {
        const bool installed = !status.empty() && !status.ends_with(" not-installed")
            && !status.ends_with(" config-files");
        if (stanzaName == name && (arch.empty() || stanzaArch == arch) && installed) {
            std::int64_t kib = 0;
            readNumber(size, kib);
            bytes += std::max<std::int64_t>(kib, 1) * 1024;
        }
        stanzaName.clear(), stanzaArch.clear(), status.clear(), size.clear();
    };
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty())
            judge();
        else if (line.starts_with("Package: "))
            stanzaName = line.substr(9);
        else if (line.starts_with("Architecture: "))
            stanzaArch = line.substr(14);
        else if (line.starts_with("Status: "))
            status = line.substr(8);
        else if (line.starts_with("Installed-Size: "))
            size = line.substr(16);
    }
    judge();
    return bytes;
}

// ---- Crash leftovers and rotated logs -------------------------------------------

Found coreDumps(const fs::path& root)
{
    return filesIn(root / "var/lib/systemd/coredump", 1, [](const Walker::Entry& entry) -> std::optional<std::string> {
        std::string name(entry.name);
        return helperTakes(Admin::kRemoveCoreDump, {name}) ? std::optional(name) : std::nullopt;
    });
}

Found crashReports(const fs::path& root)
{
    return filesIn(root / "var/crash", 1, [](const Walker::Entry& entry) -> std::optional<std::string> {
        std::string name(entry.name);
        return helperTakes(Admin::kRemoveCrashReport, {name}) ? std::optional(name) : std::nullopt;
    });
}

Found rotatedLogs(const fs::path& root)
{
    const fs::path logs = root / "var/log";
    return filesIn(logs, INT_MAX, [&logs](const Walker::Entry& entry) -> std::optional<std::string> {
        const std::string base = Admin::rotatedLogBase(entry.name);
        struct stat live;
        if (base.empty() || fstatat(entry.folderFd, base.c_str(), &live, AT_SYMLINK_NOFOLLOW) != 0)
            return std::nullopt;
        std::string relative = entry.path().lexically_relative(logs).native();
        return helperTakes(Admin::kRemoveRotatedLog, {relative}) ? std::optional(std::move(relative)) : std::nullopt;
    });
}

// ---- The package manager's lock ----------------------------------------------------

std::optional<int> lockHolderPid(std::string_view procLocks, unsigned major, unsigned minor, std::uint64_t inode)
{
    // "1: POSIX  ADVISORY  WRITE 12345 fd:01:1048582 0 EOF": the device's
    // numbers in hexadecimal, the inode in decimal.
    std::size_t start = 0;
    while (start < procLocks.size()) {
        const std::size_t end = std::min(procLocks.find('\n', start), procLocks.size());
        const std::vector<std::string_view> words = wordsOf(procLocks.substr(start, end - start));
        start = end + 1;
        if (words.size() < 6 || words[1] == "->")
            continue;
        const std::string_view place = words[5];
        const std::size_t first = place.find(':');
        const std::size_t second = place.find(':', first + 1);
        unsigned lockMajor = 0;
        unsigned lockMinor = 0;
        std::uint64_t lockInode = 0;
        int pid = 0;
        if (first == std::string_view::npos || second == std::string_view::npos
            || !readNumber(place.substr(0, first), lockMajor, 16)
            || !readNumber(place.substr(first + 1, second - first - 1), lockMinor, 16)
            || !readNumber(place.substr(second + 1), lockInode) || !readNumber(words[4], pid))
            continue;
        if (pid > 0 && lockMajor == major && lockMinor == minor && lockInode == inode)
            return pid;
    }
    return std::nullopt;
}

std::optional<LockHolder> lockHolder(const fs::path& lockFile, const fs::path& procRoot)
{
    struct stat info;
    if (stat(lockFile.c_str(), &info) != 0)
        return std::nullopt;
    const std::optional<int> pid =
        lockHolderPid(readText(procRoot / "locks"), ::major(info.st_dev), ::minor(info.st_dev), info.st_ino);
    if (!pid)
        return std::nullopt;
    const QString name = QString::fromUtf8(readText(procRoot / std::to_string(*pid) / "comm")).trimmed();
    if (name.isEmpty())
        return std::nullopt;
    return LockHolder{*pid, name};
}

std::optional<LockHolder> packageLockHolder(const fs::path& root, const fs::path& procRoot)
{
    for (const char* lock : {"var/lib/dpkg/lock-frontend", "var/lib/dpkg/lock", "var/cache/apt/archives/lock",
                             "var/lib/apt/lists/lock"})
        if (std::optional<LockHolder> holder = lockHolder(root / lock, procRoot))
            return holder;
    return std::nullopt;
}

} // namespace SystemJunk
