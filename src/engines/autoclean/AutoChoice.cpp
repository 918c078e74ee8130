#include "engines/autoclean/AutoChoice.h"

namespace AutoClean {

namespace {

const QString kTrash = QStringLiteral("trash");

bool oldEnough(const JunkItem& item, const QDateTime& now, const DeletedAt& deletedAt)
{
    const std::optional<QDateTime> when = deletedAt(item.url);
    return when && when->addDays(kTrashAgeDays) <= now;
}

} // namespace

QStringList defaultGroups() { return {"caches", "thumbnails", "logs", "devcache"}; }

QStringList optionalGroups() { return {"installers", kTrash}; }

std::vector<JunkGroup> automaticChoice(const std::vector<JunkGroup>& found, const QStringList& chosen,
                                       const QDateTime& now, const DeletedAt& deletedAt)
{
    std::vector<JunkGroup> taken;
    for (const JunkGroup& group : found) {
        if (group.admin || group.held || !chosen.contains(group.id))
            continue;
        const bool everyItem = optionalGroups().contains(group.id);
        JunkGroup ticked = group;
        bool any = false;
        for (JunkItem& item : ticked.items) {
            item.selected = (item.selected || everyItem) && !item.inUse
                            && (group.id != kTrash || oldEnough(item, now, deletedAt));
            any = any || item.selected;
        }
        if (any)
            taken.push_back(std::move(ticked));
    }
    return taken;
}

} // namespace AutoClean
