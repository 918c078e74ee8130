#include "engines/junk/TimeshiftStore.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include "i18n/L.h"
#include "monitor/Sources.h"
#include "platform/FolderFd.h"
#include "platform/UniqueFd.h"
#include "platform/Walker.h"

namespace Snapshots {

namespace fs = std::filesystem;

namespace {

constexpr qint64 kLargestInfo = 1 << 20;  // info.json and the configuration are a few hundred bytes

QJsonObject objectOf(const QByteArray& json, bool& ok)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    ok = error.error == QJsonParseError::NoError && document.isObject();
    return document.object();
}

// Timeshift writes every value as a string ("true", "1796119201"); a hand-edited file may not.
bool truthOf(const QJsonValue& value)
{
    return value.isBool() ? value.toBool() : value.toString() == QLatin1String("true");
}

// Seconds since 1970 written as digits; nothing for anything else.
std::optional<qint64> secondsOf(const QJsonValue& value)
{
    static const QRegularExpression digits(QStringLiteral(R"(^\d{1,12}$)"));
    const QString text = value.isDouble() ? QString::number(value.toDouble(), 'f', 0) : value.toString();
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    return text.toLongLong();
}

// Timeshift's name for a snapshot: the local time it began.
QDateTime nameTime(const QString& name)
{
    static const QRegularExpression form(QStringLiteral(R"(^\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d$)"));
    if (!form.match(name).hasMatch())
        return {};
    return QDateTime::fromString(name, QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
}

// Up to kLargestInfo bytes of the regular file `name` in the open folder
// `folderFd`, never through a link; nothing when it cannot be read as one.
std::optional<QByteArray> readSmallFileAt(int folderFd, const char* name)
{
    const UniqueFd fd(openat(folderFd, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    struct stat info;
    if (!fd.ok() || fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kLargestInfo)
        return std::nullopt;
    QByteArray bytes(qsizetype(info.st_size), '\0');
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t got = read(fd.get(), bytes.data() + done, std::size_t(bytes.size() - done));
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        done += got;
    }
    bytes.truncate(done);
    return bytes;
}

std::optional<QByteArray> readSmallFile(const fs::path& path)
{
    const UniqueFd folder(open(path.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return folder.ok() ? readSmallFileAt(folder.get(), path.filename().c_str()) : std::nullopt;
}

std::string readText(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// ---- Where the backup device is mounted -------------------------------------

// The device node `node` ("/dev/disk/by-uuid/…", "/dev/mapper/…") stands for,
// its links followed under `root` (a few at most): "/dev/vda1".
std::string deviceNode(const fs::path& root, std::string node)
{
    for (int hop = 0; hop < 8; ++hop) {
        std::error_code error;
        const fs::path target = fs::read_symlink(root / fs::path(node).relative_path(), error);
        if (error)
            break;
        const fs::path next = target.is_absolute() ? target : fs::path(node).parent_path() / target;
        node = next.lexically_normal().string();
    }
    return node;
}

// "major:minor" of the block device at `node` under `root`; empty when none is there.
std::string deviceNumber(const fs::path& root, const std::string& node)
{
    struct stat info;
    if (stat((root / fs::path(node).relative_path()).c_str(), &info) != 0 || !S_ISBLK(info.st_mode))
        return {};
    return std::to_string(major(info.st_rdev)) + ':' + std::to_string(minor(info.st_rdev));
}

// Whether `path` is a folder reached from `base` through real folders only.
bool isRealFolderBelow(const fs::path& base, const fs::path& relative)
{
    fs::path path = base;
    for (const fs::path& part : relative) {
        path /= part;
        std::error_code error;
        if (!fs::is_directory(fs::symlink_status(path, error)))
            return false;
    }
    return true;
}

// ---- What deleting rsync snapshots frees -----------------------------------

struct InodeKey {
    dev_t device;
    ino_t inode;
    bool operator==(const InodeKey&) const = default;
};

struct InodeHash {
    std::size_t operator()(const InodeKey& key) const
    {
        return std::hash<std::uint64_t>()(std::uint64_t(key.inode) * 1000003u ^ std::uint64_t(key.device));
    }
};

// An entry with more than one hard link, as far as the walk has seen it.
struct Linked {
    std::uint64_t found = 0;  // links met inside the snapshots
    std::uint64_t links = 0;  // st_nlink
    std::int64_t bytes = 0;
};

struct Tally {
    std::int64_t bytes = 0;  // folders and entries with one link
    bool complete = true;
    std::unordered_set<InodeKey, InodeHash> folders;  // entered already
    std::unordered_map<InodeKey, Linked, InodeHash> linked;

    // False for a folder met before: it is not walked again.
    bool firstTime(const struct stat& folder)
    {
        return folders.insert(InodeKey{folder.st_dev, folder.st_ino}).second;
    }

    void add(const struct stat& info)
    {
        const std::int64_t allocated = std::int64_t(info.st_blocks) * 512;
        if (S_ISDIR(info.st_mode) || info.st_nlink <= 1) {
            bytes += allocated;
            return;
        }
        Linked& entry = linked[InodeKey{info.st_dev, info.st_ino}];
        ++entry.found;
        entry.links = info.st_nlink;
        entry.bytes = allocated;
    }

    void walk(const fs::path& folder)
    {
        const int fd = open(folder.c_str(), FolderFd::kOpenFlags);
        if (fd < 0) {
            if (errno != ENOENT)
                complete = false;  // unreadable, or a link where a snapshot should be
            return;
        }
        struct stat info;
        if (fstat(fd, &info) != 0 || !firstTime(info)) {
            close(fd);
            return;
        }
        add(info);
        const auto visit = [this](const Walker::Entry& entry) {
            if (entry.mountRoot)
                return Walker::Step::Skip;  // another file system: deleting the snapshot frees none of it
            if (entry.isDir() && !firstTime(entry.info))
                return Walker::Step::Skip;
            add(entry.info);
            return Walker::Step::Enter;
        };
        Walker::walkOpen(fd, folder.native(), visit, nullptr, Walker::kMaxOpenFolders,
                         [this](const Walker::Entry&) { complete = false; });
    }

    Freed freed() const
    {
        std::int64_t total = bytes;
        for (const auto& [key, entry] : linked)
            if (entry.found >= entry.links)
                total += entry.bytes;
        return {total, complete};
    }
};

} // namespace

std::optional<TimeshiftInfo> parseTimeshiftInfo(const QByteArray& json)
{
    bool ok = false;
    const QJsonObject object = objectOf(json, ok);
    if (!ok)
        return std::nullopt;
    TimeshiftInfo info;
    if (const std::optional<qint64> seconds = secondsOf(object.value(QLatin1String("created"))))
        info.created = QDateTime::fromSecsSinceEpoch(*seconds);
    info.tags = object.value(QLatin1String("tags")).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    info.comments = object.value(QLatin1String("comments")).toString();
    info.live = truthOf(object.value(QLatin1String("live")));
    return info;
}

std::optional<TimeshiftConfig> parseTimeshiftConfig(const QByteArray& json)
{
    static const QRegularExpression uuid(QStringLiteral(R"(^[0-9A-Fa-f][0-9A-Fa-f-]{0,63}$)"));
    bool ok = false;
    const QJsonObject object = objectOf(json, ok);
    if (!ok)
        return std::nullopt;
    TimeshiftConfig config;
    const QString device = object.value(QLatin1String("backup_device_uuid")).toString().trimmed();
    if (uuid.match(device).hasMatch())  // it becomes a file name under /dev/disk/by-uuid
        config.backupDeviceUuid = device;
    config.btrfsMode = truthOf(object.value(QLatin1String("btrfs_mode")));
    return config;
}

std::map<std::int64_t, std::int64_t> parseQgroupShow(const QString& text)
{
    // "0/258          3018752      3018752   timeshift-btrfs/snapshots/2026-12-01_10-00-01/@"
    static const QRegularExpression row(QStringLiteral(R"(^\s*0/(\d{1,18})\s+(\d{1,18})\s+(\d{1,18})(\s|$))"));
    std::map<std::int64_t, std::int64_t> exclusive;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = row.match(line);
        if (match.hasMatch())
            exclusive[match.captured(1).toLongLong()] = match.captured(3).toLongLong();
    }
    return exclusive;
}

std::map<QString, std::int64_t> parseSubvolumeList(const QString& text)
{
    // "ID 258 gen 9 top level 5 path timeshift-btrfs/snapshots/2026-12-01_10-00-01/@"
    static const QRegularExpression row(QStringLiteral(R"(^ID (\d{1,18}) .*? path (.+)$)"));
    std::map<QString, std::int64_t> ids;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = row.match(line);
        if (!match.hasMatch())
            continue;
        QString path = match.captured(2);
        if (path.startsWith(QLatin1String("<FS_TREE>/")))  // the form "-a" gives
            path.remove(0, int(qstrlen("<FS_TREE>/")));
        ids[path] = match.captured(1).toLongLong();
    }
    return ids;
}

std::optional<std::int64_t> btrfsExclusiveBytes(const QString& name, const std::map<std::int64_t, std::int64_t>& exclusive,
                                                const std::map<QString, std::int64_t>& ids)
{
    if (!nameTime(name).isValid())
        return std::nullopt;
    std::int64_t total = 0;
    for (const char* subvolume : {"@", "@home"}) {
        const auto id = ids.find(QStringLiteral("timeshift-btrfs/snapshots/") + name + QLatin1Char('/')
                                 + QLatin1String(subvolume));
        if (id == ids.end()) {
            if (QLatin1String(subvolume) == QLatin1String("@"))
                return std::nullopt;
            continue;  // Timeshift leaves @home out unless told to keep it
        }
        const auto bytes = exclusive.find(id->second);
        if (bytes == exclusive.end())
            return std::nullopt;
        total += bytes->second;
    }
    return total;
}

std::vector<TimeshiftSnapshot> listTimeshift(const fs::path& snapshotsFolder)
{
    std::vector<TimeshiftSnapshot> snapshots;
    const int fd = open(snapshotsFolder.c_str(), FolderFd::kOpenFlags);
    if (fd < 0)
        return snapshots;
    DIR* folder = fdopendir(fd);
    if (!folder) {
        close(fd);
        return snapshots;
    }
    while (const dirent* entry = readdir(folder)) {
        const QString name = QString::fromUtf8(entry->d_name);
        if (!nameTime(name).isValid())
            continue;  // ".sync", a stray file, a name Timeshift would not give
        const UniqueFd snapshotFd(openat(fd, entry->d_name, FolderFd::kOpenFlags));
        if (!snapshotFd.ok())
            continue;  // a link, a file, or gone since it was listed
        TimeshiftSnapshot snapshot;
        snapshot.name = name;
        snapshot.folder = snapshotsFolder / entry->d_name;
        const std::optional<QByteArray> text = readSmallFileAt(snapshotFd.get(), "info.json");
        if (const std::optional<TimeshiftInfo> info = text ? parseTimeshiftInfo(*text) : std::nullopt) {
            snapshot.created = info->created;
            snapshot.tags = info->tags;
            snapshot.comments = info->comments;
            snapshot.live = info->live;
            snapshot.complete = true;
        }
        snapshots.push_back(std::move(snapshot));
    }
    closedir(folder);
    std::sort(snapshots.begin(), snapshots.end(),
              [](const TimeshiftSnapshot& a, const TimeshiftSnapshot& b) { return a.name < b.name; });
    return snapshots;
}

std::optional<TimeshiftPlace> findTimeshift(const fs::path& root, const fs::path& procRoot)
{
    std::optional<QByteArray> text = readSmallFile(root / "etc/timeshift/timeshift.json");
    if (!text)
        text = readSmallFile(root / "etc/timeshift/default.json");
    const std::optional<TimeshiftConfig> config = text ? parseTimeshiftConfig(*text) : std::nullopt;
    if (!config || config->backupDeviceUuid.isEmpty())
        return std::nullopt;

    const std::string byUuid = "/dev/disk/by-uuid/" + config->backupDeviceUuid.toStdString();
    const std::string device = deviceNode(root, byUuid);
    if (device == byUuid)
        return std::nullopt;  // no such device here
    const std::string number = deviceNumber(root, device);
    const fs::path folder = config->btrfsMode ? "timeshift-btrfs/snapshots" : "timeshift/snapshots";

    // A btrfs file system's mounts carry a number of their own, not the
    // device's: the source names the device then.
    std::vector<Monitor::Mount> mounts;
    for (const Monitor::Mount& mount : Monitor::parseMountInfo(readText(procRoot / "self/mountinfo")))
        if ((!number.empty() && mount.device == number)
            || (mount.source.starts_with("/dev/") && deviceNode(root, mount.source) == device))
            mounts.push_back(mount);
    // The top of the file system first: that is where Timeshift keeps its folder.
    std::stable_partition(mounts.begin(), mounts.end(), [](const Monitor::Mount& mount) { return mount.root == "/"; });
    for (const Monitor::Mount& mount : mounts) {
        const fs::path base = root / mount.mountPoint.relative_path();
        if (mount.mountPoint.is_absolute() && isRealFolderBelow(base, folder))
            return TimeshiftPlace{(base / folder).lexically_normal(), config->btrfsMode};
    }
    return std::nullopt;
}

Freed rsyncExclusiveBytes(const fs::path& snapshotFolder)
{
    return rsyncExclusiveBytes(std::vector<fs::path>{snapshotFolder});
}

Freed rsyncExclusiveBytes(const std::vector<fs::path>& folders)
{
    Tally tally;
    for (const fs::path& folder : folders)
        tally.walk(folder);
    return tally.freed();
}

std::vector<Snapshot> asSnapshots(const std::vector<TimeshiftSnapshot>& snapshots)
{
    // Creation order among the complete ones: info.json's time, else the name's.
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < snapshots.size(); ++i)
        if (snapshots[i].complete)
            order.push_back(i);
    const auto when = [&](std::size_t i) {
        return snapshots[i].created.isValid() ? snapshots[i].created : nameTime(snapshots[i].name);
    };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return when(a) != when(b) ? when(a) < when(b) : snapshots[a].name < snapshots[b].name;
    });

    std::vector<Snapshot> converted(snapshots.size());
    for (std::size_t i = 0; i < snapshots.size(); ++i) {
        Snapshot& snapshot = converted[i];
        snapshot.config = QStringLiteral("timeshift");
        snapshot.subvolume = QStringLiteral("/");
        snapshot.name = snapshots[i].name;
        snapshot.type = QStringLiteral("single");
        snapshot.date = snapshots[i].created;
        snapshot.description = snapshots[i].comments;
        snapshot.active = snapshots[i].live;
    }
    for (std::size_t rank = 0; rank < order.size(); ++rank)
        converted[order[rank]].number = int(rank) + 1;
    return converted;
}

std::vector<Verdict> judgeTimeshift(const std::vector<TimeshiftSnapshot>& snapshots, const QDateTime& now)
{
    std::vector<Verdict> verdicts = judge(asSnapshots(snapshots), {}, now);
    for (std::size_t i = 0; i < snapshots.size(); ++i)
        if (!snapshots[i].complete)
            verdicts[i] = {false, L("Incompleto ou ainda sendo feito")};
    return verdicts;
}

} // namespace Snapshots
