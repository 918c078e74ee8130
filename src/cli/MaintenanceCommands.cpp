#include "cli/MaintenanceCommands.h"

#include <QJsonArray>

#include "cli/TerminalText.h"
#include "i18n/L.h"
#include "profiles/Profile.h"

namespace Cli {

namespace {

Maintenance::Runner userRunner;
Admin::Runner adminRunner;

// Reads the arguments: the ids after each --run, in order, without repeats.
QString parseRun(const QStringList& args, const std::vector<MaintTask>& tasks, QStringList& ids, bool& run)
{
    bool afterRun = false;
    for (const QString& arg : args) {
        if (arg == "--run") {
            run = afterRun = true;
            continue;
        }
        if (!afterRun)
            return LF("argumento desconhecido “%@” para %@ (veja --help)", arg, "maintenance");
        const bool known = std::any_of(tasks.begin(), tasks.end(), [&](const MaintTask& t) { return t.id == arg; });
        if (!known)
            return LF("rotina desconhecida “%@” (veja quillmoor-cli maintenance)", arg);
        if (!ids.contains(arg))
            ids.append(arg);
    }
    if (run && ids.isEmpty())
        return L("--run precisa do id de pelo menos uma rotina");
    return {};
}

void listTasks(const Context& context, const std::vector<MaintTask>& tasks)
{
    if (context.json) {
        QJsonArray list;
        for (const MaintTask& task : tasks)
            list.append(QJsonObject{{"id", task.id},
                                    {"title", task.title},
                                    {"detail", task.detail},
                                    {"admin", task.admin},
                                    {"command", Maintenance::commandText(task)},
                                    {"needs", task.needs},
                                    {"available", task.available},
                                    {"reason", task.reason}});
        context.printJson(list);
        return;
    }
    QStringList ids;
    for (const MaintTask& task : tasks)
        ids << task.id;
    const int idWidth = columnWidth(ids) + 1;
    for (const MaintTask& task : tasks)
        context.out << padded(task.id, idWidth) << (task.admin ? "🔒 " : "   ") << task.title << " — " << task.detail
                    << (task.available ? QString() : "  (" + task.reason + ")") << "\n";
}

int runMaintenance(Context& context)
{
    const Profiles::MaintenanceRoutines routines = Profiles::active().maintenance;
    const std::vector<MaintTask> tasks = routines.tasks();
    QStringList ids;
    bool run = false;
    const QString problem = parseRun(context.args, tasks, ids, run);
    if (!problem.isEmpty())
        return context.usageError(problem);
    if (!run) {
        listTasks(context, tasks);
        return Success;
    }

    // A routine that cannot run here: nothing runs, not even the others.
    bool refused = false;
    for (const MaintTask& task : tasks) {
        if (ids.contains(task.id) && !task.available) {
            context.err << LF("%@: %@", task.title, task.reason) << "\n";
            refused = true;
        }
    }
    if (refused)
        return Failure;

    const Maintenance::Runner user = userRunner ? userRunner : Maintenance::Runner(&Shell::run);
    const Admin::Runner admin = adminRunner ? adminRunner : Admin::Runner(Admin::run);
    const Maintenance::Outcome outcome = Maintenance::run(tasks, ids, user, admin, {}, routines.reasons);
    if (context.json) {
        context.printJson(QJsonObject{{"ok", QJsonArray::fromStringList(outcome.okIds)},
                                      {"failures", QJsonArray::fromStringList(outcome.failures)},
                                      {"notes", QJsonArray::fromStringList(outcome.notes)}});
    } else {
        for (const MaintTask& task : tasks)
            if (outcome.okIds.contains(task.id))
                context.out << LF("Concluído: %@", task.title) << "\n";
        for (const QString& note : outcome.notes)
            context.out << note << "\n";
        for (const QString& failure : outcome.failures)
            context.err << lineSafe(failure) << "\n";
    }
    return outcome.failures.isEmpty() ? Success : Failure;
}

} // namespace

void setMaintenanceRunners(Maintenance::Runner user, Admin::Runner admin)
{
    userRunner = std::move(user);
    adminRunner = std::move(admin);
}

std::vector<Command> maintenanceCommands()
{
    return {
        {QStringLiteral("maintenance"), QStringLiteral("maintenance [--run ID...]"),
         L("as rotinas de manutenção; com --run, executa as indicadas (as marcadas com cadeado pedem a senha de administrador uma vez)"),
         runMaintenance},
    };
}

} // namespace Cli
