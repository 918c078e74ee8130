#include "platform/FS.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <deque>
#include <fstream>
#include <limits>
#include <memory>
#include <mutex>
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

constexpr std::array<std::string_view, 13> kPackageExtensions = {
    "app", "bundle", "framework", "plugin", "photoslibrary", "photolibrary", "fcpbundle",
    "logicx", "band", "rtfd", "xcarchive", "pkg", "mpkg",
};

const char* const kFullDiskAccessAddress =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles";

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

// Measures folders on a few threads at once.
//
// A handful of workers (never one per folder) share a queue of folders still
// to walk. Each worker walks the folder it took with the sequential,
// link-safe walker, starting from the descriptor that was opened for it
// relative to its parent's. A worker hands a subfolder to the queue instead of
// entering it itself only while another worker waits for work, so the queue
// never holds more open folders than there are idle workers, and each
// worker's walk keeps its own share of the open-folder budget whatever the
// depth of the tree. Each walk adds up its own files and adds its sum to the
// total of the root it belongs to once it ends.
//
// It measures one root (FS::size: the calling thread is the first worker and
// starts the others only once the tree proves large, so measuring a small
// folder costs no thread at all) or many (FS::sizeEach: the roots wait in the
// queue unopened, and each is reported as soon as every walk of its tree has
// ended). Walks never enter a virtual file system mounted inside a tree.
class ParallelSize {
public:
    // Entries the calling thread reads alone before it starts the other workers.
    static constexpr int kEntriesBeforeHelpers = 500;

    ParallelSize(int workers, const std::atomic<bool>* cancel)
        : workers_(workers), maxOpenPerWalk_(std::max(1, Walker::kMaxOpenFolders / workers)), cancel_(cancel) {}

    // Takes ownership of `rootFd`, the open folder at `root`.
    std::int64_t runOne(int rootFd, std::string root, dev_t device)
    {
        totals_.assign(1, 0);
        pending_.assign(1, 1);
        queue_.push_back(Folder{rootFd, std::move(root), 0, device});
        work(true);
        joinHelpers();
        return totals_[0];
    }

    void runEach(const std::vector<FS::Path>& roots, const FS::Measured& measured)
    {
        measured_ = &measured;
        totals_.assign(roots.size(), 0);
        pending_.assign(roots.size(), 1);
        for (std::size_t i = 0; i < roots.size(); ++i)
            queue_.push_back(Folder{-1, roots[i].native(), i, 0});
        startHelpers();
        work(false);
        joinHelpers();
    }

private:
    struct Folder {
        int fd;            // -1 for a root that is not open yet
        std::string path;
        std::size_t root;  // the index of the root it belongs to
        dev_t device;      // the device of that root
    };

    bool cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }

    void startHelpers()
    {
        for (int i = 1; i < workers_; ++i) {
            try {
                helpers_.emplace_back([this] { work(false); });
            } catch (const std::system_error&) {
                break;  // fewer threads still reach the whole total
            }
        }
    }

    void joinHelpers()
    {
        for (std::thread& helper : helpers_)
            helper.join();
        helpers_.clear();
    }

    // Opens a root that waited in the queue; false when it is no folder to
    // walk, and then its size is already known.
    bool openRoot(Folder& folder, std::int64_t& size)
    {
        size = 0;
        struct stat info;
        if (lstat(folder.path.c_str(), &info) != 0)
            return false;
        if (!S_ISDIR(info.st_mode)) {
            size = std::int64_t(info.st_blocks) * 512;  // a file, a link or a device: itself only
            return false;
        }
        if (isVirtualTop(folder.path, info))
            return false;
        folder.fd = open(folder.path.c_str(), FolderFd::kOpenFlags);
        folder.device = info.st_dev;
        return folder.fd >= 0;
    }

    bool isVirtual(dev_t device)
    {
        std::call_once(virtualOnce_, [this] { virtual_ = VirtualFs::currentDevices(); });
        return std::find(virtual_.begin(), virtual_.end(), device) != virtual_.end();
    }

    // Takes folders from the queue until it is empty and nobody is walking.
    void work(bool startsHelpers)
    {
        int entries = 0;
        std::unique_lock lock(mutex_);
        for (;;) {
            if (!queue_.empty()) {
                Folder folder = std::move(queue_.front());
                queue_.pop_front();
                ++busy_;
                lock.unlock();
                std::int64_t sum = 0;
                const bool walk = !cancelled() && (folder.fd >= 0 || openRoot(folder, sum));
                if (walk) {
                    const Walker::Visitor visit = [&](const Walker::Entry& entry) {
                        if (startsHelpers && ++entries == kEntriesBeforeHelpers)
                            startHelpers();
                        if (entry.isFile()) {
                            sum += entry.allocated();
                        } else if (entry.isDir()) {
                            if (entry.info.st_dev != folder.device && isVirtual(entry.info.st_dev))
                                return Walker::Step::Skip;
                            if (handOver(entry, folder))
                                return Walker::Step::Skip;
                        }
                        return Walker::Step::Enter;
                    };
                    Walker::walkOpen(folder.fd, std::move(folder.path), visit, cancel_, maxOpenPerWalk_);
                } else if (folder.fd >= 0) {
                    close(folder.fd);  // cancelled before its turn
                }
                lock.lock();
                --busy_;
                finish(folder.root, sum, lock);
            } else if (busy_ == 0) {
                break;  // nothing queued and nobody left to queue more
            } else {
                ++waiting_;
                wake_.wait(lock);
                --waiting_;
            }
        }
        wake_.notify_all();
    }

    // Adds a walk's sum to its root (under the lock) and reports the root
    // once its last walk has ended (with the lock released meanwhile).
    void finish(std::size_t root, std::int64_t sum, std::unique_lock<std::mutex>& lock)
    {
        totals_[root] += sum;
        if (--pending_[root] > 0 || !measured_ || cancelled())
            return;
        const std::int64_t total = totals_[root];
        lock.unlock();
        (*measured_)(root, total);
        lock.lock();
    }

    // Queues the folder for a waiting worker; false when nobody waits, and the
    // walk that found it goes in itself.
    bool handOver(const Walker::Entry& entry, const Folder& from)
    {
        if (waiting_.load(std::memory_order_relaxed) == 0)
            return false;  // the usual case, decided without the lock
        std::lock_guard lock(mutex_);
        if (int(queue_.size()) >= waiting_.load(std::memory_order_relaxed))
            return false;
        const std::string name(entry.name);
        const int fd = openat(entry.folderFd, name.c_str(), FolderFd::kOpenFlags);
        if (fd < 0)
            return false;  // the walk tries it and skips it as usual
        ++pending_[from.root];
        queue_.push_back(Folder{fd, entry.path().native(), from.root, from.device});
        wake_.notify_one();
        return true;
    }

    const int workers_;
    const int maxOpenPerWalk_;
    const std::atomic<bool>* cancel_;
    const FS::Measured* measured_ = nullptr;
    std::vector<std::thread> helpers_;  // touched by the calling thread only
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Folder> queue_;          // folders still to walk
    std::vector<std::int64_t> totals_;  // by root; changed only under the lock
    std::vector<int> pending_;          // by root: its walks queued or running
    int busy_ = 0;                      // workers walking a folder right now
    std::atomic<int> waiting_{0};       // workers waiting for a folder; changed only under the lock
    std::once_flag virtualOnce_;
    std::vector<dev_t> virtual_;        // devices of virtual file systems, read on first need
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

std::int64_t size(const Path& path, int workers)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return 0;
    if (!S_ISDIR(info.st_mode))
        return std::int64_t(info.st_blocks) * 512;  // a file, a link or a device: itself only
    if (isVirtualTop(path.native(), info))
        return 0;

    // Every regular file counts, hard links once per name, as a listing shows them.
    workers = sizeWorkers(unsigned(std::max(workers, 1)));
    const int fd = open(path.c_str(), FolderFd::kOpenFlags);
    if (fd < 0)
        return 0;
    return ParallelSize(workers, nullptr).runOne(fd, path.native(), info.st_dev);
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
    std::atomic_store(&protectionSlot(), std::shared_ptr<const Protection>(
                                             std::make_shared<const Protection>(std::move(places))));
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
    if (!places->usersRoot.empty() && (p == places->usersRoot || q == places->usersRoot))
        return true;
    if (startsWith(n, ".") && q == h)
        return true;
    for (const std::string& suffix : places->homePlaces) {
        const std::string place = h == "/" ? (suffix.empty() ? "/" : suffix) : h + suffix;
        if (p == place)
            return true;
    }
    for (const Path& place : places->places)
        if (p == normalised(place))
            return true;
    // The Trash may live outside the home folder ($XDG_DATA_HOME).
    const Path trash = trashFolder();
    return p == normalised(trash) || p == normalised(trash.parent_path());
}

bool hasPackageExtension(const Path& path)
{
    std::string extension = Path(normalised(path)).extension().native();
    if (extension.size() < 2)
        return false;
    extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return std::find(kPackageExtensions.begin(), kPackageExtensions.end(), extension)
        != kPackageExtensions.end();
}

bool isPackage(const Path& path)
{
    return hasPackageExtension(path) && isDir(path);
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
    return url.isValid() && !url.scheme().isEmpty()
        && !url.scheme().startsWith(QStringLiteral("x-apple"), Qt::CaseInsensitive);
}

void openFullDiskAccessSettings()
{
    const QString address = QString::fromLatin1(kFullDiskAccessAddress);
    if (canOpenAddress(address))
        QProcess::startDetached(QStringLiteral("xdg-open"), {address});
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
