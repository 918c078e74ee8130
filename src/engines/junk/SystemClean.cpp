#include "engines/junk/SystemClean.h"

#include <algorithm>
#include <map>
#include <utility>

#include <QFile>
#include <QUuid>

#include "engines/apps/LinuxPackageTools.h"
#include "engines/junk/LinuxSystemJunk.h"
#include "engines/junk/ToolStores.h"
#include "i18n/FormatLocale.h"
#include "i18n/L.h"

namespace fs = std::filesystem;

namespace SystemJunk {

namespace {

QString lastLine(const QString& text)
{
    const QStringList lines = text.trimmed().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.last().trimmed();
}

const Admin::Action* firstAction(const JunkItem& item)
{
    return item.actions.empty() ? nullptr : &item.actions.front();
}

// The packages, runtimes or files named by the items' first actions.
std::vector<std::string> namedBy(const std::vector<JunkItem>& items)
{
    std::vector<std::string> names;
    for (const JunkItem& item : items)
        if (const Admin::Action* action = firstAction(item); action && !action->args.empty())
            names.push_back(action->args.front());
    return names;
}

std::string shellWords(const std::vector<std::string>& words)
{
    std::string text;
    for (const std::string& word : words)
        text += ' ' + Shell::q(word);
    return text;
}

const JunkGroup* groupById(const std::vector<JunkGroup>& groups, const QString& id)
{
    for (const JunkGroup& group : groups)
        if (group.id == id)
            return &group;
    return nullptr;
}

// One group's part of the run: its actions' indexes in the request, and why
// it failed before anything was asked.
struct Planned {
    const JunkGroup* group = nullptr;
    std::vector<std::size_t> actions;
    QString failure;
    std::vector<std::string> userRuntimes;  // the user's own Flatpak runtimes, removed without the helper
    // Snapshots, each with its action's index: what one frees is what the
    // scan read from the tool's quota figures, counted when the tool deleted it.
    std::vector<std::pair<const JunkItem*, std::size_t>> snapshots;
};

bool isSnapshot(const JunkItem& item)
{
    const Admin::Action* action = firstAction(item);
    return action && (action->verb == Admin::kRemoveSnapperSnapshot || action->verb == Admin::kRemoveTimeshiftSnapshot);
}

// The removal of the chosen packages as one action taking exactly what apt
// would remove, or why not.
std::optional<Admin::Action> packageAction(const JunkGroup& chosen, const std::vector<JunkGroup>& offered,
                                           const CleanTools& tools, QString& failure)
{
    const std::vector<std::string> names = namedBy(chosen.items);
    const Shell::Result simulated =
        tools.run(LinuxApps::toolCommand("apt-get -s remove --" + shellWords(names) + " 2>&1"));
    if (!simulated.ok) {
        failure = lastLine(simulated.out);
        return std::nullopt;
    }
    const QStringList plan = LinuxApps::parseAptRemovals(simulated.out, true);
    QStringList offeredNames;
    if (const JunkGroup* group = groupById(offered, chosen.id))
        for (const std::string& name : namedBy(group->items))
            offeredNames << decoded(name);
    if (std::optional<QString> refusal = packagePlanRefusal(plan, offeredNames,
                                                            tools.appPackages ? tools.appPackages() : QStringList())) {
        failure = *refusal;
        return std::nullopt;
    }
    Admin::Action action{Admin::kRemovePackages, {}};
    for (const QString& name : plan)
        action.args.push_back(encoded(name));
    return action;
}

// The system installation's Flatpak runtimes in one action; returns the
// user's own, which go without the administrator.
std::vector<std::string> flatpakActions(const JunkGroup& chosen, std::vector<Admin::Action>& actions)
{
    std::vector<std::string> systemRefs, userRefs;
    for (const JunkItem& item : chosen.items) {
        if (const Admin::Action* action = firstAction(item))
            systemRefs.insert(systemRefs.end(), action->args.begin(), action->args.end());
        else
            userRefs.push_back(encoded(QStringLiteral("runtime/") + item.name));
    }
    if (!systemRefs.empty())
        actions.push_back({Admin::kRemoveFlatpakRuntimes, systemRefs});
    return userRefs;
}

// Removes the user's own Flatpak runtimes; why not, when it failed.
QString removeUserRuntimes(const std::vector<std::string>& refs, const CleanTools& tools)
{
    const Shell::Result result = tools.run(
        LinuxApps::toolCommand("flatpak uninstall --user --noninteractive -y --" + shellWords(refs) + " 2>&1"));
    return result.ok ? QString() : lastLine(result.out);
}

} // namespace

std::optional<QString> packagePlanRefusal(const QStringList& plan, const QStringList& offered,
                                          const QStringList& appPackages)
{
    const auto bare = [](const QString& name) { return name.section(QLatin1Char(':'), 0, 0); };
    if (plan.size() > kMaxPackages)
        return LF("Recusado: a remoção levaria %@ pacotes (no máximo %@ de uma vez).", localNumber(plan.size()),
                  localNumber(kMaxPackages));
    for (const QString& name : plan) {
        const bool wasOffered = std::any_of(offered.begin(), offered.end(),
                                            [&](const QString& o) { return o == name || bare(o) == bare(name); });
        if (!wasOffered)
            return LF("Recusado: a remoção levaria também %@, que não foi oferecido.", name);
        for (const QString& owner : appPackages)
            if (bare(owner) == bare(name))
                return LF("Recusado: %@ instalou um app da lista de Apps.", name);
    }
    return std::nullopt;
}

std::optional<std::int64_t> leftBytes(const SystemPlaces& places, const JunkItem& item,
                                      std::chrono::system_clock::time_point now)
{
    const Admin::Action* action = firstAction(item);
    if (!action) // the user's own Flatpak runtime
        return folderBytes(item.url).value_or(0);
    const std::string& verb = action->verb;
    const std::string arg = action->args.empty() ? std::string() : action->args.front();
    const fs::path& root = places.root;
    if (verb == Admin::kRemoveSnapperSnapshot || verb == Admin::kRemoveTimeshiftSnapshot)
        return std::nullopt;  // a snapshot's folder is root's to read: its size comes from the tool
    if (verb == Admin::kCleanPackageCache)
        return arg == "dnf" ? dnfCacheBytes(root) : arg == "pacman" ? pacmanCache(root).total() : aptArchives(root).total();
    if (verb == Admin::kVacuumJournal)
        return oldJournals(root, now).total();
    if (verb == Admin::kRemovePackages)
        return installedPackageBytes(root, decoded(arg));
    if (verb == Admin::kRemoveFlatpakRuntimes)
        return folderBytes(item.url).value_or(0);
    if (verb == Admin::kRemoveRotatedLog) {
        std::int64_t sum = 0;
        for (const Admin::Action& each : item.actions)
            sum += regularFileBytes(root / "var/log" / each.args.front()).value_or(0);
        return sum;
    }
    // one file: a Snap revision, a core dump, a crash report
    return regularFileBytes(item.url).value_or(0);
}

CleanReport clean(const std::vector<JunkGroup>& groups, const std::vector<JunkGroup>& offered,
                  const CleanTools& tools)
{
    CleanReport report;
    std::vector<Admin::Action> actions;
    std::vector<Planned> planned;
    std::vector<const JunkGroup*> byTool;  // container storage: its tool, as this user
    for (const JunkGroup& group : groups) {
        if (!group.admin || group.items.empty())
            continue;
        if (isToolStore(group) && !group.asksPassword()) {
            byTool.push_back(&group);
            continue;
        }
        Planned part{&group, {}, {}, {}};
        const std::size_t first = actions.size();
        if (group.id == QLatin1String("autoremove")) {
            if (std::optional<Admin::Action> action = packageAction(group, offered, tools, part.failure))
                actions.push_back(std::move(*action));
        } else if (group.id == QLatin1String("flatpak")) {
            part.userRuntimes = flatpakActions(group, actions);
        } else {
            for (const JunkItem& item : group.items) {
                if (isSnapshot(item))
                    part.snapshots.emplace_back(&item, actions.size());
                actions.insert(actions.end(), item.actions.begin(), item.actions.end());
            }
        }
        for (std::size_t i = first; i < actions.size(); ++i)
            part.actions.push_back(i);
        planned.push_back(std::move(part));
    }

    // Measured right before and right after the run: what went is what it freed.
    const auto measure = [&tools](const JunkGroup& group) {
        std::vector<std::optional<std::int64_t>> sizes;
        for (const JunkItem& item : group.items)
            sizes.push_back(leftBytes(tools.places, item));
        return sizes;
    };
    std::vector<std::vector<std::optional<std::int64_t>>> before;
    for (const Planned& part : planned)
        before.push_back(measure(*part.group));

    Admin::Reply reply;
    if (!actions.empty())
        reply = tools.admin(Admin::Request{actions, {}});
    const bool nothingDone = !actions.empty() && reply.failures.empty() && !reply.ok;
    if (nothingDone)
        report.adminReason = reply.reason;
    for (Planned& part : planned)
        if (!part.userRuntimes.empty())
            part.failure = removeUserRuntimes(part.userRuntimes, tools);

    for (std::size_t p = 0; p < planned.size(); ++p) {
        const Planned& part = planned[p];
        GroupFreed result{part.group->id, part.group->title, 0, part.failure};
        for (std::size_t index : part.actions) {
            if (!result.failure.isEmpty())
                break;
            if (nothingDone)
                result.failure = reply.reason;
            else if (!reply.ok && !reply.done(index))
                result.failure = index < reply.failures.size() ? reply.failures[index] : reply.reason;
        }
        const std::vector<std::optional<std::int64_t>> after = measure(*part.group);
        for (std::size_t i = 0; i < after.size(); ++i)
            if (before[p][i] && after[i])
                result.freed += std::max<std::int64_t>(0, *before[p][i] - *after[i]);
        for (const auto& [item, index] : part.snapshots) {
            const bool done = !nothingDone && (reply.ok || reply.done(index));
            if (done && item->sizeKnown)
                result.freed += item->size;
            const QString why = nothingDone ? reply.reason
                                : index < reply.failures.size() ? reply.failures[index] : reply.reason;
            report.items[item->id.toString(QUuid::WithoutBraces)] =
                done ? Plan::ItemResult{Plan::Result::done} : Plan::ItemResult{Plan::Result::failed, why};
        }
        report.groups.push_back(std::move(result));
    }

    QStringList went;
    for (const JunkGroup* group : byTool) {
        ToolRemoval removal = removeByTool(*group, tools.run, went);
        went = removal.went;
        GroupFreed result{group->id, group->title, removal.freed, {}};
        for (const auto& [id, item] : removal.results) {
            if (result.failure.isEmpty() && (item.result == Plan::Result::failed || item.result == Plan::Result::held))
                result.failure = item.reason;
            report.items[id] = item;
        }
        report.groups.push_back(std::move(result));
    }
    return report;
}

} // namespace SystemJunk
