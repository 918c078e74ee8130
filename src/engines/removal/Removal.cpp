#include "engines/removal/Removal.h"

#include <algorithm>
#include <cerrno>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include "engines/common/NeverTouchList.h"
#include "i18n/L.h"
#include "i18n/ShownText.h"
#include "platform/FS.h"
#include "platform/Fmt.h"
#include "platform/NeverTouch.h"
#include "platform/Quitting.h"
#include "platform/SafeDelete.h"
#include "platform/Shell.h"
#include "platform/Trash.h"
#include "platform/FailReason.h"

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

// How a failure names an item: its whole path, home-relative, so that two
// items of one name are told apart (names need not be valid UTF-8).
QString shownPath(const fs::path& path)
{
    return FS::pretty(fs::path(withoutTrailingSlashes(path.native())));
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
// or trashed; a Trash move fills in `moveRecord` (its entry and .trashinfo).
SafeDelete::Result removeOne(const RemovalTarget& target, std::int64_t& freed, std::int64_t& trashed,
                             Plan::ItemResult& moveRecord)
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
        moveRecord.trashedAs = moved.trashedAs;
        moveRecord.deletionDate = moved.deletionDate;
        moveRecord.trashedFrom = moved.originalPath;
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
        shown << shownRun(failures[i]);
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
    outcome.results.resize(targets.size());
    std::vector<RetryEntry> retry;
    std::vector<std::size_t> retryIndex;

    for (std::size_t i = 0; i < targets.size(); ++i) {
        const RemovalTarget& target = targets[i];
        Plan::ItemResult& result = outcome.results[i];
        // Asked to end: the item removed last was removed whole; the next is not begun.
        if (Quitting::requested())
            break;
        // The last check before anything is touched: a protected place is
        // never removed, whoever asked for it.
        if (FS::isProtected(target.url)) {
            outcome.failures.push_back(shownPath(target.url));
            result = {Plan::Result::failed, L("protegido pelo sistema"), {}};
            continue;
        }
        // Gone since the scan (removed by someone else): nothing to do and
        // nothing to report, and nothing freed by us either.
        if (isAbsent(target.url)) {
            result.result = Plan::Result::gone;
            continue;
        }
        // Something else in its place since the plan was made: not touched.
        if (target.identity) {
            if (const QString change = changeSince(target.url, *target.identity); !change.isEmpty()) {
                outcome.held << shownPath(target.url) + QStringLiteral(": ") + change;
                result = {Plan::Result::held, change, {}};
                continue;
            }
        }
        const SafeDelete::Result removed = removeOne(target, outcome.freed, outcome.trashed, result);
        if (removed.gone()) {
            result.result = removed.outcome == SafeDelete::Outcome::Removed ? Plan::Result::done : Plan::Result::gone;
            continue;
        }
        result = {Plan::Result::failed, failReasonText(removed.reason), {}};
        outcome.failures.push_back(shownPath(target.url));
        // A mount point inside stays whoever asks: an administrator's rm would go into it.
        if (target.permanent && removed.reason != FailReason::MountInside) {
            retry.push_back({target.url, target.size});
            retryIndex.push_back(i);
        }
    }

    // Locked entries of the Trash folder get one administrator attempt, all
    // under one password prompt. Nothing else is ever retried that way.
    std::vector<RetryEntry> eligible;
    std::vector<std::size_t> eligibleIndex;
    for (std::size_t i = 0; i < retry.size(); ++i)
        if (retryEligible(retry[i].url)) {
            eligible.push_back(retry[i]);
            eligibleIndex.push_back(retryIndex[i]);
        }
    if (eligible.empty() || !admin || Quitting::requested())
        return outcome;

    // Each entry's folder is recorded now, from the checked Trash folder; the
    // helper acts only there. An entry whose folder cannot be found that way,
    // or that the helper would refuse (a name beyond its limits), is not
    // retried, so it cannot spoil the request of the others.
    Admin::Request request;
    std::vector<Trash::FolderId> folders;
    std::vector<RetryEntry> sent;
    std::vector<std::size_t> sentIndex;
    for (std::size_t i = 0; i < eligible.size(); ++i) {
        const RetryEntry& entry = eligible[i];
        const std::optional<Trash::FolderId> folder = Trash::holdingFolderId(entry.url);
        if (!folder)
            continue;
        Admin::Action action = trashRemoveAction(entry.url, *folder);
        if (Admin::check(action))
            continue;
        request.actions.push_back(std::move(action));
        folders.push_back(*folder);
        sent.push_back(entry);
        sentIndex.push_back(eligibleIndex[i]);
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
            || !isAbsent(entry.url)) {
            if (!outcome.adminReason.isEmpty())
                outcome.results[sentIndex[i]].reason = outcome.adminReason;
            continue;
        }
        outcome.freed += entry.size;
        outcome.results[sentIndex[i]] = {Plan::Result::done, {}, {}};
        Trash::removeInfo(entry.url);
        const auto named = std::find(outcome.failures.begin(), outcome.failures.end(), shownPath(entry.url));
        if (named != outcome.failures.end())
            outcome.failures.erase(named);
    }
    return outcome;
}

std::optional<Plan::Identity> identityOf(const fs::path& path)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return std::nullopt;
    Plan::Identity identity{std::uint64_t(info.st_dev), std::uint64_t(info.st_ino), unsigned(info.st_mode & S_IFMT)};
    if (S_ISREG(info.st_mode)) {
        identity.bytes = info.st_size;
        identity.mtimeNs = std::int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    }
    return identity;
}

QString changeSince(const fs::path& path, const Plan::Identity& planned)
{
    const std::optional<Plan::Identity> now = identityOf(path);
    if (!now)
        return failReasonText(FailReason::Missing);
    if (now->mode == S_IFLNK && planned.mode != S_IFLNK)
        return L("um link tomou o lugar do item");
    if (*now != planned)
        return L("mudou depois da análise");
    return {};
}

std::vector<RemovalTarget> targetsOf(const Plan::Record& plan)
{
    std::vector<RemovalTarget> targets;
    for (const Plan::Item& item : plan.items)
        if (!item.admin && !item.path.empty()
            && (item.fate == Plan::Fate::deleted || item.fate == Plan::Fate::trashed))
            targets.push_back({item.path, item.fate == Plan::Fate::deleted, item.sizeKnown ? item.size : 0,
                               item.identity});
    return targets;
}

Plan::Item itemAt(const fs::path& path, const QString& group, const QString& groupTitle, std::int64_t size,
                  Plan::Fate fate)
{
    Plan::Item item;
    item.id = FS::text(path);
    item.group = group;
    item.groupTitle = groupTitle;
    item.path = path;
    item.label = FS::pretty(path);
    item.size = size;
    item.fate = fate;
    item.identity = identityOf(path);
    return item;
}

Plan::Record planTrash(const QString& action, const QString& groupTitle, const std::vector<RemovalTarget>& targets)
{
    Plan::Record plan;
    plan.action = action;
    for (const RemovalTarget& target : targets)
        plan.items.push_back(itemAt(target.url, action, groupTitle, target.size, Plan::Fate::trashed));
    return plan;
}

Plan::Record planEmptyTrash(const fs::path& filesFolder)
{
    Plan::Record plan;
    plan.action = QStringLiteral("emptyTrash");
    if (!Trash::isUsable(filesFolder)) {
        plan.refusal = L("A Lixeira não é uma pasta real deste usuário e não foi esvaziada.");
        return plan;
    }
    for (const fs::path& entry : Trash::entries(filesFolder))
        if (entry.filename() != ".DS_Store")
            plan.items.push_back(itemAt(entry, QStringLiteral("trash"), L("Lixeira"), FS::size(entry), Plan::Fate::deleted));
    return plan;
}

RemovalOutcome runPlan(const Plan::Record& plan, const Admin::Runner& admin, Plan::Origin origin)
{
    // The never-touch list as it is now: a place added after the plan was
    // made is held back too, and so is anything holding one.
    const NeverTouchList never(NeverTouch::current());
    const QString neverReason = L("Na lista Nunca tocar");
    std::vector<RemovalTarget> targets;
    std::vector<std::size_t> targetItems;  // the plan item of each target
    std::vector<std::size_t> neverItems;   // the plan items the list holds back
    for (std::size_t i = 0; i < plan.items.size(); ++i) {
        const Plan::Item& item = plan.items[i];
        if (item.admin || item.path.empty() || (item.fate != Plan::Fate::deleted && item.fate != Plan::Fate::trashed))
            continue;
        if (never.touches(item.path)) {
            neverItems.push_back(i);
            continue;
        }
        targets.push_back({item.path, item.fate == Plan::Fate::deleted, item.sizeKnown ? item.size : 0, item.identity});
        targetItems.push_back(i);
    }
    RemovalOutcome outcome = run(targets, admin);
    Plan::Outcome record = Plan::Outcome::of(plan, origin);
    for (std::size_t t = 0; t < targetItems.size(); ++t)
        record.results[targetItems[t]] = outcome.results[t];
    for (std::size_t i : neverItems) {
        outcome.held << shownPath(plan.items[i].path) + QStringLiteral(": ") + neverReason;
        record.results[i] = {Plan::Result::held, neverReason, {}};
    }
    outcome.record = std::move(record);
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
