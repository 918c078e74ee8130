#include "engines/apps/Apps.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include <QCollator>
#include <QLocale>

#include "i18n/L.h"
#include "platform/AdminDescription.h"
#include "platform/FS.h"
#include "platform/Processes.h"
#include "platform/Quitting.h"

namespace Sweeper {

std::vector<std::int64_t> changeStamp(const std::vector<std::filesystem::path>& watched)
{
    std::vector<std::int64_t> stamp;
    stamp.reserve(watched.size());
    for (const std::filesystem::path& place : watched) {
        std::error_code error;
        const auto modified = std::filesystem::last_write_time(place, error);
        stamp.push_back(error ? -1
                              : std::int64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                                 modified.time_since_epoch()).count()));
    }
    return stamp;
}

void sortAppsByName(std::vector<AppInfo>& apps)
{
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(apps.begin(), apps.end(),
                     [&](const AppInfo& a, const AppInfo& b) { return collator.compare(a.name, b.name) < 0; });
}

bool appMatches(const AppInfo& app, const QString& search)
{
    if (search.isEmpty())
        return true;
    const QLocale locale;
    const QString needle = locale.toLower(search);
    return locale.toLower(app.name).contains(needle) || locale.toLower(app.bundleID).contains(needle);
}

QString ownerText(const AppInfo& app, bool withId)
{
    const QString id = withId ? QStringLiteral(" ") + app.ownerName : QString();
    switch (app.ownerKind) {
    case AppOwner::bundle: return L("Bundle de app");
    case AppOwner::package: return LF("Pacote %@", app.ownerName);
    case AppOwner::flatpak: return QStringLiteral("Flatpak") + id;
    case AppOwner::snap: return QStringLiteral("Snap") + id;
    case AppOwner::appimage: return QStringLiteral("AppImage");
    case AppOwner::local: return L("Entrada local");
    case AppOwner::none: break;
    }
    return L("Sem dono");
}

QString ownerCommandText(const UninstallPlan& plan)
{
    if (!plan.adminActions.empty())
        return Admin::describe(Admin::Request{plan.adminActions, {}});
    return QString::fromStdString(plan.command);
}

void requestQuit(const AppInfo& app)
{
    Processes::requestQuit(app.executable.empty() ? app.url : app.executable);
}

void appSizes(const std::vector<AppInfo>& apps, const std::function<void(std::size_t, std::int64_t)>& sized)
{
    std::vector<std::filesystem::path> items;
    std::vector<std::size_t> measured;  // the application of each item
    for (std::size_t i = 0; i < apps.size(); ++i) {
        if (apps[i].knownSize >= 0) {
            sized(i, apps[i].knownSize);
        } else {
            items.push_back(apps[i].ownItem.empty() ? apps[i].url : apps[i].ownItem);
            measured.push_back(i);
        }
    }
    FS::sizeEach(items, FS::sizeWorkers(std::thread::hardware_concurrency()),
                 [&](std::size_t index, std::int64_t bytes) { sized(measured[index], bytes); });
}

UninstallOutcome uninstall(const AppInfo& app, const UninstallPlan& plan, const std::vector<JunkItem>& files,
                           const AppBackend& backend, const Admin::Runner& admin,
                           const std::function<bool(const std::filesystem::path&)>& mayDelete)
{
    UninstallOutcome outcome;
    const bool ownTicked = !files.empty() && files.front().selected;
    if (!plan.ok() && ownTicked) {
        outcome.refused = true;
        outcome.appStays = plan.refusal;
        return outcome;
    }
    std::vector<RemovalTarget> targets;
    for (std::size_t i = 1; i < files.size(); ++i)
        if (files[i].selected)
            targets.push_back({files[i].url, false, files[i].size});
    if (!ownTicked && targets.empty())
        return outcome;
    if (Quitting::requested())
        return outcome;  // asked to end before anything began: nothing is begun
    requestQuit(app);  // a polite request, not waited for

    if (!plan.ok()) {
        outcome.appStays = plan.refusal;
    } else if (ownTicked && plan.byOwner()) {
        QString reason;
        bool removed = false;
        if (!plan.adminActions.empty()) {
            const Admin::Reply reply = admin(Admin::Request{plan.adminActions, {}});
            removed = reply.ok;
            reason = reply.reason;
        } else {
            const Shell::Result result = backend.tools(plan.command);
            removed = result.ok;
            reason = Shell::lastLine(result.out);
        }
        if (!removed) {
            outcome.appStays = LF("Não removido: %@", reason.isEmpty() ? L("A ferramenta de pacotes não respondeu.") : reason);
            return outcome;  // the leftovers stay with the application
        }
        outcome.appRemoved = true;
    } else if (ownTicked) {
        const JunkItem& own = files.front();
        if (mayDelete(own.url)) {
            targets.insert(targets.begin(), {own.url, false, own.size});
        } else {
            const Admin::Reply moved = Removal::adminTrash(own.url, {}, admin);
            if (moved.ok)
                outcome.removal.trashed += own.size;
            else
                outcome.appStays = LF("Não removido: %@", moved.reason);
        }
    }
    const RemovalOutcome removed = Removal::run(targets, admin);
    outcome.removal.freed += removed.freed;
    outcome.removal.trashed += removed.trashed;
    outcome.removal.failures = removed.failures;
    if (ownTicked && !outcome.appRemoved) {
        std::error_code error;
        outcome.appRemoved = !std::filesystem::exists(std::filesystem::symlink_status(files.front().url, error));
    }
    return outcome;
}

} // namespace Sweeper
