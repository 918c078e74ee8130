#include "platform/Trash.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <mntent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include "i18n/L.h"
#include "platform/FailReason.h"
#include "platform/FolderFd.h"
#include "platform/FS.h"
#include "platform/SafeDelete.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kInfoSuffix = ".trashinfo";
constexpr std::size_t kMaxNameBytes = 255;  // NAME_MAX on the usual Linux file systems
constexpr int kMaxNameTries = 10000;

// The path as text without trailing slashes ("/" stays "/").
std::string trimmed(const fs::path& path)
{
    std::string text = path.native();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

std::string lastName(const std::string& text)
{
    const std::size_t slash = text.rfind('/');
    return slash == std::string::npos ? text : text.substr(slash + 1);
}

std::string parentOf(const std::string& text)
{
    const std::size_t slash = text.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : text.substr(0, slash);
}

bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string uidText()
{
    return std::to_string(getuid());
}

// Makes sure `folder` is a real folder (not a link) owned by this user,
// creating it with mode 0700 when missing.
bool ensurePrivateFolder(const std::string& folder)
{
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info;
    return lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid();
}

// A trash: the folder holding files/ and info/, and how Path is written for it.
struct TrashPlace {
    std::string root;
    std::string topdir;  // empty for the home trash (absolute paths)
};

// The device of the path, or of its nearest existing ancestor.
dev_t nearestDevice(fs::path path)
{
    struct stat info;
    while (stat(path.c_str(), &info) != 0) {
        if (!path.has_relative_path())
            return 0;
        path = path.parent_path();
    }
    return info.st_dev;
}

// The trash for an item on `device` whose real parent folder is `parent`.
std::optional<TrashPlace> trashFor(const std::string& parent, dev_t device, QString& error)
{
    const fs::path homeRoot = FS::trashFolder().parent_path();
    std::error_code ec;
    fs::create_directories(homeRoot.parent_path(), ec);
    const bool homeReady = ensurePrivateFolder(homeRoot.native());
    struct stat home;
    if (stat(homeRoot.c_str(), &home) == 0 && home.st_dev == device) {
        if (homeReady)
            return TrashPlace{homeRoot.native(), {}};
        error = L("a Lixeira da pasta pessoal não é uma pasta privada deste usuário");
        return std::nullopt;
    }
    if (!homeReady && nearestDevice(homeRoot) == device) {
        error = L("não foi possível criar a Lixeira da pasta pessoal");
        return std::nullopt;
    }

    const std::string topdir = FS::mountPointOf(parent, device);
    const fs::path root = Trash::volumeTrash(topdir);
    if (!root.empty())
        return TrashPlace{root.native(), topdir};
    error = LF("não há Lixeira utilizável no volume em %@", QFile::decodeName(QByteArray::fromStdString(topdir)));
    return std::nullopt;
}

// The Path value: absolute for the home trash, relative to $topdir otherwise.
std::string pathForInfo(const TrashPlace& place, const std::string& realPath)
{
    if (place.topdir.empty())
        return realPath;
    if (place.topdir == "/")
        return realPath.substr(1);
    return realPath.substr(place.topdir.size() + 1);
}

// Cuts `text` to at most `bytes` bytes without splitting a UTF-8 sequence.
std::string cutBytes(const std::string& text, std::size_t bytes)
{
    if (text.size() <= bytes)
        return text;
    std::size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

// The name tried the n-th time (n from 1): the item's own name, then
// "name.2", "name.3"… with the number before the extension ("photo.2.jpg"),
// shortened where needed so that NAME.trashinfo still fits in a file name.
std::string candidateName(const std::string& name, int n)
{
    std::string stem = name;
    std::string extension;
    const fs::path asPath(name);
    if (n > 1 && asPath.has_extension() && asPath.has_stem()) {
        extension = asPath.extension().native();
        stem = asPath.stem().native();
    }
    const std::string number = n > 1 ? "." + std::to_string(n) : "";
    const std::size_t room = kMaxNameBytes - std::strlen(kInfoSuffix);
    if (stem.size() + number.size() + extension.size() > room) {
        if (extension.size() + number.size() + 1 > room)
            extension.clear();
        stem = cutBytes(stem, room - number.size() - extension.size());
    }
    return stem + number + extension;
}

bool writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

// Renames without replacing anything already at `to`. EEXIST when something is there.
int renameNoReplace(const std::string& from, const std::string& to)
{
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the no-replace flag: look first.
    struct stat info;
    if (lstat(to.c_str(), &info) == 0)
        return EEXIST;
    return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

} // namespace

namespace Trash {

QString deletionDateText(const QDateTime& deletedAt)
{
    return deletedAt.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"));
}

std::string trashInfoText(const std::string& originalPath, const QDateTime& deletedAt)
{
    static const char* hex = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(originalPath.size() * 3);
    for (unsigned char c : originalPath) {
        const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
            || c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (keep) {
            encoded += char(c);
        } else {
            encoded += '%';
            encoded += hex[c >> 4];
            encoded += hex[c & 0xF];
        }
    }
    return "[Trash Info]\nPath=" + encoded + "\nDeletionDate=" + deletionDateText(deletedAt).toStdString() + "\n";
}

namespace {

// Claims the first name, from try `n` on, that neither an entry of files/ nor
// an information file holds: its .trashinfo is created with O_EXCL, so two
// removals never share a name. `n` is left at the name claimed. Nothing, with
// `error` set, when no name can be claimed.
std::optional<Reservation> claimName(const std::string& root, const std::string& name, const std::string& infoText,
                                     int& n, QString& error)
{
    for (; n <= kMaxNameTries; ++n) {
        const std::string candidate = candidateName(name, n);
        const std::string target = root + "/files/" + candidate;
        struct stat taken;
        if (lstat(target.c_str(), &taken) == 0)
            continue;  // an entry without information holds this name
        const std::string infoPath = root + "/info/" + candidate + kInfoSuffix;
        const int fd = open(infoPath.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;  // something trashed earlier has this name
            error = LF("não foi possível criar a informação da Lixeira: %@", errnoText(errno));
            return std::nullopt;
        }
        const bool written = writeAll(fd, infoText);
        if (close(fd) != 0 || !written) {
            unlink(infoPath.c_str());
            error = L("não foi possível gravar a informação da Lixeira");
            return std::nullopt;
        }
        return Reservation{target, infoPath};
    }
    error = L("não há nome livre na Lixeira");
    return std::nullopt;
}

} // namespace

MoveResult moveToTrash(const fs::path& item)
{
    MoveResult result;
    const std::string text = trimmed(item);
    const std::string name = lastName(text);
    if (text.empty() || text == "/" || name.empty() || name == "." || name == "..") {
        result.error = L("não é um item que possa ir para a Lixeira");
        return result;
    }
    struct stat info;
    if (lstat(text.c_str(), &info) != 0) {
        result.error = LF("não foi possível ler o item: %@", errnoText(errno));
        return result;
    }
    // The real folder holding the item, so $topdir and Path are found on disk,
    // not through links on the way; the item itself is never resolved.
    char* real = realpath(parentOf(text).c_str(), nullptr);
    if (!real) {
        result.error = LF("não foi possível encontrar a pasta do item: %@", errnoText(errno));
        return result;
    }
    const std::string parent = real;
    std::free(real);
    const std::string realPath = (parent == "/" ? "" : parent) + "/" + name;

    struct stat parentInfo;
    if (stat(parent.c_str(), &parentInfo) != 0 || parentInfo.st_dev != info.st_dev) {
        result.error = L("um ponto de montagem não pode ir para a Lixeira");
        return result;
    }

    const std::optional<TrashPlace> place = trashFor(parent, info.st_dev, result.error);
    if (!place)
        return result;
    if (realPath == place->root || startsWith(place->root, realPath + "/")
        || startsWith(realPath, place->root + "/")) {
        result.error = L("o item contém a Lixeira ou está nela");
        return result;
    }
    const std::string filesFolder = place->root + "/files";
    const std::string infoFolder = place->root + "/info";
    if (!ensurePrivateFolder(filesFolder) || !ensurePrivateFolder(infoFolder)) {
        result.error = L("não foi possível criar as pastas da Lixeira");
        return result;
    }

    const QDateTime now = QDateTime::currentDateTime();
    const std::string infoText = trashInfoText(pathForInfo(*place, realPath), now);
    for (int n = 1;; ++n) {
        const std::optional<Reservation> claimed = claimName(place->root, name, infoText, n, result.error);
        if (!claimed)
            return result;
        const int error = renameNoReplace(text, claimed->target);
        if (error == 0) {
            result.ok = true;
            result.trashedAs = claimed->target;
            result.deletionDate = deletionDateText(now);
            result.originalPath = realPath;
            return result;
        }
        release(*claimed);
        if (error != EEXIST) {
            result.error = LF("não foi possível mover o item para a Lixeira: %@", errnoText(error));
            return result;
        }
        // An entry appeared under this name since it was claimed: try the next.
    }
}

Reservation reserveInHomeTrash(const fs::path& item, QString& error)
{
    const std::string text = trimmed(item);
    const std::string name = lastName(text);
    if (!item.is_absolute() || text == "/" || name.empty() || name == "." || name == "..") {
        error = L("não é um item que possa ir para a Lixeira");
        return {};
    }
    std::string realPath = text;
    if (char* real = realpath(parentOf(text).c_str(), nullptr)) {
        const std::string parent = real;
        std::free(real);
        realPath = (parent == "/" ? "" : parent) + "/" + name;
    }
    const fs::path root = FS::trashFolder().parent_path();
    std::error_code ec;
    fs::create_directories(root.parent_path(), ec);
    const std::string filesFolder = root.native() + "/files";
    const std::string infoFolder = root.native() + "/info";
    if (!ensurePrivateFolder(root.native()) || !ensurePrivateFolder(filesFolder) || !ensurePrivateFolder(infoFolder)) {
        error = L("não foi possível criar as pastas da Lixeira");
        return {};
    }
    int n = 1;
    return claimName(root.native(), name, trashInfoText(realPath, QDateTime::currentDateTime()), n, error)
        .value_or(Reservation{});
}

void release(const Reservation& reservation)
{
    if (!reservation.info.empty())
        unlink(reservation.info.c_str());
}

fs::path volumeTrash(const fs::path& topdir)
{
    const std::string top = trimmed(topdir);
    const std::string base = top == "/" ? "" : top;
    // The shared $topdir/.Trash only when an administrator made it a real
    // folder with the sticky bit; otherwise a folder of this user's own.
    struct stat shared;
    const std::string sharedTrash = base + "/.Trash";
    if (lstat(sharedTrash.c_str(), &shared) == 0 && S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX)) {
        const std::string own = sharedTrash + "/" + uidText();
        if (ensurePrivateFolder(own))
            return own;
    }
    const std::string own = base + "/.Trash-" + uidText();
    if (ensurePrivateFolder(own))
        return own;
    return {};
}

bool isTrashEntry(const fs::path& path)
{
    const std::string text = trimmed(path);
    if (!path.is_absolute())
        return false;
    for (const fs::path& part : fs::path(text))
        if (part == "..")
            return false;
    const std::string name = lastName(text);
    if (name.empty() || name == ".")
        return false;
    const std::string parent = parentOf(text);
    if (parent == trimmed(FS::trashFolder()))
        return true;
    if (lastName(parent) != "files")
        return false;
    const std::string root = parentOf(parent);
    if (lastName(root) == ".Trash-" + uidText())
        return true;
    return lastName(root) == uidText() && lastName(parentOf(root)) == ".Trash";
}

namespace {

// A real folder (not a link) of this user, opened as `name` of `folderFd`.
int openOwnFolder(int folderFd, const char* name, bool* missing = nullptr)
{
    return FolderFd::openOwnFolder(folderFd, name, getuid(), missing);
}

// The trash folder of a files/ folder's path.
std::string rootOf(const fs::path& filesFolder)
{
    return parentOf(trimmed(filesFolder));
}

} // namespace

OpenTrash::OpenTrash(const std::string& root)
{
    const std::string holder = parentOf(root);
    const int holderFd = open(holder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (holderFd < 0) {
        missing_ = errno == ENOENT;
        return;
    }
    // $topdir/.Trash/$uid: the shared .Trash must itself be a real folder with the sticky bit.
    if (lastName(holder) == ".Trash" && lastName(root) == uidText()) {
        const int top = open(parentOf(holder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const int shared = top >= 0 ? openat(top, ".Trash", FolderFd::kOpenFlags) : -1;
        struct stat info;
        struct stat reached;
        const bool sound = shared >= 0 && fstat(shared, &info) == 0 && S_ISDIR(info.st_mode)
            && (info.st_mode & S_ISVTX) && fstat(holderFd, &reached) == 0
            && reached.st_dev == info.st_dev && reached.st_ino == info.st_ino;
        if (top >= 0)
            close(top);
        if (shared >= 0)
            close(shared);
        if (!sound) {
            close(holderFd);
            return;
        }
    }
    root_ = openOwnFolder(holderFd, lastName(root).c_str(), &missing_);
    close(holderFd);
    if (root_ < 0)
        return;
    files_ = openOwnFolder(root_, "files");
    bool noInfo = false;
    info_ = openOwnFolder(root_, "info", &noInfo);
    usable_ = files_ >= 0 && (info_ >= 0 || noInfo);
}

OpenTrash::~OpenTrash()
{
    for (int fd : {root_, files_, info_})
        if (fd >= 0)
            close(fd);
}

std::vector<std::string> OpenTrash::names() const
{
    std::vector<std::string> list;
    const int fd = dup(files_);
    DIR* dir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            close(fd);
        return list;
    }
    rewinddir(dir);
    while (const dirent* entry = readdir(dir))
        if (!FolderFd::isDotOrDotDot(entry->d_name))
            list.emplace_back(entry->d_name);
    closedir(dir);
    return list;
}

void OpenTrash::removeInfo(const std::string& name) const
{
    if (info_ >= 0)
        unlinkat(info_, (name + kInfoSuffix).c_str(), 0);
}

SafeDelete::Result deleteEntry(const fs::path& entryInFiles)
{
    if (!isTrashEntry(entryInFiles))
        return {SafeDelete::Outcome::Kept, FailReason::Other};
    const std::string text = trimmed(entryInFiles);
    const OpenTrash trash(parentOf(parentOf(text)));
    if (!trash.usable())
        return {SafeDelete::Outcome::Kept, FailReason::LinkRefused};
    const std::string name = lastName(text);
    const SafeDelete::Result result = SafeDelete::removeAt(trash.files(), name);
    // The entry is gone: its information goes too, so the file manager stops listing it.
    if (result.gone())
        trash.removeInfo(name);
    return result;
}

EmptyResult emptyTrash(const fs::path& filesFolder)
{
    EmptyResult result;
    const OpenTrash trash(rootOf(filesFolder));
    if (!trash.usable()) {
        result.refused = true;
        return result;
    }
    for (const std::string& name : trash.names()) {
        if (name == ".DS_Store")
            continue;
        const std::int64_t size = FS::sizeAt(trash.files(), name);
        const SafeDelete::Result removed = SafeDelete::removeAt(trash.files(), name);
        if (removed.outcome == SafeDelete::Outcome::Removed)
            result.freed += size;
        else if (removed.outcome == SafeDelete::Outcome::Kept)
            ++result.failed;
        if (removed.gone())
            trash.removeInfo(name);
    }
    return result;
}

std::vector<fs::path> entries(const fs::path& filesFolder)
{
    std::vector<fs::path> list;
    const OpenTrash trash(rootOf(filesFolder));
    if (!trash.usable())
        return list;
    for (const std::string& name : trash.names())
        list.push_back(filesFolder / name);
    return list;
}

std::int64_t size(const fs::path& filesFolder)
{
    const OpenTrash trash(rootOf(filesFolder));
    std::int64_t total = 0;
    if (trash.usable())
        for (const std::string& name : trash.names())
            total += FS::sizeAt(trash.files(), name);
    return total;
}

bool isUsable(const fs::path& filesFolder)
{
    return OpenTrash(rootOf(filesFolder)).usable();
}

std::optional<FolderId> holdingFolderId(const fs::path& inHomeTrash)
{
    const std::string files = trimmed(FS::trashFolder());
    const std::string text = trimmed(inHomeTrash);
    if (!startsWith(text, files + "/"))
        return std::nullopt;
    const OpenTrash trash(parentOf(files));
    if (!trash.usable())
        return std::nullopt;
    // Down from files/ to the folder holding the item, one real folder at a time.
    int fd = dup(trash.files());
    const std::string rest = text.substr(files.size() + 1);
    std::size_t start = 0;
    for (std::size_t slash = rest.find('/'); fd >= 0 && slash != std::string::npos; slash = rest.find('/', start)) {
        const std::string part = rest.substr(start, slash - start);
        start = slash + 1;
        if (part.empty())
            continue;
        const int next = part == "." || part == ".." ? -1 : openat(fd, part.c_str(), FolderFd::kOpenFlags);
        close(fd);
        fd = next;
    }
    if (fd < 0)
        return std::nullopt;
    struct stat info;
    const bool known = fstat(fd, &info) == 0;
    close(fd);
    if (!known)
        return std::nullopt;
    return FolderId{info.st_dev, info.st_ino};
}

void removeInfo(const fs::path& entryInFiles)
{
    if (!isTrashEntry(entryInFiles))
        return;
    const std::string text = trimmed(entryInFiles);
    const OpenTrash trash(parentOf(parentOf(text)));
    if (trash.usable())
        trash.removeInfo(lastName(text));
}

std::vector<fs::path> volumeTrashFolders(const fs::path& mountTable)
{
    std::vector<fs::path> found;
    FILE* mounts = setmntent(mountTable.c_str(), "r");
    if (!mounts)
        return found;
    const std::string uid = uidText();
    const std::string home = trimmed(FS::trashFolder());
    std::set<std::string> seen;
    while (const mntent* mount = getmntent(mounts)) {
        const fs::path top = mount->mnt_dir;
        if (!seen.insert(top.native()).second || access(top.c_str(), W_OK) != 0)
            continue;
        for (const fs::path& files : {top / ".Trash" / uid / "files", top / (".Trash-" + uid) / "files"}) {
            struct stat info;
            if (trimmed(files.lexically_normal()) == home || lstat(files.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
                continue;
            found.push_back(files);
        }
    }
    endmntent(mounts);
    return found;
}

} // namespace Trash
