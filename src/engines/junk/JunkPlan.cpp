#include "engines/junk/JunkPlan.h"

#include <map>
#include <set>

#include <QUuid>

#include "platform/AdminDescription.h"
#include "platform/FS.h"
#include "platform/Quitting.h"

namespace Sweeper {

namespace {

// How a system item goes: by the tool of its first action, or deleted as
// administrator; an item without actions (the user's own Flatpak runtime)
// by flatpak with the user's rights.
void systemFate(const JunkItem& item, Plan::Item& planned)
{
    planned.admin = !item.actions.empty();
    planned.actions = item.actions;
    const QString tool = item.actions.empty() ? QStringLiteral("flatpak uninstall") : Admin::toolOf(item.actions.front());
    planned.fate = tool.isEmpty() ? Plan::Fate::deleted : Plan::Fate::byTool;
    planned.tool = tool;
}

} // namespace

Plan::Record planClean(const std::vector<JunkGroup>& groups, const QStringList& groupIds)
{
    Plan::Record plan;
    plan.action = QStringLiteral("clean");
    for (const JunkGroup& group : chosenGroups(groups, groupIds)) {
        for (const JunkItem& item : group.items) {
            Plan::Item planned;
            planned.id = item.id.toString(QUuid::WithoutBraces);
            planned.group = group.id;
            planned.groupTitle = group.title;
            planned.size = item.size;
            planned.sizeKnown = item.sizeKnown;
            if (group.admin) {
                // what a tool removes by name is shown by that name
                planned.label = item.name;
                systemFate(item, planned);
            } else {
                planned.path = item.url;
                planned.label = FS::pretty(item.url);
                planned.fate = group.permanent ? Plan::Fate::deleted : Plan::Fate::trashed;
                planned.identity = Removal::identityOf(item.url);
            }
            plan.items.push_back(std::move(planned));
        }
    }
    // A group named but held by another program is not run, and says who holds it.
    for (const JunkGroup& group : groups)
        if (group.held && groupIds.contains(group.id))
            plan.leftOut << (group.items.empty() || group.items.front().note.isEmpty()
                                   ? group.title
                                   : group.title + QStringLiteral(": ") + group.items.front().note);
    return plan;
}

RemovalOutcome cleanJunk(const Plan::Record& plan, const std::vector<JunkGroup>& groups, const Admin::Runner& admin,
                         const SystemCleaner& cleanSystem, Plan::Origin origin)
{
    RemovalOutcome outcome = Removal::runPlan(plan, admin, origin);

    // The plan's system items, regrouped as the scan found them.
    std::set<QString> planned;
    for (const Plan::Item& item : plan.items)
        if (item.path.empty())
            planned.insert(item.group + QLatin1Char('/') + item.id);
    std::vector<JunkGroup> system;
    for (const JunkGroup& group : groups) {
        if (!group.admin || group.held)
            continue;
        JunkGroup chosen = group;
        std::erase_if(chosen.items, [&](const JunkItem& item) {
            return !planned.count(group.id + QLatin1Char('/') + item.id.toString(QUuid::WithoutBraces));
        });
        if (!chosen.items.empty())
            system.push_back(std::move(chosen));
    }
    if (system.empty() || !cleanSystem || Quitting::requested())
        return outcome;

    // The home folder's groups are cleaned whatever the system's do.
    const SystemJunk::CleanReport report = cleanSystem(system, groups, admin);
    std::map<QString, const GroupFreed*> byGroup;
    for (const GroupFreed& group : report.groups) {
        outcome.freed += group.freed;
        byGroup[group.id] = &group;
    }
    if (outcome.adminReason.isEmpty())
        outcome.adminReason = report.adminReason;
    outcome.systemGroups.insert(outcome.systemGroups.end(), report.groups.begin(), report.groups.end());
    Plan::Outcome& record = *outcome.record;
    for (std::size_t i = 0; i < plan.items.size(); ++i) {
        const Plan::Item& item = plan.items[i];
        if (!item.path.empty())
            continue;
        const auto found = byGroup.find(item.group);
        if (found == byGroup.end())
            record.results[i] = {Plan::Result::failed, report.adminReason, {}};
        else if (found->second->failure.isEmpty())
            record.results[i] = {Plan::Result::done, {}, {}};
        else
            record.results[i] = {Plan::Result::failed, found->second->failure, {}};
    }
    return outcome;
}

} // namespace Sweeper
