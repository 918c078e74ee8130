#include "engines/Removal.h"

#include <algorithm>
#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/SafeDelete.h"
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

// After the administrator removed an entry of the Trash folder, its
// information file (owned by the user) still has to go.
void removeInfoOf(const fs::path& entry)
{
    const std::string prefix = trashPrefix();
    const std::string rest = withoutTrailingSlashes(entry.native()).substr(prefix.size());
    if (rest.find('/') != std::string::npos)
        return;  // deeper inside an entry: no information file of its own
    const fs::path info = FS::trashFolder().parent_path() / "info" / (rest + ".trashinfo");
    unlink(info.c_str());
}

// One target: true when it is gone by our hand.
bool removeOne(const RemovalTarget& target, std::int64_t& freed, std::int64_t& trashed)
{
    if (target.permanent) {
        const bool ok = Trash::isTrashEntry(target.url) ? Trash::deleteEntry(target.url)
                                                        : SafeDelete::removeAll(target.url);
        if (ok)
            freed += target.size;
        return ok;
    }
    const Trash::MoveResult moved = Trash::moveToTrash(target.url);
    if (moved.ok)
        trashed += target.size;
    else
        qWarning("Removal: %s: %s", target.url.c_str(), qPrintable(moved.error));
    return moved.ok;
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

std::string adminRetryCommand(const std::vector<fs::path>& paths)
{
    std::string command;
    for (const fs::path& path : paths) {
        const std::string quoted = Shell::q(path.native());
        if (!command.empty())
            command += "; ";
        command += "/usr/bin/chattr -R -i -a " + quoted + " 2>/dev/null; /bin/rm -rf " + quoted;
    }
    return command;
}

QString failureMessage(const std::vector<QString>& failures)
{
    if (failures.empty())
        return {};
    const std::size_t n = failures.size();
    QStringList shown;
    for (std::size_t i = 0; i < std::min(n, kNamesShown); ++i)
        shown << failures[i];
    QString text = LF("%ld itens não puderam ser removidos (em uso ou protegidos pelo sistema): ", long(n))
        + shown.join(QStringLiteral(", "));
    if (n > kNamesShown)
        text += QChar(0x2026);
    return text;
}

RemovalOutcome run(const std::vector<RemovalTarget>& targets, const AdminRunner& admin)
{
    RemovalOutcome outcome;
    std::vector<RetryEntry> retry;

    for (const RemovalTarget& target : targets) {
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
        if (removeOne(target, outcome.freed, outcome.trashed))
            continue;
        outcome.failures.push_back(displayName(target.url));
        if (target.permanent)
            retry.push_back({target.url, target.size});
    }

    // Locked entries of the Trash folder get one administrator attempt, all
    // under one password prompt. Nothing else is ever retried that way.
    std::vector<RetryEntry> eligible;
    for (const RetryEntry& entry : retry)
        if (retryEligible(entry.url))
            eligible.push_back(entry);
    if (eligible.empty() || !admin)
        return outcome;

    std::vector<fs::path> paths;
    for (const RetryEntry& entry : eligible)
        paths.push_back(entry.url);
    admin(adminRetryCommand(paths));  // judged by the file system, not by its answer

    for (const RetryEntry& entry : eligible) {
        if (!isAbsent(entry.url))
            continue;
        outcome.freed += entry.size;
        removeInfoOf(entry.url);
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

Shell::Result adminTrash(const std::filesystem::path& item, const std::string& before, const AdminRunner& admin)
{
    QString error;
    const Trash::Reservation place = Trash::reserveInHomeTrash(item, error);
    if (place.target.empty())
        return {false, error};
    std::string command = adminMoveCommand(item, place.target);
    if (!before.empty())
        command = before + "; " + command;
    const Shell::Result result = admin(command);
    if (!result.ok)
        Trash::release(place);
    return result;
}

} // namespace Removal
