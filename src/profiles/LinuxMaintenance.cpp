#include "profiles/LinuxMaintenance.h"
#include "profiles/MaintenanceRoutines.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/Shell.h"

namespace fs = std::filesystem;

namespace LinuxMaintenance {

namespace {

bool isThere(const fs::path& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

std::string pathText(const fs::path& path) { return path.native(); }

MaintTask routine(const char* id, const QString& title, const QString& detail, const char* symbol,
                  const std::string& cmd, bool admin)
{
    MaintTask task;
    task.id = QString::fromLatin1(id);
    task.title = title;
    task.detail = detail;
    task.symbol = QString::fromLatin1(symbol);
    task.cmd = cmd;
    task.admin = admin;
    return task;
}

// Marks the routine unavailable for want of `what` (a program, a file or a service).
void missing(MaintTask& task, const QString& what)
{
    task.available = false;
    task.reason = LF("Indisponível: falta %@", what);
}

// The package tool of this system and its cleaning command.
struct PackageTool {
    const char* program;
    const char* command;
};
const PackageTool kPackageTools[] = {
    {"apt-get", "apt-get clean"},
    {"dnf", "dnf clean packages"},
    {"pacman", "pacman -Sc --noconfirm"},
};

} // namespace

Environment environment()
{
    Environment env;
    env.path = qEnvironmentVariable("PATH");
    env.home = FS::home();
    return env;
}

QString findProgram(const QString& name, const QString& path)
{
    const auto executable = [](const QString& file) {
        const QFileInfo info(file);
        return info.isFile() && info.isExecutable();
    };
    if (name.contains(QLatin1Char('/')))
        return executable(name) ? name : QString();
    for (const QString& dir : path.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString file = dir + QLatin1Char('/') + name;
        if (executable(file))
            return file;
    }
    return {};
}

std::int64_t cachedBytes(const fs::path& meminfo)
{
    QFile file(QFile::decodeName(QByteArray::fromStdString(meminfo.native())));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.startsWith("Cached:"))
            continue;
        const QList<QByteArray> parts = line.mid(7).simplified().split(' ');
        return parts.isEmpty() ? 0 : parts.first().toLongLong() * 1024;
    }
    return 0;
}

namespace {

// A routine that runs one program: unavailable where that program is not installed.
MaintTask programRoutine(const char* id, const QString& title, const QString& detail, const char* symbol,
                         const char* program, const std::string& cmd, bool admin, const Environment& env)
{
    MaintTask task = routine(id, title, detail, symbol, cmd, admin);
    task.needs = QString::fromLatin1(program);
    if (findProgram(task.needs, env.path).isEmpty())
        missing(task, task.needs);
    return task;
}

} // namespace

std::vector<MaintTask> tasks(const Environment& env)
{
    std::vector<MaintTask> list;

    MaintTask ram = routine("ram", L("Liberar memória"), L("Esvazia o cache de disco da memória"), "memorychip",
                  "sync; echo 3 > " + Shell::q(pathText(env.dropCaches)), true);
    ram.needs = QFile::decodeName(QByteArray::fromStdString(env.dropCaches.native()));
    if (!isThere(env.dropCaches))
        missing(ram, ram.needs);
    ram.gauge = [meminfo = env.meminfo] { return cachedBytes(meminfo); };
    list.push_back(ram);

    MaintTask dns = programRoutine("dns", L("Limpar cache DNS"), L("Sites que não abrem ou abrem errado"), "network",
                                   "resolvectl", "resolvectl flush-caches", true, env);
    if (dns.available && !isThere(env.resolved))
        missing(dns, QStringLiteral("systemd-resolved"));
    list.push_back(dns);

    list.push_back(programRoutine("journal", L("Compactar o diário do sistema"), L("Apaga registros com mais de duas semanas"),
                                  "doc.text", "journalctl", "journalctl --vacuum-time=2weeks", true, env));

    MaintTask packages = routine("packages", L("Limpar cache de pacotes"), L("Pacotes baixados que já foram instalados"),
                       "shippingbox", kPackageTools[0].command, true);
    packages.needs = QString::fromLatin1(kPackageTools[0].program);
    bool found = false;
    for (const PackageTool& tool : kPackageTools) {
        if (!findProgram(QString::fromLatin1(tool.program), env.path).isEmpty()) {
            packages.cmd = tool.command;
            packages.needs = QString::fromLatin1(tool.program);
            found = true;
            break;
        }
    }
    if (!found)
        missing(packages, packages.needs);
    list.push_back(packages);

    list.push_back(programRoutine("flatpak", L("Remover runtimes sem uso"), L("Bibliotecas Flatpak que nenhum app usa mais"),
                                  "square.stack.3d.up", "flatpak", "flatpak uninstall --unused -y --noninteractive", false, env));
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
        missing(menus, QStringLiteral("~/.local/share/applications"));
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
