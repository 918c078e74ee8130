#include "engines/removal/Removal.h"

#include <algorithm>
#include <cerrno>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/Fmt.h"
#include "platform/Quitting.h"
#include "platform/SafeDelete.h"
#include "platform/Shell.h"
#include "platform/Trash.h"

namespace fs = std::filesystem;

namespace {

// How many names the failure message lists before "…".
constexpr std::size_t kNamesShown = 6;

struct RetryEntry {
    fs::path url;
    std::int64_t size = 0;
};

std::string withoutTrailingSlashes(std::string text)
{
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

// The last path component as display text (names need not be valid UTF-8).
QString displayName(const fs::path& path)
{
    const std::string text = withoutTrailingSlashes(path.native());
    const std::size_t slash = text.rfind('/');
    const std::string name = slash == std::string::npos ? text : text.substr(slash + 1);
    return QFile::decodeName(QByteArray(name.data(), qsizetype(name.size())));
}

// Only "nothing there" counts as absent; a folder we may not look into is not.
bool isAbsent(const fs::path& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

// The Trash folder's path followed by "/".
std::string trashPrefix()
{
    return withoutTrailingSlashes(FS::trashFolder().native()) + "/";
}

// The helper's action that removes an entry of the Trash folder (or something
// deeper in one), held by the folder recorded as `folder`: the Trash folder,
// that folder's device and inode, and the path below the Trash folder
// (its names joined by single slashes).
Admin::Action trashRemoveAction(const fs::path& entry, const Trash::FolderId& folder)
{
    const std::string prefix = trashPrefix();
    const std::string below = entry.native().substr(prefix.size());
    std::string relative;
    for (const std::string_view part : Admin::pathParts(below))
        if (!part.empty())
            relative += (relative.empty() ? "" : "/") + std::string(part);
    return {Admin::kTrashRemove,
            {prefix.substr(0, prefix.size() - 1), std::to_string(folder.device) + ":" + std::to_string(folder.inode),
             relative}};
}

// One target. Only what was still there when its turn came counts as freed
// or trashed.
SafeDelete::Result removeOne(const RemovalTarget& target, std::int64_t& freed, std::int64_t& trashed)
{
    if (target.permanent) {
        const SafeDelete::Result result = Trash::isTrashEntry(target.url) ? Trash::deleteEntry(target.url)
                                                                          : SafeDelete::removeItem(target.url);
        if (result.outcome == SafeDelete::Outcome::Removed)
            freed += target.size;
        else if (!result.gone())
            qWarning("Removal: %s: %s", target.url.c_str(), qPrintable(failReasonText(result.reason)));
        return result;
    }
    const Trash::MoveResult moved = Trash::moveToTrash(target.url);
    if (moved.ok) {
        trashed += target.size;
        return {SafeDelete::Outcome::Removed, FailReason::None};
    }
    qWarning("Removal: %s: %s", target.url.c_str(), qPrintable(moved.error));
    return {SafeDelete::Outcome::Kept, FailReason::Other};
}

} // namespace

namespace Removal {

bool retryEligible(const fs::path& path)
{
    const std::string prefix = trashPrefix();
    const std::string& text = path.native();
    if (text.size() <= prefix.size() || text.compare(0, prefix.size(), prefix) != 0)
        return false;
    // What follows the prefix must name something, step by step, without
    // climbing back out ("/..") or pointing at the Trash folder itself ("/.", "//").
    bool named = false;
    std::size_t start = prefix.size();
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('/', start), text.size());
        const std::string part = text.substr(start, end - start);
        if (part == "." || part == "..")
            return false;
        named = named || !part.empty();
        start = end + 1;
    }
    return named;
}

QString failureMessage(const std::vector<QString>& failures, const QString& adminReason)
{
    if (failures.empty())
        return {};
    const std::size_t n = failures.size();
    QStringList shown;
    for (std::size_t i = 0; i < std::min(n, kNamesShown); ++i)
        shown << failures[i];
    QString text = LP(long(n), "%ld itens não puderam ser removidos (em uso ou protegidos pelo sistema): ", long(n))
        + joinList(shown);
    if (n > kNamesShown)
        text += QChar(0x2026);
    if (!adminReason.isEmpty())
        text += QStringLiteral(" — ") + adminReason;
    return text;
}

QStringList groupReport(const std::vector<GroupFreed>& groups)
{
    QStringList lines;
    for (const GroupFreed& group : groups) {
        // A group that freed nothing says only why.
        if (!group.failure.isEmpty() && group.freed == 0)
            lines << group.title + QStringLiteral(": ") + group.failure;
        else if (!group.failure.isEmpty())
            lines << LF("%@: %@ liberados", group.title, Fmt::bytes(group.freed)) + QStringLiteral(" — ") + group.failure;
        else
            lines << LF("%@: %@ liberados", group.title, Fmt::bytes(group.freed));
    }
    return lines;
}

RemovalOutcome run(const std::vector<RemovalTarget>& targets, const Admin::Runner& admin)
{
    RemovalOutcome outcome;
    std::vector<RetryEntry> retry;

    for (const RemovalTarget& target : targets) {
        // Asked to end: the item removed last was removed whole; the next is not begun.
        if (Quitting::requested())
            break;
        // The last check before anything is touched: a protected place is
        // never removed, whoever asked for it.
        if (FS::isProtected(target.url)) {
            outcome.failures.push_back(displayName(target.url));
            continue;
        }
        // Gone since the scan (removed by someone else): nothing to do and
        // nothing to report, and nothing freed by us either.
        if (isAbsent(target.url))
            continue;
        const SafeDelete::Result result = removeOne(target, outcome.freed, outcome.trashed);
        if (result.gone())
            continue;
        outcome.failures.push_back(displayName(target.url));
        // A mount point inside stays whoever asks: an administrator's rm would go into it.
        if (target.permanent && result.reason != FailReason::MountInside)
            retry.push_back({target.url, target.size});
    }

    // Locked entries of the Trash folder get one administrator attempt, all
    // under one password prompt. Nothing else is ever retried that way.
    std::vector<RetryEntry> eligible;
    for (const RetryEntry& entry : retry)
        if (retryEligible(entry.url))
            eligible.push_back(entry);
    if (eligible.empty() || !admin || Quitting::requested())
        return outcome;

    // Each entry's folder is recorded now, from the checked Trash folder; the
    // helper acts only there. An entry whose folder cannot be found that way,
    // or that the helper would refuse (a name beyond its limits), is not
    // retried, so it cannot spoil the request of the others.
    Admin::Request request;
    std::vector<Trash::FolderId> folders;
    std::vector<RetryEntry> sent;
    for (const RetryEntry& entry : eligible) {
        const std::optional<Trash::FolderId> folder = Trash::holdingFolderId(entry.url);
        if (!folder)
            continue;
        Admin::Action action = trashRemoveAction(entry.url, *folder);
        if (Admin::check(action))
            continue;
        request.actions.push_back(std::move(action));
        folders.push_back(*folder);
        sent.push_back(entry);
    }
    if (sent.empty())
        return outcome;
    // Judged by the file system, not by the answer; a request that never ran
    // (a dismissed prompt, not authorised) says why.
    const Admin::Reply reply = admin(request);
    if (!reply.ok && reply.failures.empty())
        outcome.adminReason = reply.reason;

    for (std::size_t i = 0; i < sent.size(); ++i) {
        const RetryEntry& entry = sent[i];
        // Gone from the very folder that was checked, not merely from its path.
        const std::optional<Trash::FolderId> folder = Trash::holdingFolderId(entry.url);
        if (!folder || folder->device != folders[i].device || folder->inode != folders[i].inode
            || !isAbsent(entry.url))
            continue;
        outcome.freed += entry.size;
        Trash::removeInfo(entry.url);
        const auto named = std::find(outcome.failures.begin(), outcome.failures.end(), displayName(entry.url));
        if (named != outcome.failures.end())
            outcome.failures.erase(named);
    }
    return outcome;
}

std::string adminMoveCommand(const std::filesystem::path& item, const std::filesystem::path& target)
{
    const std::string from = Shell::q(item.native());
    return "mv -n -T " + from + " " + Shell::q(target.native()) + " && test ! -e " + from;
}

Admin::Reply adminTrash(const std::filesystem::path& item, const std::string& before, const Admin::Runner& admin)
{
    QString error;
    const Trash::Reservation place = Trash::reserveInHomeTrash(item, error);
    if (place.target.empty())
        return {false, error, {}, {}};
    Admin::Request request;
    request.script = adminMoveCommand(item, place.target);
    if (!before.empty())
        request.script = before + "; " + request.script;
    const Admin::Reply reply = admin(request);
    if (!reply.ok)
        Trash::release(place);
    return reply;
}

} // namespace Removal
