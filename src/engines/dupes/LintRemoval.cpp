// What Lint::remove does to each ticked item, checked right before it acts:
// an empty tree is removed with rmdir, relative to its folders' descriptors,
// from the deepest folder up, only while it is still the folder the search
// saw and still holds nothing but folders; a broken link goes to the Trash
// through the removal loop only while it is the same link and its target is
// still missing. Only the link goes, never what it points to.
#include "engines/dupes/Lint.h"

#include <cerrno>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "engines/dupes/LintPlaces.h"
#include "engines/removal/Removal.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/FolderFd.h"
#include "platform/NeverTouch.h"
#include "platform/UniqueFd.h"

namespace fs = std::filesystem;

namespace Lint {

namespace {

// Deeper empty trees than this are left (each level holds a descriptor while it is removed).
constexpr int kMaxDepth = 256;

enum class Tree { Empty, NotEmpty, Unreadable };

// Whether the open folder `fd` (on `device`) holds nothing but folders that
// do the same, none of them a mount; with `remove`, each of them is removed
// on the way back up (a folder that gained something since makes rmdir fail,
// harmlessly, and its parents stay).
Tree emptyTree(int fd, dev_t device, int depth, bool remove)
{
    if (depth > kMaxDepth)
        return Tree::Unreadable;
    DIR* dir = fdopendir(dup(fd));
    if (!dir)
        return Tree::Unreadable;
    rewinddir(dir);  // the copy shares the reading position of `fd`, which an earlier look moved
    std::vector<std::string> folders;
    Tree tree = Tree::Empty;
    errno = 0;
    while (const dirent* entry = readdir(dir)) {
        if (FolderFd::isDotOrDotDot(entry->d_name))
            continue;
        struct stat info;
        if (fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0 || !S_ISDIR(info.st_mode)
            || info.st_dev != device) {
            tree = Tree::NotEmpty;
            break;
        }
        folders.emplace_back(entry->d_name);
    }
    closedir(dir);
    if (tree != Tree::Empty)
        return tree;
    for (const std::string& name : folders) {
        const UniqueFd child(openat(fd, name.c_str(), FolderFd::kOpenFlags));
        if (!child.ok())
            return Tree::Unreadable;
        struct stat info;
        if (fstat(child.get(), &info) != 0 || info.st_dev != device || FolderFd::isMountRoot(child.get()))
            return Tree::NotEmpty;
        const Tree inside = emptyTree(child.get(), device, depth + 1, remove);
        if (inside != Tree::Empty)
            return inside;
        if (remove && unlinkat(fd, name.c_str(), AT_REMOVEDIR) != 0)
            return errno == ENOTEMPTY || errno == EEXIST ? Tree::NotEmpty : Tree::Unreadable;
    }
    return Tree::Empty;
}

QString notEmptyText() { return L("não está mais vazia"); }
QString targetBackText() { return L("o destino existe agora"); }

// Removes the empty tree of `item`; its result in `result`.
void removeTree(const Item& item, Plan::ItemResult& result)
{
    const fs::path path(item.path);
    const UniqueFd parent(open(path.parent_path().c_str(), FolderFd::kOpenFlags));
    const std::string name = path.filename().native();
    struct stat info;
    if (!parent.ok() || fstatat(parent.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0) {
        result.result = errno == ENOENT ? Plan::Result::gone : Plan::Result::failed;
        return;
    }
    const auto same = [&item](const struct stat& now) {
        return S_ISDIR(now.st_mode) && now.st_dev == item.device && now.st_ino == item.inode;
    };
    if (!same(info)) {
        result = {Plan::Result::held, L("mudou depois da análise"), {}};
        return;
    }
    const UniqueFd top(openat(parent.get(), name.c_str(), FolderFd::kOpenFlags));
    if (!top.ok() || fstat(top.get(), &info) != 0 || !same(info) || FolderFd::isMountRoot(top.get())) {
        result = {Plan::Result::held, L("mudou depois da análise"), {}};
        return;
    }
    // Looked at whole first: a tree that gained anything is left untouched.
    Tree tree = emptyTree(top.get(), info.st_dev, 1, false);
    if (tree == Tree::Empty)
        tree = emptyTree(top.get(), info.st_dev, 1, true);
    if (tree == Tree::Empty && unlinkat(parent.get(), name.c_str(), AT_REMOVEDIR) != 0)
        tree = errno == ENOTEMPTY || errno == EEXIST ? Tree::NotEmpty : Tree::Unreadable;
    if (tree == Tree::Empty)
        result.result = Plan::Result::done;
    else if (tree == Tree::NotEmpty)
        result = {Plan::Result::held, notEmptyText(), {}};
    else
        result = {Plan::Result::failed, L("não pôde ser removida"), {}};
}

// Why a link may not go now; empty when it may.
QString linkHold(const Item& item)
{
    struct stat info;
    if (lstat(item.path.c_str(), &info) != 0)
        return {};  // gone: the loop says so
    if (!S_ISLNK(info.st_mode) || info.st_dev != item.device || info.st_ino != item.inode)
        return L("mudou depois da análise");
    if (stat(item.path.c_str(), &info) == 0 || !targetMissing(errno))
        return targetBackText();
    return {};
}

QString groupTitle(Kind kind) { return kind == Kind::EmptyFolder ? L("Pastas vazias") : L("Links quebrados"); }

} // namespace

Plan::Record planRecord(const std::vector<Item>& items)
{
    Plan::Record record;
    record.action = QStringLiteral("lint");
    for (const Item& item : items) {
        if (!item.selected)
            continue;
        const bool folder = item.kind == Kind::EmptyFolder;
        Plan::Item planned = Removal::itemAt(item.path, folder ? QStringLiteral("empty-folders") : QStringLiteral("broken-links"),
                                             groupTitle(item.kind), 0, folder ? Plan::Fate::deleted : Plan::Fate::trashed);
        // What the search saw, which the removal checks against.
        planned.identity = Plan::Identity{std::uint64_t(item.device), std::uint64_t(item.inode),
                                          unsigned(folder ? S_IFDIR : S_IFLNK)};
        if (folder)
            planned.label = LP(item.folders, "%@ (%ld pastas)", FS::pretty(item.path), long(item.folders));
        record.items.push_back(std::move(planned));
    }
    if (!record.empty())
        record.alongside << L("Logo antes, cada pasta é conferida de novo: uma que não está mais vazia fica; um link só vai enquanto o destino continua faltando.");
    return record;
}

RemovalOutcome remove(const std::vector<Item>& items, const Admin::Runner& admin)
{
    RemovalOutcome outcome;
    outcome.record = Plan::Outcome::of(planRecord(items));
    const NeverTouchList never(NeverTouch::current());  // as it is now: a place added since the search holds its item
    std::size_t index = 0;
    for (const Item& item : items) {
        if (!item.selected)
            continue;
        Plan::ItemResult& result = outcome.record->results[index++];
        const QString shown = FS::pretty(item.path);
        QString hold;
        if (never.touches(item.path))
            hold = L("Na lista Nunca tocar");
        else if (item.kind == Kind::BrokenLink)
            hold = linkHold(item);
        if (!hold.isEmpty()) {
            outcome.held << shown + QStringLiteral(": ") + hold;
            result = {Plan::Result::held, hold, {}};
            continue;
        }
        if (FS::isProtected(item.path)) {
            outcome.failures.push_back(shown);
            result = {Plan::Result::failed, L("protegido pelo sistema"), {}};
            continue;
        }
        if (item.kind == Kind::EmptyFolder) {
            removeTree(item, result);
            if (result.result == Plan::Result::held)
                outcome.held << shown + QStringLiteral(": ") + result.reason;
            else if (result.result == Plan::Result::failed)
                outcome.failures.push_back(shown);
            continue;
        }
        const RemovalTarget target{item.path, false, 0,
                                   Plan::Identity{std::uint64_t(item.device), std::uint64_t(item.inode), unsigned(S_IFLNK)}};
        const RemovalOutcome one = Removal::run({target}, admin);
        result = one.results.front();
        outcome.held << one.held;
        outcome.failures.insert(outcome.failures.end(), one.failures.begin(), one.failures.end());
    }
    return outcome;
}

QString noteOf(const Item& item)
{
    if (!item.held.isEmpty())
        return item.held;
    if (item.inProject)
        return L("Parte de um projeto");
    return {};
}

} // namespace Lint
