#include "cli/MaintenanceCommands.h"

#include <QJsonArray>

#include "i18n/L.h"
#include "profiles/Profile.h"

namespace Cli {

namespace {

Maintenance::Runner userRunner;
Maintenance::Runner adminRunner;

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
            return QStringLiteral("unknown argument '%1' for maintenance (see --help)").arg(arg);
        const bool known = std::any_of(tasks.begin(), tasks.end(), [&](const MaintTask& t) { return t.id == arg; });
        if (!known)
            return QStringLiteral("unknown routine '%1' (see quillmoor-cli maintenance)").arg(arg);
        if (!ids.contains(arg))
            ids.append(arg);
    }
    if (run && ids.isEmpty())
        return QStringLiteral("--run needs at least one routine id");
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
                                    {"command", QString::fromStdString(task.cmd)}});
        context.printJson(list);
        return;
    }
    for (const MaintTask& task : tasks)
        context.out << task.id.leftJustified(6) << (task.admin ? "🔒 " : "   ") << task.title << " — " << task.detail
                    << "\n";
}

int runMaintenance(Context& context)
{
    const std::vector<MaintTask> tasks = Profiles::active().maintenance.tasks();
    QStringList ids;
    bool run = false;
    const QString problem = parseRun(context.args, tasks, ids, run);
    if (!problem.isEmpty())
        return context.usageError(problem);
    if (!run) {
        listTasks(context, tasks);
        return Success;
    }

    const Maintenance::Runner user = userRunner ? userRunner : Maintenance::Runner(&Shell::run);
    const Maintenance::Runner admin = adminRunner ? adminRunner : Maintenance::Runner(&Shell::runAdmin);
    const Maintenance::Outcome outcome = Maintenance::run(tasks, ids, user, admin);
    if (context.json) {
        context.printJson(QJsonObject{{"ok", QJsonArray::fromStringList(outcome.okIds)},
                                      {"failures", QJsonArray::fromStringList(outcome.failures)}});
    } else {
        for (const MaintTask& task : tasks)
            if (outcome.okIds.contains(task.id))
                context.out << L("Concluído") << ": " << task.title << "\n";
        for (const QString& failure : outcome.failures)
            context.err << failure << "\n";
    }
    return outcome.failures.isEmpty() ? Success : Failure;
}

} // namespace

void setMaintenanceRunners(Maintenance::Runner user, Maintenance::Runner admin)
{
    userRunner = std::move(user);
    adminRunner = std::move(admin);
}

std::vector<Command> maintenanceCommands()
{
    return {
        {QStringLiteral("maintenance"), QStringLiteral("maintenance [--run ID...]"),
         QStringLiteral("the maintenance routines; with --run, runs the named ones "
                        "(those marked with a lock ask for the administrator password once)"),
         runMaintenance},
    };
}

} // namespace Cli
