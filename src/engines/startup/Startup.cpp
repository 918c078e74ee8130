#include "engines/startup/Startup.h"

#include "engines/removal/Removal.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/Trash.h"

namespace Startup {

StartupChange switchItem(const StartupBackend& backend, const AgentItem& item, bool on)
{
    if (!backend.setOn)
        return {false, LF("Não foi possível alterar: %@", L("este item só pode ser removido."))};
    if (const std::optional<QString> error = backend.setOn(item, on))
        return {false, LF("Não foi possível alterar: %@", *error)};
    return {true, on ? LF("“%@” ativado.", item.label) : LF("“%@” desativado.", item.label)};
}

StartupChange removeItem(const StartupBackend& backend, const AgentItem& item, const Admin::Runner& admin)
{
    if (!item.removable || !backend.remove)
        return {false, LF("Não removido: %@", L("só as entradas do seu usuário podem ser removidas; desative esta."))};
    return backend.remove(item, admin);
}

Plan::Record planRemoval(const AgentItem& item)
{
    Plan::Record plan;
    plan.action = QStringLiteral("startup");
    if (!item.removable) {
        plan.refusal = LF("Não removido: %@", L("só as entradas do seu usuário podem ser removidas; desative esta."));
        return plan;
    }
    Plan::Item planned;
    planned.id = item.key;
    planned.group = QStringLiteral("startup");
    planned.groupTitle = item.label;
    planned.path = item.url;
    planned.label = item.url.empty() ? item.label : FS::pretty(item.url);
    planned.size = item.url.empty() ? 0 : FS::size(item.url);
    planned.fate = Plan::Fate::trashed;
    planned.admin = !item.userOwned;
    planned.identity = Removal::identityOf(item.url);
    plan.items.push_back(std::move(planned));
    plan.alongside << (item.stopsFirst ? L("O agente para agora e não volta no próximo login.")
                                       : L("A entrada vai para a Lixeira e não volta no próximo login."));
    return plan;
}

StartupChange removeItem(const StartupBackend& backend, const AgentItem& item, const Plan::Record& plan,
                         const Admin::Runner& admin)
{
    if (!plan.refusal.isEmpty())
        return {false, plan.refusal};
    for (const Plan::Item& planned : plan.items)
        if (planned.identity)
            if (const QString change = Removal::changeSince(planned.path, *planned.identity); !change.isEmpty())
                return {false, LF("Não removido: %@", planned.label + QStringLiteral(": ") + change)};
    return removeItem(backend, item, admin);
}

StartupChange trashUserItem(const AgentItem& item)
{
    const Trash::MoveResult moved = Trash::moveToTrash(item.url);
    if (!moved.ok)
        return {false, LF("Não foi possível remover: %@", moved.error)};
    return {true, LF("“%@” desativado e movido para a Lixeira.", item.label)};
}

std::vector<AgentItem> inShownOrder(const std::vector<AgentItem>& shown, std::vector<AgentItem> fresh)
{
    const auto same = [](const AgentItem& a, const AgentItem& b) {
        return a.kind == b.kind && a.key == b.key && a.url.parent_path() == b.url.parent_path();
    };
    std::vector<AgentItem> ordered;
    ordered.reserve(fresh.size());
    std::vector<bool> taken(fresh.size(), false);
    for (const AgentItem& before : shown) {
        for (std::size_t i = 0; i < fresh.size(); ++i) {
            if (!taken[i] && same(before, fresh[i])) {
                taken[i] = true;
                fresh[i].id = before.id;
                ordered.push_back(std::move(fresh[i]));
                break;
            }
        }
    }
    for (std::size_t i = 0; i < fresh.size(); ++i)
        if (!taken[i])
            ordered.push_back(std::move(fresh[i]));
    return ordered;
}

} // namespace Startup
