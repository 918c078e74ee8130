// The seven macOS maintenance routines.
#include "profiles/MaintenanceRoutines.h"

#include "i18n/L.h"

namespace Profiles {

namespace {

std::vector<MaintTask> tasks()
{
    return {
        {"ram", L("Liberar memória"), L("Esvazia a memória inativa"), "memorychip", "/usr/sbin/purge", true},
        {"dns", L("Limpar cache de DNS"), L("Sites que não abrem ou abrem errado"), "network",
         "dscacheutil -flushcache; killall -HUP mDNSResponder", true},
        {"spot", L("Reindexar Spotlight"), L("Recria o índice de busca"), "magnifyingglass", "mdutil -E /", true},
        {"ls", L("Reconstruir Launch Services"), L("“Abrir com” duplicado e ícones errados"), "square.stack.3d.up",
         "/System/Library/Frameworks/CoreServices.framework/Frameworks/LaunchServices.framework/Support/lsregister"
         " -kill -r -domain local -domain system -domain user",
         false},
        {"font", L("Limpar cache de fontes"), L("Fontes corrompidas (reinicie depois)"), "textformat",
         "atsutil databases -remove", true},
        {"ql", L("Redefinir Quick Look"), L("Miniaturas e pré-visualizações"), "eye", "qlmanage -r; qlmanage -r cache",
         false},
        {"dock", L("Reiniciar Dock e Finder"), L("Destrava a interface"), "dock.rectangle", "killall Dock; killall Finder",
         false},
    };
}

QStringList defaultSelection()
{
    return {"ram", "dns"};
}

} // namespace

MaintenanceRoutines macosMaintenance()
{
    return {.tasks = tasks, .defaultSelection = defaultSelection};
}

} // namespace Profiles
