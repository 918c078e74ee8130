#include "platform/FS.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <limits>
#include <memory>
#include <mutex>
#include <set>
#include <utility>
#include <string_view>
#include <system_error>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QUrl>

#include "platform/FolderFd.h"
#include "platform/ParallelWalk.h"
#include "platform/Paths.h"
#include "platform/VirtualFs.h"
#include "platform/Walker.h"

namespace {

std::shared_ptr<const FS::Protection>& protectionSlot()
{
    static std::shared_ptr<const FS::Protection> slot = std::make_shared<const FS::Protection>();
    return slot;
}

// The places the active profile protects (FS::setProtection); read by every
// thread, replaced whole.
std::shared_ptr<const FS::Protection> protection()
{
    return std::atomic_load(&protectionSlot());
}

// "/a/./b//c/" -> "/a/b/c"; ".." climbs; the root stays "/".
std::string normalised(const FS::Path& path)
{
    std::string text = path.lexically_normal().native();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

// The folder holding a normalised absolute path ("/" for "/x" and for "/").
std::string parentOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string lastName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// The home folder as "/home/name", with no trailing slash ("/" stays "/").
std::string homeText()
{
    return normalised(FS::home());
}

// Each place normalised, and also with the links on the way to its holding
// folder resolved (as a walk or a folder opened through such a link meets it);
// a place that is a link itself stays that link.
std::vector<FS::Path> withHoldingFolderResolved(const std::vector<FS::Path>& places)
{
    std::vector<FS::Path> all;
    for (const FS::Path& place : places) {
        const FS::Path normal = normalised(place);
        std::error_code error;
        const FS::Path holder = std::filesystem::canonical(normal.parent_path(), error);
        const FS::Path resolved = error ? normal : holder / normal.filename();
        for (const FS::Path& form : {normal, resolved})
            if (std::find(all.begin(), all.end(), form) == all.end())
                all.push_back(form);
    }
    return all;
}

bool hasDotDot(const FS::Path& path)
{
    return std::any_of(path.begin(), path.end(), [](const FS::Path& part) { return part == ".."; });
}

bool canList(const FS::Path& folder)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return false;
    errno = 0;
    readdir(dir);
    const bool ok = errno == 0;
    closedir(dir);
    return ok;
}

// "16303508 kB" -> bytes; false for anything else.
bool parseKilobytes(std::string_view text, std::uint64_t& bytes)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    std::uint64_t kilobytes = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), kilobytes);
    if (error != std::errc() || end == text.data())
        return false;
    std::string_view unit(end, std::size_t(text.data() + text.size() - end));
    while (!unit.empty() && isBlank(unit.front()))
        unit.remove_prefix(1);
    if (unit != "kB" || kilobytes > std::numeric_limits<std::uint64_t>::max() / 1024)
        return false;
    bytes = kilobytes * 1024;
    return true;
}

// Whether the folder `info` describes, found at `path`, is the top of a file
// system that holds no files on disk (it lies on another device than its
// parent folder, and that device is a virtual one).
bool isVirtualTop(const std::string& path, const struct stat& info)
{
    struct stat parent;
    const std::string up = path + "/..";
    if (lstat(up.c_str(), &parent) != 0 || parent.st_dev == info.st_dev)
        return false;
    const std::vector<dev_t> devices = VirtualFs::currentDevices();
    return std::find(devices.begin(), devices.end(), info.st_dev) != devices.end();
}

// Measures folders on the shared pool of walking threads (ParallelWalk).
//
// It measures one root (FS::size: the calling thread walks alone and starts
// the other workers only once the tree proves large, so measuring a small
// folder costs no thread at all) or many (FS::sizeEach: each is reported as
// soon as every walk of its tree has ended). Each worker adds up the files it
// meets per root, so no lock is taken per file. Walks never enter anything
// mounted inside a tree (the walker stays out), and a file with several names
// inside one root counts once.
class ParallelSize {
public:
    // Entries the calling thread reads alone before it starts the other workers.
    static constexpr int kEntriesBeforeHelpers = 500;

    ParallelSize(int workers, const std::atomic<bool>* cancel) : workers_(workers), cancel_(cancel) {}

    // Takes ownership of `rootFd`, the open folder at `root`.
    std::int64_t runOne(int rootFd, const FS::Path& root)
    {
        prepare(1);
        const ParallelWalk::OpenRoot opened = [rootFd](std::size_t, const ParallelWalk::Place&) { return rootFd; };
        ParallelWalk::run({root}, opened, visitor(), {}, {workers_, cancel_, kEntriesBeforeHelpers});
        return total(0);
    }

    void runEach(const std::vector<FS::Path>& roots, const FS::Measured& measured)
    {
        prepare(roots.size());
        const ParallelWalk::OpenRoot opener = [&](std::size_t root, const ParallelWalk::Place& place) {
            return openRoot(roots[root], root, place.worker);
        };
        const ParallelWalk::RootDone done = [&](std::size_t root) { measured(root, total(root)); };
        ParallelWalk::run(roots, opener, visitor(), done, {workers_, cancel_, 0});
    }

private:
    void prepare(std::size_t roots)
    {
        sums_.assign(std::size_t(workers_), std::vector<std::int64_t>(roots, 0));
        links_.assign(roots, {});
    }

    // The sum of a root over every worker; read once all its walks have ended.
    std::int64_t total(std::size_t root) const
    {
        std::int64_t sum = 0;
        for (const std::vector<std::int64_t>& worker : sums_)
            sum += worker[root];
        return sum;
    }

    ParallelWalk::Visit visitor()
    {
        return [this](const Walker::Entry& entry, const ParallelWalk::Place& place) {
            if (entry.isFile()) {
                if (entry.info.st_nlink < 2 || firstName(place.root, entry.info))
                    sums_[std::size_t(place.worker)][place.root] += entry.allocated();
            } else if (entry.isDir() && entry.mountRoot) {
                return Walker::Step::Skip;  // another mount is measured on its own, if at all
            }
            return Walker::Step::Enter;
        };
    }

    // Opens a root whose turn has come; -1 when it is no folder to walk, and
    // then its size (a file, a link or a device: itself only) is already counted.
    int openRoot(const FS::Path& path, std::size_t root, int worker)
    {
        struct stat info;
        if (lstat(path.c_str(), &info) != 0)
            return -1;
        if (!S_ISDIR(info.st_mode)) {
            sums_[std::size_t(worker)][root] += std::int64_t(info.st_blocks) * 512;
            return -1;
        }
        if (isVirtualTop(path.native(), info))
            return -1;
        return open(path.c_str(), FolderFd::kOpenFlags);
    }

    // Whether this is the first name of a file with several names met while
    // measuring `root`: its space is counted once, as du counts it.
    bool firstName(std::size_t root, const struct stat& info)
    {
        std::lock_guard lock(linksMutex_);
        return links_[root].insert({info.st_dev, info.st_ino}).second;
    }

    const int workers_;
    const std::atomic<bool>* cancel_;
    std::vector<std::vector<std::int64_t>> sums_;  // by worker, then by root
    std::mutex linksMutex_;
    std::vector<std::set<std::pair<dev_t, ino_t>>> links_;  // by root: files of several names met so far
};

} // namespace

namespace FS {

Path home()
{
    return Paths::home();
}

Path expand(const std::string& path)
{
    if (path == "~")
        return home();
    if (startsWith(path, "~/"))
        return home() / path.substr(2);
    return Path(path);
}

QString text(const Path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

bool isUtf8(const QByteArray& bytes)
{
    // Invalid sequences decode to U+FFFD, so they do not come back the same.
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

QString pretty(const Path& path)
{
    const std::string text = path.native();
    const std::string homePath = homeText();
    if (text == homePath)
        return QStringLiteral("~");
    // The home prefix must end at a folder boundary: with home "/home/al",
    // "/home/alice" stays as it is instead of becoming "~ice".
    const std::string prefix = homePath == "/" ? homePath : homePath + "/";
    if (startsWith(text, prefix))
        return QStringLiteral("~/") + QFile::decodeName(QByteArray::fromStdString(text.substr(prefix.size())));
    return QFile::decodeName(QByteArray::fromStdString(text));
}

bool isDir(const Path& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int sizeWorkers(unsigned threads)
{
    return int(std::clamp(threads, 1u, unsigned(kMaxSizeWorkers)));
}

std::int64_t size(const Path& path)
{
    return size(path, sizeWorkers(std::thread::hardware_concurrency()));
}

std::int64_t size(const Path& path, int workers, const std::atomic<bool>* cancel)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return 0;
    if (!S_ISDIR(info.st_mode))
        return std::int64_t(info.st_blocks) * 512;  // a file, a link or a device: itself only
    if (isVirtualTop(path.native(), info))
        return 0;

    workers = sizeWorkers(unsigned(std::max(workers, 1)));
    const int fd = open(path.c_str(), FolderFd::kOpenFlags);
    if (fd < 0)
        return 0;
    return ParallelSize(workers, cancel).runOne(fd, path);
}

std::int64_t sizeAt(int folderFd, const std::string& name)
{
    struct stat folder;
    struct stat info;
    bool mountRoot = false;
    if (fstat(folderFd, &folder) != 0 || FolderFd::statEntry(folderFd, name.c_str(), folder.st_dev, info, mountRoot) != 0)
        return 0;
    if (!S_ISDIR(info.st_mode))
        return std::int64_t(info.st_blocks) * 512;
    if (mountRoot)
        return 0;
    const int fd = openat(folderFd, name.c_str(), FolderFd::kOpenFlags);
    if (fd < 0)
        return 0;
    return ParallelSize(sizeWorkers(std::thread::hardware_concurrency()), nullptr).runOne(fd, name);
}

void sizeEach(const std::vector<Path>& paths, int workers, const Measured& measured,
              const std::atomic<bool>* cancel)
{
    if (paths.empty())
        return;
    workers = sizeWorkers(unsigned(std::max(workers, 1)));
    ParallelSize(workers, cancel).runEach(paths, measured);
}

std::vector<Path> children(const Path& folder, bool hidden)
{
    std::vector<Path> result;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return result;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (!hidden && name.front() == '.')
            continue;
        result.push_back(folder / Path(std::string(name)));
    }
    closedir(dir);
    return result;
}

bool mayDelete(const Path& path)
{
    const std::string text = normalised(path);
    const std::string parent = parentOf(text);
    struct stat item;
    struct stat folder;
    if (lstat(text.c_str(), &item) != 0 || stat(parent.c_str(), &folder) != 0)
        return false;
    if (access(parent.c_str(), W_OK | X_OK) != 0)
        return false;
    const uid_t uid = getuid();
    if ((folder.st_mode & S_ISVTX) && uid != 0)
        return item.st_uid == uid || folder.st_uid == uid;
    return true;
}

void setProtection(Protection places)
{
    for (Path& place : places.places)
        place = normalised(place);
    places.storage = withHoldingFolderResolved(places.storage);
    std::atomic_store(&protectionSlot(), std::shared_ptr<const Protection>(
                                             std::make_shared<const Protection>(std::move(places))));
}

std::vector<Path> storagePlaces()
{
    return protection()->storage;
}

bool isProtected(const Path& path)
{
    // A path that is not absolute names no fixed place, so it is never offered.
    if (!path.is_absolute())
        return true;
    // ".." is resolved by text below, but through a link it lands somewhere
    // else on disk, so a path that climbs is never offered either.
    if (hasDotDot(path))
        return true;

    // The parent and the name come from the cleaned path as well, so that
    // "/var/" or "/home/bob/" are judged like "/var" and "/home/bob".
    const std::string p = normalised(path);
    const std::string q = parentOf(p);
    const std::string n = lastName(p);
    const std::string h = homeText();

    if (p == "/" || q == "/")
        return true;
    const std::shared_ptr<const Protection> places = protection();
    for (const std::string& root : places->systemRoots) {
        if (p == root)
            return true;
        // Items below the folder of all homes are judged by the rules that follow.
        if (root != places->usersRoot && startsWith(p, root + "/"))
            return true;
    }
    for (const Path& place : places->storage)
        if (p == place.native() || startsWith(p, place.native() + "/"))
            return true;
    if (!places->usersRoot.empty() && (p == places->usersRoot || q == places->usersRoot))
        return true;
    if (startsWith(n, ".") && q == h
        && std::find(places->homeJunk.begin(), places->homeJunk.end(), n) == places->homeJunk.end())
        return true;
    for (const std::string& suffix : places->homePlaces) {
        const std::string place = h == "/" ? (suffix.empty() ? "/" : suffix) : h + suffix;
        if (p == place)
            return true;
    }
    // setProtection stored them normalised already.
    for (const Path& place : places->places)
        if (p == place.native())
            return true;
    // The Trash may live outside the home folder ($XDG_DATA_HOME).
    const Path trash = trashFolder();
    return p == normalised(trash) || p == normalised(trash.parent_path());
}

bool hasPackageExtension(const Path& path, const std::vector<std::string>& extensions)
{
    std::string extension = Path(normalised(path)).extension().native();
    if (extension.size() < 2)
        return false;
    extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return std::find(extensions.begin(), extensions.end(), extension) != extensions.end();
}

bool isPackage(const Path& path, const std::vector<std::string>& extensions)
{
    return hasPackageExtension(path, extensions) && isDir(path);
}

Disk disk(const Path& root)
{
    struct statvfs info;
    if (statvfs(root.c_str(), &info) != 0)
        return {};
    Disk result;
    result.total = std::int64_t(info.f_blocks) * std::int64_t(info.f_frsize);
    result.free = std::int64_t(info.f_bavail) * std::int64_t(info.f_frsize);
    return result;
}

std::string mountPointOf(const std::string& folder, dev_t device)
{
    std::string current = folder;
    while (current != "/") {
        const std::size_t slash = current.rfind('/');
        if (slash == std::string::npos)
            break;
        const std::string up = slash == 0 ? "/" : current.substr(0, slash);
        struct stat info;
        if (stat(up.c_str(), &info) != 0 || info.st_dev != device)
            break;
        current = up;
    }
    return current;
}

Memory memory(const Path& meminfo)
{
    std::ifstream file(meminfo);
    if (!file)
        return {};
    bool haveTotal = false;
    bool haveAvailable = false;
    std::uint64_t total = 0;
    std::uint64_t available = 0;
    std::string line;
    while (std::getline(file, line)) {
        const std::string_view text = line;
        if (startsWith(text, "MemTotal:"))
            haveTotal = parseKilobytes(text.substr(9), total);
        else if (startsWith(text, "MemAvailable:"))
            haveAvailable = parseKilobytes(text.substr(13), available);
    }
    if (!haveTotal)
        return {};
    Memory result;
    result.total = total;
    // Without a figure for available memory the amount in use is unknown: 0.
    if (haveAvailable)
        result.used = total - std::min(available, total);
    return result;
}

Path trashFolder()
{
    return Paths::dataHome() / "Trash" / "files";
}

bool hasFullDiskAccess()
{
    // Linux has no such privilege; what a sandbox hides is probed instead, in
    // order: the Trash folder, then the home folder. The first that lists answers.
    for (const Path& probe : {trashFolder(), home()})
        if (canList(probe))
            return true;
    return false;
}

bool canOpenAddress(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    return url.isValid() && !url.scheme().isEmpty();
}

QString relaunchProgram()
{
    const QByteArray appImage = qgetenv("APPIMAGE");
    if (!appImage.isEmpty())
        return QFile::decodeName(appImage);
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    std::error_code error;
    return QFile::decodeName(QByteArray::fromStdString(std::filesystem::read_symlink("/proc/self/exe", error).native()));
}

QStringList relaunchArguments(const QString& program)
{
    return {QStringLiteral("-c"), QStringLiteral("sleep 0.7; exec \"$0\""), program};
}

void relaunch()
{
    // A shell that cannot start is ignored: the program still quits.
    QProcess::startDetached(QStringLiteral("/bin/sh"), relaunchArguments(relaunchProgram()));
    QCoreApplication::quit();
}

} // namespace FS
