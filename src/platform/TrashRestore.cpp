#include "platform/TrashRestore.h"

#include <cerrno>
#include <memory>
#include <sstream>
#include <vector>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>

#include "i18n/L.h"
#include "i18n/ShownText.h"
#include "platform/FS.h"
#include "platform/FailReason.h"
#include "platform/FolderFd.h"
#include "platform/Trash.h"
#include "platform/UniqueFd.h"

namespace fs = std::filesystem;

namespace TrashRestore {

namespace {

using Names = std::vector<std::string>;

// No .trashinfo written by a file manager comes near this.
constexpr off_t kMaxInfoBytes = 64 * 1024;

QString shown(const fs::path& path)
{
    return shownRun(FS::pretty(path));
}

fs::path pathOf(const Names& names, fs::path start = "/")
{
    for (const std::string& name : names)
        start /= name;
    return start;
}

// The names of a path between its slashes; nothing when one of them is "."
// or "..", the path holds a NUL or names nothing.
std::optional<Names> namesOf(const std::string& path)
{
    if (path.find('\0') != std::string::npos)
        return std::nullopt;
    Names names;
    std::istringstream parts(path);
    std::string name;
    while (std::getline(parts, name, '/')) {
        if (name == "." || name == "..")
            return std::nullopt;
        if (!name.empty())
            names.push_back(name);
    }
    if (names.empty())
        return std::nullopt;
    return names;
}

// What a .trashinfo's [Trash Info] group says: Path (percent-decoded) and
// DeletionDate. Nothing when either is missing or written twice.
struct Info {
    std::string path;
    QString deletionDate;
};
std::optional<Info> parseInfo(const std::string& text)
{
    Info info;
    int paths = 0, dates = 0;
    bool inGroup = false;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inGroup = line == "[Trash Info]";
        } else if (inGroup && line.rfind("Path=", 0) == 0) {
            info.path = QByteArray::fromPercentEncoding(QByteArray::fromStdString(line.substr(5))).toStdString();
            ++paths;
        } else if (inGroup && line.rfind("DeletionDate=", 0) == 0) {
            info.deletionDate = QString::fromStdString(line.substr(13));
            ++dates;
        }
    }
    if (paths != 1 || dates != 1)
        return std::nullopt;
    return info;
}

// The text of info/NAME.trashinfo, a regular file not reached through a
// link; nothing when it cannot be read.
std::optional<std::string> readInfo(int infoFolder, const std::string& name)
{
    if (infoFolder < 0)
        return std::nullopt;
    const UniqueFd fd(openat(infoFolder, (name + ".trashinfo").c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info;
    if (!fd.ok() || fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxInfoBytes)
        return std::nullopt;
    std::string text(std::size_t(info.st_size), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = pread(fd.get(), text.data() + done, text.size() - done, off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::nullopt;
        done += std::size_t(n);
    }
    return text;
}

// Where a walk down a way of folders stopped: the deepest folder reached,
// the names below it that do not exist, or the errno that stopped it (ELOOP:
// a link stands there; ENOTDIR: something that is not a folder) and where.
struct Way {
    UniqueFd folder;
    Names missing;
    int error = 0;
    fs::path stoppedAt;
};

// Walks `names` down from the folder `start` (whose path is `startPath`),
// opening each as a real folder, never through a link.
Way walk(UniqueFd start, const fs::path& startPath, const Names& names)
{
    Way way{std::move(start), {}, 0, startPath};
    if (!way.folder.ok()) {
        way.error = errno;
        return way;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        way.stoppedAt /= names[i];
        UniqueFd next(openat(way.folder.get(), names[i].c_str(), FolderFd::kOpenFlags));
        if (next.ok()) {
            way.folder = std::move(next);
        } else if (errno == ENOENT) {
            way.missing.assign(names.begin() + long(i), names.end());
            return way;
        } else {
            // A link opened with O_NOFOLLOW | O_DIRECTORY fails as "not a folder": say which it is.
            way.error = errno;
            struct stat info;
            if ((errno == ENOTDIR || errno == ELOOP)
                && fstatat(way.folder.get(), names[i].c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
                way.error = S_ISLNK(info.st_mode) ? ELOOP : ENOTDIR;
            return way;
        }
    }
    return way;
}

UniqueFd openRoot()
{
    return UniqueFd(open("/", FolderFd::kOpenFlags));
}

// Why a walk stopped, as a sentence.
QString wayProblem(const Way& way)
{
    if (way.error == ELOOP)
        return LF("Um link tomou o lugar da pasta %@: nada foi restaurado por ele.", shown(way.stoppedAt));
    if (way.error == ENOTDIR)
        return LF("%@ já não é uma pasta.", shown(way.stoppedAt));
    return LF("Não foi possível abrir %@: %@", shown(way.stoppedAt), errnoText(way.error));
}

// Everything check() finds, kept open for restore() to act on.
struct Examined {
    Check check;
    std::unique_ptr<Trash::OpenTrash> trash;
    std::string entryName;
    Way way;  // to the original folder
};

Examined refusedWith(State state, const QString& reason)
{
    Examined examined;
    examined.check = {state, reason, {}};
    return examined;
}

Examined examine(const Entry& entry)
{
    const std::optional<Names> wanted = namesOf(entry.original.native());
    if (!Trash::isTrashEntry(entry.trashedAs) || entry.deletionDate.isEmpty() || !wanted
        || !entry.original.is_absolute())
        return refusedWith(State::refused, L("O histórico não diz o bastante sobre esta entrada da Lixeira para restaurá-la."));
    const fs::path root = entry.trashedAs.parent_path().parent_path();
    const bool inHomeTrash = root == FS::trashFolder().parent_path();

    // A volume's Trash ($topdir/.Trash-$uid or $topdir/.Trash/$uid): its top
    // folder must still be on the item's file system. Unmounted, it is gone or
    // a plain folder of the file system above; the device is asked rather than
    // whether it is a mount's top, since a btrfs subvolume's top is not one.
    fs::path top = "/";
    UniqueFd topFolder = openRoot();
    if (!inHomeTrash) {
        top = root.filename().native().rfind(".Trash-", 0) == 0 ? root.parent_path() : root.parent_path().parent_path();
        Way toTop = walk(std::move(topFolder), "/", namesOf(top.native()).value_or(Names{}));
        if (toTop.error == ELOOP)
            return refusedWith(State::refused, wayProblem(toTop));
        struct stat info;
        if (toTop.error != 0 || !toTop.missing.empty() || fstat(toTop.folder.get(), &info) != 0
            || std::uint64_t(info.st_dev) != entry.device)
            return refusedWith(State::unmounted, LF("O volume em %@ não está montado.", shown(top)));
        topFolder = std::move(toTop.folder);
    }

    Examined examined;
    Check& check = examined.check;
    examined.trash = std::make_unique<Trash::OpenTrash>(root.native());
    const Trash::OpenTrash& trash = *examined.trash;
    if (!trash.usable()) {
        if (trash.missing())
            check = {State::gone, L("Já não está na Lixeira."), {}};
        else
            check = {State::refused, L("A Lixeira não é uma pasta real deste usuário."), {}};
        return examined;
    }

    // The very entry the record names, not another one given its name since.
    examined.entryName = entry.trashedAs.filename().native();
    struct stat info;
    if (fstatat(trash.files(), examined.entryName.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        check = errno == ENOENT ? Check{State::gone, L("Já não está na Lixeira."), {}}
                                : Check{State::refused, errnoText(errno), {}};
        return examined;
    }
    if (std::uint64_t(info.st_dev) != entry.device || std::uint64_t(info.st_ino) != entry.inode) {
        check = {State::refused, L("Outro item tem agora este nome na Lixeira: o que foi removido já não está lá."), {}};
        return examined;
    }
    if (info.st_uid != getuid()) {
        check = {State::notOurs,
                 info.st_uid == 0 ? L("Movido como administrador: restaure-o pelo gerenciador de arquivos com privilégios.")
                                  : L("Pertence a outro usuário."),
                 {}};
        return examined;
    }

    // Its .trashinfo: as written when it was moved, pointing inside its volume.
    const std::optional<std::string> text = readInfo(trash.info(), examined.entryName);
    const std::optional<Info> written = text ? parseInfo(*text) : std::nullopt;
    if (!written) {
        check = {State::refused, L("A informação da Lixeira deste item (.trashinfo) está faltando ou ilegível."), {}};
        return examined;
    }
    const std::optional<Names> names = namesOf(written->path);
    // The home Trash names absolute paths, a volume's Trash paths below its top folder.
    const bool absolute = !written->path.empty() && written->path.front() == '/';
    if (!names || absolute != inHomeTrash) {
        check = {State::refused, L("A informação da Lixeira deste item (.trashinfo) aponta para fora do seu volume."), {}};
        return examined;
    }
    const Names topNames = namesOf(top.native()).value_or(Names{});
    Names full = topNames;
    full.insert(full.end(), names->begin(), names->end());
    if (written->deletionDate != entry.deletionDate || full != *wanted) {
        check = {State::refused, L("A informação da Lixeira deste item (.trashinfo) foi alterada depois da remoção."), {}};
        return examined;
    }

    // The way back, from the top folder, one real folder at a time.
    check.target = pathOf(full);
    const Names folders(names->begin(), names->end() - 1);
    examined.way = walk(std::move(topFolder), top, folders);
    if (examined.way.error != 0) {
        check.state = State::refused;
        check.reason = wayProblem(examined.way);
        return examined;
    }
    struct stat there;
    if (examined.way.missing.empty()
        && fstatat(examined.way.folder.get(), names->back().c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0) {
        check.state = State::occupied;
        check.reason = LF("Já existe um item em %@.", shown(check.target));
        return examined;
    }
    check.state = State::available;
    return examined;
}

// Moves `name` of `fromFolder` to `to` of `toFolder` without replacing
// anything there; 0 or the errno. Where the file system lacks the no-replace
// flag, a file goes by a new hard link (which fails on an existing name) and
// the removal of the old one; a folder then stays.
int moveWithoutReplacing(int fromFolder, const std::string& name, int toFolder, const std::string& to)
{
    if (renameat2(fromFolder, name.c_str(), toFolder, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    struct stat info;
    if (fstatat(fromFolder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    if (S_ISDIR(info.st_mode))
        return EINVAL;
    if (linkat(fromFolder, name.c_str(), toFolder, to.c_str(), 0) != 0)
        return errno;
    if (unlinkat(fromFolder, name.c_str(), 0) != 0) {
        const int error = errno;
        unlinkat(toFolder, to.c_str(), 0);
        return error;
    }
    return 0;
}

// The folders made on the way back, undone when the move does not happen.
struct MadeFolders {
    std::vector<std::pair<UniqueFd, std::string>> made;  // each folder's parent and name
    ~MadeFolders()
    {
        for (auto it = made.rbegin(); it != made.rend(); ++it)
            unlinkat(it->first.get(), it->second.c_str(), AT_REMOVEDIR);
    }
    void keep() { made.clear(); }
};

} // namespace

bool isPlainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos
        && name.find('\0') == std::string::npos;
}

std::optional<QDateTime> deletedAt(const fs::path& entryInFiles)
{
    const Trash::OpenTrash trash(entryInFiles.parent_path().parent_path().native());
    if (!trash.usable())
        return std::nullopt;
    const std::optional<std::string> text = readInfo(trash.info(), entryInFiles.filename().native());
    const std::optional<Info> info = text ? parseInfo(*text) : std::nullopt;
    if (!info)
        return std::nullopt;
    // written without an offset, so read as local time
    const QDateTime when = QDateTime::fromString(info->deletionDate, Qt::ISODate);
    if (!when.isValid())
        return std::nullopt;
    return when;
}

Check check(const Entry& entry)
{
    return examine(entry).check;
}

Done restore(const Entry& entry, const std::optional<std::string>& otherName)
{
    if (otherName && !isPlainName(*otherName))
        return {false, L("O novo nome precisa ser um nome simples, sem “/”."), {}};
    Examined examined = examine(entry);
    const Check& check = examined.check;
    const bool mayGo = check.state == State::available || (check.state == State::occupied && otherName);
    if (!mayGo)
        return {false, check.reason, {}};

    // The folders missing on the way are made (with the umask's mode), each
    // opened as a real folder before the next.
    Way& way = examined.way;
    MadeFolders made;
    if (!way.missing.empty())
        way.stoppedAt = way.stoppedAt.parent_path();  // the deepest folder there is
    for (const std::string& name : way.missing) {
        way.stoppedAt /= name;
        const bool madeNow = mkdirat(way.folder.get(), name.c_str(), 0777) == 0;
        if (!madeNow && errno != EEXIST)
            return {false, LF("Não foi possível criar a pasta %@: %@", shown(way.stoppedAt), errnoText(errno)), {}};
        UniqueFd next(openat(way.folder.get(), name.c_str(), FolderFd::kOpenFlags));
        if (!next.ok()) {
            way.error = errno;
            return {false, wayProblem(way), {}};
        }
        if (madeNow)
            made.made.emplace_back(UniqueFd(dup(way.folder.get())), name);
        way.folder = std::move(next);
    }

    const std::string name = otherName.value_or(check.target.filename().native());
    const fs::path target = check.target.parent_path() / name;
    const int error = moveWithoutReplacing(examined.trash->files(), examined.entryName, way.folder.get(), name);
    if (error == EEXIST || error == ENOTEMPTY)
        return {false, LF("Já existe um item em %@.", shown(target)), {}};
    if (error == EXDEV)
        return {false, L("A pasta original está agora em outro sistema de arquivos."), {}};
    if (error != 0)
        return {false, LF("Não foi possível restaurar: %@", errnoText(error)), {}};
    made.keep();
    examined.trash->removeInfo(examined.entryName);
    return {true, {}, target};
}

} // namespace TrashRestore
