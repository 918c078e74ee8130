#include "engines/junk/JunkPlan.h"

#include <map>
#include <set>

#include <QUuid>

#include "i18n/L.h"
#include "i18n/ShownText.h"
#include "platform/AdminDescription.h"
#include "platform/FS.h"
#include "platform/Quitting.h"

namespace Sweeper {

namespace {

// How a system item goes: by the tool of its first action, or deleted as
// administrator; an item without actions by its own tool with the user's
// rights (a container tool's, or flatpak for the user's own runtime).
void systemFate(const JunkItem& item, Plan::Item& planned)
{
    planned.admin = !item.actions.empty();
    planned.actions = item.actions;
    const QString tool = !item.actions.empty() ? Admin::toolOf(item.actions.front())
                         : item.tool.isEmpty() ? QStringLiteral("flatpak uninstall")
                                               : item.tool;
    planned.fate = tool.isEmpty() ? Plan::Fate::deleted : Plan::Fate::byTool;
    planned.tool = tool;
}

// The names of the items of `groups` whose tool ids are `ids`.
QStringList namesOf(const std::vector<JunkGroup>& groups, const QStringList& ids)
{
    QStringList names;
    for (const JunkGroup& group : groups)
        for (const JunkItem& item : group.items)
            if (!item.toolId.isEmpty() && ids.contains(item.toolId))
                names << item.name.section(QStringLiteral(" ("), 0, 0);
    return names;
}

// Whether one of the items of `groups` whose tool ids are `ids` is an image.
bool anyImage(const std::vector<JunkGroup>& groups, const QStringList& ids)
{
    for (const JunkGroup& group : groups)
        for (const JunkItem& item : group.items)
            if (ids.contains(item.toolId) && item.tool.endsWith(QLatin1String(" image rm")))
                return true;
    return false;
}

} // namespace

Plan::Record planClean(const std::vector<JunkGroup>& groups, const QStringList& groupIds, const QStringList& itemIds)
{
    Plan::Record plan;
    plan.action = QStringLiteral("clean");
    const std::vector<JunkGroup> chosen = chosenGroups(groups, groupIds, itemIds);
    QStringList going;  // the tool ids the plan takes
    for (const JunkGroup& group : chosen)
        for (const JunkItem& item : group.items)
            if (!item.toolId.isEmpty())
                going << item.toolId;
    for (const JunkGroup& group : chosen) {
        for (const JunkItem& item : group.items) {
            // An item that goes only with others stays when one of them stays.
            if (!item.goesWith.isEmpty()) {
                QStringList staying;
                for (const QString& id : item.goesWith)
                    if (!going.contains(id))
                        staying << id;
                if (!staying.isEmpty()) {
                    const QString names = joinShown(namesOf(groups, staying));
                    plan.leftOut << item.name + QStringLiteral(": ")
                                        + (anyImage(groups, staying) ? LF("Fica porque a imagem %@ fica", names)
                                                                     : LF("Fica porque o contêiner %@ fica", names));
                    continue;
                }
            }
            Plan::Item planned;
            planned.id = item.id.toString(QUuid::WithoutBraces);
            planned.group = group.id;
            planned.groupTitle = group.title;
            planned.size = item.size;
            planned.sizeKnown = item.sizeKnown;
            if (group.admin) {
                // what a tool removes by name is shown by that name
                planned.label = item.goesWith.isEmpty() ? item.name
                                                        : item.name + QStringLiteral(" (") + item.note + QLatin1Char(')');
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
        if (const auto own = report.items.find(item.id); own != report.items.end())
            record.results[i] = own->second;
        else if (found == byGroup.end())
            record.results[i] = {Plan::Result::failed, report.adminReason, {}};
        else if (found->second->failure.isEmpty())
            record.results[i] = {Plan::Result::done, {}, {}};
        else
            record.results[i] = {Plan::Result::failed, found->second->failure, {}};
    }
    return outcome;
}

} // namespace Sweeper
