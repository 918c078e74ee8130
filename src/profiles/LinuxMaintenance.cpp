#include "profiles/LinuxMaintenance.h"
#include "profiles/MaintenanceRoutines.h"

#include "engines/maintenance/LinuxRoutines.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "i18n/L.h"
#include "platform/AdminActions.h"
#include "platform/FS.h"
#include "platform/Shell.h"

namespace fs = std::filesystem;

namespace LinuxMaintenance {

namespace {

using LinuxRoutines::findProgram;
using LinuxRoutines::markMissing;
using LinuxRoutines::routine;

bool isThere(const fs::path& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

std::string pathText(const fs::path& path) { return path.native(); }

MaintTask programRoutine(const char* id, const QString& title, const QString& detail, const char* symbol,
                         const char* program, const std::string& cmd, bool admin, const Environment& env)
{
    return LinuxRoutines::programRoutine(id, title, detail, symbol, program, cmd, admin, env.path);
}

// A routine that needs rights: the administrator helper's action, no command line.
MaintTask withAction(MaintTask task, const char* verb, std::vector<std::string> args = {})
{
    task.action = Admin::Action{verb, std::move(args)};
    return task;
}

// The package tool of this system and the helper's name for its cache.
struct PackageTool {
    const char* program;
    const char* cache;
};
const PackageTool kPackageTools[] = {
    {"apt-get", "apt"},
    {"dnf", "dnf"},
    {"pacman", "pacman"},
};

} // namespace

Environment environment()
{
    Environment env;
    env.path = qEnvironmentVariable("PATH");
    env.home = FS::home();
    return env;
}

std::vector<MaintTask> tasks(const Environment& env)
{
    std::vector<MaintTask> list;

    MaintTask ram = withAction(routine("ram", L("Liberar memória"), L("Esvazia o cache de disco da memória"),
                                       "memorychip", "", true),
                               Admin::kDropCaches);
    ram.needs = QFile::decodeName(QByteArray::fromStdString(env.dropCaches.native()));
    if (!isThere(env.dropCaches))
        markMissing(ram, ram.needs);
    ram.gauge = [meminfo = env.meminfo] { return LinuxRoutines::cachedBytes(meminfo); };
    list.push_back(ram);

    MaintTask dns = withAction(programRoutine("dns", L("Limpar cache de DNS"), L("Sites que não abrem ou abrem errado"),
                                              "network", "resolvectl", "", true, env),
                               Admin::kFlushDns);
    if (dns.available && !isThere(env.resolved))
        markMissing(dns, QStringLiteral("systemd-resolved"));
    list.push_back(dns);

    MaintTask journal = withAction(programRoutine("journal", L("Compactar o diário do sistema"),
                                                  L("Apaga registros com mais de duas semanas"), "doc.text", "journalctl",
                                                  "", true, env),
                                   Admin::kVacuumJournal);
    journal.junkGroup = QStringLiteral("journal");
    list.push_back(journal);

    MaintTask packages = withAction(routine("packages", L("Limpar cache de pacotes"),
                                            L("Pacotes baixados que já foram instalados"), "shippingbox", "", true),
                                    Admin::kCleanPackageCache, {kPackageTools[0].cache});
    packages.needs = QString::fromLatin1(kPackageTools[0].program);
    bool found = false;
    for (const PackageTool& tool : kPackageTools) {
        if (!findProgram(QString::fromLatin1(tool.program), env.path).isEmpty()) {
            packages.action->args = {tool.cache};
            packages.needs = QString::fromLatin1(tool.program);
            found = true;
            break;
        }
    }
    if (!found)
        markMissing(packages, packages.needs);
    packages.junkGroup = QStringLiteral("pkgcache");
    list.push_back(packages);

    MaintTask flatpak = programRoutine("flatpak", L("Remover runtimes sem uso"), L("Bibliotecas Flatpak que nenhum app usa mais"),
                                       "square.stack.3d.up", "flatpak", "flatpak uninstall --unused -y --noninteractive",
                                       false, env);
    flatpak.junkGroup = QStringLiteral("flatpak");
    list.push_back(flatpak);
    list.push_back(programRoutine("fonts", L("Reconstruir cache de fontes"), L("Fontes que faltam ou aparecem erradas"),
                                  "textformat", "fc-cache", "fc-cache -f", false, env));

    // The user's own menu entries and file types, where their folders exist.
    const fs::path applications = env.home / ".local/share/applications";
    const fs::path mime = env.home / ".local/share/mime";
    MaintTask menus = programRoutine("menus", L("Atualizar menus de aplicativos"), L("Apps que não aparecem no menu ou em “Abrir com”"),
                                     "square.grid.2x2", "update-desktop-database", "", false, env);
    std::vector<std::string> steps;
    if (isThere(applications))
        steps.push_back("update-desktop-database " + Shell::q(pathText(applications)));
    if (isThere(mime / "packages") && !findProgram(QStringLiteral("update-mime-database"), env.path).isEmpty())
        steps.push_back("update-mime-database " + Shell::q(pathText(mime)));
    for (const std::string& step : steps)
        menus.cmd += (menus.cmd.empty() ? "" : "; ") + step;
    if (menus.available && steps.empty())
        markMissing(menus, QStringLiteral("~/.local/share/applications"));
    list.push_back(menus);

    return list;
}

} // namespace LinuxMaintenance

namespace Profiles {

MaintenanceRoutines linuxMaintenance()
{
    return {.tasks = [] { return LinuxMaintenance::tasks(); },
            .defaultSelection = [] {
                QStringList ids;  // those of "ram" and "dns" that can run here
                for (const MaintTask& task : LinuxMaintenance::tasks())
                    if (task.available && (task.id == QLatin1String("ram") || task.id == QLatin1String("dns")))
                        ids << task.id;
                return ids;
            },
            .reasons = Maintenance::Reasons::WithReasons};
}

} // namespace Profiles
