#include "engines/Maintenance.h"

#include "i18n/L.h"

namespace Maintenance {

std::string adminBatch(const std::vector<MaintTask>& adminTasks)
{
    std::string batch;
    for (const MaintTask& task : adminTasks) {
        if (!batch.empty())
            batch += "; ";
        const std::string id = task.id.toStdString();
        batch += "(" + task.cmd + ") >/dev/null 2>&1 && echo OK:" + id + " || echo FAIL:" + id;
    }
    return batch;
}

bool markedOk(const QString& out, const QString& id)
{
    // Whole lines only, so that one id can never pass for another that it begins.
    const QString marker = QStringLiteral("OK:") + id;
    for (const QString& line : out.split(QLatin1Char('\n')))
        if (line.trimmed() == marker)
            return true;
    return false;
}

Outcome run(const std::vector<MaintTask>& all, const QStringList& selected, const Runner& user,
            const Runner& admin, const std::function<void(const QString&)>& starting)
{
    std::vector<MaintTask> adminTasks;
    std::vector<MaintTask> userTasks;
    for (const MaintTask& task : all)
        if (selected.contains(task.id))
            (task.admin ? adminTasks : userTasks).push_back(task);

    Outcome outcome;
    if (!adminTasks.empty()) {
        if (starting)
            starting(adminTasks.front().id);
        const Shell::Result result = admin(adminBatch(adminTasks));
        if (!result.ok) {
            // A cancelled prompt, or no way to ask: one entry, and no routine of the batch ran.
            outcome.failures.append(result.out);
        } else {
            for (const MaintTask& task : adminTasks) {
                if (markedOk(result.out, task.id))
                    outcome.okIds.append(task.id);
                else
                    outcome.failures.append(task.title);
            }
        }
    }
    for (const MaintTask& task : userTasks) {
        if (starting)
            starting(task.id);
        const Shell::Result result = user(task.cmd);
        if (result.ok)
            outcome.okIds.append(task.id);
        else
            outcome.failures.append(task.title + QStringLiteral(": ") + result.out.trimmed());
    }
    return outcome;
}

} // namespace Maintenance
