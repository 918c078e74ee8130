#include "space/SpacePlan.h"

#include <algorithm>

#include "engines/removal/Removal.h"
#include "i18n/L.h"
#include "platform/FS.h"

namespace Space {

QString neverTouchReason(const std::filesystem::path& path, const NeverTouchList& neverTouch)
{
    if (neverTouch.covers(path))
        return L("Está na lista Nunca tocar");
    if (neverTouch.holdsInside(path))
        return L("Contém um local da lista Nunca tocar");
    return {};
}

Plan::Record trashPlan(const std::vector<SizeEntry>& chosen, const NeverTouchList& neverTouch)
{
    std::vector<RemovalTarget> targets;
    QStringList leftOut;
    for (const SizeEntry& entry : chosen) {
        if (const QString why = neverTouchReason(entry.url, neverTouch); !why.isEmpty())
            leftOut << FS::pretty(entry.url) + QStringLiteral(": ") + why;
        else
            targets.push_back({entry.url, false, std::max<std::int64_t>(entry.size, 0)});
    }
    Plan::Record plan = Removal::planTrash(QStringLiteral("space"), L("Espaço"), targets);
    plan.leftOut = leftOut;
    return plan;
}

} // namespace Space
