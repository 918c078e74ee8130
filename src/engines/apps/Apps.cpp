#include "engines/apps/Apps.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include <QCollator>
#include <QLocale>

#include "engines/removal/Removal.h"
#include "i18n/FormatLocale.h"
#include "i18n/L.h"
#include "i18n/ShownText.h"
#include "platform/AdminDescription.h"
#include "platform/FS.h"
#include "platform/Processes.h"
#include "platform/Quitting.h"

namespace Sweeper {

int honourNeverTouch(std::vector<JunkItem>& files, const NeverTouchList& never)
{
    if (never.empty() || files.empty())
        return 0;
    int ignored = 0;
    std::vector<JunkItem> kept;
    for (std::size_t i = 0; i < files.size(); ++i) {
        JunkItem& item = files[i];
        if (i == 0 || item.url.empty()) {
            if (!item.url.empty() && never.touches(item.url)) {
                item.selected = false;
                item.note = L("Na lista Nunca tocar");
            }
            kept.push_back(std::move(item));
            continue;
        }
        for (std::filesystem::path& part : untouchedParts(item.url, never, ignored)) {
            if (part == item.url) {
                kept.push_back(std::move(item));
                break;
            }
            JunkItem below;
            below.name = item.name + '/' + FS::text(part.lexically_relative(item.url));
            below.size = FS::size(part);
            below.selected = item.selected;
            below.note = item.note;
            below.url = std::move(part);
            kept.push_back(std::move(below));
        }
    }
    files = std::move(kept);
    return ignored;
}

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
    QCollator collator{formattingLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(apps.begin(), apps.end(),
                     [&](const AppInfo& a, const AppInfo& b) { return collator.compare(a.name, b.name) < 0; });
}

bool appMatches(const AppInfo& app, const QString& search)
{
    if (search.isEmpty())
        return true;
    const QLocale& locale = formattingLocale();
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

Plan::Record planUninstall(const AppInfo& app, const UninstallPlan& plan, const std::vector<JunkItem>& files,
                           const std::function<bool(const std::filesystem::path&)>& mayDelete)
{
    Plan::Record record;
    record.action = QStringLiteral("uninstall");
    const bool ownTicked = !files.empty() && files.front().selected;
    if (!plan.ok() && ownTicked) {
        record.refusal = plan.refusal;
        return record;
    }
    if (ownTicked) {
        const JunkItem& own = files.front();
        Plan::Item item;
        item.id = own.id.toString(QUuid::WithoutBraces);
        item.group = QStringLiteral("app");
        item.groupTitle = app.name;
        item.size = own.size;
        item.sizeKnown = own.sizeKnown;
        if (plan.byOwner()) {
            item.label = app.name + QStringLiteral(" (") + ownerText(app, true) + QLatin1Char(')');
            item.fate = Plan::Fate::byTool;
            item.actions = plan.adminActions;
            item.admin = !plan.adminActions.empty();
            item.tool = item.admin ? Admin::toolOf(plan.adminActions.front())
                                   : QString::fromStdString(plan.command).section(QLatin1Char(' '), 0, 1);
        } else {
            item.path = own.url;
            item.label = FS::pretty(own.url);
            item.fate = Plan::Fate::trashed;
            item.admin = !mayDelete(own.url);
            item.identity = Removal::identityOf(own.url);
        }
        record.items.push_back(std::move(item));
        if (!plan.packages.isEmpty())
            record.alongside << LF("Também serão removidos os pacotes: %@", joinShown(plan.packages));
        if (!plan.apps.isEmpty())
            record.alongside << LF("Apps que saem junto: %@", joinShown(plan.apps));
    } else if (!plan.ok()) {
        record.alongside << app.name + QStringLiteral(": ") + plan.refusal;  // the application stays
    }
    bool leftovers = false;
    for (std::size_t i = 1; i < files.size(); ++i) {
        if (!files[i].selected)
            continue;
        Plan::Item item;
        item.id = files[i].id.toString(QUuid::WithoutBraces);
        item.group = QStringLiteral("leftovers");
        item.groupTitle = LF("Restos de %@", app.name);
        item.path = files[i].url;
        item.label = FS::pretty(files[i].url);
        item.size = files[i].size;
        item.sizeKnown = files[i].sizeKnown;
        item.fate = Plan::Fate::trashed;
        item.identity = Removal::identityOf(files[i].url);
        record.items.push_back(std::move(item));
        leftovers = true;
    }
    if (ownTicked || leftovers)
        record.alongside << L("Se o app estiver aberto, ele será fechado.");
    return record;
}

UninstallOutcome uninstall(const AppInfo& app, const UninstallPlan& plan, const std::vector<JunkItem>& files,
                           const AppBackend& backend, const Admin::Runner& admin,
                           const std::function<bool(const std::filesystem::path&)>& mayDelete)
{
    return uninstall(app, plan, planUninstall(app, plan, files, mayDelete), backend, admin);
}

UninstallOutcome uninstall(const AppInfo& app, const UninstallPlan& plan, const Plan::Record& record,
                           const AppBackend& backend, const Admin::Runner& admin, Plan::Origin origin)
{
    UninstallOutcome outcome;
    if (!record.refusal.isEmpty()) {
        outcome.refused = true;
        outcome.appStays = record.refusal;
        return outcome;
    }
    if (record.empty())
        return outcome;
    if (Quitting::requested())
        return outcome;  // asked to end before anything began: nothing is begun
    requestQuit(app);  // a polite request, not waited for

    Plan::Outcome done = Plan::Outcome::of(record, origin);
    const auto ownAt = std::find_if(record.items.begin(), record.items.end(),
                                    [](const Plan::Item& item) { return item.group == QLatin1String("app"); });
    const std::size_t own = std::size_t(ownAt - record.items.begin());

    if (!plan.ok()) {
        outcome.appStays = plan.refusal;
    } else if (ownAt != record.items.end() && ownAt->fate == Plan::Fate::byTool) {
        QString reason;
        bool removed = false;
        if (!ownAt->actions.empty()) {
            const Admin::Reply reply = admin(Admin::Request{ownAt->actions, {}});
            removed = reply.ok;
            reason = reply.reason;
        } else {
            const Shell::Result result = backend.tools(plan.command);
            removed = result.ok;
            reason = Shell::lastLine(result.out);
        }
        if (!removed) {
            outcome.appStays = LF("Não removido: %@", reason.isEmpty() ? L("A ferramenta de pacotes não respondeu.") : reason);
            done.results[own] = {Plan::Result::failed, reason, {}};
            outcome.removal.record = std::move(done);
            return outcome;  // the leftovers stay with the application
        }
        done.results[own].result = Plan::Result::done;
        outcome.appRemoved = true;
        // what its owner's tool freed, as the owner counts it (a package's installed size)
        outcome.removal.freed += ownAt->sizeKnown ? ownAt->size : 0;
    } else if (ownAt != record.items.end() && ownAt->admin) {
        const QString change = ownAt->identity ? Removal::changeSince(ownAt->path, *ownAt->identity) : QString();
        const Admin::Reply moved = change.isEmpty() ? Removal::adminTrash(ownAt->path, {}, admin)
                                                    : Admin::Reply{false, change, {}, {}};
        if (moved.ok) {
            outcome.removal.trashed += ownAt->size;
            done.results[own].result = Plan::Result::done;
        } else {
            outcome.appStays = LF("Não removido: %@", moved.reason);
            done.results[own] = {change.isEmpty() ? Plan::Result::failed : Plan::Result::held, moved.reason, {}};
        }
    }
    // The removal loop takes the plan's items this user moves to the Trash, and leaves the others as not run.
    const RemovalOutcome removed = Removal::runPlan(record, admin, origin);
    outcome.removal.freed += removed.freed;
    outcome.removal.trashed += removed.trashed;
    outcome.removal.failures = removed.failures;
    outcome.removal.held = removed.held;
    for (std::size_t i = 0; i < record.items.size(); ++i)
        if (removed.record->results[i].result != Plan::Result::notRun)
            done.results[i] = removed.record->results[i];
    if (ownAt != record.items.end() && !outcome.appRemoved && ownAt->fate == Plan::Fate::trashed) {
        std::error_code error;
        outcome.appRemoved = !std::filesystem::exists(std::filesystem::symlink_status(ownAt->path, error));
    }
    outcome.removal.record = std::move(done);
    return outcome;
}

} // namespace Sweeper
