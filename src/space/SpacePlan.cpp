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

QString storageReason(const SizeEntry& entry)
{
    const NeverTouchList storage(FS::storagePlaces());
    if (storage.covers(entry.url))
        return entry.isDir ? L("Pasta protegida: o Quillmoor não a remove")
                           : L("Arquivo protegido: o Quillmoor não o remove");
    if (storage.holdsInside(entry.url))
        return L("Contém dados de contêineres ou instantâneos do sistema");
    return {};
}

QString keptReason(const SizeEntry& entry, const NeverTouchList& neverTouch)
{
    const QString why = storageReason(entry);
    return why.isEmpty() ? neverTouchReason(entry.url, neverTouch) : why;
}

Plan::Record trashPlan(const std::vector<SizeEntry>& chosen, const NeverTouchList& neverTouch)
{
    std::vector<RemovalTarget> targets;
    QStringList leftOut;
    for (const SizeEntry& entry : chosen) {
        if (const QString why = keptReason(entry, neverTouch); !why.isEmpty())
            leftOut << FS::pretty(entry.url) + QStringLiteral(": ") + why;
        else
            targets.push_back({entry.url, false, std::max<std::int64_t>(entry.size, 0)});
    }
    Plan::Record plan = Removal::planTrash(QStringLiteral("space"), L("Espaço"), targets);
    plan.leftOut = leftOut;
    return plan;
}

} // namespace Space
