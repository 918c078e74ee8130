#include "engines/startup/Startup.h"

#include "i18n/L.h"
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

StartupChange removeItem(const StartupBackend& backend, const AgentItem& item, const Removal::AdminRunner& admin)
{
    if (!item.removable || !backend.remove)
        return {false, LF("Não removido: %@", L("só as entradas do seu usuário podem ser removidas; desative esta."))};
    return backend.remove(item, admin);
}

StartupChange trashUserItem(const AgentItem& item)
{
    const Trash::MoveResult moved = Trash::moveToTrash(item.url);
    if (!moved.ok)
        return {false, LF("Não foi possível remover: %@", moved.error)};
    return {true, LF("“%@” desativado e movido para a Lixeira.", item.label)};
}

} // namespace Startup
